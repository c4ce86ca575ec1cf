// Fuzzing the Moodle XML reader (rule: tests/fuzz/ExchangeRule.h). Built
// by default as the deterministic mutation loop, `fuzz_moodlexml [inputs
// [seed]]`; with -DNORVENA_LIBFUZZER=ON and clang a libFuzzer target.

#include "data/MoodleXml.h"
#include "platform/Cp1251.h"
#include "tests/fuzz/ExchangeRule.h"

namespace {

QString fault(const QByteArray& file, bool* accepted)
{
    return fuzz::exchangeFault(
        file, accepted, moodlexml::read,
        [](const QList<aiken::Question>& q) { return moodlexml::write(QStringLiteral("Тема"), q); },
        [](const aiken::Question& q) { return exchange::xmlWritable(q, nullptr); });
}

} // namespace

#ifdef NORVENA_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz::oneInput(data, size, fault); }

#else

int main(int argc, char** argv)
{
    const QString bank = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n"
        "<question type=\"category\"><category><text>$course$/Тема</text></category></question>\n"
        "<question type=\"multichoice\"><name><text>Мцыри</text></name>\n"
        "<questiontext format=\"html\"><text><![CDATA[<p>Кто написал &laquo;Мцыри&raquo;?<br>Одно <b>имя</b>.</p>]]>"
        "</text></questiontext>\n<single>true</single>\n"
        "<answer fraction=\"0\" format=\"html\"><text>Пушкин</text><feedback><text>Нет</text></feedback></answer>\n"
        "<answer fraction=\"100\"><text>Лермонтов &amp;amp; никто</text></answer>\n"
        "<answer fraction=\"-50\" format=\"plain_text\"><text>&lt;i&gt;</text></answer>\n</question>\n"
        "<question type=\"multichoice\"><questiontext format=\"moodle_auto_format\"><text>Год?\nрождения</text>"
        "</questiontext><answer fraction=\"100.0000000\"><text>1814</text></answer>"
        "<answer fraction=\"0\"><text>1799</text></answer></question>\n"
        "<question type=\"essay\"><name><text>Эссе</text></name></question>\n</quiz>\n");
    const QList<QByteArray> seeds{
        bank.toUtf8(),
        QByteArray("\xEF\xBB\xBF") + bank.toUtf8(),
        Cp1251::encode(QString(bank).replace(QStringLiteral("UTF-8"), QStringLiteral("windows-1251"))),
    };
    const QList<QByteArray> tokens{"<question type=\"multichoice\">",
                                   "</question>",
                                   "<answer fraction=\"100\">",
                                   "<answer fraction=\"50\">",
                                   "</answer>",
                                   "<text>",
                                   "</text>",
                                   "<![CDATA[",
                                   "]]>",
                                   "<single>false</single>",
                                   "&amp;",
                                   "&lt;",
                                   "&#171;",
                                   "<br>",
                                   "<p>",
                                   "</p>",
                                   "<img src=\"a\">",
                                   "A) ",
                                   "A. ",
                                   "ANSWER: ",
                                   "<!DOCTYPE quiz>",
                                   "&x;",
                                   "format=\"plain_text\"",
                                   "format=\"html\"",
                                   "\n",
                                   "\xC3",
                                   "\xFF"};
    return fuzz::loop("fuzz_moodlexml", argc, argv, seeds, tokens, fault);
}

#endif
