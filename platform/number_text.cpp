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

    // Shortest round-trip form, d.ddddde±x: the decimal the double stands for.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    std::string digits = text.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int exponent = std::stoi(text.substr(e + 1));

    // Digits that stand at or above the last kept decimal place.
    const long keep = long(exponent) + 1 + decimals;
    if (keep >= long(digits.size()))
        return value;

    const double sign = value < 0 ? -1.0 : 1.0;
    if (keep < 0)
        return sign * 0.0;

    const std::string kept = digits.substr(0, std::size_t(keep));
    const std::string rest = digits.substr(std::size_t(keep));
    const bool moreThanHalf = rest[0] > '5'
        || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
    const bool exactlyHalf = rest[0] == '5' && !moreThanHalf;
    const bool lastOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
    const bool up = moreThanHalf || (exactlyHalf && lastOdd);

    // The kept digits as an integer count of units of 10^-decimals, carried if needed.
    std::string units = kept.empty() ? std::string("0") : kept;
    if (up) {
        int k = int(units.size()) - 1;
        while (k >= 0 && units[std::size_t(k)] == '9') {
            units[std::size_t(k)] = '0';
            --k;
        }
        if (k < 0)
            units.insert(units.begin(), '1');
        else
            ++units[std::size_t(k)];
    }
    const std::string rounded = units + "e" + std::to_string(-decimals);
    double magnitude = 0.0;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), magnitude);
    return sign * magnitude;
}

QString numberText(double value, QStringView decimalPoint)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0.0)
        return QStringLiteral("0");

    // Fifteen significant digits, d.dddddddddddddde±x, then trailing zeros dropped.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    std::string digits = text.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    digits.erase(digits.find_last_not_of('0') + 1);
    const int exponent = std::stoi(text.substr(e + 1));

    QString out;
    if (value < 0)
        out += u'-';
    if (exponent >= 15 || exponent < -15) {
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1) {
            out += decimalPoint;
            out += QString::fromLatin1(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        const int magnitude = std::abs(exponent);
        out += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        if (magnitude < 10)
            out += u'0';
        out += QString::number(magnitude);
        return out;
    }
    if (exponent >= 0) {
        const auto integerDigits = std::size_t(exponent) + 1;
        if (digits.size() <= integerDigits) {
            out += QString::fromLatin1(digits) + QString(qsizetype(integerDigits - digits.size()), u'0');
        } else {
            out += QString::fromLatin1(digits.data(), qsizetype(integerDigits));
            out += decimalPoint;
            out += QString::fromLatin1(digits.data() + integerDigits,
                                       qsizetype(digits.size() - integerDigits));
        }
    } else {
        out += u'0';
        out += decimalPoint;
        out += QString(qsizetype(-exponent - 1), u'0');
        out += QString::fromLatin1(digits);
    }
    return out;
}

double inputNumber(QStringView text)
{
    return parseNumber(text, QLocale().decimalPoint());
}

QString resultText(double value)
{
    return numberText(roundHalfEven(value, 5), QLocale().decimalPoint());
}

QString shortenedNumberText(QStringView text, int digits, QStringView decimalPoint)
{
    const QStringView number = text.trimmed();
    qsizetype i = 0;
    const auto isDigit = [&number](qsizetype at) { return at < number.size() && number[at].isDigit() && number[at] < u'\x80'; };
    QString out;
    if (i < number.size() && (number[i] == u'-' || number[i] == u'+')) {
        if (number[i] == u'-')
            out += u'-';
        ++i;
    }
    // The significant digits, and the power of ten of the first of them.
    QString significant;
    long exponent = -1;
    bool anyDigit = false, pointSeen = false;
    for (;; ++i) {
        if (isDigit(i)) {
            anyDigit = true;
            if (significant.isEmpty() && number[i] == u'0') {
                if (pointSeen)
                    --exponent;
            } else {
                significant += number[i];
                if (!pointSeen)
                    ++exponent;
            }
        } else if (!pointSeen && i < number.size()
                   && (number[i] == u'.' || number.mid(i).startsWith(decimalPoint))) {
            pointSeen = true;
            if (number[i] != u'.')
                i += decimalPoint.size() - 1;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return {};
    if (i < number.size() && (number[i] == u'e' || number[i] == u'E')) {
        ++i;
        const bool negative = i < number.size() && number[i] == u'-';
        if (i < number.size() && (number[i] == u'-' || number[i] == u'+'))
            ++i;
        if (!isDigit(i))
            return {};
        long power = 0;
        for (; isDigit(i); ++i)
            power = std::min(power * 10 + (number[i].unicode() - u'0'), 100'000'000L);
        exponent += negative ? -power : power;
    }
    if (i != number.size())
        return {};
    while (significant.endsWith(u'0'))
        significant.chop(1);
    if (significant.isEmpty())
        return QStringLiteral("0");

    const bool cut = significant.size() > digits;
    significant.truncate(std::max(digits, 1));
    out += significant[0];
    if (significant.size() > 1) {
        out += decimalPoint;
        out += significant.mid(1);
    }
    if (cut)
        out += u'\u2026';
    out += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    if (std::abs(exponent) < 10)
        out += u'0';
    out += QString::number(std::abs(exponent));
    return out;
}

} // namespace ornavel
