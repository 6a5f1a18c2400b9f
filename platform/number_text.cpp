#include "platform/number_text.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace ornavel {

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// from_chars leaves the value untouched when it is out of range; decide between an
// overflow and an underflow from the decimal position of the first significant digit.
double outOfRangeValue(const std::string &mantissa, long exponent)
{
    const auto point = mantissa.find('.');
    const long integerDigits = long(point == std::string::npos ? mantissa.size() : point);
    const auto first = mantissa.find_first_of("123456789");
    if (first == std::string::npos)
        return 0.0;
    // The power of ten of the first significant digit, plus one.
    const long position = long(first) < integerDigits ? integerDigits - long(first) : integerDigits - long(first) + 1;
    return position + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// A decimal number: digits d1 d2 … dn (no leading zero; trailing zeros dropped where it
// matters) standing for 0.d1d2…dn × 10^(exponent + 1), i.e. d1 is at 10^exponent.
struct Decimal {
    char digits[40];
    int size = 0;
    int exponent = 0;
    bool negative = false;
};

// The digits of to_chars' scientific form d.ddde±x.
Decimal scientificDigits(const char *begin, const char *end)
{
    Decimal decimal;
    const char *p = begin;
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.')
            decimal.digits[decimal.size++] = *p;
    }
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, decimal.exponent);
    return decimal;
}

// The shortest decimal that reads back as value: the number the user typed or would see.
Decimal shortestDecimal(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific).ptr;
    Decimal decimal = scientificDigits(buffer, end);
    decimal.negative = value < 0;
    return decimal;
}

// Rounds to the given number of decimals, ties to the even neighbour; false when nothing
// stands beyond them. A result of zero has no digits.
bool roundDecimal(Decimal &decimal, int decimals)
{
    // Digits that stand at or above the last kept decimal place.
    const int keep = decimal.exponent + 1 + decimals;
    if (keep >= decimal.size)
        return false;
    if (keep < 0) {
        decimal.size = 0;
        return true;
    }
    const char *rest = decimal.digits + keep;
    const int restSize = decimal.size - keep;
    const bool moreThanHalf = rest[0] > '5'
        || (rest[0] == '5' && std::find_if(rest + 1, rest + restSize, [](char c) { return c != '0'; }) != rest + restSize);
    const bool exactlyHalf = rest[0] == '5' && !moreThanHalf;
    const bool lastOdd = keep > 0 && (decimal.digits[keep - 1] - '0') % 2 == 1;
    decimal.size = keep;
    if (moreThanHalf || (exactlyHalf && lastOdd)) {
        int k = keep - 1;
        while (k >= 0 && decimal.digits[k] == '9')
            decimal.digits[k--] = '0';
        if (k >= 0) {
            ++decimal.digits[k];
        } else {
            // Carried past the first digit (or up from nothing kept): one more leading digit.
            std::copy_backward(decimal.digits, decimal.digits + keep, decimal.digits + keep + 1);
            decimal.digits[0] = '1';
            ++decimal.size;
            ++decimal.exponent;
        }
    }
    while (decimal.size > 0 && decimal.digits[decimal.size - 1] == '0')
        --decimal.size;
    return true;
}

double toDouble(const Decimal &decimal)
{
    if (decimal.size == 0)
        return decimal.negative ? -0.0 : 0.0;
    char buffer[64];
    char *p = std::copy(decimal.digits, decimal.digits + decimal.size, buffer);
    *p++ = 'e';
    p = std::to_chars(p, buffer + sizeof buffer, decimal.exponent - decimal.size + 1).ptr;
    double magnitude = 0.0;
    std::from_chars(buffer, p, magnitude);
    return decimal.negative ? -magnitude : magnitude;
}

// General number text of a decimal without trailing zeros: plain, or with an exponent
// outside 1e-15 <= |value| < 1e15.
char *writeDecimal(char *out, const Decimal &decimal)
{
    const char *digits = decimal.digits;
    const int size = decimal.size;
    const int exponent = decimal.exponent;
    if (decimal.negative)
        *out++ = '-';
    if (exponent >= 15 || exponent < -15) {
        *out++ = digits[0];
        if (size > 1) {
            *out++ = '.';
            out = std::copy(digits + 1, digits + size, out);
        }
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent >= 0) {
        const int integerDigits = exponent + 1;
        if (size <= integerDigits)
            return std::fill_n(std::copy(digits, digits + size, out), integerDigits - size, '0');
        out = std::copy(digits, digits + integerDigits, out);
        *out++ = '.';
        return std::copy(digits + integerDigits, digits + size, out);
    }
    *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, -exponent - 1, '0');
    return std::copy(digits, digits + size, out);
}

QString toText(const char *begin, const char *end, QStringView decimalPoint)
{
    QString text = QString::fromLatin1(begin, end - begin);
    if (decimalPoint != u".")
        text.replace(QLatin1Char('.'), decimalPoint.toString());
    return text;
}

} // namespace

double parseNumber(QStringView text, QStringView decimalPoint)
{
    // Blanks are dropped first, so "1 2" reads as 12, as the legacy conversion did. A
    // locale's separator becomes "."; a separator of more than one character is not read.
    const char16_t localPoint = decimalPoint.size() == 1 ? decimalPoint.front().unicode() : u'.';
    std::string s;
    s.reserve(std::size_t(text.size()));
    for (QChar c : text) {
        if (isBlank(c.unicode()))
            continue;
        if (c.unicode() == localPoint) {
            s.push_back('.');
            continue;
        }
        if (c.unicode() > 0x7f)
            break;
        s.push_back(char(c.unicode()));
    }

    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    const std::string mantissa = s.substr(start, i - start);

    long exponent = 0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            negativeExponent = s[j] == '-';
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) {
                exponent = std::min(exponent * 10 + (s[j] - '0'), 100'000'000L);
                ++j;
            }
            if (negativeExponent)
                exponent = -exponent;
            end = j;
        }
    }

    const std::string number = s.substr(start, end - start);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range)
        value = outOfRangeValue(mantissa, exponent);
    return negative ? -value : value;
}

double roundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value) || value == 0.0)
        return value;
    Decimal rounded = shortestDecimal(value);
    if (!roundDecimal(rounded, decimals))
        return value;
    return toDouble(rounded);
}

char *writeNumberText(char *out, double value)
{
    if (!std::isfinite(value))
        return out;
    if (value == 0.0) {
        *out = '0';
        return out + 1;
    }
    // Fifteen significant digits, d.dddddddddddddde±x, then trailing zeros dropped.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, 14).ptr;
    Decimal decimal = scientificDigits(buffer, end);
    decimal.negative = value < 0;
    while (decimal.size > 1 && decimal.digits[decimal.size - 1] == '0')
        --decimal.size;
    return writeDecimal(out, decimal);
}

char *writeResultText(char *out, double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return writeNumberText(out, value);
    Decimal decimal = shortestDecimal(value);
    const bool changed = roundDecimal(decimal, 5);
    if (decimal.size == 0) {
        *out = '0';
        return out + 1;
    }
    // A decimal of at most 15 significant digits reads back from its nearest double at 15
    // digits unchanged, so the general text of the rounded double is this decimal as it stands.
    if (decimal.size <= 15)
        return writeDecimal(out, decimal);
    return writeNumberText(out, changed ? toDouble(decimal) : value);
}

QString numberText(double value, QStringView decimalPoint)
{
    char buffer[maxNumberTextSize];
    return toText(buffer, writeNumberText(buffer, value), decimalPoint);
}

double inputNumber(QStringView text)
{
    return parseNumber(text, QLocale().decimalPoint());
}

QString resultText(double value, QStringView decimalPoint)
{
    char buffer[maxNumberTextSize];
    return toText(buffer, writeResultText(buffer, value), decimalPoint);
}

QString resultText(double value)
{
    return resultText(value, QLocale().decimalPoint());
}

} // namespace ornavel
