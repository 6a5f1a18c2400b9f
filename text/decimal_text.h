#pragma once

#include <QStringView>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ornavel {

// The blanks that surround numbers and separate words: space, tab, carriage return, line feed.
template<typename Char>
constexpr bool isBlank(Char c)
{
    return c == Char(' ') || c == Char('\t') || c == Char('\r') || c == Char('\n');
}

template<typename Char>
constexpr bool isDigit(Char c)
{
    return c >= Char('0') && c <= Char('9');
}

// A written decimal as read: the value is ±digits × 10^exponent. Every reader of decimal text
// goes through this form, so that each text is scanned once and read the same everywhere.
struct DecimalText {
    bool negative = false;
    std::string digits; // no leading or trailing zero; empty for a zero
    long exponent = 0;
    std::size_t end = 0; // where the read stopped, past the blanks that follow the number

    // The nearest double; beyond the doubles an infinity or a zero.
    double value() const;
};

// Where blanks may stand: only around the number, or anywhere in it ("1 2. 5" is 12.5).
enum class Blanks { Around, Anywhere };

// The decimal at the start of text, past blanks: a sign, digits with at most one point, and
// an exponent ("e", a sign, digits) where one follows whole. "." is a point, and so is
// decimalPoint when it is not empty. Nothing where no digit stands before the point or after.
std::optional<DecimalText> readDecimal(QStringView text, QStringView decimalPoint, Blanks blanks);

// The same decimal only where it is the whole text but its blanks; bytes have only ".".
std::optional<DecimalText> wholeDecimal(QStringView text, QStringView decimalPoint, Blanks blanks);
std::optional<DecimalText> wholeDecimal(std::string_view text, Blanks blanks);

// The double nearest ±digits × 10^exponent, digits without a leading zero; beyond the
// doubles an infinity or a zero.
double nearestDouble(bool negative, std::string_view digits, long exponent);

} // namespace ornavel
