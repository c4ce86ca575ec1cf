// Question banks in the other systems' formats: Moodle XML, GIFT and IMS
// QTI 2.1 packages read (the formats' own examples, what is left behind
// and named, what refuses the whole file), written, and read back; the
// demo course's questions through each format and back.

#include "data/Gift.h"
#include "data/MoodleXml.h"
#include "data/PlainText.h"
#include "data/Qti.h"
#include "platform/Cp1251.h"
#include "tests/support/Utf16.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

using exchange::Imported;

Q_DECLARE_METATYPE(QList<aiken::Question>)

namespace {

using Reader = std::function<Imported(const QByteArray&)>;
using Writer = std::function<QByteArray(const QString&, const QList<aiken::Question>&)>;

// A question as "text | its lines → letter".
QString shown(const aiken::Question& q)
{
    return QString(q.text).replace(QStringLiteral("\r\n"), QStringLiteral(" | ")) + QStringLiteral(" → ") + q.answer;
}

QStringList shown(const QList<aiken::Question>& questions)
{
    QStringList out;
    for (const aiken::Question& q : questions)
        out << shown(q);
    return out;
}

QStringList lines(const QList<exchange::Remark>& remarks)
{
    QStringList out;
    for (const exchange::Remark& r : remarks)
        out << exchange::describe(QList<exchange::Remark>{r});
    return out;
}

// The problems a file is refused with; "accepted" when it is not.
QStringList refusal(const Reader& read, const QByteArray& file)
{
    try {
        read(file);
    } catch (const exchange::FormatError& e) {
        return lines(e.problems());
    }
    return {QStringLiteral("accepted")};
}

QByteArray moodle(const QString& questions)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n") + questions +
            QStringLiteral("</quiz>\n"))
        .toUtf8();
}

QString multichoice(const QString& text, const QStringList& answers, const QString& extra = {})
{
    QString out = QStringLiteral("<question type=\"multichoice\">\n<questiontext format=\"html\"><text>") + text +
                  QStringLiteral("</text></questiontext>\n");
    for (const QString& a : answers) {
        const qsizetype bar = a.indexOf(u'|');
        out += QStringLiteral("<answer fraction=\"%1\"><text>%2</text></answer>\n").arg(a.left(bar), a.mid(bar + 1));
    }
    return out + extra + QStringLiteral("</question>\n");
}

QByteArray item(const QString& body, const QString& correct = QStringLiteral("A"), const QString& declaration = {})
{
    return (QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<assessmentItem xmlns=\"http://www.imsglobal.org/xsd/imsqti_v2p1\" identifier=\"q\" "
                "title=\"Вопрос\" adaptive=\"false\" timeDependent=\"false\">\n"
                "<responseDeclaration identifier=\"RESPONSE\" cardinality=\"single\" baseType=\"identifier\">"
                "<correctResponse><value>%1</value></correctResponse>%2</responseDeclaration>\n"
                "<itemBody>%3</itemBody>\n"
                "<responseProcessing template=\"http://www.imsglobal.org/question/qti_v2p1/rptemplates/"
                "match_correct\"/>\n</assessmentItem>\n")
                .arg(correct, declaration, body))
        .toUtf8();
}

QString choices(const QString& attributes = QStringLiteral("maxChoices=\"1\""))
{
    return QStringLiteral("<choiceInteraction responseIdentifier=\"RESPONSE\" shuffle=\"false\" %1>"
                          "<simpleChoice identifier=\"A\">Тургенев</simpleChoice>"
                          "<simpleChoice identifier=\"B\">Гончаров</simpleChoice></choiceInteraction>")
        .arg(attributes);
}

QByteArray manifest(const QStringList& hrefs)
{
    QString resources;
    for (const QString& h : hrefs)
        resources += QStringLiteral("<resource identifier=\"r\" type=\"imsqti_item_xmlv2p1\" href=\"%1\"><file "
                                    "href=\"%1\"/></resource>\n")
                         .arg(h);
    return (QStringLiteral("<?xml version=\"1.0\"?>\n<manifest xmlns=\"http://www.imsglobal.org/xsd/imscp_v1p1\" "
                           "identifier=\"m\">\n<organizations/>\n<resources>\n") +
            resources + QStringLiteral("</resources>\n</manifest>\n"))
        .toUtf8();
}

// A package of one item file, q.xml.
QByteArray package(const QByteArray& itemFile)
{
    return qti::pack({{QStringLiteral("imsmanifest.xml"), manifest({QStringLiteral("q.xml")})},
                      {QStringLiteral("q.xml"), itemFile}});
}

const QString kBomb = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                                     "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
                                     "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
                                     "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n]>\n<quiz>&d;&d;&d;</quiz>\n");

const QString kDtdRefused = QStringLiteral("строка 7: в файле есть объявление типа документа (<!DOCTYPE …>): в файлах "
                                           "этого формата его не бывает, и такой файл не принимается");

// The demo course's questions as the export takes them from the database.
QList<aiken::Question> demoQuestions()
{
    QFile seed(QFINDTESTDATA("../../course/test.sql"));
    if (!seed.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression row(QStringLiteral(
        R"(INSERT INTO test \(nom, nom1, test, rasdel, otv\) VALUES \(\d+, \d+, '((?:[^']|'')*)', '(?:[^']|'')*', '([A-E])'\);)"));
    QList<aiken::Question> out;
    const QString sql = QString::fromUtf8(seed.readAll());
    for (auto it = row.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        aiken::Question q;
        if (aiken::fromStored(m.captured(1).replace(QStringLiteral("''"), QStringLiteral("'")), m.captured(2), &q,
                              nullptr))
            out << q;
    }
    return out;
}

// Questions whose texts hold what each format must escape or mark.
QList<aiken::Question> trickyQuestions()
{
    const QList<QStringList> stored{
        {"Какие знаки особые в GIFT: ~ = # { } : и \\?\nвторая строка: «a\\nb»\nA) ~тильда\nB) =равно #решётка\nC) "
         "{скобки} и : двоеточие\nD) обратная \\ черта",
         "D"},
        {"Что значит тег <b> и &amp; в HTML?\nA) <b> — жирный\nB) & — амперсанд\nC) ничего", "A"},
        {"[html] в начале строки\nA) %10% скидки\nB) %100% верно", "B"},
        {"// не комментарий\nA) да\nB) нет", "A"},
        {"::не название:: вопрос\nA) $CATEGORY: нет\nB) ]]> конец CDATA", "B"},
    };
    QList<aiken::Question> out;
    for (const QStringList& s : stored) {
        aiken::Question q;
        if (aiken::fromStored(s[0], s[1], &q, nullptr))
            out << q;
    }
    return out;
}

struct Format {
    const char* name;
    Reader read;
    Writer write;
};

const QList<Format>& formats()
{
    static const QList<Format> f{{"Moodle XML", moodlexml::read, moodlexml::write},
                                 {"GIFT", gift::read, gift::write},
                                 {"QTI", qti::read, qti::write}};
    return f;
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT

private slots:
    void plainTextOfMarkup_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<bool>("lineEnds");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lost");
        QTest::addColumn<QStringList>("changed");
        QTest::newRow("paragraphs, breaks, blanks")
            << "<p>Кто  написал\n«Мцыри»?</p><p>Вторая<br/>третья<BR></p>  " << false
            << "Кто написал «Мцыри»?\nВторая\nтретья" << QStringList{} << QStringList{};
        QTest::newRow("line ends are line ends in Moodle's auto-format")
            << "Кто\nнаписал" << true << "Кто\nнаписал" << QStringList{} << QStringList{};
        QTest::newRow("references") << "&laquo;&#171;&#xAB;&amp;lt; &nbsp;&mdash; &Omega;&sigmaf;" << false
                                    << "«««&lt; — Ως" << QStringList{} << QStringList{};
        QTest::newRow("an unknown reference, a bare ampersand and less-than")
            << "a &foo; b & c < d" << false << "a &foo; b & c < d"
            << QStringList{"обозначение «&foo;» оставлено как есть"} << QStringList{};
        QTest::newRow("formatting and a link are left behind")
            << "<b>Жирный</b> <a href=\"x\">ссылка</a> <span lang=\"ru\">текст</span>" << false << "Жирный ссылка текст"
            << QStringList{"оформление текста (<b>)", "адрес ссылки (<a>)"} << QStringList{};
        QTest::newRow("lists, numbered lists, a table")
            << "<ol><li>один</li><li>два</li></ol><ul><li>три</li></ul><table><tr><td>a</td><td>b</td></tr></table>"
            << false << "1. один\n2. два\nтри\na b" << QStringList{"таблица (её ячейки записаны через пробел)"}
            << QStringList{};
        QTest::newRow("scripts, styles and comments are not text")
            << "<style>p { color: red }</style><script>if (a < b) x();</script>текст<!-- <b>нет</b> -->" << false
            << "текст" << QStringList{} << QStringList{};
        QTest::newRow("pictures and indices change the meaning")
            << "H<sub>2</sub>O <img src=\"@@PLUGINFILE@@/a.png\"> x<sup>2</sup>" << false << "H2O x2" << QStringList{}
            << QStringList{"верхний или нижний индекс (<sub>)", "рисунок, звук, формула или другой объект (<img>)",
                           "верхний или нижний индекс (<sup>)"};
        QTest::newRow("a tag that never ends is text")
            << "a <b c" << false << "a <b c" << QStringList{} << QStringList{};
    }

    void plainTextOfMarkup()
    {
        QFETCH(QString, html);
        QFETCH(bool, lineEnds);
        plaintext::Findings found;
        QTEST(plaintext::fromHtml(html, lineEnds, &found), "text");
        QTEST(found.lost, "lost");
        QTEST(found.changed, "changed");
    }

    void readsMoodleXml_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("remarks");

        // The example of the format's documentation.
        QTest::newRow("the documentation's multichoice")
            << moodle(QStringLiteral(
                   "<question type=\"category\"><category><text>$course$/Литература</text></category></question>\n"
                   "<question type=\"multichoice\">\n"
                   "<name><text>Name of question</text></name>\n"
                   "<questiontext format=\"html\"><text>What is the answer to this question?</text></questiontext>\n"
                   "<answer fraction=\"100\"><text>The correct answer</text><feedback><text>Correct!</text>"
                   "</feedback></answer>\n"
                   "<answer fraction=\"0\"><text>A distractor</text><feedback><text>Ooops!</text></feedback></answer>\n"
                   "<answer fraction=\"0\"><text>Another distractor</text></answer>\n"
                   "<shuffleanswers>1</shuffleanswers><single>true</single><answernumbering>abc</answernumbering>\n"
                   "</question>\n"))
            << QStringList{"What is the answer to this question? | A) The correct answer | B) A distractor | C) "
                           "Another distractor → A"}
            << QStringList{"вопрос 1 «Name of question» (строка 4): не перенесено: отзывы"};
        QTest::newRow("CDATA with HTML, references, a penalty")
            << moodle(multichoice(QStringLiteral("<![CDATA[<p>Кто написал &laquo;Мцыри&raquo;?</p><p>Один "
                                                 "ответ.</p>]]>"),
                                  {"-33.33333|Пушкин", "100.0000000|Лермонтов &amp; никто больше"}))
            << QStringList{"Кто написал «Мцыри»? | Один ответ. | A) Пушкин | B) Лермонтов & никто больше → B"}
            << QStringList{"вопрос 1 (строка 3): не перенесено: штраф за неверный ответ"};
        QTest::newRow("plain text and Moodle's auto-format keep their line ends")
            << moodle(QStringLiteral("<question type=\"multichoice\"><questiontext format=\"plain_text\"><text>Тег "
                                     "&lt;b&gt;?\nвторая строка</text></questiontext>\n"
                                     "<answer fraction=\"0\" format=\"moodle_auto_format\"><text>a\nb</text></answer>"
                                     "<answer fraction=\"100\" format=\"plain_text\"><text>&lt;i&gt;</text></answer>"
                                     "</question>\n"))
            << QStringList{"Тег <b>? | вторая строка | A) a b | B) <i> → B"} << QStringList{};
        QTest::newRow("questions of other kinds are left out and named")
            << moodle(QStringLiteral("<question type=\"essay\"><name><text>Эссе</text></name></question>\n"
                                     "<question type=\"truefalse\"><name><text>Да или нет</text></name></question>\n") +
                      multichoice(QStringLiteral("<![CDATA[<b>Кто?</b>]]>"), {"0|a", "100|b"}))
            << QStringList{"Кто? | A) a | B) b → B"}
            << QStringList{"вопрос 1 «Эссе» (строка 3): не перенесён: эссе — переносятся только вопросы с "
                           "выбором одного ответа",
                           "вопрос 2 «Да или нет» (строка 4): не перенесён: вопрос «верно или неверно» — переносятся "
                           "только вопросы с выбором одного ответа",
                           "вопрос 3 (строка 5): не перенесено: оформление текста (<b>)"};
        const QString cyrillic = QStringLiteral("<question type=\"multichoice\"><questiontext><text>Пушкин?</text>"
                                                "</questiontext><answer fraction=\"100\"><text>да</text></answer>"
                                                "<answer fraction=\"0\"><text>нет</text></answer></question>");
        QTest::newRow("declared Windows-1251")
            << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<quiz>") + Cp1251::encode(cyrillic) +
                   "</quiz>"
            << QStringList{"Пушкин? | A) да | B) нет → A"} << QStringList{};
        QTest::newRow("UTF-16 with its mark")
            << QByteArray("\xFF\xFE") + utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><quiz>") +
                                                  cyrillic + QStringLiteral("</quiz>"),
                                              true)
            << QStringList{"Пушкин? | A) да | B) нет → A"} << QStringList{};
    }

    void readsMoodleXml()
    {
        QFETCH(QByteArray, file);
        const Imported imported = moodlexml::read(file);
        QTEST(shown(imported.questions), "questions");
        QTEST(lines(imported.remarks), "remarks");
    }

    void refusesMoodleXml_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("problems");
        const QString two = QStringLiteral("<answer fraction=\"100\"><text>a</text></answer>"
                                           "<answer fraction=\"0\"><text>b</text></answer>");
        QTest::newRow("several answers, partial credit, a picture: every question named")
            << moodle(multichoice("Кто?", {"50|a", "50|b"}, "<single>false</single>") +
                      multichoice("Что?", {"100|a", "0|b"}) +
                      multichoice("<![CDATA[<p>Кто на <img src=\"@@PLUGINFILE@@/p.png\">?</p>]]>", {"100|a", "0|b"}))
            << QStringList{"вопрос 1 (строка 3): частичная оценка варианта (50%); выбор нескольких ответов; ни один "
                           "вариант не верен полностью",
                           "вопрос 3 (строка 13): рисунок, звук, формула или другой объект (<img>)"};
        QTest::newRow("two right answers, six choices, none right")
            << moodle(multichoice("a", {"100|1", "100|2"}) +
                      multichoice("b", {"100|1", "0|2", "0|3", "0|4", "0|5", "0|6"}) + multichoice("c", {"0|1", "0|2"}))
            << QStringList{"вопрос 1 (строка 3): верных вариантов несколько (2), а здесь верен один",
                           "вопрос 2 (строка 8): вариантов ответа 6, а здесь их бывает не больше пяти (A–E)",
                           "вопрос 3 (строка 17): ни один вариант не верен полностью"};
        QTest::newRow("a stem line that would read as an option")
            << moodle(multichoice("<![CDATA[Кто?<br>A. Пушкин]]>", {"100|да", "0|нет"}))
            << QStringList{"вопрос 1 (строка 3): текст вопроса читался бы здесь с другими вариантами ответа "
                           "(ожидался вариант B, а стоит A)"};
        QTest::newRow("an attached file")
            << moodle(QStringLiteral("<question type=\"multichoice\"><questiontext><text>Кто?</text><file "
                                     "name=\"a.mp3\" encoding=\"base64\">AAAA</file></questiontext>") +
                      two + QStringLiteral("</question>"))
            << QStringList{"вопрос 1 (строка 3): вложенный файл (рисунок, звук)"};
        QTest::newRow("not well-formed") << moodle(QStringLiteral("<question type=\"multichoice\">\n<name></question>"))
                                         << QStringList{"строка 4: файл повреждён, это не правильный XML (Opening "
                                                        "and ending tag mismatch.)"};
        QTest::newRow("bytes not in the declared encoding")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\xCF\xF3</quiz>")
            << QStringList{"строка 1: файл повреждён, это не правильный XML (Encountered incorrectly encoded "
                           "content.)"};
        QTest::newRow("entities growing without bound") << kBomb.toUtf8() << QStringList{kDtdRefused};
        QTest::newRow("an entity never declared") << moodle(QStringLiteral("&xxe;"))
                                                  << QStringList{"строка 3: файл повреждён, это не правильный XML "
                                                                 "(Entity 'xxe' not declared.)"};
        QTest::newRow("another XML file") << QByteArray("<html><body/></html>")
                                          << QStringList{"строка 1: это не файл Moodle XML: в нём <html>, а не <quiz>"};
        QTest::newRow("no question to carry")
            << moodle(QStringLiteral("<question type=\"essay\"/>"))
            << QStringList{"в файле нет ни одного вопроса с выбором одного ответа из двух–пяти вариантов",
                           "вопрос 1 (строка 3): не перенесён: эссе — переносятся только вопросы с выбором одного "
                           "ответа"};
        QTest::newRow("empty file") << QByteArray()
                                    << QStringList{"строка 1: файл повреждён, это не правильный XML (Premature end "
                                                   "of document.)"};
    }

    void refusesMoodleXml()
    {
        QFETCH(QByteArray, file);
        QTEST(refusal(moodlexml::read, file), "problems");
    }

    void readsGift_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("remarks");
        // The examples of the format's documentation.
        QTest::newRow("multiple choice, missing word, answers on their lines")
            << "// question: 1 name: Grant's tomb\n"
               "::Grant's tomb::Who's buried in Grant's tomb?{~Grant ~Jefferson =no one}\n"
               "\n"
               "Grant is {~buried =entombed ~living} in Grant's tomb.\n"
               "\n\n"
               "The American holiday of Thanksgiving is celebrated on the {\n"
               "    ~second\n"
               "    ~third\n"
               "    =fourth\n"
               "} Thursday of November.\n"
            << QStringList{"Who's buried in Grant's tomb? | A) Grant | B) Jefferson | C) no one → C",
                           "Grant is _____ in Grant's tomb. | A) buried | B) entombed | C) living → B",
                           "The American holiday of Thanksgiving is celebrated on the _____ Thursday of November. | "
                           "A) second | B) third | C) fourth → C"}
            << QStringList{};
        QTest::newRow("feedback, a weight of 100, general feedback, a category")
            << "$CATEGORY: $course$/Спектр\n"
               "::Q2:: What's between orange and green in the spectrum?\n"
               "{ ~yellow # wrong ~red # wrong, it's yellow ~%100%жёлтый # right ####Это жёлтый.}\n"
            << QStringList{"What's between orange and green in the spectrum? | A) yellow | B) red | C) жёлтый → C"}
            << QStringList{"вопрос 1 «Q2» (строка 2): не перенесено: общий отзыв; отзывы к ответам"};
        QTest::newRow("escapes, line ends, formats")
            << "::Escapes::1 + 2 \\= 3\\: верно\\? \\{a\\} \\~ \\# \\\\ \\nвторая строка{=да ~нет}\n\n"
               "[html]<p>Кто <b>написал</b><br>«Мцыри»?\n</p>{=Лермонтов ~<i>Пушкин</i>}\n\n"
               "[plain]<b> — это тег?\nда, вторая строка{=да ~нет}\n"
            << QStringList{"1 + 2 = 3: верно\\? {a} ~ # \\ | вторая строка | A) да | B) нет → A",
                           "Кто написал | «Мцыри»? | A) Лермонтов | B) Пушкин → A",
                           "<b> — это тег? | да, вторая строка | A) да | B) нет → A"}
            << QStringList{"вопрос 2 (строка 3): не перенесено: оформление текста (<b>); оформление текста (<i>)"};
        QTest::newRow("other kinds left out and named")
            << "::TF::Grant is buried in Grant's tomb.{F}\n\n"
               "::SA::Who's buried in Grant's tomb?{=no one =nobody}\n\n"
               "::M::Match the capitals.{=Canada -> Ottawa =Italy -> Rome}\n\n"
               "::N::When was Ulysses S. Grant born?{#1822:5}\n\n"
               "::E::Write about Grant.{}\n\n"
               "Описание без ответов\n\n"
               "Кто?{=a ~b}\n"
            << QStringList{"Кто? | A) a | B) b → A"}
            << QStringList{"вопрос 1 «TF» (строка 1): не перенесён: вопрос «верно или неверно» — переносятся только "
                           "вопросы с выбором одного ответа",
                           "вопрос 2 «SA» (строка 3): не перенесён: вопрос с кратким ответом — переносятся только "
                           "вопросы с выбором одного ответа",
                           "вопрос 3 «M» (строка 5): не перенесён: вопрос на соответствие — переносятся только "
                           "вопросы с выбором одного ответа",
                           "вопрос 4 «N» (строка 7): не перенесён: числовой вопрос — переносятся только вопросы с "
                           "выбором одного ответа",
                           "вопрос 5 «E» (строка 9): не перенесён: эссе — переносятся только вопросы с выбором "
                           "одного ответа",
                           "вопрос 6 (строка 11): не перенесён: описание без ответов — переносятся только вопросы с "
                           "выбором одного ответа"};
    }

    void readsGift()
    {
        QFETCH(QString, text);
        const Imported imported = gift::parse(text);
        QTEST(shown(imported.questions), "questions");
        QTEST(lines(imported.remarks), "remarks");
    }

    void refusesGift_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("partial credit and two right answers")
            << QByteArray("Where?{~Jerusalem ~%25%Bethlehem ~%50%Galilee =Nazareth}\n\nКто?{=a =b ~c}\n")
            << QStringList{"вопрос 1 (строка 1): частичная оценка варианта (25%); частичная оценка варианта (50%)",
                           "вопрос 2 (строка 3): верных вариантов несколько (2), а здесь верен один"};
        QTest::newRow("broken syntax")
            << QByteArray("::Имя без конца Кто?{=a ~b}\n\nКто?{=a ~b\n\nКто?{=a ~b}{=c ~d}\n\nКто?{что =a ~b}\n")
            << QStringList{"вопрос 1 (строка 1): название вопроса после «::» не закрыто знаками «::»",
                           "вопрос 2 (строка 3): после ответов нет закрывающей скобки «}»",
                           "вопрос 3 (строка 5): у вопроса больше одного блока ответов «{…}»",
                           "вопрос 4 (строка 7): в скобках перед первым ответом «=» или «~» стоит текст"};
        QTest::newRow("a zero byte") << QByteArray("Кто?{=a ~b}\n\0", 16)
                                     << QStringList{"строка 2: нулевой байт — это не текстовый файл"};
        QTest::newRow("a picture in HTML")
            << QByteArray("[html]<img src=\"a.png\">{=a ~b}")
            << QStringList{"вопрос 1 (строка 1): рисунок, звук, формула или другой объект (<img>); нет текста "
                           "вопроса"};
    }

    void refusesGift()
    {
        QFETCH(QByteArray, file);
        QTEST(refusal(gift::read, file), "problems");
    }

    void giftEncodings_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QString text = QStringLiteral("Кто написал «Мцыри»?{=Лермонтов ~Пушкин}\r\n");
        QTest::newRow("UTF-8") << text.toUtf8();
        QTest::newRow("UTF-8 with its mark") << "\xEF\xBB\xBF" + text.toUtf8();
        QTest::newRow("Windows-1251") << Cp1251::encode(text);
        QTest::newRow("UTF-16 LE with its mark") << "\xFF\xFE" + utf16(text, true);
    }

    void giftEncodings()
    {
        QFETCH(QByteArray, file);
        QCOMPARE(shown(gift::read(file).questions), QStringList{"Кто написал «Мцыри»? | A) Лермонтов | B) Пушкин → A"});
    }

    void readsQti_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("remarks");
        QTest::newRow("a choice with a prompt, choices out of order")
            << package(
                   item(QStringLiteral("<p>Прочтите вопрос.</p><choiceInteraction responseIdentifier=\"RESPONSE\" "
                                       "shuffle=\"true\" maxChoices=\"1\"><prompt>Кто написал <em>«Отцы и "
                                       "дети»</em>?</prompt><simpleChoice identifier=\"ChoiceB\">Гончаров"
                                       "</simpleChoice><simpleChoice identifier=\"ChoiceA\">Тургенев<feedbackInline "
                                       "outcomeIdentifier=\"FEEDBACK\" identifier=\"ChoiceA\">Верно</feedbackInline>"
                                       "</simpleChoice></choiceInteraction>"),
                        QStringLiteral("ChoiceA")))
            << QStringList{"Прочтите вопрос. | Кто написал «Отцы и дети»? | A) Гончаров | B) Тургенев → B"}
            << QStringList{"вопрос 1 «Вопрос» (файл q.xml, строка 2): не перенесено: оформление текста (<em>); "
                           "отзывы"};
        QTest::newRow("maxChoices left to its default, items in folders, a percent-encoded name")
            << qti::pack({{QStringLiteral("imsmanifest.xml"),
                           manifest({QStringLiteral("./items/%D0%B2.xml"), QStringLiteral("items/text.xml")})},
                          {QStringLiteral("items/в.xml"), item(QStringLiteral("<div>Кто?</div>") + choices({}))},
                          {QStringLiteral("items/text.xml"),
                           item(QStringLiteral("<p>Напишите <textEntryInteraction responseIdentifier=\"RESPONSE\"/>"
                                               "</p>"))}})
            << QStringList{"Кто? | A) Тургенев | B) Гончаров → A"}
            << QStringList{"вопрос 2 «Вопрос» (файл items/text.xml, строка 2): не перенесён: вопрос типа "
                           "<textEntryInteraction> — переносятся только вопросы с выбором одного ответа"};
    }

    void readsQti()
    {
        QFETCH(QByteArray, file);
        const Imported imported = qti::read(file);
        QTEST(shown(imported.questions), "questions");
        QTEST(lines(imported.remarks), "remarks");
    }

    void refusesQti_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("problems");
        const QByteArray good = package(item(QStringLiteral("<p>Кто?</p>") + choices()));
        QTest::newRow("not a ZIP archive")
            << QByteArray("<manifest/>") << QStringList{"это не архив ZIP или архив повреждён"};
        QTest::newRow("an archive cut short")
            << good.left(good.size() / 2) << QStringList{"это не архив ZIP или архив повреждён"};
        QByteArray flipped = good;
        const qsizetype at = flipped.indexOf("q.xml") + 5 + 60; // inside the item's compressed bytes
        flipped[at] = char(flipped[at] ^ 0x55);
        QTest::newRow("damaged data") << flipped << QStringList{"файл q.xml: файл в архиве повреждён"};
        QTest::newRow("a file outside the package's folder")
            << qti::pack({{QStringLiteral("imsmanifest.xml"), manifest({QStringLiteral("q.xml")})},
                          {QStringLiteral("q.xml"), item(choices())},
                          {QStringLiteral("../../.bashrc"), QByteArray("x")}})
            << QStringList{"путь «../../.bashrc» выходит за папку пакета («..»)"};
        QTest::newRow("an absolute path") << qti::pack({{QStringLiteral("/etc/passwd"), QByteArray("x")}})
                                          << QStringList{"путь «/etc/passwd» в пакете абсолютный"};
        QTest::newRow("a manifest naming a file outside")
            << qti::pack({{QStringLiteral("imsmanifest.xml"), manifest({QStringLiteral("a/../../q.xml")})}})
            << QStringList{"файл imsmanifest.xml, строка 5: путь «a/../../q.xml» выходит за папку пакета («..»)"};
        QTest::newRow("no manifest") << qti::pack({{QStringLiteral("q.xml"), item(choices())}})
                                     << QStringList{"в пакете нет манифеста imsmanifest.xml: это не пакет IMS QTI"};
        QTest::newRow("an item file missing")
            << qti::pack({{QStringLiteral("imsmanifest.xml"), manifest({QStringLiteral("q.xml")})}})
            << QStringList{"файл imsmanifest.xml, строка 5: файла вопроса «q.xml» из манифеста в пакете нет"};
        QTest::newRow("several choices allowed")
            << package(item(QStringLiteral("<p>Кто?</p>") + choices(QStringLiteral("maxChoices=\"0\""))))
            << QStringList{"вопрос 1 «Вопрос» (файл q.xml, строка 2): выбор нескольких ответов"};
        QTest::newRow("partial credit by a mapping")
            << package(item(QStringLiteral("<p>Кто?</p>") + choices(), QStringLiteral("A"),
                            QStringLiteral("<mapping><mapEntry mapKey=\"A\" mappedValue=\"1\"/><mapEntry mapKey=\"B\" "
                                           "mappedValue=\"0.5\"/></mapping>")))
            << QStringList{"вопрос 1 «Вопрос» (файл q.xml, строка 2): частичная оценка варианта «B»"};
        QTest::newRow("a correct response that is no choice")
            << package(item(QStringLiteral("<p>Кто?</p>") + choices(), QStringLiteral("C")))
            << QStringList{"вопрос 1 «Вопрос» (файл q.xml, строка 2): верный ответ «C» — не вариант этого вопроса"};
        QTest::newRow("a formula")
            << package(item(QStringLiteral("<p>Чему равно <math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mi>x"
                                           "</mi></math>?</p>") +
                            choices()))
            << QStringList{"вопрос 1 «Вопрос» (файл q.xml, строка 2): рисунок, звук, формула или другой объект "
                           "(<math>)"};
        QTest::newRow("entities growing without bound")
            << package(kBomb.toUtf8()) << QStringList{QStringLiteral("файл q.xml, ") + kDtdRefused};
        QTest::newRow("an item not well-formed")
            << package(item(QStringLiteral("<p>Кто?") + choices()))
            << QStringList{"файл q.xml, строка 4: файл повреждён, это не правильный XML (Opening and ending tag "
                           "mismatch.)"};
    }

    void refusesQti()
    {
        QFETCH(QByteArray, file);
        QTEST(refusal(qti::read, file), "problems");
    }

    // A small archive that unpacks to more than any question bank.
    void refusesAPackageThatUnpacksTooLarge()
    {
        const QByteArray bomb = qti::pack({{QStringLiteral("imsmanifest.xml"), manifest({QStringLiteral("q.xml")})},
                                           {QStringLiteral("q.xml"), QByteArray(exchange::kLargestFile + 1, ' ')}});
        QVERIFY(bomb.size() < 1024 * 1024);
        QCOMPARE(refusal(qti::read, bomb),
                 QStringList{"файл q.xml: распакованные файлы пакета больше 64 МБ, это не пакет вопросов"});
    }

    void roundTrips_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QList<aiken::Question>>("questions");
        const QList<aiken::Question> demo = demoQuestions();
        QVERIFY(demo.size() >= 40);
        for (int f = 0; f < formats().size(); ++f) {
            QTest::addRow("%s, the demo course", formats()[f].name) << f << demo;
            QTest::addRow("%s, special characters", formats()[f].name) << f << trickyQuestions();
        }
    }

    void roundTrips()
    {
        QFETCH(int, format);
        QFETCH(QList<aiken::Question>, questions);
        QCOMPARE(questions.size() > 4, true);
        const QByteArray file = formats()[format].write(QStringLiteral("Пушкин / Лермонтов"), questions);
        QVERIFY(!file.startsWith("\xEF\xBB\xBF"));
        const Imported back = formats()[format].read(file);
        QCOMPARE(shown(back.questions), shown(questions));
        QCOMPARE(lines(back.remarks), QStringList{});
    }

    void writtenFiles()
    {
        const QList<aiken::Question> questions = trickyQuestions();
        // GIFT: the special characters escaped; the category named after the topic.
        const QString giftText = QString::fromUtf8(gift::write(QStringLiteral("Темы/подтемы"), questions));
        QVERIFY(
            giftText.startsWith(QStringLiteral("$CATEGORY: $course$/Темы//подтемы\r\n\r\nКакие знаки особые в "
                                               "GIFT\\: \\~ \\= \\# \\{ \\} \\: и \\\\?\\nвторая строка\\: «a\\\\nb» "
                                               "{\r\n\t~\\~тильда\r\n\t~\\=равно \\#решётка\r\n")));
        QVERIFY(giftText.contains(QStringLiteral("\r\n[plain]Что значит тег <b> и &amp; в HTML? {\r\n")));
        QVERIFY(giftText.contains(QStringLiteral("\r\n[plain][html] в начале строки {\r\n\t~%0%%10% скидки\r\n\t=%100%"
                                                 "%100% верно\r\n}\r\n")));
        QVERIFY(giftText.contains(QStringLiteral("\r\n[plain]// не комментарий {\r\n")));

        // Moodle XML and the QTI package: well-formed XML, every item named by the manifest.
        QXmlStreamReader xml(moodlexml::write(QStringLiteral("Тема"), questions));
        while (!xml.atEnd())
            xml.readNext();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(moodlexml::write(QStringLiteral("Тема"), questions).left(39),
                 QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"));

        const QByteArray package = qti::write(QStringLiteral("Тема"), questions);
        QStringList files;
        QByteArray manifestFile;
        for (const auto& [path, bytes] : qti::unpack(package)) {
            if (path == u"imsmanifest.xml")
                manifestFile = bytes;
            else
                files << path;
        }
        QStringList hrefs;
        QXmlStreamReader m(manifestFile);
        while (!m.atEnd())
            if (m.readNext() == QXmlStreamReader::StartElement && m.name() == u"resource")
                hrefs << m.attributes().value(QLatin1String("href")).toString();
        QVERIFY(!m.hasError());
        QCOMPARE(hrefs, files);
        QCOMPARE(files.size(), questions.size());
    }

    void giftRefusesToWriteAMatchingArrow()
    {
        aiken::Question q;
        QVERIFY(aiken::fromStored(QStringLiteral("Что?\nA) a -> b\nB) c"), QStringLiteral("A"), &q, nullptr));
        QString why;
        QVERIFY(!gift::writable(q, &why));
        QCOMPARE(why, QStringLiteral("в варианте A стоит «->», а так GIFT обозначает вопрос на соответствие"));
        QVERIFY(aiken::fromStored(QStringLiteral("Что?\nA) a\x01\nB) c"), QStringLiteral("A"), &q, nullptr));
        QVERIFY(!exchange::xmlWritable(q, &why));
        QCOMPARE(why, QStringLiteral("в тексте есть знак U+0001, которого в XML быть не может"));
    }
};

QTEST_APPLESS_MAIN(TestExchange)
#include "tst_exchange.moc"
