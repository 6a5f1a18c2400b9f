#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <string_view>

namespace ornavel {

struct DecimalText;

// The lenient text-to-number conversion: blanks anywhere are skipped and the longest
// leading decimal number (sign, digits, a point, exponent) is read. "." is the decimal
// separator, and so is decimalPoint when given; any other character, a group separator
// or anything beyond ASCII included, ends the number. Text without a leading number
// gives 0; a number beyond the double range gives an infinity, one below it a zero.
// With whole given, it tells whether the number took all of the text but its blanks.
double parseNumber(QStringView text, QStringView decimalPoint = u".", bool *whole = nullptr);

// The number a user typed: parseNumber with the locale's decimal separator besides ".",
// so that the window reads back what resultText writes.
double inputNumber(QStringView text);

// Rounds to the given number of decimals, ties to the even neighbour. A tie is judged on
// the shortest decimal that reads back as the double (0.000015 is a tie although its
// binary value is not), which is the number the user typed or would see.
double roundHalfEven(double value, int decimals);

// General number text: at most 15 significant digits, no trailing zeros, no grouping, a
// zero before the separator below 1, "-0" written as "0". An exponent ("1.5E+20",
// "1E-16") only outside 1e-15 <= |value| < 1e15. Non-finite values give empty text.
QString numberText(double value, QStringView decimalPoint);

// The text of a result box: the exact value rounded once to 5 decimals, or to 15 significant
// digits where those are fewer (from 1e10), written with the given separator, or without one
// with the locale's.
QString resultText(double value, QStringView decimalPoint);
QString resultText(double value);

// The same two texts as bytes with "." as the separator, written at out without allocating
// (for tables of millions of rows); they return the end. Room for maxNumberTextSize is needed.
inline constexpr std::size_t maxNumberTextSize = 40;
char *writeNumberText(char *out, double value);
char *writeResultText(char *out, double value);
// The shortest text that reads back as the same double, laid out as writeNumberText lays
// out its digits: how a typed input is echoed.
char *writeShortestText(char *out, double value);
// Such a text with decimalPoint in place of ".".
QString withDecimalPoint(std::string_view text, QStringView decimalPoint);

// A number, as read (wholeDecimal with blanks around), cut to its first `digits` significant
// digits and written with an exponent, the cut marked by an ellipsis inside the mantissa:
// "11666666666.5" with 4 digits gives "1.166…E+10", "1.16666666666667E+40" with 5 gives
// "1.1666…E+40". Cut, never rounded, so every digit shown is the number's own; sign and
// exponent are kept, so the short form cannot be read as another number. Without a cut no
// ellipsis. decimalPoint is written. Read once, a number can be tried at several digit counts.
QString shortenedNumberText(const DecimalText &number, int digits, QStringView decimalPoint);

} // namespace ornavel
