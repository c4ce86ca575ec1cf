#pragma once

// The rule of the fuzz targets of the other systems' formats' readers
// (fuzz_moodlexml, fuzz_gift, fuzz_qti).

#include "data/Exchange.h"
#include "tests/fuzz/Mutation.h"

#include <functional>

namespace fuzz {

// The rule for a reader of another system's format:
//   - a refused file is refused with problems, each saying what is wrong,
//     and with nothing but exchange::FormatError;
//   - an accepted file gives questions, each one that the question base
//     holds as it is and that the export writes (aiken::fromStored gives it
//     back unchanged); the format's writer writes them (unless its own test
//     says it cannot), its reader reads them back as the same questions with
//     nothing left behind, and writing those again gives the same bytes
//     (unless `sameBytes` is off: a ZIP archive carries the time it was made).
inline QString exchangeFault(const QByteArray& file, bool* accepted,
                             const std::function<exchange::Imported(const QByteArray&)>& read,
                             const std::function<QByteArray(const QList<aiken::Question>&)>& write,
                             const std::function<bool(const aiken::Question&)>& writable, bool sameBytes = true)
{
    *accepted = false;
    exchange::Imported imported;
    try {
        imported = read(file);
    } catch (const exchange::FormatError& e) {
        if (e.problems().isEmpty() || e.message().isEmpty())
            return QStringLiteral("refused without a problem");
        for (const exchange::Remark& r : e.problems())
            if (r.what.isEmpty() || r.where.line < 0 || r.where.number < 0)
                return QStringLiteral("a problem without its text or with a wrong place");
        return {};
    } catch (const std::exception& e) {
        return QStringLiteral("refused with another error: ") + QString::fromUtf8(e.what());
    }
    *accepted = true;
    if (imported.questions.isEmpty())
        return QStringLiteral("accepted without a question");
    QList<aiken::Question> written;
    for (const aiken::Question& q : imported.questions) {
        aiken::Question stored;
        QString problem;
        if (!aiken::fromStored(q.text, q.answer, &stored, &problem))
            return QStringLiteral("question of line %1 cannot be stored as it is: %2").arg(q.line).arg(problem);
        if (stored.text != q.text || stored.answer != q.answer)
            return QStringLiteral("question of line %1 is stored changed").arg(q.line);
        if (writable(stored))
            written << stored;
    }
    if (written.isEmpty())
        return {};
    const QByteArray out = write(written);
    exchange::Imported back;
    try {
        back = read(out);
    } catch (const std::exception& e) {
        return QStringLiteral("the written file is refused: ") + QString::fromUtf8(e.what());
    }
    if (!back.remarks.isEmpty())
        return QStringLiteral("the written file reads back with remarks: ") + exchange::describe(back.remarks);
    if (back.questions.size() != written.size())
        return QStringLiteral("the written file reads back as %1 questions of %2")
            .arg(back.questions.size())
            .arg(written.size());
    for (qsizetype i = 0; i < written.size(); ++i)
        if (back.questions[i].text != written[i].text || back.questions[i].answer != written[i].answer)
            return QStringLiteral("question %1 reads back as another").arg(i + 1);
    if (sameBytes && write(back.questions) != out)
        return QStringLiteral("writing again gives other bytes");
    return {};
}

} // namespace fuzz
