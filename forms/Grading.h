#pragma once

#include <QString>

#include <span>

// The grading rules of a test run: the share of correct answers, p = k × 100 / N,
// turned into a five-point grade and a letter grade with its grade point.
//
// p is never formed as a floating-point number: k × 100 is compared with each
// bound times N in integers, so a percentage that lands exactly on a bound
// (1 of 2, 3 of 4, 9 of 10, 7 of 14, ...) always gets that bound's grade.
namespace grading {

struct Grade {
    QString fivePoint;  // "2", "3", "4" or "5"
    QString letterText; // the letter with its grade point, as shown: "B- (2.67)"
    QString letter;     // the letter alone, as stored: "B-"
};

// Five-point grade: p < 50 "2", 50 ≤ p < 75 "3", 75 ≤ p < 90 "4", p ≥ 90 "5".
//
// Letter grade: each row runs from its lower bound up to the next row's lower
// bound, so every percentage has a letter, including those between two whole
// numbers (6 of 11, p = 54.5, is "D (1.0)"):
//   F (0) from 0, D (1.0) from 50, D+ (1.33) from 55, C- (1.67) from 60,
//   C (2.0) from 65, C+ (2.33) from 70, B- (2.67) from 75, B (3.0) from 80,
//   B+ (3.33) from 85, A- (3.67) from 90, A (4.0) from 95.
//
// No questions (N = 0): the percentage cannot be formed. 0/0 throws
// Error("Invalid floating point operation"), k/0 with k > 0
// Error("Floating point division by zero"), as the floating-point unit does.
Grade grade(int correct, int questions);

// The rules above as data, the one place they are written down. A row holds
// from its lower bound of p (included) up to the next row's bound; the grade
// of (k, N) is the last row whose bound k × 100 ≥ bound × N reaches. The
// server's grading function follows the same rows (they are copied into its
// table when the server is set up).
struct Rule {
    int from;               // lower bound of p, included
    const char16_t* text;   // as shown: "3", "B- (2.67)"
    const char16_t* letter; // as stored ("B-"); empty for the five-point scale
};
std::span<const Rule> fivePointRules();
std::span<const Rule> letterRules();

} // namespace grading
