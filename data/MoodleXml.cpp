#include "data/MoodleXml.h"

#include "data/PlainText.h"

#include <QHash>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

using exchange::Draft;
using plaintext::Markup;

namespace {

// A text of the file with its format: <questiontext>, <answer>, <feedback> ...
struct Text {
    QString format;
    QString text;
    bool files = false; // <file> elements: pictures or sound that the text shows
    QString feedback;   // an answer's <feedback>
    QString fraction;   // an answer's fraction
};

Markup markupOf(const QString& format)
{
    if (format == u"html")
        return Markup::Html;
    if (format == u"plain_text" || format == u"markdown")
        return Markup::None;
    return Markup::HtmlWithLineEnds; // "moodle_auto_format", Moodle's default
}

// The element the reader stands at, read to its end.
Text readText(QXmlStreamReader& r)
{
    Text t;
    t.format = r.attributes().value(QLatin1String("format")).toString();
    t.fraction = r.attributes().value(QLatin1String("fraction")).toString();
    while (r.readNextStartElement()) {
        if (r.name() == u"text") {
            t.text += r.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (r.name() == u"file") {
            t.files = true;
            r.skipCurrentElement();
        } else if (r.name() == u"feedback") {
            const Text f = readText(r);
            t.feedback = plaintext::fromMarkup(f.text, markupOf(f.format), nullptr);
        } else {
            r.skipCurrentElement();
        }
    }
    return t;
}

QString otherKind(const QString& type)
{
    static const QHash<QString, QString> kinds{
        {QStringLiteral("truefalse"), QStringLiteral("вопрос «верно или неверно»")},
        {QStringLiteral("shortanswer"), QStringLiteral("вопрос с кратким ответом")},
        {QStringLiteral("essay"), QStringLiteral("эссе")},
        {QStringLiteral("matching"), QStringLiteral("вопрос на соответствие")},
        {QStringLiteral("numerical"), QStringLiteral("числовой вопрос")},
        {QStringLiteral("cloze"), QStringLiteral("вопрос с пропусками")},
        {QStringLiteral("description"), QStringLiteral("описание, а не вопрос")},
    };
    return kinds.value(type, QStringLiteral("вопрос типа «%1»").arg(type)) +
           QStringLiteral(" — переносятся только вопросы с выбором одного ответа");
}

void readQuestion(QXmlStreamReader& r, int number, exchange::Collector& collector)
{
    const QString type = r.attributes().value(QLatin1String("type")).toString();
    Draft d;
    d.where = {number, {}, {}, int(r.lineNumber())};
    plaintext::Findings& found = d.found;
    bool single = true;
    bool feedback = false;
    while (r.readNextStartElement()) {
        const QStringView name = r.name();
        if (name == u"name") {
            d.where.name = readText(r).text.simplified();
        } else if (name == u"questiontext") {
            const Text t = readText(r);
            d.stem = plaintext::fromMarkup(t.text, markupOf(t.format), &found);
            if (t.files)
                found.change(QStringLiteral("вложенный файл (рисунок, звук)"));
        } else if (name == u"answer") {
            const Text t = readText(r);
            d.choices << plaintext::fromMarkup(t.text, markupOf(t.format), &found);
            if (t.files)
                found.change(QStringLiteral("вложенный файл (рисунок, звук)"));
            feedback = feedback || !t.feedback.isEmpty();
            d.weigh(t.fraction.isEmpty() ? QStringLiteral("0") : t.fraction);
        } else if (name == u"single") {
            const QString value = r.readElementText().trimmed().toLower();
            single = !(value == u"false" || value == u"0");
        } else if (name == u"generalfeedback" || name == u"correctfeedback" || name == u"partiallycorrectfeedback" ||
                   name == u"incorrectfeedback") {
            const Text t = readText(r);
            feedback = feedback || !plaintext::fromMarkup(t.text, markupOf(t.format), nullptr).isEmpty();
        } else if (name == u"hint") {
            if (!readText(r).text.trimmed().isEmpty())
                found.lose(QStringLiteral("подсказки"));
        } else {
            r.skipCurrentElement();
        }
    }
    if (type != u"multichoice") {
        d.otherKind = otherKind(type);
    } else {
        if (!single)
            found.change(QStringLiteral("выбор нескольких ответов"));
        if (feedback)
            found.lose(QStringLiteral("отзывы"));
    }
    collector.take(std::move(d));
}

} // namespace

namespace moodlexml {

exchange::Imported read(const QByteArray& bytes)
{
    QXmlStreamReader r(bytes);
    const QString root = exchange::openXml(r);
    if (root != u"quiz")
        throw exchange::FormatError({{exchange::Place{0, {}, {}, int(r.lineNumber())},
                                      QStringLiteral("это не файл Moodle XML: в нём <%1>, а не <quiz>").arg(root)}});
    exchange::Collector collector;
    int number = 0;
    while (r.readNextStartElement()) {
        if (r.name() == u"question" && r.attributes().value(QLatin1String("type")) != u"category")
            readQuestion(r, ++number, collector);
        else
            r.skipCurrentElement();
    }
    while (!r.atEnd())
        r.readNext();
    exchange::checkXml(r);
    return collector.finish();
}

QByteArray write(const QString& topic, const QList<aiken::Question>& questions)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("quiz"));

    // The topic as the category the questions go to ("/" in a name is "//").
    w.writeStartElement(QStringLiteral("question"));
    w.writeAttribute(QStringLiteral("type"), QStringLiteral("category"));
    w.writeStartElement(QStringLiteral("category"));
    w.writeTextElement(QStringLiteral("text"),
                       QStringLiteral("$course$/") + QString(topic).replace(u'/', QStringLiteral("//")));
    w.writeEndElement();
    w.writeEndElement();

    for (const aiken::Question& q : questions) {
        const exchange::Item item = exchange::itemOf(q);
        w.writeStartElement(QStringLiteral("question"));
        w.writeAttribute(QStringLiteral("type"), QStringLiteral("multichoice"));
        w.writeStartElement(QStringLiteral("name"));
        w.writeTextElement(QStringLiteral("text"), exchange::titleOf(item));
        w.writeEndElement();

        QStringList lines;
        for (const QString& line : item.stem)
            lines << plaintext::escaped(line);
        w.writeStartElement(QStringLiteral("questiontext"));
        w.writeAttribute(QStringLiteral("format"), QStringLiteral("html"));
        w.writeStartElement(QStringLiteral("text"));
        w.writeCDATA(QStringLiteral("<p>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>"));
        w.writeEndElement();
        w.writeEndElement();

        w.writeTextElement(QStringLiteral("defaultgrade"), QStringLiteral("1"));
        w.writeTextElement(QStringLiteral("penalty"), QStringLiteral("0"));
        w.writeTextElement(QStringLiteral("hidden"), QStringLiteral("0"));
        w.writeTextElement(QStringLiteral("single"), QStringLiteral("true"));
        // The stem may speak of the choices by letter: they keep their order and letters.
        w.writeTextElement(QStringLiteral("shuffleanswers"), QStringLiteral("false"));
        w.writeTextElement(QStringLiteral("answernumbering"), QStringLiteral("ABCD"));
        for (int i = 0; i < item.choices.size(); ++i) {
            w.writeStartElement(QStringLiteral("answer"));
            w.writeAttribute(QStringLiteral("fraction"), i == item.right ? QStringLiteral("100") : QStringLiteral("0"));
            w.writeAttribute(QStringLiteral("format"), QStringLiteral("html"));
            w.writeTextElement(QStringLiteral("text"), plaintext::escaped(item.choices[i]));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndDocument();
    if (w.hasError())
        throw Error(QStringLiteral("Файл Moodle XML не составлен: в вопросах есть знаки, которых в XML быть не может"));
    return out;
}

} // namespace moodlexml
