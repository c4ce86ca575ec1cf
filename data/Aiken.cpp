#include "data/Aiken.h"

#include "platform/Cp1251.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// How many problems the message names; the rest are counted.
constexpr int kProblemsNamed = 10;

const QString kLetters = QStringLiteral("ABCDE");

// "A) text" or "A. text": a Latin capital, ")" or ".", a blank and the
// option's text (the text may be missing: that is a problem of its own).
const QRegularExpression& optionPattern()
{
    static const QRegularExpression p(QStringLiteral(R"(^\s*([A-Z])[.)](?:\s+(.*))?$)"));
    return p;
}

// The same with one of the Cyrillic capitals that look like A, B, C, E.
const QRegularExpression& cyrillicOptionPattern()
{
    static const QRegularExpression p(QStringLiteral(R"(^\s*([АВСЕ])[.)]\s)"));
    return p;
}

const QRegularExpression& answerPattern()
{
    static const QRegularExpression p(QStringLiteral(R"(^\s*ANSWER\s*:\s*(.*?)\s*$)"),
                                      QRegularExpression::CaseInsensitiveOption);
    return p;
}

// The Latin letter that a Cyrillic А, В, С or Е (either case) looks like;
// empty for any other character.
QString latinFor(QChar cyrillic)
{
    static const QString cyrillicLetters = QStringLiteral("АВСЕ");
    static const QString latinLetters = QStringLiteral("ABCE");
    const qsizetype at = cyrillicLetters.indexOf(cyrillic.toUpper());
    return at < 0 ? QString() : QString(latinLetters[at]);
}

bool isBlank(const QString& line)
{
    for (const QChar c : line)
        if (!c.isSpace())
            return false;
    return true;
}

QStringList splitLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    // A line end after the last line starts no line of its own.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The text without byte-order marks. The one at the start of a file says its
// encoding; one further on (left where files were joined) is no character
// that a question could show, and kept it would come back as the mark of
// the file that the export writes.
QString withoutMarks(QString text)
{
    text.remove(QChar(0xFEFF));
    return text;
}

QString describe(const QList<aiken::FormatError::Problem>& problems)
{
    QStringList lines;
    for (int i = 0; i < problems.size() && i < kProblemsNamed; ++i) {
        const auto& p = problems[i];
        lines << (p.line > 0 ? QStringLiteral("строка %1: %2").arg(p.line).arg(p.what) : p.what);
    }
    if (problems.size() > kProblemsNamed)
        lines << QStringLiteral("и ещё ошибок: %1").arg(problems.size() - kProblemsNamed);
    return lines.join(u'\n');
}

// Reads the questions line by line. After a problem the rest of its question
// (up to the next blank line) is skipped, and reading goes on, so that every
// problem of the file is found in one reading.
class Reader {
public:
    // single: the lines are one stored question, not a file.
    explicit Reader(bool single = false) : m_single(single) {}

    QList<aiken::Question> questions;
    QList<aiken::FormatError::Problem> problems;

    void run(const QStringList& lines)
    {
        for (int i = 0; i < lines.size(); ++i)
            take(i + 1, lines[i]);
        end(int(lines.size()));
    }

private:
    enum class State { Between, Text, Options, Skip };

    bool m_single;
    State m_state = State::Between;
    int m_start = 0;          // line of the question's first line
    QStringList m_lines;      // the question's lines so far
    int m_options = 0;        // options read
    int m_cyrillicOption = 0; // a text line that looks like an option in Cyrillic letters
    QChar m_cyrillicLetter;

    void problem(int line, const QString& what)
    {
        problems.append({line, what});
        m_state = State::Skip;
    }

    QString noOptions() const
    {
        QString what =
            m_single ? QStringLiteral("у вопроса нет вариантов ответа «A) …» или «A. …»")
                     : QStringLiteral("у вопроса из строки %1 нет вариантов ответа «A) …» или «A. …»").arg(m_start);
        if (m_cyrillicOption > 0 && m_single)
            what += QStringLiteral(" (буква «%1» русская, варианты обозначаются латинскими A–E)").arg(m_cyrillicLetter);
        else if (m_cyrillicOption > 0)
            what += QStringLiteral(" (в строке %1 буква «%2» русская, варианты обозначаются латинскими A–E)")
                        .arg(m_cyrillicOption)
                        .arg(m_cyrillicLetter);
        return what;
    }

    QString expected() const
    {
        return m_options < 5 ? QStringLiteral("ожидался вариант %1 или строка «ANSWER: буква»").arg(kLetters[m_options])
                             : QStringLiteral("ожидалась строка «ANSWER: буква»");
    }

    void take(int n, const QString& line)
    {
        if (isBlank(line)) {
            switch (m_state) {
            case State::Text:
                problem(n, noOptions());
                break;
            case State::Options:
                problem(n, QStringLiteral("после вариантов ответа нет строки «ANSWER: буква»"));
                break;
            default:
                break;
            }
            m_state = State::Between;
            return;
        }
        if (m_state == State::Skip)
            return;

        const QRegularExpressionMatch answer = answerPattern().match(line);
        if (m_state == State::Between) {
            if (answer.hasMatch()) {
                problem(n, QStringLiteral("строка «ANSWER» стоит без вопроса"));
                return;
            }
            // A question's first line is its text, whatever it looks like.
            m_state = State::Text;
            m_start = n;
            m_lines = QStringList{line};
            m_options = 0;
            m_cyrillicOption = 0;
            return;
        }

        if (answer.hasMatch()) {
            if (m_state == State::Text) {
                problem(n, noOptions());
                return;
            }
            finish(n, answer.captured(1));
            return;
        }

        const QRegularExpressionMatch option = optionPattern().match(line);
        if (option.hasMatch()) {
            const QChar letter = option.captured(1).at(0);
            if (m_state == State::Text && letter != u'A') {
                // A line such as "B. Pushkin" inside the text is text.
                m_lines << line;
                return;
            }
            if (m_options == 5) {
                problem(n, QStringLiteral("вариантов больше пяти: ответы бывают только A–E"));
                return;
            }
            if (letter != kLetters[m_options]) {
                problem(n, QStringLiteral("ожидался вариант %1, а стоит %2").arg(kLetters[m_options]).arg(letter));
                return;
            }
            if (option.captured(2).trimmed().isEmpty()) {
                problem(n, QStringLiteral("у варианта %1 нет текста").arg(letter));
                return;
            }
            m_lines << line;
            ++m_options;
            m_state = State::Options;
            return;
        }

        if (m_state == State::Options) {
            problem(n, expected());
            return;
        }
        const QRegularExpressionMatch cyrillic = cyrillicOptionPattern().match(line);
        if (cyrillic.hasMatch() && m_cyrillicOption == 0) {
            m_cyrillicOption = n;
            m_cyrillicLetter = cyrillic.captured(1).at(0);
        }
        m_lines << line;
    }

    void finish(int n, const QString& value)
    {
        if (value.size() != 1 || !kLetters.contains(value.at(0).toUpper())) {
            const QString latin = value.size() == 1 ? latinFor(value.at(0)) : QString();
            if (!latin.isEmpty())
                problem(n, QStringLiteral("буква ответа «%1» русская, нужна латинская %2").arg(value, latin));
            else
                problem(n, QStringLiteral("после «ANSWER:» должна стоять одна буква A–E, а стоит «%1»").arg(value));
            return;
        }
        const QString letter = value.toUpper();
        if (m_options < 2) {
            problem(n, QStringLiteral("у вопроса только один вариант ответа"));
            return;
        }
        if (kLetters.indexOf(letter) >= m_options) {
            problem(n, QStringLiteral("ответ %1 не из вариантов A–%2").arg(letter).arg(kLetters[m_options - 1]));
            return;
        }
        questions.append({m_lines.join(QStringLiteral("\r\n")), letter, m_start});
        m_state = State::Between;
    }

    void end(int lastLine)
    {
        switch (m_state) {
        case State::Text:
            problem(lastLine, noOptions());
            break;
        case State::Options:
            problem(lastLine, QStringLiteral("файл кончается, а строки «ANSWER: буква» после вариантов нет"));
            break;
        default:
            break;
        }
        if (questions.isEmpty() && problems.isEmpty())
            problems.append({0, QStringLiteral("в файле нет ни одного вопроса")});
    }
};

// The checks of the file's bytes before its text is read. A problem names
// the line of the fault, the lines counted as the reader counts them (CR LF,
// LF or CR ends a line); one problem a line.
const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

QString notInEncoding(const char* encoding)
{
    return QStringLiteral("байты не в кодировке %1, указанной в начале файла").arg(QLatin1String(encoding));
}

QString cutInCharacter(const char* encoding)
{
    return QStringLiteral("файл обрывается посреди знака в кодировке %1").arg(QLatin1String(encoding));
}

class ProblemList {
public:
    QList<aiken::FormatError::Problem> problems;

    void add(int line, const QString& what)
    {
        if (problems.isEmpty() || problems.last().line != line)
            problems.append({line, what});
    }
};

// The length of the well-formed UTF-8 sequence at the start of `rest` (its
// first byte not ASCII); 0 when the bytes are not such a sequence, -1 when
// they are its beginning and the bytes end.
int utf8SequenceLength(QByteArrayView rest)
{
    const auto at = [&rest](qsizetype i) { return static_cast<unsigned char>(rest[i]); };
    const unsigned char lead = at(0);
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // shorter forms
        else if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // shorter forms
        else if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (i >= rest.size())
            return -1;
        const unsigned char b = at(i);
        if (i == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF))
            return 0;
    }
    return length;
}

// The problems of a file read byte by byte: zero bytes, and when utf8 is
// set, bytes that are not well-formed UTF-8.
QList<aiken::FormatError::Problem> scanBytes(QByteArrayView bytes, bool utf8)
{
    ProblemList found;
    int line = 1;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' || b == '\n') {
            ++line;
            i += b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        if (b == 0)
            found.add(line, QStringLiteral("нулевой байт — это не текстовый файл"));
        if (b < 0x80 || !utf8) {
            ++i;
            continue;
        }
        const int length = utf8SequenceLength(bytes.sliced(i));
        if (length < 0) {
            found.add(line, cutInCharacter("UTF-8"));
            break;
        }
        if (length == 0)
            found.add(line, notInEncoding("UTF-8"));
        i += length > 0 ? length : 1;
    }
    return found.problems;
}

// The text of UTF-16 bytes (after the mark); a zero, a half of a surrogate
// pair without its other half and an odd byte at the end are problems.
QString decodeUtf16(QByteArrayView bytes, bool littleEndian, QList<aiken::FormatError::Problem>* problems)
{
    ProblemList found;
    QString text;
    text.reserve(bytes.size() / 2);
    const auto unit = [&](qsizetype i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return char16_t(littleEndian ? first | second << 8 : first << 8 | second);
    };
    const qsizetype units = bytes.size() / 2;
    int line = 1;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        text += QChar(u);
        if (u == u'\r' || u == u'\n') {
            if (u == u'\n' && i > 0 && unit(i - 1) == u'\r')
                continue; // CR LF ends one line
            ++line;
        } else if (u == 0) {
            found.add(line, QStringLiteral("нулевой знак — это не текстовый файл"));
        } else if (QChar::isHighSurrogate(u) && i + 1 < units && QChar::isLowSurrogate(unit(i + 1))) {
            text += QChar(unit(++i));
        } else if (QChar::isSurrogate(u)) {
            found.add(line, notInEncoding("UTF-16"));
        }
    }
    if (bytes.size() % 2 != 0)
        found.add(line, cutInCharacter("UTF-16"));
    *problems = found.problems;
    return text;
}

} // namespace

namespace aiken {

FormatError::FormatError(QList<Problem> problems) : Error(describe(problems)), m_problems(std::move(problems)) {}

QString decode(const QByteArray& bytes)
{
    QList<FormatError::Problem> problems;
    QString text;
    if (bytes.startsWith(kUtf8Mark)) {
        const QByteArrayView body = QByteArrayView(bytes).sliced(kUtf8Mark.size());
        problems = scanBytes(body, true);
        text = QString::fromUtf8(body);
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        text = decodeUtf16(QByteArrayView(bytes).sliced(2), bytes.startsWith("\xFF\xFE"), &problems);
    } else {
        problems = scanBytes(bytes, false);
        if (problems.isEmpty())
            text = scanBytes(bytes, true).isEmpty() ? QString::fromUtf8(bytes) : Cp1251::decode(bytes);
    }
    if (!problems.isEmpty())
        throw FormatError(std::move(problems));
    return text;
}

QList<Question> parse(const QString& text)
{
    Reader reader;
    reader.run(splitLines(withoutMarks(text)));
    if (!reader.problems.isEmpty())
        throw FormatError(reader.problems);
    return reader.questions;
}

QList<Question> read(const QByteArray& bytes) { return parse(decode(bytes)); }

bool fromStored(const QVariant& test, const QVariant& otv, Question* question, QString* problem)
{
    auto refuse = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    const QString letter = otv.isNull() ? QString() : otv.toString();
    if (letter.size() != 1 || !kLetters.contains(letter))
        return refuse(QStringLiteral("нет верной буквы A–E"));
    QStringList lines;
    for (const QString& line : splitLines(withoutMarks(test.isNull() ? QString() : test.toString())))
        if (!isBlank(line))
            lines << line;
    if (lines.isEmpty())
        return refuse(QStringLiteral("нет текста"));

    // What is written must read back as this very question.
    const QString text = lines.join(QStringLiteral("\r\n"));
    Reader reader(true);
    reader.run(lines + QStringList{QStringLiteral("ANSWER: ") + letter});
    if (!reader.problems.isEmpty())
        return refuse(reader.problems.first().what);
    if (reader.questions.size() != 1 || reader.questions.first().text != text)
        return refuse(QStringLiteral("его текст не читается как один вопрос"));
    if (question)
        *question = {text, letter, 0};
    return true;
}

Parts partsOf(const Question& question)
{
    // As the reader takes the lines: the first is text whatever it looks
    // like, and the options start at the first line lettered A after it.
    Parts parts;
    const QStringList lines = splitLines(question.text);
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch option = i > 0 ? optionPattern().match(lines[i]) : QRegularExpressionMatch();
        if (parts.options.isEmpty() && !(option.hasMatch() && option.captured(1) == u"A"))
            parts.text << lines[i];
        else
            parts.options << (option.hasMatch() ? option.captured(2).trimmed() : lines[i].trimmed());
    }
    return parts;
}

QByteArray write(const QList<Question>& questions)
{
    QByteArray out;
    bool first = true;
    for (const Question& q : questions) {
        if (!first)
            out += "\r\n";
        first = false;
        out += q.text.toUtf8();
        out += "\r\nANSWER: ";
        out += q.answer.toUtf8();
        out += "\r\n";
    }
    return out;
}

} // namespace aiken
