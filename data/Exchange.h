#pragma once

#include "data/Aiken.h"
#include "data/PlainText.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QXmlStreamReader;

// What the readers and writers of the other test systems' formats share
// (Moodle XML, GIFT, IMS QTI 2.1: data/MoodleXml.h, data/Gift.h, data/Qti.h).
//
// A question of this program is a text holding its options as lines
// "A) …" to "E) …" and one correct letter (aiken::Question). Of the other
// formats' questions one kind is carried: a question with a single answer
// out of two to five choices, exactly one of them fully right. It becomes
// its stem's lines followed by its choices as such lines, and the right
// choice's letter. Markup becomes plain text (data/PlainText.h). For every
// question the import tells what it leaves behind; a question of another
// kind is left out, and named; a question that would mean something else
// here (several right answers, partial credit, a picture ...) refuses the
// whole file.
namespace exchange {

// The largest file an import reads, and the most that a package's files
// may hold unpacked: a bank of tens of thousands of questions takes a few
// megabytes, a larger file is something else.
constexpr qint64 kLargestFile = 64 * 1024 * 1024;

// Where a question stands in the file it was read from.
struct Place {
    int number = 0; // among the file's questions, from 1; 0: the file as a whole
    QString name;   // its name in the file, when it has one
    QString file;   // in a package: the file of the package it is in
    int line = 0;   // 0: none known
};

// "вопрос 3 «Имя» (строка 12)", "файл items/q1.xml, строка 4" ...
QString describe(const Place& place);

struct Remark {
    Place where;
    QString what;
};

// The remarks one a line, the first ones named and the rest counted.
QString describe(const QList<Remark>& remarks);

// A file that cannot be taken: every problem with its place.
class FormatError : public Error {
public:
    explicit FormatError(QList<Remark> problems);
    const QList<Remark>& problems() const { return m_problems; }

private:
    QList<Remark> m_problems;
};

// The questions of a file, and what was not carried: questions left out
// and what the questions taken left behind, each by question.
struct Imported {
    QList<aiken::Question> questions;
    QList<Remark> remarks;
};

// One question of a file as its reader found it.
struct Draft {
    Place where;
    QString stem;        // plain text, lines joined by "\n"
    QStringList choices; // plain text each
    QList<int> right;    // the choices fully right
    QString otherKind;   // not empty: a question of another kind (its description), left out
    // What it leaves behind (it is carried all the same), and what would
    // change its meaning (the file is refused).
    plaintext::Findings found;

    // The weight of the choice added last, in percent of the question's
    // mark (as it is written: "100", "50", "-33.3"): 100 makes it right,
    // between 0 and 100 is partial credit, which would be lost; a negative
    // weight (a penalty) is left behind.
    void weigh(const QString& percent);
};

// Gathers a file's questions. Its reader hands in every question (take)
// and every fault of the file (fail); finish() gives the questions or
// refuses the whole file.
class Collector {
public:
    void take(Draft draft);
    void fail(const Place& where, const QString& what);
    // The questions with the remarks; FormatError naming every problem when
    // there are any, or when the file holds no question to carry.
    Imported finish();

private:
    Imported m_imported;
    QList<Remark> m_problems;
    int m_otherKinds = 0;
};

// A stored question (as aiken::fromStored gives it) as the other formats
// write it: the lines of its stem, its choices and the right one's index.
struct Item {
    QStringList stem;
    QStringList choices;
    int right = 0;
};
Item itemOf(const aiken::Question& question);

// A question's title where a format asks for one: its stem's first line,
// cut at a word to at most 80 characters.
QString titleOf(const Item& item);

// Whether the question's text can be written in XML: XML 1.0 holds no
// control characters but the tab and the line ends. When it cannot,
// *problem says why.
bool xmlWritable(const aiken::Question& question, QString* problem);

// Reads an XML file up to its root element, which it returns the name of.
// Refuses (FormatError) a file that is not well-formed XML up to there and
// one with a document type declaration: its entities could grow without
// bound, and none of these formats has one. The reader honours the
// encoding that the file declares or that its byte-order mark tells.
QString openXml(QXmlStreamReader& reader, const QString& file = {});
// Refuses (FormatError) the file when the reader found it is not
// well-formed; the problem names its line.
void checkXml(const QXmlStreamReader& reader, const QString& file = {});

} // namespace exchange
