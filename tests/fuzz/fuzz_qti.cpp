// Fuzzing the IMS QTI 2.1 package reader (rule: tests/fuzz/ExchangeRule.h).
// Built by default as the deterministic mutation loop, `fuzz_qti [inputs
// [seed]]`: the mutations work on an item file, which goes into a package
// with its manifest; one package in eight then has bytes of the archive
// itself changed. With -DNORVENA_LIBFUZZER=ON and clang a libFuzzer target
// on the package's bytes.

#include "data/Qti.h"
#include "tests/fuzz/ExchangeRule.h"

namespace {

QString fault(const QByteArray& file, bool* accepted)
{
    // The archive carries the time it was made: the bytes written again may differ.
    return fuzz::exchangeFault(
        file, accepted, qti::read,
        [](const QList<aiken::Question>& q) { return qti::write(QStringLiteral("Тема"), q); },
        [](const aiken::Question& q) { return exchange::xmlWritable(q, nullptr); }, false);
}

} // namespace

#ifdef NORVENA_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz::oneInput(data, size, fault); }

#else

namespace {

const QByteArray kManifest("<?xml version=\"1.0\"?>\n<manifest xmlns=\"http://www.imsglobal.org/xsd/imscp_v1p1\" "
                           "identifier=\"m\"><resources><resource identifier=\"i\" type=\"imsqti_item_xmlv2p1\" "
                           "href=\"items/q.xml\"><file href=\"items/q.xml\"/></resource></resources></manifest>\n");

QByteArray packageOf(const QByteArray& item)
{
    QByteArray package =
        qti::pack({{QStringLiteral("imsmanifest.xml"), kManifest}, {QStringLiteral("items/q.xml"), item}});
    // FNV-1a: the same for the same item in every run (Qt's hashes need not be).
    quint64 hash = 14695981039346656037ull;
    for (const char c : item)
        hash = (hash ^ quint8(c)) * 1099511628211ull;
    if (hash % 8 == 0 && !package.isEmpty())
        package[qsizetype((hash / 8) % quint64(package.size()))] ^= char(1 + (hash >> 20) % 255);
    return package;
}

} // namespace

int main(int argc, char** argv)
{
    // A damaged archive makes the ZIP reader seek beyond its bytes, which Qt warns of.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (!message.startsWith(u"QBuffer::seek"))
            std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "warning: " : "", qPrintable(message));
    });
    const QString item = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<assessmentItem xmlns=\"http://www.imsglobal.org/xsd/imsqti_v2p1\" identifier=\"q\" title=\"Мцыри\" "
        "adaptive=\"false\" timeDependent=\"false\">\n"
        "<responseDeclaration identifier=\"RESPONSE\" cardinality=\"single\" baseType=\"identifier\">"
        "<correctResponse><value>B</value></correctResponse></responseDeclaration>\n"
        "<itemBody><p>Кто написал <em>«Мцыри»</em>?<br/>Одно имя.</p>"
        "<choiceInteraction responseIdentifier=\"RESPONSE\" shuffle=\"false\" maxChoices=\"1\">"
        "<prompt>Выберите</prompt><simpleChoice identifier=\"A\">Пушкин</simpleChoice>"
        "<simpleChoice identifier=\"B\">Лермонтов<feedbackInline identifier=\"B\" outcomeIdentifier=\"F\">да"
        "</feedbackInline></simpleChoice><simpleChoice identifier=\"C\">&lt;b&gt; &amp;</simpleChoice>"
        "</choiceInteraction></itemBody>\n"
        "<responseProcessing template=\"http://www.imsglobal.org/question/qti_v2p1/rptemplates/match_correct\"/>\n"
        "</assessmentItem>\n");
    const QList<QByteArray> seeds{item.toUtf8()};
    const QList<QByteArray> tokens{"<simpleChoice identifier=\"D\">",
                                   "</simpleChoice>",
                                   "maxChoices=\"0\"",
                                   "cardinality=\"multiple\"",
                                   "<value>A</value>",
                                   "<p>",
                                   "</p>",
                                   "<br/>",
                                   "<img/>",
                                   "<textEntryInteraction/>",
                                   "<choiceInteraction>",
                                   "</choiceInteraction>",
                                   "<mapping><mapEntry mapKey=\"A\" mappedValue=\"0.5\"/></mapping>",
                                   "&amp;",
                                   "<!DOCTYPE a>",
                                   "A. ",
                                   "\n",
                                   "\xFF"};
    return fuzz::loop("fuzz_qti", argc, argv, seeds, tokens, fault, packageOf);
}

#endif
