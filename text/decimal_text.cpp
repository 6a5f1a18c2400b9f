#include "text/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace ornavel {

namespace {

// Exponents this far out give 0 or an infinity whatever the digits; capped so they add up safely.
constexpr long exponentCap = 100'000'000;

template<typename Char>
class Scanner
{
public:
    using View = std::basic_string_view<Char>;
    Scanner(View text, View point, Blanks blanks) : m_text(text), m_point(point), m_blanks(blanks) {}

    std::optional<DecimalText> read()
    {
        DecimalText d;
        std::size_t i = skipAround(0);
        if (is(i, '+') || is(i, '-')) {
            d.negative = is(i, '-');
            i = skip(i + 1);
        }
        i = readMantissa(d, i);
        if (i == 0)
            return std::nullopt;
        d.end = readExponent(d, i);
        // Trailing zeros change neither the value nor what a range needs to step exactly.
        const auto last = d.digits.find_last_not_of('0');
        d.exponent += long(d.digits.size() - (last + 1));
        d.digits.resize(last + 1);
        return d;
    }

private:
    bool is(std::size_t i, char c) const { return i < m_text.size() && m_text[i] == Char(c); }
    bool digitAt(std::size_t i) const { return i < m_text.size() && isDigit(m_text[i]); }

    // Past the blanks at i, which may stand around the number.
    std::size_t skipAround(std::size_t i) const
    {
        while (i < m_text.size() && isBlank(m_text[i]))
            ++i;
        return i;
    }
    // Past the blanks at i inside the number, where the mode lets them stand.
    std::size_t skip(std::size_t i) const { return m_blanks == Blanks::Anywhere ? skipAround(i) : i; }

    // The length of the point at i, or 0.
    std::size_t pointAt(std::size_t i) const
    {
        const View rest = m_text.substr(std::min(i, m_text.size()));
        if (rest.starts_with(Char('.')))
            return 1;
        return !m_point.empty() && rest.starts_with(m_point) ? m_point.size() : 0;
    }

    // Digits with at most one point; where they end, or 0 without a digit.
    std::size_t readMantissa(DecimalText &d, std::size_t i) const
    {
        bool point = false, anyDigit = false;
        for (;;) {
            if (digitAt(i)) {
                anyDigit = true;
                if (!(d.digits.empty() && m_text[i] == Char('0')))
                    d.digits.push_back(char(m_text[i]));
                if (point)
                    --d.exponent;
                i = skip(i + 1);
            } else if (const std::size_t size = point ? 0 : pointAt(i)) {
                point = true;
                i = skip(i + size);
            } else {
                return anyDigit ? i : 0;
            }
        }
    }

    // Past the exponent at i, if a whole one stands there, with its value added; else i.
    std::size_t readExponent(DecimalText &d, std::size_t i) const
    {
        if (!is(i, 'e') && !is(i, 'E'))
            return skipAround(i);
        std::size_t j = skip(i + 1);
        const bool negative = is(j, '-');
        if (is(j, '+') || is(j, '-'))
            j = skip(j + 1);
        if (!digitAt(j))
            return skipAround(i);
        long written = 0;
        for (; digitAt(j); j = skip(j + 1))
            written = std::min(written * 10 + long(m_text[j] - Char('0')), exponentCap);
        d.exponent += negative ? -written : written;
        return skipAround(j);
    }

    View m_text;
    View m_point;
    Blanks m_blanks;
};

std::u16string_view utf16(QStringView text)
{
    return {text.utf16(), std::size_t(text.size())};
}

} // namespace

double DecimalText::value() const
{
    return nearestDouble(negative, digits, exponent);
}

std::optional<DecimalText> readDecimal(QStringView text, QStringView decimalPoint, Blanks blanks)
{
    return Scanner<char16_t>(utf16(text), utf16(decimalPoint), blanks).read();
}

std::optional<DecimalText> wholeDecimal(QStringView text, QStringView decimalPoint, Blanks blanks)
{
    auto d = readDecimal(text, decimalPoint, blanks);
    return d && d->end == std::size_t(text.size()) ? d : std::nullopt;
}

std::optional<DecimalText> wholeDecimal(std::string_view text, Blanks blanks)
{
    auto d = Scanner<char>(text, {}, blanks).read();
    return d && d->end == text.size() ? d : std::nullopt;
}

double nearestDouble(bool negative, std::string_view digits, long exponent)
{
    if (digits.empty())
        return negative ? -0.0 : 0.0;
    // from_chars rounds correctly, so the double depends on the decimal's value alone, not
    // on how it was written.
    char buffer[64];
    std::string longer;
    char *begin = buffer;
    if (digits.size() > 40) {
        longer.resize(digits.size() + 24);
        begin = longer.data();
    }
    char *p = std::copy(digits.begin(), digits.end(), begin);
    *p++ = 'e';
    p = std::to_chars(p, p + 23, exponent).ptr;
    double value = 0;
    if (std::from_chars(begin, p, value).ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched then: the first digit's power decides.
        const long power = long(digits.size()) - 1 + exponent;
        value = power > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

} // namespace ornavel
