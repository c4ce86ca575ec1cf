#pragma once

// The grading cases: (correct answers k, questions N) with the five-point
// grade, the letter grade as shown and the letter as stored. The program's
// grading and the server's grading function are both held to them.
namespace grading_cases {

struct Case {
    int k;
    int n;
    const char* fivePoint;
    const char* letterText;
    const char* letter;
};

inline constexpr Case kCases[] = {
    // Whole percentages on and just below every bound of both tables.
    {0, 5, "2", "F (0)", "F"},
    {49, 100, "2", "F (0)", "F"},
    {50, 100, "3", "D (1.0)", "D"},
    {54, 100, "3", "D (1.0)", "D"},
    {55, 100, "3", "D+ (1.33)", "D+"},
    {59, 100, "3", "D+ (1.33)", "D+"},
    {60, 100, "3", "C- (1.67)", "C-"},
    {64, 100, "3", "C- (1.67)", "C-"},
    {65, 100, "3", "C (2.0)", "C"},
    {69, 100, "3", "C (2.0)", "C"},
    {70, 100, "3", "C+ (2.33)", "C+"},
    {74, 100, "3", "C+ (2.33)", "C+"},
    {75, 100, "4", "B- (2.67)", "B-"},
    {79, 100, "4", "B- (2.67)", "B-"},
    {80, 100, "4", "B (3.0)", "B"},
    {84, 100, "4", "B (3.0)", "B"},
    {85, 100, "4", "B+ (3.33)", "B+"},
    {89, 100, "4", "B+ (3.33)", "B+"},
    {90, 100, "5", "A- (3.67)", "A-"},
    {94, 100, "5", "A- (3.67)", "A-"},
    {95, 100, "5", "A (4.0)", "A"},
    {100, 100, "5", "A (4.0)", "A"},
    // Small topics.
    {1, 2, "3", "D (1.0)", "D"},
    {2, 3, "3", "C (2.0)", "C"}, // 66.67
    {3, 4, "4", "B- (2.67)", "B-"},
    {9, 10, "5", "A- (3.67)", "A-"},
    {10, 10, "5", "A (4.0)", "A"},
    {1, 1, "5", "A (4.0)", "A"},
    {0, 1, "2", "F (0)", "F"},
    // Exactly on a bound, where k × (100 / N) in floating point falls just below it.
    {7, 14, "3", "D (1.0)", "D"},      // 50
    {21, 28, "4", "B- (2.67)", "B-"},  // 75
    {33, 55, "3", "C- (1.67)", "C-"},  // 60
    {99, 110, "5", "A- (3.67)", "A-"}, // 90
    // Between two whole-number bounds: the lower row holds up to the next bound.
    {99, 200, "2", "F (0)", "F"},       // 49.5
    {6, 11, "3", "D (1.0)", "D"},       // 54.5
    {119, 200, "3", "D+ (1.33)", "D+"}, // 59.5
    {129, 200, "3", "C- (1.67)", "C-"}, // 64.5
    {139, 200, "3", "C (2.0)", "C"},    // 69.5
    {149, 200, "3", "C+ (2.33)", "C+"}, // 74.5
    {159, 200, "4", "B- (2.67)", "B-"}, // 79.5
    {169, 200, "4", "B (3.0)", "B"},    // 84.5
    {179, 200, "4", "B+ (3.33)", "B+"}, // 89.5
    {189, 200, "5", "A- (3.67)", "A-"}, // 94.5
    {199, 200, "5", "A (4.0)", "A"},    // 99.5
    // More correct answers than questions (the questions changed under an old sheet).
    {12, 10, "5", "A (4.0)", "A"},
};

} // namespace grading_cases
