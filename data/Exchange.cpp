#include "data/Exchange.h"

#include "data/PlainText.h"

#include <QXmlStreamReader>

namespace {

// How many remarks a message names; the rest are counted.
constexpr int kNamed = 10;

const QString kLetters = QStringLiteral("ABCDE");

QString shortened(const QString& text, int most)
{
    if (text.size() <= most)
        return text;
    QString cut = text.left(most);
    const qsizetype blank = cut.lastIndexOf(u' ');
    if (blank > most / 2)
        cut.truncate(blank);
    return cut + u'…';
}

} // namespace

namespace exchange {

QString describe(const Place& place)
{
    QStringList where;
    if (!place.file.isEmpty())
        where << QStringLiteral("файл %1").arg(place.file);
    if (place.line > 0)
        where << QStringLiteral("строка %1").arg(place.line);
    if (place.number <= 0)
        return where.join(QStringLiteral(", "));
    QString text = QStringLiteral("вопрос %1").arg(place.number);
    if (!place.name.trimmed().isEmpty())
        text += QStringLiteral(" «%1»").arg(shortened(place.name.simplified(), 60));
    if (!where.isEmpty())
        text += QStringLiteral(" (%1)").arg(where.join(QStringLiteral(", ")));
    return text;
}

QString describe(const QList<Remark>& remarks)
{
    QStringList lines;
    for (int i = 0; i < remarks.size() && i < kNamed; ++i) {
        const QString where = describe(remarks[i].where);
        lines << (where.isEmpty() ? remarks[i].what : where + QStringLiteral(": ") + remarks[i].what);
    }
    if (remarks.size() > kNamed)
        lines << QStringLiteral("и ещё: %1").arg(remarks.size() - kNamed);
    return lines.join(u'\n');
}

FormatError::FormatError(QList<Remark> problems) : Error(describe(problems)), m_problems(std::move(problems)) {}

void Draft::weigh(const QString& percent)
{
    bool ok = false;
    const double value = percent.trimmed().toDouble(&ok);
    if (!ok)
        found.change(QStringLiteral("оценка варианта «%1» — не число").arg(percent));
    else if (value > 99.99 && value < 100.01)
        right << int(choices.size() - 1);
    else if (value > 0)
        found.change(QStringLiteral("частичная оценка варианта (%1%)").arg(percent.trimmed()));
    else if (value < 0)
        found.lose(QStringLiteral("штраф за неверный ответ"));
}

void Collector::take(Draft draft)
{
    if (!draft.otherKind.isEmpty()) {
        m_imported.remarks.append({draft.where, QStringLiteral("не перенесён: %1").arg(draft.otherKind)});
        ++m_otherKinds;
        return;
    }
    QStringList problems = draft.found.changed;
    const QString stem = plaintext::normalised(draft.stem);
    if (stem.isEmpty())
        problems << QStringLiteral("нет текста вопроса");
    QStringList choices;
    for (const QString& c : draft.choices)
        choices << plaintext::normalised(c).replace(u'\n', u' ');
    if (choices.size() < 2)
        problems << QStringLiteral("вариантов ответа меньше двух");
    if (choices.size() > 5)
        problems << QStringLiteral("вариантов ответа %1, а здесь их бывает не больше пяти (A–E)").arg(choices.size());
    for (int i = 0; i < choices.size(); ++i)
        if (choices[i].isEmpty())
            problems << QStringLiteral("у варианта %1 нет текста").arg(i + 1);
    if (draft.right.isEmpty())
        problems << QStringLiteral("ни один вариант не верен полностью");
    if (draft.right.size() > 1)
        problems << QStringLiteral("верных вариантов несколько (%1), а здесь верен один").arg(draft.right.size());

    aiken::Question question;
    if (problems.isEmpty()) {
        QStringList lines = stem.split(u'\n');
        for (int i = 0; i < choices.size(); ++i)
            lines << QStringLiteral("%1) %2").arg(kLetters[i]).arg(choices[i]);
        const QString text = lines.join(QStringLiteral("\r\n"));
        const QString letter = kLetters.mid(draft.right.first(), 1);
        QString why;
        // The text must read back as this very question: a line of the stem
        // such as "A. Пушкин" would be taken for the first option.
        if (!aiken::fromStored(text, letter, &question, &why) || question.text != text)
            problems << QStringLiteral("текст вопроса читался бы здесь с другими вариантами ответа (%1)")
                            .arg(why.isEmpty() ? QStringLiteral("строка текста похожа на вариант «A) …»") : why);
        question.line = draft.where.line;
    }
    if (!problems.isEmpty()) {
        m_problems.append({draft.where, problems.join(QStringLiteral("; "))});
        return;
    }
    m_imported.questions << question;
    if (!draft.found.lost.isEmpty())
        m_imported.remarks.append(
            {draft.where, QStringLiteral("не перенесено: %1").arg(draft.found.lost.join(QStringLiteral("; ")))});
}

void Collector::fail(const Place& where, const QString& what) { m_problems.append({where, what}); }

Imported Collector::finish()
{
    if (!m_problems.isEmpty())
        throw FormatError(m_problems);
    if (m_imported.questions.isEmpty()) {
        QList<Remark> problems{{Place{}, QStringLiteral("в файле нет ни одного вопроса с выбором одного ответа "
                                                        "из двух–пяти вариантов")}};
        throw FormatError(problems + m_imported.remarks);
    }
    return m_imported;
}

Item itemOf(const aiken::Question& question)
{
    const aiken::Parts parts = aiken::partsOf(question);
    return {parts.text, parts.options, int(kLetters.indexOf(question.answer))};
}

QString titleOf(const Item& item) { return shortened(item.stem.value(0).simplified(), 80); }

bool xmlWritable(const aiken::Question& question, QString* problem)
{
    for (qsizetype i = 0; i < question.text.size(); ++i) {
        const QChar c = question.text[i];
        bool bad = (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c.unicode() == 0xFFFE ||
                   c.unicode() == 0xFFFF;
        if (c.isHighSurrogate())
            bad = i + 1 >= question.text.size() || !question.text[++i].isLowSurrogate();
        else if (c.isLowSurrogate())
            bad = true;
        if (bad) {
            if (problem)
                *problem = QStringLiteral("в тексте есть знак U+%1, которого в XML быть не может")
                               .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
            return false;
        }
    }
    return true;
}

QString openXml(QXmlStreamReader& reader, const QString& file)
{
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.tokenType() == QXmlStreamReader::DTD)
            throw FormatError({{Place{0, {}, file, int(reader.lineNumber())},
                                QStringLiteral("в файле есть объявление типа документа (<!DOCTYPE …>): в файлах "
                                               "этого формата его не бывает, и такой файл не принимается")}});
        if (reader.isStartElement())
            return reader.name().toString();
    }
    checkXml(reader, file);
    throw FormatError({{Place{0, {}, file, 0}, QStringLiteral("в файле нет ни одного элемента XML")}});
}

void checkXml(const QXmlStreamReader& reader, const QString& file)
{
    if (!reader.hasError())
        return;
    throw FormatError({{Place{0, {}, file, int(reader.lineNumber())},
                        QStringLiteral("файл повреждён, это не правильный XML (%1)").arg(reader.errorString())}});
}

} // namespace exchange
