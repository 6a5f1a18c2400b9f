// The lenient parse on any text: no crash, no undefined behaviour, never NaN, and blanks
// never change the value.
#include "platform/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double value = ornavel::parseNumber(text);
    if (std::isnan(value))
        __builtin_trap();

    QString compact = text;
    compact.remove(QLatin1Char(' '));
    const double again = ornavel::parseNumber(compact);
    if (std::memcmp(&value, &again, sizeof value) != 0)
        __builtin_trap();
    return 0;
}
