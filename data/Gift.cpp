#include "data/Gift.h"

#include "data/PlainText.h"

#include <QRegularExpression>

using exchange::Draft;
using plaintext::Markup;

namespace {

const QString kSpecial = QStringLiteral("~=#{}:\\");

// Where `what` first stands in `text` from `from` on, not after a "\"; -1
// when it does not.
qsizetype findPlain(QStringView text, QStringView what, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (text.sliced(i).startsWith(what))
            return i;
    }
    return -1;
}

// The text with its escapes read: "\~" is "~" ..., "\n" a line end; a "\"
// before any other character stays.
QString unescaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (kSpecial.contains(next)) {
                out += next;
                ++i;
                continue;
            }
            if (next == u'n') {
                out += u'\n';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString escapedText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (kSpecial.contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

QString otherKind(const QString& kind)
{
    return kind + QStringLiteral(" — переносятся только вопросы с выбором одного ответа");
}

// One question of the file: its lines joined by "\n", comments left out.
void readQuestion(QString text, int number, int line, exchange::Collector& collector)
{
    Draft d;
    d.where = {number, {}, {}, line};
    if (text.startsWith(u"::")) {
        const qsizetype end = findPlain(text, u"::", 2);
        if (end < 0) {
            collector.fail(d.where, QStringLiteral("название вопроса после «::» не закрыто знаками «::»"));
            return;
        }
        d.where.name = unescaped(QStringView(text).sliced(2, end - 2)).simplified();
        text = text.mid(end + 2).trimmed();
    }
    Markup markup = Markup::HtmlWithLineEnds; // [moodle], the default
    static const QRegularExpression format(QStringLiteral(R"(^\[(html|moodle|plain|markdown)\])"));
    const QRegularExpressionMatch f = format.match(text);
    if (f.hasMatch()) {
        markup = f.captured(1) == u"html"     ? Markup::Html
                 : f.captured(1) == u"moodle" ? Markup::HtmlWithLineEnds
                                              : Markup::None;
        text = text.mid(f.capturedLength());
    }

    const qsizetype open = findPlain(text, u"{");
    if (open < 0) {
        d.otherKind = otherKind(QStringLiteral("описание без ответов"));
        collector.take(std::move(d));
        return;
    }
    const qsizetype close = findPlain(text, u"}", open + 1);
    if (close < 0) {
        collector.fail(d.where, QStringLiteral("после ответов нет закрывающей скобки «}»"));
        return;
    }
    const QString tail = text.mid(close + 1);
    if (findPlain(tail, u"{") >= 0) {
        collector.fail(d.where, QStringLiteral("у вопроса больше одного блока ответов «{…}»"));
        return;
    }
    // Answers in the middle of the text leave a gap there.
    const QString stem = text.left(open) + (tail.trimmed().isEmpty() ? QString() : QStringLiteral(" _____ ") + tail);
    QString answers = text.mid(open + 1, close - open - 1).trimmed();

    static const QRegularExpression trueFalse(QStringLiteral(R"(^(T|F|TRUE|FALSE)\s*(#|$))"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (answers.isEmpty())
        d.otherKind = otherKind(QStringLiteral("эссе"));
    else if (answers.startsWith(u'#'))
        d.otherKind = otherKind(QStringLiteral("числовой вопрос"));
    else if (trueFalse.match(answers).hasMatch())
        d.otherKind = otherKind(QStringLiteral("вопрос «верно или неверно»"));
    if (!d.otherKind.isEmpty()) {
        collector.take(std::move(d));
        return;
    }

    const qsizetype general = findPlain(answers, u"####");
    if (general >= 0) {
        if (!answers.mid(general + 4).trimmed().isEmpty())
            d.found.lose(QStringLiteral("общий отзыв"));
        answers.truncate(general);
    }
    // Each answer runs from its "=" or "~" to the next one.
    QList<qsizetype> starts;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        if (answers[i] == u'\\')
            ++i;
        else if (answers[i] == u'=' || answers[i] == u'~')
            starts << i;
    }
    if (starts.isEmpty()) {
        collector.fail(d.where, QStringLiteral("в скобках нет ответов «=…» или «~…»"));
        return;
    }
    if (!answers.left(starts.first()).trimmed().isEmpty()) {
        collector.fail(d.where, QStringLiteral("в скобках перед первым ответом «=» или «~» стоит текст"));
        return;
    }
    bool wrongOnes = false, matching = false;
    for (int i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : answers.size();
        wrongOnes = wrongOnes || answers[starts[i]] == u'~';
        matching = matching || findPlain(QStringView(answers).sliced(starts[i], end - starts[i]), u"->") >= 0;
    }
    if (!wrongOnes) {
        d.otherKind =
            otherKind(matching ? QStringLiteral("вопрос на соответствие") : QStringLiteral("вопрос с кратким ответом"));
        collector.take(std::move(d));
        return;
    }

    d.stem = plaintext::fromMarkup(unescaped(stem), markup, &d.found);
    static const QRegularExpression weight(QStringLiteral(R"(^\s*%(-?\d+(?:[.,]\d+)?)%)"));
    for (int i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : answers.size();
        QString body = answers.mid(starts[i] + 1, end - starts[i] - 1);
        QString percent = answers[starts[i]] == u'=' ? QStringLiteral("100") : QStringLiteral("0");
        const QRegularExpressionMatch w = weight.match(body);
        if (w.hasMatch()) {
            percent = w.captured(1).replace(u',', u'.');
            body = body.mid(w.capturedLength());
        }
        const qsizetype feedback = findPlain(body, u"#");
        if (feedback >= 0) {
            if (!body.mid(feedback + 1).trimmed().isEmpty())
                d.found.lose(QStringLiteral("отзывы к ответам"));
            body.truncate(feedback);
        }
        d.choices << plaintext::fromMarkup(unescaped(body), markup, &d.found);
        d.weigh(percent);
    }
    collector.take(std::move(d));
}

bool isBlank(const QString& line)
{
    for (const QChar c : line)
        if (!c.isSpace())
            return false;
    return true;
}

} // namespace

namespace gift {

exchange::Imported read(const QByteArray& bytes)
{
    QString text;
    try {
        text = aiken::decode(bytes);
    } catch (const aiken::FormatError& e) {
        QList<exchange::Remark> problems;
        for (const auto& p : e.problems())
            problems.append({exchange::Place{0, {}, {}, p.line}, p.what});
        throw exchange::FormatError(problems);
    }
    return parse(text);
}

exchange::Imported parse(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = QString(text).remove(QChar(0xFEFF)).split(breaks);
    exchange::Collector collector;
    int number = 0;
    QStringList block;
    int start = 0;
    const auto end = [&] {
        if (block.isEmpty())
            return;
        // A category line names where the questions after it go; a question
        // may follow it without a blank line.
        if (block.first().trimmed().startsWith(u"$CATEGORY:")) {
            block.removeFirst();
            ++start;
        }
        const QString question = block.join(u'\n').trimmed();
        block.clear();
        if (!question.isEmpty())
            readQuestion(question, ++number, start, collector);
    };
    for (int i = 0; i < lines.size(); ++i) {
        if (isBlank(lines[i])) {
            end();
            continue;
        }
        if (lines[i].trimmed().startsWith(u"//"))
            continue;
        if (block.isEmpty())
            start = i + 1;
        block << lines[i];
    }
    end();
    return collector.finish();
}

bool writable(const aiken::Question& question, QString* problem)
{
    const exchange::Item item = exchange::itemOf(question);
    for (int i = 0; i < item.choices.size(); ++i) {
        if (item.choices[i].contains(u"->")) {
            if (problem)
                *problem = QStringLiteral("в варианте %1 стоит «->», а так GIFT обозначает вопрос на соответствие")
                               .arg(QChar(u'A' + i));
            return false;
        }
    }
    return true;
}

QByteArray write(const QString& topic, const QList<aiken::Question>& questions)
{
    QString out = QStringLiteral("$CATEGORY: $course$/") + QString(topic).replace(u'/', QStringLiteral("//")) +
                  QStringLiteral("\r\n");
    for (const aiken::Question& q : questions) {
        const exchange::Item item = exchange::itemOf(q);
        // Without a format a text is Moodle's [moodle]: HTML would be taken
        // as markup, "[html]" at the start as a format and "//" as a comment.
        bool plain = item.stem.value(0).startsWith(u'[') || item.stem.value(0).startsWith(u"//");
        for (const QString& t : item.stem + item.choices)
            plain = plain || t.contains(u'<') || t.contains(u'&');
        QStringList stem;
        for (const QString& line : item.stem)
            stem << escapedText(line);
        out += QStringLiteral("\r\n") + (plain ? QStringLiteral("[plain]") : QString()) +
               stem.join(QStringLiteral("\\n")) + QStringLiteral(" {\r\n");
        for (int i = 0; i < item.choices.size(); ++i) {
            const bool right = i == item.right;
            out += right ? QStringLiteral("\t=") : QStringLiteral("\t~");
            // A choice that starts like a weight is given its weight first.
            if (item.choices[i].startsWith(u'%'))
                out += right ? QStringLiteral("%100%") : QStringLiteral("%0%");
            out += escapedText(item.choices[i]) + QStringLiteral("\r\n");
        }
        out += QStringLiteral("}\r\n");
    }
    return out.toUtf8();
}

} // namespace gift
