// The number text and the result text on any double: never "nan", "inf" or "-0", a plain
// result text reads back within half a unit of its last place, and the result text written
// straight from the rounded decimal is the general text of the rounded double.
#include "text/number_text.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

bool meaningless(const QString &text)
{
    return text.contains(QLatin1String("nan"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("inf"), Qt::CaseInsensitive) || text == QLatin1String("-0");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    double x = 0;
    if (size < sizeof x)
        return 0;
    std::memcpy(&x, data, sizeof x);

    const QString general = ornavel::numberText(x, u".");
    const QString result = ornavel::numberText(ornavel::roundHalfEven(x, 5), u".");
    // From 1e10 the 15 significant digits are finer than five decimals: the value is written
    // as its general text, rounded once.
    const QString expected = std::fabs(x) >= 1e10 ? general : result;
    if (meaningless(general) || meaningless(result) || ornavel::resultText(x, u".") != expected)
        __builtin_trap();
    if (!std::isfinite(x)) {
        if (!general.isEmpty() || !result.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (result.contains(QLatin1Char('E')))
        return 0;

    // Half a unit of the fifth decimal, or of the fifteenth significant digit where the
    // number is too large to show five decimals.
    const double back = ornavel::parseNumber(result);
    const double fifteenth = std::pow(10.0, std::floor(std::log10(std::fabs(x))) - 14);
    const double halfUnit = 0.5 * std::max(1e-5, fifteenth);
    const double slack = 4 * std::numeric_limits<double>::epsilon() * std::fabs(x);
    if (!(std::fabs(back - x) <= halfUnit * (1 + 1e-9) + slack))
        __builtin_trap();
    return 0;
}
