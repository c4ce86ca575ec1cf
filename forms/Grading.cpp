#include "forms/Grading.h"

#include "platform/Error.h"

#include <array>

namespace grading {

namespace {

constexpr std::array<Rule, 4> kFivePoint{{
    {0, u"2", u""},
    {50, u"3", u""},
    {75, u"4", u""},
    {90, u"5", u""},
}};

constexpr std::array<Rule, 11> kLetters{{
    {0, u"F (0)", u"F"},
    {50, u"D (1.0)", u"D"},
    {55, u"D+ (1.33)", u"D+"},
    {60, u"C- (1.67)", u"C-"},
    {65, u"C (2.0)", u"C"},
    {70, u"C+ (2.33)", u"C+"},
    {75, u"B- (2.67)", u"B-"},
    {80, u"B (3.0)", u"B"},
    {85, u"B+ (3.33)", u"B+"},
    {90, u"A- (3.67)", u"A-"},
    {95, u"A (4.0)", u"A"},
}};

// The last row whose lower bound p reaches: k × 100 ≥ bound × N, in integers.
template <class Rows> const auto& rowFor(const Rows& rows, long long correct, long long questions)
{
    const auto* found = &rows.front();
    for (const auto& row : rows)
        if (correct * 100 >= row.from * questions)
            found = &row;
    return *found;
}

} // namespace

std::span<const Rule> fivePointRules() { return kFivePoint; }

std::span<const Rule> letterRules() { return kLetters; }

Grade grade(int correct, int questions)
{
    if (questions == 0) {
        if (correct == 0)
            throw Error(QStringLiteral("Invalid floating point operation"));
        throw Error(QStringLiteral("Floating point division by zero"));
    }
    const auto& five = rowFor(kFivePoint, correct, questions);
    const auto& letter = rowFor(kLetters, correct, questions);
    return {QString::fromUtf16(five.text), QString::fromUtf16(letter.text), QString::fromUtf16(letter.letter)};
}

} // namespace grading
