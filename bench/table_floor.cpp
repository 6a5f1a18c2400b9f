// The floor for `ornavel table M1 FROM:TO:STEP --format csv`: the same M1 values, the same
// shock relations, each of the seven values written with one std::to_chars, and nothing
// else (no checks, no rounding, no note). Usage: ornavel_table_floor FROM:TO:STEP
#include "core/normal_shock.h"
#include "table/table_values.h"

#include <charconv>
#include <cstdio>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    std::string error;
    const auto range = ornavel::DecimalRange::parse(argv[1], 10'000'000, error);
    if (!error.empty())
        return 2;
    static char buffer[1 << 16];
    std::size_t size = 0;
    for (std::int64_t i = 0; i < range.count(); ++i) {
        if (size > sizeof buffer - 256) {
            std::fwrite(buffer, 1, size, stdout);
            size = 0;
        }
        const double m1 = range.at(i);
        const double m2 = ornavel::downstreamMach(1.4, m1);
        const ornavel::ShockRatios r = ornavel::shockRatios(1.4, m1, m2);
        for (const double value : {m1, r.P2P1, r.Ro2Ro1, r.T2T1, r.Po2Po1, r.Po2P1, m2}) {
            size = std::size_t(std::to_chars(buffer + size, buffer + sizeof buffer, value).ptr - buffer);
            buffer[size++] = ',';
        }
        buffer[size++] = '\r';
        buffer[size++] = '\n';
    }
    std::fwrite(buffer, 1, size, stdout);
    return 0;
}
