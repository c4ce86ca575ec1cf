// Question banks in the Aiken format: reading (encodings, the shapes a file
// may take, every kind of error, all refused at once), writing stored
// questions and reading them back.

#include "data/Aiken.h"
#include "platform/Cp1251.h"
#include "tests/support/Utf16.h"

#include <QTest>

using aiken::FormatError;
using aiken::Question;

Q_DECLARE_METATYPE(QList<Question>)

namespace {

QString crlf(QString text) { return text.replace(u'\n', QStringLiteral("\r\n")); }

// The problems a text has, each as "line: what".
QStringList problemsOf(const QString& text)
{
    try {
        aiken::parse(text);
    } catch (const FormatError& e) {
        QStringList out;
        for (const auto& p : e.problems())
            out << QStringLiteral("%1: %2").arg(p.line).arg(p.what);
        return out;
    }
    return {};
}

const QString kTwoQuestions = QStringLiteral("Кто написал «Мцыри»?\n"
                                             "A) Пушкин\n"
                                             "B) Лермонтов\n"
                                             "ANSWER: B\n"
                                             "\n"
                                             "В каком году родился Пушкин?\n"
                                             "A. 1799\n"
                                             "B. 1812\n"
                                             "C. 1825\n"
                                             "ANSWER: A\n");


const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf16LEMark("\xFF\xFE");
const QByteArray kUtf16BEMark("\xFE\xFF");

} // namespace

class TestAiken : public QObject {
    Q_OBJECT

private slots:
    void readsEveryShape_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QList<int>>("lines");

        const QStringList first{crlf("Кто написал «Мцыри»?\nA) Пушкин\nB) Лермонтов"),
                                crlf("В каком году родился Пушкин?\nA. 1799\nB. 1812\nC. 1825")};
        QTest::newRow("LF line ends") << kTwoQuestions << first << QStringList{"B", "A"} << QList<int>{1, 6};
        QTest::newRow("CR LF line ends") << crlf(kTwoQuestions) << first << QStringList{"B", "A"} << QList<int>{1, 6};
        QTest::newRow("CR line ends, no end after the last line")
            << QString(kTwoQuestions).replace(u'\n', u'\r').chopped(1) << first << QStringList{"B", "A"}
            << QList<int>{1, 6};
        QTest::newRow("several blank lines, blanks in them, none at all between questions")
            << QStringLiteral("\n \n\tQ1 line one\nline two\nA) a\nB) b\nanswer:b\nQ2\nA. x\nB. y\nANSWER:  A  \n\n\n")
            << QStringList{crlf("\tQ1 line one\nline two\nA) a\nB) b"), crlf("Q2\nA. x\nB. y")} << QStringList{"B", "A"}
            << QList<int>{3, 8};
        QTest::newRow("a text line that looks like a later option, a first line like an option")
            << QStringLiteral("A. S. Pushkin wrote it?\nB. it was Lermontov\n  A) yes\n  B) no\n  C) both\n"
                              "ANSWER: C\n")
            << QStringList{crlf("A. S. Pushkin wrote it?\nB. it was Lermontov\n  A) yes\n  B) no\n  C) both")}
            << QStringList{"C"} << QList<int>{1};
        QTest::newRow("byte-order marks at the start and where files were joined")
            << QStringLiteral("\uFEFF\n\uFEFFQ1\nA) a\nB) b\nANSWER: A\n\n\uFEFFQ2\nA) x\nB) y\uFEFF\nANSWER: B\n")
            << QStringList{crlf("Q1\nA) a\nB) b"), crlf("Q2\nA) x\nB) y")} << QStringList{"A", "B"} << QList<int>{2, 7};
        QTest::newRow("five options, quotes and semicolons kept")
            << QStringLiteral("Что сказал \"Гоголь\"; и где?\nA) «а»\nB) 'б'\nC) в; г\nD) \"д\"\nE) е\nANSWER: E")
            << QStringList{crlf("Что сказал \"Гоголь\"; и где?\nA) «а»\nB) 'б'\nC) в; г\nD) \"д\"\nE) е")}
            << QStringList{"E"} << QList<int>{1};
    }

    void readsEveryShape()
    {
        QFETCH(QString, text);
        const QList<Question> questions = aiken::parse(text);
        QStringList texts, answers;
        QList<int> lines;
        for (const Question& q : questions) {
            texts << q.text;
            answers << q.answer;
            lines << q.line;
        }
        QTEST(texts, "texts");
        QTEST(answers, "answers");
        QTEST(lines, "lines");
    }

    void refusesEachKindOfError_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("problems");

        QTest::newRow("ANSWER right after the text")
            << QStringLiteral("Вопрос\nещё строка\nANSWER: A")
            << QStringList{"3: у вопроса из строки 1 нет вариантов ответа «A) …» или «A. …»"};
        QTest::newRow("a question without options before a blank line")
            << QStringLiteral("Вопрос без вариантов\n\nВопрос\nA) 1\nB) 2\nANSWER: A")
            << QStringList{"2: у вопроса из строки 1 нет вариантов ответа «A) …» или «A. …»"};
        QTest::newRow("a question without options at the end")
            << QStringLiteral("Вопрос\nA) 1\nB) 2\nANSWER: A\n\nПоследний вопрос\n")
            << QStringList{"6: у вопроса из строки 6 нет вариантов ответа «A) …» или «A. …»"};
        QTest::newRow("options in Cyrillic letters")
            << QStringLiteral("Вопрос\nА) 1\nВ) 2\nANSWER: A")
            << QStringList{"4: у вопроса из строки 1 нет вариантов ответа «A) …» или «A. …» "
                           "(в строке 2 буква «А» русская, варианты обозначаются латинскими A–E)"};
        QTest::newRow("a letter skipped")
            << QStringLiteral("Вопрос\nA) 1\nC) 2\nANSWER: A") << QStringList{"3: ожидался вариант B, а стоит C"};
        QTest::newRow("six options") << QStringLiteral("В\nA) 1\nB) 2\nC) 3\nD) 4\nE) 5\nF) 6\nANSWER: A")
                                     << QStringList{"7: вариантов больше пяти: ответы бывают только A–E"};
        QTest::newRow("an option without text")
            << QStringLiteral("Вопрос\nA)\nB) 2\nANSWER: B") << QStringList{"2: у варианта A нет текста"};
        QTest::newRow("one option only") << QStringLiteral("Вопрос\nA) 1\nANSWER: A")
                                         << QStringList{"3: у вопроса только один вариант ответа"};
        QTest::newRow("text after the options") << QStringLiteral("Вопрос\nA) 1\nB) 2\nпояснение\nANSWER: A")
                                                << QStringList{"4: ожидался вариант C или строка «ANSWER: буква»"};
        QTest::newRow("text after five options")
            << QStringLiteral("В\nA) 1\nB) 2\nC) 3\nD) 4\nE) 5\nпояснение\nANSWER: A")
            << QStringList{"7: ожидалась строка «ANSWER: буква»"};
        QTest::newRow("no ANSWER before a blank line")
            << QStringLiteral("Вопрос\nA) 1\nB) 2\n\nВопрос\nA) 1\nB) 2\nANSWER: B")
            << QStringList{"4: после вариантов ответа нет строки «ANSWER: буква»"};
        QTest::newRow("no ANSWER at the end") << QStringLiteral("Вопрос\nA) 1\nB) 2\n")
                                              << QStringList{"3: файл кончается, а строки «ANSWER: буква» после "
                                                             "вариантов нет"};
        QTest::newRow("an answer that is no option")
            << QStringLiteral("Вопрос\nA) 1\nB) 2\nANSWER: D") << QStringList{"4: ответ D не из вариантов A–B"};
        QTest::newRow("two letters") << QStringLiteral("Вопрос\nA) 1\nB) 2\nANSWER: AB")
                                     << QStringList{"4: после «ANSWER:» должна стоять одна буква A–E, а стоит «AB»"};
        QTest::newRow("no letter") << QStringLiteral("Вопрос\nA) 1\nB) 2\nANSWER:")
                                   << QStringList{"4: после «ANSWER:» должна стоять одна буква A–E, а стоит «»"};
        QTest::newRow("a Cyrillic answer letter") << QStringLiteral("Вопрос\nA) 1\nB) 2\nC) 3\nANSWER: С")
                                                  << QStringList{"5: буква ответа «С» русская, нужна латинская C"};
        QTest::newRow("ANSWER without a question")
            << QStringLiteral("\nANSWER: A\n") << QStringList{"2: строка «ANSWER» стоит без вопроса"};
        QTest::newRow("no question at all")
            << QStringLiteral(" \n\n") << QStringList{"0: в файле нет ни одного вопроса"};
        QTest::newRow("every problem of a file, good questions between them")
            << QStringLiteral("Хороший\nA) 1\nB) 2\nANSWER: A\n\nПлохой\nA) 1\nC) 2\nANSWER: A\n\nХороший\nA) 1\nB) "
                              "2\nANSWER: B\n\nПлохой\nA) 1\nB) 2\nANSWER: E\n")
            << QStringList{"8: ожидался вариант B, а стоит C", "19: ответ E не из вариантов A–B"};
    }

    void refusesEachKindOfError()
    {
        QFETCH(QString, text);
        QTEST(problemsOf(text), "problems");
    }

    void errorMessageNamesTheFirstProblems()
    {
        QString text;
        for (int i = 0; i < 12; ++i)
            text += QStringLiteral("Вопрос %1\nANSWER: A\n\n").arg(i);
        try {
            aiken::parse(text);
            QFAIL("the text was accepted");
        } catch (const FormatError& e) {
            QCOMPARE(e.problems().size(), 12);
            const QStringList lines = e.message().split(u'\n');
            QCOMPARE(lines.size(), 11);
            QCOMPARE(lines.first(),
                     QStringLiteral("строка 2: у вопроса из строки 1 нет вариантов ответа «A) …» или «A. …»"));
            QCOMPARE(lines.last(), QStringLiteral("и ещё ошибок: 2"));
        }
    }

    void decodesEveryEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString text = QStringLiteral("Кто автор «Мёртвых душ»? Ёлка, №1\r\nA) Гоголь");
        QTest::newRow("UTF-8") << text.toUtf8() << text;
        QTest::newRow("UTF-8 with its mark") << kUtf8Mark + text.toUtf8() << text;
        QTest::newRow("Windows-1251") << Cp1251::encode(text) << text;
        QTest::newRow("UTF-16 LE with its mark") << kUtf16LEMark + utf16(text, true) << text;
        QTest::newRow("UTF-16 BE with its mark") << kUtf16BEMark + utf16(text, false) << text;

        const QString wide = QStringLiteral("Знак \U0001F4D6 и \uFFFD, \u2028");
        QTest::newRow("UTF-8, four-byte and three-byte characters")
            << kUtf8Mark + QByteArray("\xD0\x97\xD0\xBD\xD0\xB0\xD0\xBA \xF0\x9F\x93\x96 \xD0\xB8 \xEF\xBF\xBD, "
                                      "\xE2\x80\xA8")
            << wide;
        QTest::newRow("UTF-16 LE, a surrogate pair") << kUtf16LEMark + utf16(wide, true) << wide;
        QTest::newRow("UTF-16 BE, a surrogate pair") << kUtf16BEMark + utf16(wide, false) << wide;
        // Without a mark, bytes that are not UTF-8 are Windows-1251, whatever they are.
        QTest::newRow("no mark, a UTF-8 character cut off: Windows-1251")
            << QByteArray("\xD0\x97\xD0") << QStringLiteral("Р—Р");
    }

    void decodesEveryEncoding()
    {
        QFETCH(QByteArray, bytes);
        QTEST(aiken::decode(bytes), "text");
    }

    // Bytes that are not clean text in the file's encoding: nothing of the
    // file is taken, and each line at fault is named.
    void refusesBytesThatAreNotText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("problems");

        const QString zeroByte = QStringLiteral("нулевой байт — это не текстовый файл");
        const QString zeroCharacter = QStringLiteral("нулевой знак — это не текстовый файл");
        const QString notUtf8 = QStringLiteral("байты не в кодировке UTF-8, указанной в начале файла");
        const QString notUtf16 = QStringLiteral("байты не в кодировке UTF-16, указанной в начале файла");
        const QString cutUtf8 = QStringLiteral("файл обрывается посреди знака в кодировке UTF-8");
        const QString cutUtf16 = QStringLiteral("файл обрывается посреди знака в кодировке UTF-16");
        const QByteArray good = QStringLiteral("Вопрос\r\nA) 1\r\nB) 2\r\nANSWER: A\r\n").toUtf8();
        const auto at = [](int line, const QString& what) { return QStringLiteral("%1: %2").arg(line).arg(what); };

        QTest::newRow("a binary file") << QByteArray("PK\x03\x04\0\0", 6) << QStringList{at(1, zeroByte)};
        QTest::newRow("a zero byte after the UTF-8 mark")
            << kUtf8Mark + good + QByteArrayLiteral("\r\nВопрос\0\r\nA) 1\r\nB) 2\r\nANSWER: A")
            << QStringList{at(6, zeroByte)};
        QTest::newRow("a zero byte in a Windows-1251 file")
            << Cp1251::encode(QStringLiteral("Вопрос\nA) Пушкин\nB) Гоголь")) + QByteArray("\0\nANSWER: A", 11)
            << QStringList{at(3, zeroByte)};
        QTest::newRow("a zero byte in a UTF-8 file without a mark")
            << good + QByteArray("\0", 1) << QStringList{at(5, zeroByte)};
        QTest::newRow("Windows-1251 after the UTF-8 mark")
            << kUtf8Mark + QByteArray("Вопрос\nA) ") + Cp1251::encode(QStringLiteral("Пушкин")) + "\nB) 2\nANSWER: A"
            << QStringList{at(2, notUtf8)};
        QTest::newRow("a character cut off at the end after the UTF-8 mark")
            << kUtf8Mark + good + "\r\nВопрос \xD0" << QStringList{at(6, cutUtf8)};
        QTest::newRow("four bytes cut off after three") << kUtf8Mark + "\xF0\x9F\x93" << QStringList{at(1, cutUtf8)};
        QTest::newRow("a surrogate in UTF-8") << kUtf8Mark + good + "\xED\xA0\x80" << QStringList{at(5, notUtf8)};
        QTest::newRow("a longer form than needed") << kUtf8Mark + "Q\xC0\xAF\n" + good << QStringList{at(1, notUtf8)};
        QTest::newRow("beyond U+10FFFF") << kUtf8Mark + "Q\xF4\x90\x80\x80\n" + good << QStringList{at(1, notUtf8)};
        QTest::newRow("a continuation byte alone") << kUtf8Mark + "Q\x80\n" + good << QStringList{at(1, notUtf8)};
        QTest::newRow("every line at fault, once each; CR LF and CR end lines")
            << kUtf8Mark + QByteArray("\0\xFF\0\r\n\xFF\rок\n\x80\0", 14)
            << QStringList{at(1, zeroByte), at(2, notUtf8), at(4, notUtf8)};
        QTest::newRow("a high surrogate alone in UTF-16 LE")
            << kUtf16LEMark + utf16(QStringLiteral("Вопрос\r\nA) "), true) + QByteArray("\x00\xD8", 2) +
                   utf16(QStringLiteral("1\r\nB) 2\r\nANSWER: A"), true)
            << QStringList{at(2, notUtf16)};
        QTest::newRow("a low surrogate alone in UTF-16 BE")
            << kUtf16BEMark + utf16(QStringLiteral("В\nВопрос"), false) + QByteArray("\xDC\x00", 2) + good
            << QStringList{at(2, notUtf16)};
        QTest::newRow("a high surrogate at the end of UTF-16")
            << kUtf16LEMark + utf16(QStringLiteral("Вопрос"), true) + QByteArray("\x3D\xD8", 2)
            << QStringList{at(1, notUtf16)};
        QTest::newRow("a zero character in UTF-16")
            << kUtf16LEMark + utf16(QStringLiteral("Вопрос\rA) 1"), true) + QByteArray("\0\0", 2)
            << QStringList{at(2, zeroCharacter)};
        QTest::newRow("an odd byte at the end of UTF-16")
            << kUtf16BEMark + utf16(QStringLiteral("Вопрос\r\nA) 1\r\n"), false) + "\x04"
            << QStringList{at(3, cutUtf16)};
    }

    void refusesBytesThatAreNotText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, problems);
        try {
            const QList<Question> questions = aiken::read(bytes);
            QFAIL(qPrintable(QStringLiteral("accepted: %1 questions").arg(questions.size())));
        } catch (const FormatError& e) {
            QStringList found;
            for (const auto& p : e.problems())
                found << QStringLiteral("%1: %2").arg(p.line).arg(p.what);
            QCOMPARE(found, problems);
            QCOMPARE(e.message().section(u'\n', 0, 0), QStringLiteral("строка ") + problems.first());
        }
    }

    void readsAWindows1251File()
    {
        const QByteArray file = Cp1251::encode(kTwoQuestions);
        const QList<Question> questions = aiken::read(file);
        QCOMPARE(questions.size(), 2);
        QCOMPARE(questions[0].text, crlf("Кто написал «Мцыри»?\nA) Пушкин\nB) Лермонтов"));
    }

    void storedQuestionsAsWritten_data()
    {
        QTest::addColumn<QVariant>("test");
        QTest::addColumn<QVariant>("otv");
        QTest::addColumn<QString>("written"); // the question's text, or "!" and the problem

        QTest::newRow("lines joined by LF")
            << QVariant("Вопрос\nA) 1\nB) 2") << QVariant("B") << crlf("Вопрос\nA) 1\nB) 2");
        QTest::newRow("blank lines and a line end at the end left out")
            << QVariant("\r\nВопрос\r\n\r\nA) 1\r\n   \r\nB) 2\r\n\r\n") << QVariant("A") << crlf("Вопрос\nA) 1\nB) 2");
        QTest::newRow("byte-order marks left out")
            << QVariant("\uFEFFВопрос\n\uFEFF\nA) 1\nB) 2") << QVariant("A") << crlf("Вопрос\nA) 1\nB) 2");
        QTest::newRow("absent letter") << QVariant("Вопрос\nA) 1\nB) 2") << QVariant() << "!нет верной буквы A–E";
        QTest::newRow("small letter") << QVariant("Вопрос\nA) 1\nB) 2") << QVariant("b") << "!нет верной буквы A–E";
        QTest::newRow("absent text") << QVariant() << QVariant("A") << "!нет текста";
        QTest::newRow("no options in the text")
            << QVariant("Вопрос: A-1, B-2") << QVariant("A") << "!у вопроса нет вариантов ответа «A) …» или «A. …»";
        QTest::newRow("letter that is no option")
            << QVariant("Вопрос\nA) 1\nB) 2") << QVariant("C") << "!ответ C не из вариантов A–B";
        QTest::newRow("text after the options") << QVariant("Вопрос\nA) 1\nB) 2\nКомментарий") << QVariant("A")
                                                << "!ожидался вариант C или строка «ANSWER: буква»";
    }

    void storedQuestionsAsWritten()
    {
        QFETCH(QVariant, test);
        QFETCH(QVariant, otv);
        QFETCH(QString, written);
        Question q;
        QString problem;
        const bool ok = aiken::fromStored(test, otv, &q, &problem);
        QCOMPARE(ok ? q.text : QStringLiteral("!") + problem, written);
        if (ok)
            QCOMPARE(q.answer, otv.toString());
    }

    // The file's exact bytes: other programs split questions at blank lines.
    void writtenFileBytes_data()
    {
        QTest::addColumn<QList<Question>>("questions");
        QTest::addColumn<QByteArray>("bytes");
        const Question first{crlf("Кто написал «Мцыри»?\nA) Пушкин\nB) Лермонтов"), "B", 0};
        const Question second{crlf("Год?\nA. 1799\nB. 1812"), "A", 0};
        const QByteArray firstBytes("Кто написал «Мцыри»?\r\nA) Пушкин\r\nB) Лермонтов\r\nANSWER: B\r\n");
        const QByteArray secondBytes("Год?\r\nA. 1799\r\nB. 1812\r\nANSWER: A\r\n");
        QTest::newRow("one question") << QList<Question>{first} << firstBytes;
        QTest::newRow("two questions") << QList<Question>{first, second} << firstBytes + "\r\n" + secondBytes;
        QTest::newRow("three questions") << QList<Question>{first, second, first}
                                         << firstBytes + "\r\n" + secondBytes + "\r\n" + firstBytes;
    }

    void writtenFileBytes()
    {
        QFETCH(QList<Question>, questions);
        QTEST(aiken::write(questions), "bytes");
    }

    void writtenQuestionsReadBack()
    {
        const QList<QVariantList> stored{
            {"Кто написал «Мцыри»?\nA) Пушкин\nB) Лермонтов", "B"},
            {"Вопрос в две строки;\nс \"кавычками\"\nA. 1799\nB. 1812\nC. 1825\nD. 1837\nE. 1841", "E"},
            {"A. S. Pushkin — who?\nB. that is the question\nA) a poet\nB) a painter", "A"},
        };
        QList<Question> questions;
        for (const QVariantList& s : stored) {
            Question q;
            QVERIFY(aiken::fromStored(s[0], s[1], &q, nullptr));
            questions << q;
        }
        const QByteArray file = aiken::write(questions);
        QVERIFY(!file.startsWith("\xEF\xBB\xBF"));
        QVERIFY(file.endsWith("ANSWER: A\r\n"));
        QVERIFY(!file.contains("\n\n") && !QByteArray(file).replace("\r\n", "").contains('\n'));
        const QList<Question> back = aiken::read(file);
        QCOMPARE(back.size(), questions.size());
        for (int i = 0; i < back.size(); ++i) {
            QCOMPARE(back[i].text, questions[i].text);
            QCOMPARE(back[i].answer, questions[i].answer);
        }
    }
};

QTEST_APPLESS_MAIN(TestAiken)
#include "tst_aiken.moc"
