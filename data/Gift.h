#pragma once

#include "data/Exchange.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Question banks in GIFT, Moodle's plain-text format:
//
//     // Тема: Тургенев
//     ::Отцы и дети::Кто написал роман «Отцы и дети»? {
//         =Тургенев#Верно!
//         ~Гончаров
//         ~Достоевский
//     }
//
// Questions stand apart by blank lines; lines that start with "//" are
// comments; "::name::" and a format ([html], [moodle], [plain],
// [markdown]) may come first; the answers stand in braces, "=" before the
// right one and "~" before a wrong one, "~%50%" giving a weight, "#" a
// feedback and "####" a general feedback. "\" takes the special meaning
// from ~ = # { } : and itself; "\n" is a line end. Answers in the middle of
// the text leave a gap "_____" there (the "missing word" form).
// Multiple-choice questions with one right answer are carried
// (data/Exchange.h); true-false, short answer, matching, numerical
// questions, essays and descriptions are left out and named.
namespace gift {

// The file's questions: its text decoded as an Aiken file is (aiken::decode:
// a byte-order mark, UTF-8, or else Windows-1251), then parse().
exchange::Imported read(const QByteArray& bytes);
// Refuses (exchange::FormatError) a text with a question that cannot be
// read (braces not closed ...) or that would change its meaning here.
exchange::Imported parse(const QString& text);

// Whether the question can be written so that GIFT readers take it as
// written; when not, *problem says why.
bool writable(const aiken::Question& question, QString* problem);

// A topic's stored questions as a file: UTF-8, the topic as a $CATEGORY
// line, a blank line between questions, the special characters escaped.
QByteArray write(const QString& topic, const QList<aiken::Question>& questions);

} // namespace gift
