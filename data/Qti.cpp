#include "data/Qti.h"

#include "data/PlainText.h"

#include <QBuffer>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

using exchange::Draft;
using exchange::FormatError;
using exchange::Place;

namespace {

const QString kManifest = QStringLiteral("imsmanifest.xml");
const QString kItemType = QStringLiteral("imsqti_item_xmlv2p1");
const QString kQtiNamespace = QStringLiteral("http://www.imsglobal.org/xsd/imsqti_v2p1");
const QString kMatchCorrect = QStringLiteral("http://www.imsglobal.org/question/qti_v2p1/rptemplates/match_correct");

[[noreturn]] void refuse(const QString& what, const QString& file = {}, int line = 0)
{
    throw FormatError({{Place{0, {}, file, line}, what}});
}

// Why a path inside the package leaves the package's folder; empty when it
// stays inside.
QString leaving(const QString& path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    const QString p = QString(path).replace(u'\\', u'/');
    if (p.startsWith(u'/') || drive.match(p).hasMatch())
        return QStringLiteral("путь «%1» в пакете абсолютный").arg(path);
    if (p.split(u'/').contains(QStringLiteral("..")))
        return QStringLiteral("путь «%1» выходит за папку пакета («..»)").arg(path);
    return {};
}

// The package read from its ZIP archive, its files unpacked as they are asked for.
class Package {
public:
    explicit Package(const QByteArray& bytes) : m_bytes(bytes), m_buffer(&m_bytes), m_zip(&m_buffer)
    {
        m_zip.setUtf8Enabled(false); // names marked UTF-8 are read as UTF-8 all the same
        if (!m_zip.open(QuaZip::mdUnzip))
            refuse(QStringLiteral("это не архив ZIP или архив повреждён"));
        const QList<QuaZipFileInfo64> entries = m_zip.getFileInfoList64();
        if (m_zip.getZipError() != UNZ_OK)
            refuse(QStringLiteral("архив ZIP повреждён: его оглавление не читается"));
        for (const QuaZipFileInfo64& e : entries) {
            const QString why = leaving(e.name);
            if (!why.isEmpty())
                refuse(why);
            m_entries.insert(QString(e.name).replace(u'\\', u'/'), e);
            m_order << QString(e.name).replace(u'\\', u'/');
        }
    }

    bool has(const QString& path) const { return m_entries.contains(path); }
    QStringList paths() const { return m_order; }

    // The file's bytes; refused when it is damaged, encrypted, or when the
    // files unpacked so far would hold more than the largest file an
    // import reads.
    QByteArray file(const QString& path)
    {
        const QuaZipFileInfo64 info = m_entries.value(path);
        if (info.isEncrypted())
            refuse(QStringLiteral("файл зашифрован"), path);
        if (qint64(info.uncompressedSize) > exchange::kLargestFile - m_unpacked)
            tooLarge(path);
        if (!m_zip.setCurrentFile(info.name, QuaZip::csSensitive))
            refuse(QStringLiteral("файл в архиве не читается"), path);
        QuaZipFile f(&m_zip);
        if (!f.open(QIODevice::ReadOnly))
            refuse(QStringLiteral("файл в архиве не читается"), path);
        QByteArray data;
        char chunk[64 * 1024];
        for (;;) {
            const qint64 n = f.read(chunk, sizeof chunk);
            if (n < 0)
                refuse(QStringLiteral("файл в архиве повреждён"), path);
            if (n == 0)
                break;
            m_unpacked += n;
            if (m_unpacked > exchange::kLargestFile)
                tooLarge(path);
            data.append(chunk, n);
        }
        f.close();
        if (f.getZipError() != UNZ_OK)
            refuse(QStringLiteral("файл в архиве повреждён (не сходится контрольная сумма)"), path);
        return data;
    }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    QuaZip m_zip;
    QHash<QString, QuaZipFileInfo64> m_entries;
    QStringList m_order;
    qint64 m_unpacked = 0;

    [[noreturn]] static void tooLarge(const QString& path)
    {
        refuse(QStringLiteral("распакованные файлы пакета больше %1 МБ, это не пакет вопросов")
                   .arg(exchange::kLargestFile / (1024 * 1024)),
               path);
    }
};

// The item files that the manifest names, in its order, each with the line
// of its resource.
QList<std::pair<QString, int>> itemFiles(const QByteArray& manifest)
{
    QXmlStreamReader r(manifest);
    const QString root = exchange::openXml(r, kManifest);
    if (root != u"manifest")
        refuse(QStringLiteral("это не манифест пакета: в нём <%1>, а не <manifest>").arg(root), kManifest,
               int(r.lineNumber()));
    QList<std::pair<QString, int>> items;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement() || r.name() != u"resource")
            continue;
        const QString type = r.attributes().value(QLatin1String("type")).toString();
        if (!type.startsWith(kItemType))
            continue;
        const QString href = QUrl::fromPercentEncoding(r.attributes().value(QLatin1String("href")).toUtf8());
        const int line = int(r.lineNumber());
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
        if (href.isEmpty())
            refuse(QStringLiteral("у ресурса вопроса нет атрибута href"), kManifest, line);
        if (scheme.match(href).hasMatch())
            refuse(QStringLiteral("вопрос «%1» лежит вне пакета").arg(href), kManifest, line);
        const QString why = leaving(href);
        if (!why.isEmpty())
            refuse(why, kManifest, line);
        QString path = href;
        while (path.startsWith(QStringLiteral("./")))
            path.remove(0, 2);
        items.append({path, line});
    }
    exchange::checkXml(r, kManifest);
    return items;
}

// The parts of an item found while its body is walked.
struct Body {
    plaintext::Builder stem;
    QString prompt;
    QStringList choices;
    QStringList identifiers;
    QString responseIdentifier;
    QString maxChoices;
    int interactions = 0;
    QString otherInteraction;
};

void merge(plaintext::Findings& into, const plaintext::Findings& from)
{
    for (const QString& l : from.lost)
        into.lose(l);
    for (const QString& c : from.changed)
        into.change(c);
}

void walk(QXmlStreamReader& r, plaintext::Builder& text, Body& body, Draft& d);

// A choice's or the prompt's text: the element the reader stands at.
QString content(QXmlStreamReader& r, Body& body, Draft& d)
{
    plaintext::Builder text;
    walk(r, text, body, d);
    merge(d.found, text.findings);
    return text.text();
}

void interaction(QXmlStreamReader& r, Body& body, Draft& d)
{
    ++body.interactions;
    body.responseIdentifier = r.attributes().value(QLatin1String("responseIdentifier")).toString();
    body.maxChoices = r.attributes().hasAttribute(QLatin1String("maxChoices"))
                          ? r.attributes().value(QLatin1String("maxChoices")).toString()
                          : QStringLiteral("1");
    while (r.readNextStartElement()) {
        if (r.name() == u"prompt") {
            body.prompt = content(r, body, d);
        } else if (r.name() == u"simpleChoice") {
            body.identifiers << r.attributes().value(QLatin1String("identifier")).toString();
            body.choices << content(r, body, d);
        } else {
            r.skipCurrentElement();
        }
    }
}

// The element's content up to its end: text into `text`, the interaction
// into `body`.
void walk(QXmlStreamReader& r, plaintext::Builder& text, Body& body, Draft& d)
{
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isCharacters()) {
            text.characters(r.text());
        } else if (r.isEndElement()) {
            if (depth-- == 0)
                return;
            text.close(r.name());
        } else if (r.isStartElement()) {
            const QStringView name = r.name();
            if (name == u"choiceInteraction") {
                interaction(r, body, d);
            } else if (name.endsWith(u"Interaction")) {
                ++body.interactions;
                body.otherInteraction = name.toString();
                r.skipCurrentElement();
            } else if (name == u"feedbackBlock" || name == u"feedbackInline") {
                d.found.lose(QStringLiteral("отзывы"));
                r.skipCurrentElement();
            } else if (name == u"rubricBlock") {
                d.found.lose(QStringLiteral("пояснения для проверяющих (<rubricBlock>)"));
                r.skipCurrentElement();
            } else if (name == u"printedVariable" || name == u"templateBlock" || name == u"templateInline") {
                d.found.change(QStringLiteral("переменные шаблона (<%1>)").arg(name));
                r.skipCurrentElement();
            } else {
                text.open(name);
                ++depth;
            }
        }
    }
}

struct Declaration {
    QString cardinality;
    QStringList correct;
    QHash<QString, double> mapping;
};

void readItem(const QByteArray& xml, const QString& file, int number, exchange::Collector& collector)
{
    QXmlStreamReader r(xml);
    const QString root = exchange::openXml(r, file);
    if (root != u"assessmentItem")
        refuse(QStringLiteral("это не вопрос QTI: в файле <%1>, а не <assessmentItem>").arg(root), file,
               int(r.lineNumber()));
    Draft d;
    d.where = {number, r.attributes().value(QLatin1String("title")).toString(), file, int(r.lineNumber())};
    QHash<QString, Declaration> declarations;
    Body body;
    bool customProcessing = false;
    while (r.readNextStartElement()) {
        const QStringView name = r.name();
        if (name == u"responseDeclaration") {
            Declaration& decl = declarations[r.attributes().value(QLatin1String("identifier")).toString()];
            decl.cardinality = r.attributes().value(QLatin1String("cardinality")).toString();
            while (r.readNextStartElement()) {
                if (r.name() == u"correctResponse") {
                    while (r.readNextStartElement())
                        if (r.name() == u"value")
                            decl.correct << r.readElementText().trimmed();
                        else
                            r.skipCurrentElement();
                } else if (r.name() == u"mapping") {
                    while (r.readNextStartElement()) {
                        if (r.name() == u"mapEntry")
                            decl.mapping.insert(r.attributes().value(QLatin1String("mapKey")).toString().trimmed(),
                                                r.attributes().value(QLatin1String("mappedValue")).toDouble());
                        r.skipCurrentElement();
                    }
                } else {
                    r.skipCurrentElement();
                }
            }
        } else if (name == u"templateDeclaration" || name == u"templateProcessing") {
            d.found.change(QStringLiteral("вопрос с переменными (<%1>)").arg(name));
            r.skipCurrentElement();
        } else if (name == u"itemBody") {
            walk(r, body.stem, body, d);
        } else if (name == u"responseProcessing") {
            customProcessing = !r.attributes().hasAttribute(QLatin1String("template")) &&
                               !r.attributes().hasAttribute(QLatin1String("templateLocation"));
            r.skipCurrentElement();
        } else if (name == u"modalFeedback") {
            d.found.lose(QStringLiteral("отзывы"));
            r.skipCurrentElement();
        } else {
            r.skipCurrentElement();
        }
    }
    while (!r.atEnd())
        r.readNext();
    exchange::checkXml(r, file);

    if (body.interactions == 0) {
        d.otherKind = QStringLiteral("в вопросе нет выбора ответа (<choiceInteraction>)");
    } else if (body.interactions > 1 || !body.otherInteraction.isEmpty()) {
        d.otherKind =
            (body.otherInteraction.isEmpty() ? QStringLiteral("вопрос с несколькими взаимодействиями")
                                             : QStringLiteral("вопрос типа <%1>").arg(body.otherInteraction)) +
            QStringLiteral(" — переносятся только вопросы с выбором одного ответа");
    }
    if (!d.otherKind.isEmpty()) {
        collector.take(std::move(d));
        return;
    }
    merge(d.found, body.stem.findings);
    d.stem = body.stem.text() + u'\n' + body.prompt;
    d.choices = body.choices;
    if (!declarations.contains(body.responseIdentifier)) {
        collector.fail(d.where, QStringLiteral("нет объявления ответа <responseDeclaration identifier=\"%1\">")
                                    .arg(body.responseIdentifier));
        return;
    }
    const Declaration& decl = declarations[body.responseIdentifier];
    if (body.maxChoices != u"1" || (decl.cardinality != u"single" && !decl.cardinality.isEmpty()))
        d.found.change(QStringLiteral("выбор нескольких ответов"));
    if (customProcessing)
        d.found.lose(QStringLiteral("собственные правила оценки (<responseProcessing>)"));
    for (const QString& value : decl.correct) {
        const qsizetype at = body.identifiers.indexOf(value);
        if (at < 0) {
            collector.fail(d.where, QStringLiteral("верный ответ «%1» — не вариант этого вопроса").arg(value));
            return;
        }
        d.right << int(at);
    }
    for (auto it = decl.mapping.cbegin(); it != decl.mapping.cend(); ++it) {
        if (decl.correct.contains(it.key()))
            continue;
        if (it.value() > 0)
            d.found.change(QStringLiteral("частичная оценка варианта «%1»").arg(it.key()));
        else if (it.value() < 0)
            d.found.lose(QStringLiteral("штраф за неверный ответ"));
    }
    collector.take(std::move(d));
}

QByteArray itemXml(const exchange::Item& item, const QString& identifier)
{
    static const QString letters = QStringLiteral("ABCDE");
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeDefaultNamespace(kQtiNamespace);
    w.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("xsi"));
    w.writeStartElement(kQtiNamespace, QStringLiteral("assessmentItem"));
    w.writeAttribute(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"), QStringLiteral("schemaLocation"),
                     kQtiNamespace + QStringLiteral(" http://www.imsglobal.org/xsd/qti/qtiv2p1/imsqti_v2p1.xsd"));
    w.writeAttribute(QStringLiteral("identifier"), identifier);
    w.writeAttribute(QStringLiteral("title"), exchange::titleOf(item));
    w.writeAttribute(QStringLiteral("adaptive"), QStringLiteral("false"));
    w.writeAttribute(QStringLiteral("timeDependent"), QStringLiteral("false"));

    w.writeStartElement(kQtiNamespace, QStringLiteral("responseDeclaration"));
    w.writeAttribute(QStringLiteral("identifier"), QStringLiteral("RESPONSE"));
    w.writeAttribute(QStringLiteral("cardinality"), QStringLiteral("single"));
    w.writeAttribute(QStringLiteral("baseType"), QStringLiteral("identifier"));
    w.writeStartElement(kQtiNamespace, QStringLiteral("correctResponse"));
    w.writeTextElement(kQtiNamespace, QStringLiteral("value"), letters.mid(item.right, 1));
    w.writeEndElement();
    w.writeEndElement();

    w.writeStartElement(kQtiNamespace, QStringLiteral("outcomeDeclaration"));
    w.writeAttribute(QStringLiteral("identifier"), QStringLiteral("SCORE"));
    w.writeAttribute(QStringLiteral("cardinality"), QStringLiteral("single"));
    w.writeAttribute(QStringLiteral("baseType"), QStringLiteral("float"));
    w.writeStartElement(kQtiNamespace, QStringLiteral("defaultValue"));
    w.writeTextElement(kQtiNamespace, QStringLiteral("value"), QStringLiteral("0"));
    w.writeEndElement();
    w.writeEndElement();

    w.writeStartElement(kQtiNamespace, QStringLiteral("itemBody"));
    w.writeStartElement(kQtiNamespace, QStringLiteral("p"));
    for (int i = 0; i < item.stem.size(); ++i) {
        if (i > 0)
            w.writeEmptyElement(kQtiNamespace, QStringLiteral("br"));
        w.writeCharacters(item.stem[i]);
    }
    w.writeEndElement();
    w.writeStartElement(kQtiNamespace, QStringLiteral("choiceInteraction"));
    w.writeAttribute(QStringLiteral("responseIdentifier"), QStringLiteral("RESPONSE"));
    // The stem may speak of the choices by letter: they keep their order.
    w.writeAttribute(QStringLiteral("shuffle"), QStringLiteral("false"));
    w.writeAttribute(QStringLiteral("maxChoices"), QStringLiteral("1"));
    for (int i = 0; i < item.choices.size(); ++i) {
        w.writeStartElement(kQtiNamespace, QStringLiteral("simpleChoice"));
        w.writeAttribute(QStringLiteral("identifier"), letters.mid(i, 1));
        w.writeCharacters(item.choices[i]);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();

    w.writeEmptyElement(kQtiNamespace, QStringLiteral("responseProcessing"));
    w.writeAttribute(QStringLiteral("template"), kMatchCorrect);
    w.writeEndDocument();
    if (w.hasError())
        throw Error(QStringLiteral("Пакет QTI не составлен: в вопросах есть знаки, которых в XML быть не может"));
    return out;
}

QByteArray manifestXml(const QString& topic, const QStringList& identifiers, const QStringList& files)
{
    const QString cp = QStringLiteral("http://www.imsglobal.org/xsd/imscp_v1p1");
    const QString xsi = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeDefaultNamespace(cp);
    w.writeNamespace(xsi, QStringLiteral("xsi"));
    w.writeStartElement(cp, QStringLiteral("manifest"));
    w.writeAttribute(QStringLiteral("identifier"), QStringLiteral("manifest"));
    w.writeAttribute(xsi, QStringLiteral("schemaLocation"),
                     cp + QStringLiteral(" http://www.imsglobal.org/xsd/qti/qtiv2p1/qtiv2p1_imscpv1p2_v1p0.xsd"));
    w.writeStartElement(cp, QStringLiteral("metadata"));
    w.writeTextElement(cp, QStringLiteral("schema"), QStringLiteral("QTIv2.1 Package"));
    w.writeTextElement(cp, QStringLiteral("schemaversion"), QStringLiteral("1.0.0"));
    w.writeEndElement();
    w.writeComment(QStringLiteral(" ") + QString(topic).replace(QStringLiteral("--"), QStringLiteral("- -")) +
                   QStringLiteral(" "));
    w.writeEmptyElement(cp, QStringLiteral("organizations"));
    w.writeStartElement(cp, QStringLiteral("resources"));
    for (int i = 0; i < files.size(); ++i) {
        w.writeStartElement(cp, QStringLiteral("resource"));
        w.writeAttribute(QStringLiteral("identifier"), identifiers[i]);
        w.writeAttribute(QStringLiteral("type"), kItemType);
        w.writeAttribute(QStringLiteral("href"), files[i]);
        w.writeEmptyElement(cp, QStringLiteral("file"));
        w.writeAttribute(QStringLiteral("href"), files[i]);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

} // namespace

namespace qti {

exchange::Imported read(const QByteArray& bytes)
{
    Package package(bytes);
    if (!package.has(kManifest))
        refuse(QStringLiteral("в пакете нет манифеста imsmanifest.xml: это не пакет IMS QTI"));
    const QList<std::pair<QString, int>> items = itemFiles(package.file(kManifest));
    exchange::Collector collector;
    int number = 0;
    for (const auto& [path, line] : items) {
        if (!package.has(path))
            refuse(QStringLiteral("файла вопроса «%1» из манифеста в пакете нет").arg(path), kManifest, line);
        readItem(package.file(path), path, ++number, collector);
    }
    return collector.finish();
}

QByteArray write(const QString& topic, const QList<aiken::Question>& questions)
{
    QList<std::pair<QString, QByteArray>> files;
    QStringList identifiers, paths;
    for (int i = 0; i < questions.size(); ++i) {
        const QString identifier = QStringLiteral("item%1").arg(i + 1);
        const QString path = QStringLiteral("items/%1.xml").arg(identifier);
        files.append({path, itemXml(exchange::itemOf(questions[i]), identifier)});
        identifiers << identifier;
        paths << path;
    }
    files.prepend({kManifest, manifestXml(topic, identifiers, paths)});
    return pack(files);
}

QList<std::pair<QString, QByteArray>> unpack(const QByteArray& archive)
{
    Package package(archive);
    QList<std::pair<QString, QByteArray>> files;
    for (const QString& path : package.paths())
        files.append({path, package.file(path)});
    return files;
}

QByteArray pack(const QList<std::pair<QString, QByteArray>>& files)
{
    QByteArray out;
    {
        QBuffer buffer(&out);
        QuaZip zip(&buffer);
        zip.setUtf8Enabled(true);
        if (!zip.open(QuaZip::mdCreate))
            throw Error(QStringLiteral("Архив ZIP не составлен (ошибка %1)").arg(zip.getZipError()));
        for (const auto& [path, bytes] : files) {
            QuaZipFile f(&zip);
            if (!f.open(QIODevice::WriteOnly, QuaZipNewInfo(path)) || f.write(bytes) != bytes.size())
                throw Error(QStringLiteral("Архив ZIP не составлен (ошибка %1)").arg(f.getZipError()));
            f.close();
            if (f.getZipError() != ZIP_OK)
                throw Error(QStringLiteral("Архив ZIP не составлен (ошибка %1)").arg(f.getZipError()));
        }
        zip.close();
        if (zip.getZipError() != ZIP_OK)
            throw Error(QStringLiteral("Архив ZIP не составлен (ошибка %1)").arg(zip.getZipError()));
    }
    return out;
}

} // namespace qti
