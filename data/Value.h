#pragma once

#include <QString>
#include <QVariant>

// Field values as the windows see them. An absent value (a database NULL) is
// a null QVariant and is told apart from the empty text.
namespace value {

// Two absent values are equal; an absent value is unequal to every present
// value, the empty text included; texts compare exactly (letter case counts);
// numbers compare by value; a number and a text compare as texts.
bool equal(const QVariant& a, const QVariant& b);

// The value as text: an integer as its decimal digits (minus sign when
// negative, no leading zeros), a date as dd.MM.yyyy, a text as it is.
// An absent value throws Error("Could not convert variant of type (Null) into type (String)").
QString toText(const QVariant& v);

// A text turned into an integer as the platform does it: optional blanks
// and sign, then decimal digits. Anything else throws
// Error("'text' is not a valid integer value").
int toInteger(const QString& text);

// Whether a value of the meta type is a whole number (booleans included).
bool isIntegral(int metaType);

} // namespace value
