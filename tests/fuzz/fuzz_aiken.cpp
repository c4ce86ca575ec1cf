// Fuzzing the Aiken reader. For every file of bytes:
//   - a refused file is refused with problems on lines of the file;
//   - an accepted file's text is its bytes, nothing replaced: encoding the
//     text again in the file's encoding gives the same bytes;
//   - every question it gives is one that the export writes (fromStored, as
//     the question base holds it), and the written file reads back as the
//     same questions, and writing those again gives the same bytes.
//
// Built by default as a deterministic mutation loop:
//     fuzz_aiken [inputs [seed]]
// runs that many mutated files (seeded from good question banks in every
// encoding) and prints the count; it stops at the first file that breaks
// the rule, printing its bytes. With -DNORVENA_LIBFUZZER=ON and clang it is
// a libFuzzer target instead, seeded from tests/fuzz/corpus/ with the
// pieces of tests/fuzz/aiken.dict (README.md, "Fuzzing the question import").

#include "data/Aiken.h"
#include "platform/Cp1251.h"
#include "tests/fuzz/Mutation.h"
#include "tests/support/Utf16.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

int lineCount(const QByteArray& bytes)
{
    // Every byte could end a line (CR, LF, or UTF-16 units); an upper bound.
    return int(bytes.count('\n') + bytes.count('\r')) + 1;
}

// The file's bytes from its text, in the encoding the reader took.
bool sameBytes(const QByteArray& file, const QString& text)
{
    if (file.startsWith("\xEF\xBB\xBF"))
        return file.sliced(3) == text.toUtf8();
    if (file.startsWith("\xFF\xFE"))
        return file.sliced(2) == utf16(text, true);
    if (file.startsWith("\xFE\xFF"))
        return file.sliced(2) == utf16(text, false);
    if (text.toUtf8() == file)
        return true;
    bool ok = false;
    return Cp1251::encode(text, &ok) == file && ok;
}

bool sameQuestions(const QList<aiken::Question>& a, const QList<aiken::Question>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].text != b[i].text || a[i].answer != b[i].answer)
            return false;
    return true;
}

// Empty when the file keeps the rule; otherwise what went wrong.
QString fault(const QByteArray& file, bool* accepted = nullptr)
{
    if (accepted)
        *accepted = false;
    QList<aiken::Question> questions;
    try {
        questions = aiken::read(file);
    } catch (const aiken::FormatError& e) {
        if (e.problems().isEmpty() || e.message().isEmpty())
            return QStringLiteral("refused without a problem");
        for (const auto& p : e.problems())
            if (p.line < 0 || p.line > lineCount(file) || p.what.isEmpty())
                return QStringLiteral("a problem on line %1 of %2").arg(p.line).arg(lineCount(file));
        return {};
    }
    if (accepted)
        *accepted = true;
    if (questions.isEmpty())
        return QStringLiteral("accepted without a question");
    if (!sameBytes(file, aiken::decode(file)))
        return QStringLiteral("the text is not the file's bytes");

    QList<aiken::Question> stored;
    for (const aiken::Question& q : questions) {
        aiken::Question s;
        QString problem;
        if (!aiken::fromStored(q.text, q.answer, &s, &problem))
            return QStringLiteral("question of line %1 cannot be exported: %2").arg(q.line).arg(problem);
        if (s.text != q.text || s.answer != q.answer)
            return QStringLiteral("question of line %1 is exported changed").arg(q.line);
        stored << s;
    }
    const QByteArray written = aiken::write(stored);
    QList<aiken::Question> back;
    try {
        back = aiken::read(written);
    } catch (const aiken::FormatError& e) {
        return QStringLiteral("the written file is refused: ") + e.message();
    }
    if (!sameQuestions(back, questions))
        return QStringLiteral("the written file reads back as other questions");
    if (aiken::write(back) != written)
        return QStringLiteral("writing again gives other bytes");
    return {};
}

} // namespace

#ifdef NORVENA_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString what = fault(file);
    if (!what.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(what));
        std::abort();
    }
    return 0;
}

#else

namespace {

QList<QByteArray> seeds()
{
    const QString bank = QStringLiteral("Кто написал «Мцыри»?\r\nA) Пушкин\r\nB) Лермонтов\r\nANSWER: B\r\n\r\n"
                                        "В каком году родился Пушкин?\nA. 1799\nB. 1812\nC. 1825\nanswer: a\n\n"
                                        "A. S. Pushkin?\rB. no\rA) yes\rB) no\rC) both\rD) none\rE) all\rANSWER:E");
    return {
        bank.toUtf8(),
        "\xEF\xBB\xBF" + bank.toUtf8(),
        Cp1251::encode(bank),
        "\xFF\xFE" + utf16(bank, true),
        "\xFE\xFF" + utf16(bank, false),
        QByteArray("Q\nA) \xF0\x9F\x98\x80 \xE2\x80\xA8\nB) \xEF\xBB\xBF\xC2\x85x\nANSWER: A\n"),
        "\xFF\xFE" + utf16(QStringLiteral("Q \U0001F600\nA) a\nB) b\nANSWER: B"), true),
    };
}

// Pieces that the mutations put in: what the reader and the decoder look at.
const QList<QByteArray>& tokens()
{
    static const QList<QByteArray> t{"\r\n",
                                     "\n",
                                     "\r",
                                     "\n\n",
                                     " ",
                                     "\t",
                                     "A) ",
                                     "B. ",
                                     "C) ",
                                     "F) ",
                                     "ANSWER: ",
                                     "ANSWER: A",
                                     "answer:b",
                                     "\xEF\xBB\xBF",
                                     "\xFF\xFE",
                                     "\xFE\xFF",
                                     QByteArray("\0", 1),
                                     "\xC3",
                                     "\xE2\x80",
                                     "\xED\xA0\x80",
                                     "\xF4\x90\x80\x80",
                                     "\xC0\x80",
                                     "\xD0\x90",
                                     "\xC1",
                                     "\x98",
                                     "\xD8",
                                     "\xDC",
                                     QByteArray("\0\xD8", 2),
                                     QByteArray("\0\xDC", 2),
                                     QByteArray("\0\n", 2),
                                     QByteArray("\n\0", 2),
                                     "\xE2\x80\xA8",
                                     "\xC2\x85",
                                     "\xC2\xA0",
                                     "\xEF\xBF\xBD",
                                     "\xEF\xBF\xBE"};
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    return fuzz::loop("fuzz_aiken", argc, argv, seeds(), tokens(),
                      [](const QByteArray& file, bool* accepted) { return fault(file, accepted); });
}

#endif
