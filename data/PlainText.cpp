#include "data/PlainText.h"

#include <QHash>
#include <QRegularExpression>

namespace {

enum class Kind {
    Neutral, // <span>, <body> ...: nothing of its own
    Hidden,  // <script>, <style> ...: what it holds is not shown
    Break,   // <br>
    Block,   // <p>, <div> ...: starts and ends a line
    Preformatted,
    List, // <ul>
    NumberedList,
    ListItem,
    Cell, // <td>, <th>
    Table,
    Formatting, // <b>, <i> ...
    Link,
    Index,  // <sub>, <sup>: "H2O", "x2" would mean something else
    Object, // pictures, sound, film, formulas, form fields
    Unknown,
};

Kind kindOf(QStringView name)
{
    static const QHash<QString, Kind> kinds = [] {
        QHash<QString, Kind> k;
        const auto put = [&k](std::initializer_list<const char*> names, Kind kind) {
            for (const char* n : names)
                k.insert(QString::fromLatin1(n), kind);
        };
        put({"span", "html", "body", "label", "nobr", "wbr", "bdi", "bdo", "time", "data"}, Kind::Neutral);
        put({"script", "style", "head", "title", "noscript", "template"}, Kind::Hidden);
        put({"br"}, Kind::Break);
        put({"p",          "div",     "blockquote", "h1",      "h2",   "h3",       "h4",     "h5",      "h6",
             "hr",         "thead",   "tbody",      "tfoot",   "tr",   "caption",  "dl",     "dt",      "dd",
             "section",    "article", "header",     "footer",  "nav",  "aside",    "center", "address", "figure",
             "figcaption", "main",    "details",    "summary", "form", "fieldset", "legend"},
            Kind::Block);
        put({"pre", "listing", "xmp"}, Kind::Preformatted);
        put({"ul", "menu", "dir"}, Kind::List);
        put({"ol"}, Kind::NumberedList);
        put({"li"}, Kind::ListItem);
        put({"td", "th"}, Kind::Cell);
        put({"table"}, Kind::Table);
        put({"b",   "strong", "i",  "em",  "u",    "s",   "strike", "del", "ins",  "font",    "mark", "small",
             "big", "code",   "tt", "kbd", "samp", "var", "cite",   "dfn", "abbr", "acronym", "q",    "blink"},
            Kind::Formatting);
        put({"a"}, Kind::Link);
        put({"sub", "sup"}, Kind::Index);
        put({"img",   "image",  "audio", "video",  "object",  "embed",  "iframe",
             "frame", "svg",    "math",  "canvas", "picture", "applet", "map",
             "area",  "source", "track", "input",  "button",  "select", "textarea"},
            Kind::Object);
        return k;
    }();
    return kinds.value(name.toString().toLower(), Kind::Unknown);
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

const QHash<QString, char32_t>& namedCharacters()
{
    static const QHash<QString, char32_t> table = [] {
        QHash<QString, char32_t> t;
        // The Latin-1 references, U+00A0 to U+00FF in order.
        const char* latin1[] = {
            "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
            "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
            "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
            "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
            "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
            "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
            "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
            "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
            "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
            "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
        for (int i = 0; i < 96; ++i)
            t.insert(QString::fromLatin1(latin1[i]), char32_t(0xA0 + i));
        // The Greek letters, capitals from U+0391 and small from U+03B1 (U+03A2 is no letter).
        const char* greek[] = {"lpha", "eta",   "amma",   "elta", "psilon", "eta",    "ta",  "heta", "ota",
                               "appa", "ambda", "u",      "u",    "i",      "micron", "i",   "ho",   nullptr,
                               "igma", "au",    "psilon", "hi",   "hi",     "si",     "mega"};
        const char* initials = "ABGDEZETIKLMNXOPR_STUPCPO";
        for (int i = 0; i < 25; ++i) {
            if (!greek[i])
                continue;
            const QString rest = QString::fromLatin1(greek[i]);
            const QChar first = QChar::fromLatin1(initials[i]);
            t.insert(first + rest, char32_t(0x391 + i));
            t.insert(first.toLower() + rest, char32_t(0x3B1 + i));
        }
        t.insert(QStringLiteral("sigmaf"), 0x3C2);
        const std::pair<const char*, char32_t> others[] = {
            {"quot", 34},     {"amp", 38},      {"apos", 39},     {"lt", 60},       {"gt", 62},       {"OElig", 338},
            {"oelig", 339},   {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},    {"fnof", 402},    {"circ", 710},
            {"tilde", 732},   {"ensp", 8194},   {"emsp", 8195},   {"thinsp", 8201}, {"zwnj", 8204},   {"zwj", 8205},
            {"lrm", 8206},    {"rlm", 8207},    {"ndash", 8211},  {"mdash", 8212},  {"lsquo", 8216},  {"rsquo", 8217},
            {"sbquo", 8218},  {"ldquo", 8220},  {"rdquo", 8221},  {"bdquo", 8222},  {"dagger", 8224}, {"Dagger", 8225},
            {"bull", 8226},   {"hellip", 8230}, {"permil", 8240}, {"prime", 8242},  {"Prime", 8243},  {"lsaquo", 8249},
            {"rsaquo", 8250}, {"oline", 8254},  {"frasl", 8260},  {"euro", 8364},   {"numero", 8470}, {"trade", 8482},
            {"larr", 8592},   {"uarr", 8593},   {"rarr", 8594},   {"darr", 8595},   {"harr", 8596},   {"minus", 8722},
            {"radic", 8730},  {"infin", 8734},  {"asymp", 8776},  {"ne", 8800},     {"equiv", 8801},  {"le", 8804},
            {"ge", 8805},     {"sum", 8721},    {"prod", 8719},   {"loz", 9674},    {"hearts", 9829}, {"NewLine", 10},
            {"Tab", 9}};
        for (const auto& [name, code] : others)
            t.insert(QString::fromLatin1(name), code);
        return t;
    }();
    return table;
}

QString fromCode(char32_t code) { return QString::fromUcs4(&code, 1); }

// The character of a numeric reference's digits, or 0 when they name none
// that a text may hold.
char32_t numericCharacter(QStringView digits, int base)
{
    bool ok = false;
    const qulonglong code = digits.toULongLong(&ok, base);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return char32_t(code);
}

// A tag name's characters: letters, digits, and a prefix's colon.
bool isNameCharacter(QChar c) { return c.isLetterOrNumber() || c == u':' || c == u'-' || c == u'_'; }

} // namespace

namespace plaintext {

void Findings::lose(const QString& what)
{
    if (!lost.contains(what))
        lost << what;
}

void Findings::change(const QString& what)
{
    if (!changed.contains(what))
        changed << what;
}

void Builder::characters(QStringView text)
{
    if (m_hidden > 0)
        return;
    for (const QChar c : text) {
        if ((c == u'\n' || c == u'\r') && (m_newlinesBreak || m_preformatted > 0))
            lineBreak();
        else
            m_line += isBlank(c) ? QChar(u' ') : c;
    }
}

void Builder::open(QStringView name)
{
    const QString tag = name.toString().toLower();
    switch (kindOf(name)) {
    case Kind::Neutral:
        break;
    case Kind::Hidden:
        ++m_hidden;
        break;
    case Kind::Break:
        lineBreak();
        break;
    case Kind::Block:
        lineBreak();
        break;
    case Kind::Preformatted:
        lineBreak();
        ++m_preformatted;
        break;
    case Kind::List:
        lineBreak();
        m_numbers << 0;
        break;
    case Kind::NumberedList:
        lineBreak();
        m_numbers << 1;
        break;
    case Kind::ListItem:
        lineBreak();
        if (!m_numbers.isEmpty() && m_numbers.last() > 0)
            m_line += QString::number(m_numbers.last()++) + QStringLiteral(". ");
        break;
    case Kind::Cell:
        m_line += u' ';
        break;
    case Kind::Table:
        lineBreak();
        findings.lose(QStringLiteral("таблица (её ячейки записаны через пробел)"));
        break;
    case Kind::Formatting:
        findings.lose(QStringLiteral("оформление текста (<%1>)").arg(tag));
        break;
    case Kind::Link:
        findings.lose(QStringLiteral("адрес ссылки (<a>)"));
        break;
    case Kind::Index:
        findings.change(QStringLiteral("верхний или нижний индекс (<%1>)").arg(tag));
        break;
    case Kind::Object:
        findings.change(QStringLiteral("рисунок, звук, формула или другой объект (<%1>)").arg(tag));
        break;
    case Kind::Unknown:
        findings.lose(QStringLiteral("разметка <%1>").arg(tag));
        break;
    }
}

void Builder::close(QStringView name)
{
    switch (kindOf(name)) {
    case Kind::Hidden:
        m_hidden = qMax(0, m_hidden - 1);
        break;
    case Kind::Block:
    case Kind::ListItem:
    case Kind::Table:
        lineBreak();
        break;
    case Kind::Preformatted:
        lineBreak();
        m_preformatted = qMax(0, m_preformatted - 1);
        break;
    case Kind::List:
    case Kind::NumberedList:
        lineBreak();
        if (!m_numbers.isEmpty())
            m_numbers.removeLast();
        break;
    case Kind::Cell:
        m_line += u' ';
        break;
    default:
        break;
    }
}

void Builder::lineBreak()
{
    m_lines << m_line;
    m_line.clear();
}

QString Builder::text() const { return normalised((m_lines + QStringList{m_line}).join(u'\n')); }

QString fromHtml(QStringView html, bool newlinesBreak, Findings* findings)
{
    Builder out(newlinesBreak);
    QString run; // characters not yet given to the builder
    const auto flush = [&] {
        out.characters(run);
        run.clear();
    };
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = html[i];
        if (c == u'<' && i + 1 < n) {
            const QChar next = html[i + 1];
            if (html.sliced(i).startsWith(u"<!--")) {
                flush();
                const qsizetype end = html.indexOf(u"-->", i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            if (html.sliced(i).startsWith(u"<![CDATA[")) {
                flush();
                const qsizetype end = html.indexOf(u"]]>", i + 9);
                out.characters(html.sliced(i + 9, (end < 0 ? n : end) - i - 9));
                i = end < 0 ? n : end + 3;
                continue;
            }
            const bool closing = next == u'/';
            const qsizetype nameAt = i + (closing ? 2 : 1);
            if (next == u'!' || next == u'?' || (nameAt < n && html[nameAt].isLetter())) {
                // The tag runs to its ">", quoted attribute values included.
                qsizetype end = nameAt;
                QChar quote;
                while (end < n && (html[end] != u'>' || !quote.isNull())) {
                    if (quote.isNull() && (html[end] == u'"' || html[end] == u'\''))
                        quote = html[end];
                    else if (html[end] == quote)
                        quote = QChar();
                    ++end;
                }
                if (end >= n) { // no ">": the rest is no tag
                    run += c;
                    ++i;
                    continue;
                }
                flush();
                qsizetype nameEnd = nameAt;
                while (nameEnd < n && isNameCharacter(html[nameEnd]))
                    ++nameEnd;
                const QStringView name = html.sliced(nameAt, nameEnd - nameAt);
                i = end + 1;
                if (next == u'!' || next == u'?')
                    continue; // a declaration or a processing instruction
                if (closing) {
                    out.close(name);
                    continue;
                }
                out.open(name);
                if (kindOf(name) == Kind::Hidden) {
                    // Its content is raw text up to its end tag.
                    const QString endTag = QStringLiteral("</") + name.toString();
                    const qsizetype close = html.indexOf(endTag, i, Qt::CaseInsensitive);
                    i = close < 0 ? n : close;
                } else if (html[end - 1] == u'/' && kindOf(name) != Kind::Break) {
                    out.close(name); // <p/> in XHTML written as HTML
                }
                continue;
            }
        }
        if (c == u'&') {
            const qsizetype semicolon = html.indexOf(u';', i + 1);
            if (semicolon > i + 1 && semicolon - i <= 40) {
                const QStringView name = html.sliced(i + 1, semicolon - i - 1);
                char32_t code = 0;
                if (name.startsWith(u"#x") || name.startsWith(u"#X"))
                    code = numericCharacter(name.sliced(2), 16);
                else if (name.startsWith(u'#'))
                    code = numericCharacter(name.sliced(1), 10);
                else
                    code = namedCharacters().value(name.toString(), 0);
                if (code != 0) {
                    run += fromCode(code);
                    i = semicolon + 1;
                    continue;
                }
                bool word = !name.isEmpty();
                for (const QChar ch : name)
                    word = word && (ch.isLetterOrNumber() || ch == u'#');
                if (word)
                    out.findings.lose(QStringLiteral("обозначение «&%1;» оставлено как есть").arg(name));
            }
        }
        run += c;
        ++i;
    }
    flush();
    if (findings) {
        for (const QString& l : out.findings.lost)
            findings->lose(l);
        for (const QString& ch : out.findings.changed)
            findings->change(ch);
    }
    return out.text();
}

QString fromMarkup(QStringView text, Markup markup, Findings* findings)
{
    return markup == Markup::None ? normalised(text) : fromHtml(text, markup == Markup::HtmlWithLineEnds, findings);
}

QString normalised(QStringView text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines;
    for (const QString& line : text.toString().split(breaks)) {
        const QString simple = QString(line).remove(QChar(0xFEFF)).simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines.join(u'\n');
}

QString namedCharacter(QStringView name)
{
    const char32_t code = namedCharacters().value(name.toString(), 0);
    return code == 0 ? QString() : fromCode(code);
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return out;
}

} // namespace plaintext
