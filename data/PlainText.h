#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Marked-up text (HTML as the other test systems store it, XHTML inside an
// IMS QTI item) turned into the plain text a question holds: lines, their
// blanks as one space. What the markup carried beyond text is told: what is
// left behind (bold type, a link's address ...) and what would change the
// question's meaning if it were left behind (a picture, a formula, a
// superscript).
namespace plaintext {

struct Findings {
    QStringList lost;    // not carried; the text keeps its meaning
    QStringList changed; // not carried, and the text would mean something else

    void lose(const QString& what);
    void change(const QString& what);
};

// Builds the text from the events of a markup: characters, and elements
// opened and closed by name (their local name; HTML's in any case). One
// builder serves the HTML reader below and the QTI reader's walk over an
// item's XHTML.
class Builder {
public:
    // newlinesBreak: a line end in the characters ends a line (Moodle's
    // "auto-format"); otherwise it is a blank like any other, as in HTML.
    explicit Builder(bool newlinesBreak = false) : m_newlinesBreak(newlinesBreak) {}

    void characters(QStringView text);
    void open(QStringView name);
    void close(QStringView name);
    void lineBreak();

    // The text: its lines, each with its blanks as one space, blank lines
    // left out, joined by "\n".
    QString text() const;

    Findings findings;

private:
    bool m_newlinesBreak;
    QStringList m_lines;
    QString m_line;
    int m_hidden = 0;       // inside <script>, <style> ...: text not shown
    int m_preformatted = 0; // inside <pre>: line ends end lines
    QList<int> m_numbers;   // the open lists: 0 for <ul>, the next item's number for <ol>
};

// The text of an HTML fragment: tags, comments and character references
// (&amp; &laquo; &#171; &#xAB;) read as a browser reads them; a reference
// of a name not known here stays as it is written, and is told.
QString fromHtml(QStringView html, bool newlinesBreak, Findings* findings);

// How a text of the other systems is marked up: HTML; HTML whose line ends
// are line ends too (Moodle's "auto-format", GIFT's [moodle]); none
// (plain text, and Markdown, whose marks stay as they are written).
enum class Markup { Html, HtmlWithLineEnds, None };

QString fromMarkup(QStringView text, Markup markup, Findings* findings);

// Text without markup, as a question holds it: lines split at CR LF, LF or
// CR, each with its blanks as one space, blank lines left out, joined by "\n".
QString normalised(QStringView text);

// The character a named HTML reference stands for; empty when the name is
// not known here.
QString namedCharacter(QStringView name);

// "&", "<" and ">" of a text written as HTML character references.
QString escaped(const QString& text);

} // namespace plaintext
