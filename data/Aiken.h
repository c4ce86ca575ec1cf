#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Questions in the Aiken format, the plain-text question bank that other
// test systems read and write:
//
//     Кто написал роман «Отцы и дети»?
//     A) Тургенев
//     B) Гончаров
//     C. Достоевский
//     ANSWER: A
//
// A question's text takes one line or more; its options follow, one a line,
// lettered "A) " or "A. " in order (Latin capitals, at least two, at most
// five: A to E, the letters of the answer group); then "ANSWER: " and the
// correct letter. Blank lines stand between questions. In the question base
// a question's text and options are one text, `test`, their lines joined by
// CR LF as the question memo shows them, and the letter is `otv`.
namespace aiken {

struct Question {
    QString text;   // the question's lines and its option lines, joined by CR LF
    QString answer; // "A" … "E"
    int line = 0;   // where the question begins in the file it was read from
};

// A file that is not a question bank in this format. Every problem found is
// listed with its line; the message names the first ones.
class FormatError : public Error {
public:
    struct Problem {
        int line = 0; // 0: the file as a whole
        QString what;
    };
    explicit FormatError(QList<Problem> problems);
    const QList<Problem>& problems() const { return m_problems; }

private:
    QList<Problem> m_problems;
};

// The file's text: a byte-order mark (UTF-8, UTF-16) decides; otherwise text
// that is valid UTF-8 is read as UTF-8 and any other as Windows-1251. Nothing
// is replaced: a file that is not clean text in its encoding is refused
// (FormatError naming each line at fault): a zero byte (in UTF-16 a zero
// character), bytes that are not UTF-8 or not UTF-16 after that encoding's
// mark (a half of a surrogate pair alone), a file that ends in the middle of
// a character.
QString decode(const QByteArray& bytes);

// Every question of the text, in order; any problem refuses the whole text
// (FormatError listing every problem found). A text without a question is a
// problem too. Byte-order marks in the text, at its start or further on
// where files were joined, are no part of it.
QList<Question> parse(const QString& text);

// decode() then parse().
QList<Question> read(const QByteArray& bytes);

// A stored question as it is written: its text's lines (blank lines, which
// the format cannot hold inside a question, and byte-order marks left out)
// and its letter. When
// the question cannot be written so that reading it gives it back (no
// options in its text, an absent letter, a letter that is not one of its
// options ...), returns false and says why in *problem.
bool fromStored(const QVariant& test, const QVariant& otv, Question* question, QString* problem);

// A question as read or as fromStored() gives it, taken apart: the lines
// of its text before the options, and each option's text (what follows
// "A) " or "A. "), in order.
struct Parts {
    QStringList text;
    QStringList options;
};
Parts partsOf(const Question& question);

// The questions as a file: UTF-8 without a byte-order mark, CR LF line ends,
// a blank line between questions.
QByteArray write(const QList<Question>& questions);

} // namespace aiken
