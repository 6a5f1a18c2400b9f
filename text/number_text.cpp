#include "text/number_text.h"

#include "text/decimal_text.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace ornavel {

namespace {

// A decimal number: digits d1 d2 … dn (no leading zero; trailing zeros dropped where it
// matters) standing for 0.d1d2…dn × 10^(exponent + 1), i.e. d1 is at 10^exponent.
// No decimal here has more digits: the shortest that reads back as a double has at most 17.
constexpr int maxDigits = 17;

struct Decimal {
    char digits[40];
    int size = 0;
    int exponent = 0;
    bool negative = false;
};

// The digits of to_chars' scientific form d.ddde±x, read from a buffer of at least 32
// bytes. The digits (at most 17) are moved as one fixed-size block and the exponent read
// from the end: these few bytes are not worth a library call or a loop per byte.
Decimal scientificDigits(const char *begin, const char *end)
{
    Decimal decimal;
    const char *e = end - 2;
    while (*e != 'e')
        --e;
    decimal.digits[0] = begin[0];
    std::memcpy(decimal.digits + 1, begin + 2, 16);
    decimal.size = begin[1] == '.' ? int(e - begin) - 1 : 1;
    int exponent = 0;
    for (const char *p = e + 2; p != end; ++p)
        exponent = exponent * 10 + (*p - '0');
    decimal.exponent = e[1] == '-' ? -exponent : exponent;
    return decimal;
}

// The shortest decimal that reads back as value: the number the user typed or would see.
Decimal shortestDecimal(double value)
{
    char buffer[32];
    const auto end
        = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific).ptr;
    Decimal decimal = scientificDigits(buffer, end);
    decimal.negative = value < 0;
    return decimal;
}

// The digits of to_chars' fixed form, without leading and trailing zeros; a zero has none. The
// callers keep them within the digits' array: below 1e10 at five decimals, or below 2^53 at
// 20 at most.
Decimal fixedDigits(const char *begin, const char *end)
{
    Decimal decimal;
    decimal.negative = *begin == '-';
    int exponent = -1; // the power of ten of the digit at p
    for (const char *p = begin + decimal.negative; p != end && *p != '.'; ++p)
        ++exponent;
    for (const char *p = begin + decimal.negative; p != end; ++p) {
        if (*p == '.')
            continue;
        if (decimal.size == 0 && *p == '0') {
            --exponent;
            continue;
        }
        if (decimal.size == 0)
            decimal.exponent = exponent;
        decimal.digits[decimal.size++] = *p;
    }
    while (decimal.size > 0 && decimal.digits[decimal.size - 1] == '0')
        --decimal.size;
    return decimal;
}

// The double's exact value rounded once, half-even: to the given decimals. to_chars rounds
// the binary value itself, so 1.100015, stored as 1.1000149999…, rounds down.
Decimal roundedDecimal(double value, int decimals)
{
    char buffer[48];
    const auto end
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    return fixedDigits(buffer, end);
}

double toDouble(const Decimal &decimal)
{
    return nearestDouble(decimal.negative, {decimal.digits, std::size_t(decimal.size)},
                         decimal.exponent - decimal.size + 1);
}

// Short runs of bytes, copied without a library call.
char *copyBytes(const char *from, const char *to, char *out)
{
    while (from != to)
        *out++ = *from++;
    return out;
}

char *fillBytes(char *out, int count, char c)
{
    while (count-- > 0)
        *out++ = c;
    return out;
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
            out = copyBytes(digits + 1, digits + size, out);
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
            return fillBytes(copyBytes(digits, digits + size, out), integerDigits - size, '0');
        // Whole blocks of digits, then the end set by the count: the output has room for
        // maxNumberTextSize and the digits' array for as many past its text.
        std::memcpy(out, digits, maxDigits);
        out += integerDigits;
        *out++ = '.';
        std::memcpy(out, digits + integerDigits, maxDigits);
        return out + (size - integerDigits);
    }
    *out++ = '0';
    *out++ = '.';
    out = fillBytes(out, -exponent - 1, '0');
    std::memcpy(out, digits, maxDigits);
    return out + size;
}

// General number text of a finite nonzero value, given the shortest decimal that reads back
// as it (or one of at most 15 digits that does). Fifteen significant digits, then trailing
// zeros dropped: a decimal of at most 15 digits is already that text, since the 15-digit
// decimal nearest to a normal double is the one it was read from; a longer one is rounded.
// (Subnormals carry fewer bits, so their shortest decimal may not be the nearest.)
char *writeGeneral(char *out, double value, const Decimal &decimal)
{
    if (decimal.size <= 15 && std::fabs(value) >= std::numeric_limits<double>::min())
        return writeDecimal(out, decimal);
    char buffer[32];
    const auto end
        = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14)
              .ptr;
    Decimal rounded = scientificDigits(buffer, end);
    rounded.negative = value < 0;
    while (rounded.size > 1 && rounded.digits[rounded.size - 1] == '0')
        --rounded.size;
    return writeDecimal(out, rounded);
}

} // namespace

double parseNumber(QStringView text, QStringView decimalPoint, bool *whole)
{
    // A separator of more than one character is not read.
    const auto number
        = readDecimal(text, decimalPoint.size() == 1 ? decimalPoint : QStringView(), Blanks::Anywhere);
    if (whole)
        *whole = number && number->end == std::size_t(text.size());
    return number ? number->value() : 0.0;
}

double roundHalfEven(double value, int decimals)
{
    // From 2^53 on a double has no fraction to round.
    if (!std::isfinite(value) || std::fabs(value) >= 0x1p53 || decimals > 20)
        return value;
    return toDouble(roundedDecimal(value, decimals));
}

char *writeNumberText(char *out, double value)
{
    if (!std::isfinite(value))
        return out;
    if (value == 0.0) {
        *out = '0';
        return out + 1;
    }
    return writeGeneral(out, value, shortestDecimal(value));
}

namespace {

// Five decimals of value without a library call, where the product by 1e5 cannot fall on the
// wrong side of a half: below 2^47 its rounding error is at most 2^-6, so a fraction further
// than 2^-5 from one half rounds as the exact value does. Null where that is not so.
char *writeFiveDecimals(char *out, double value)
{
    const double scaled = std::fabs(value) * 1e5;
    if (!(scaled < 0x1p47))
        return nullptr;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole; // exact
    if (std::fabs(fraction - 0.5) <= 0x1p-5)
        return nullptr;
    const std::uint64_t units = std::uint64_t(whole) + (fraction > 0.5);
    if (units == 0) {
        *out = '0'; // -0.000001 rounded away is written 0, without its sign
        return out + 1;
    }
    if (value < 0)
        *out++ = '-';
    out = std::to_chars(out, out + 16, units / 100000).ptr;
    std::uint64_t decimals = units % 100000;
    if (decimals == 0)
        return out;
    int count = 5;
    while (decimals % 10 == 0) {
        decimals /= 10;
        --count;
    }
    *out++ = '.';
    for (int k = count - 1; k >= 0; --k) {
        out[k] = char('0' + decimals % 10);
        decimals /= 10;
    }
    return out + count;
}

} // namespace

char *writeResultText(char *out, double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return writeNumberText(out, value);
    if (char *end = writeFiveDecimals(out, value))
        return end;
    // Below 1e10 five decimals stay within 15 significant digits; from 1e10 on, the 15
    // digits are the finer limit. Either way the exact value is rounded once.
    if (std::fabs(value) < 1e10) {
        const Decimal decimal = roundedDecimal(value, 5);
        if (decimal.size == 0) {
            *out = '0'; // -0.00001 rounded away is written 0, without its sign
            return out + 1;
        }
        return writeDecimal(out, decimal);
    }
    return writeNumberText(out, value);
}

char *writeShortestText(char *out, double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return writeNumberText(out, value);
    return writeDecimal(out, shortestDecimal(value));
}

QString withDecimalPoint(std::string_view text, QStringView decimalPoint)
{
    QString out = QString::fromLatin1(text.data(), qsizetype(text.size()));
    if (decimalPoint != u".")
        out.replace(QLatin1Char('.'), decimalPoint.toString());
    return out;
}

QString numberText(double value, QStringView decimalPoint)
{
    char buffer[maxNumberTextSize];
    return withDecimalPoint({buffer, std::size_t(writeNumberText(buffer, value) - buffer)}, decimalPoint);
}

double inputNumber(QStringView text)
{
    return parseNumber(text, QLocale().decimalPoint());
}

QString resultText(double value, QStringView decimalPoint)
{
    char buffer[maxNumberTextSize];
    return withDecimalPoint({buffer, std::size_t(writeResultText(buffer, value) - buffer)}, decimalPoint);
}

QString resultText(double value)
{
    return resultText(value, QLocale().decimalPoint());
}

QString shortenedNumberText(const DecimalText &number, int digits, QStringView decimalPoint)
{
    const std::string_view all = number.digits;
    if (all.empty())
        return QStringLiteral("0");
    const std::string_view kept = all.substr(0, std::size_t(std::max(digits, 1)));
    QString out = QLatin1String(number.negative ? "-" : "") + QLatin1Char(kept[0]);
    if (kept.size() > 1)
        out.append(decimalPoint).append(QLatin1String(kept.data() + 1, qsizetype(kept.size() - 1)));
    if (qsizetype(all.size()) > digits)
        out += u'\u2026';
    // The power of ten of the first digit.
    const long power = long(all.size()) - 1 + number.exponent;
    return out + QString::asprintf("E%c%02ld", power < 0 ? '-' : '+', std::abs(power));
}

} // namespace ornavel
