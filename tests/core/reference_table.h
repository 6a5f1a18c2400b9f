#pragma once

// The multiprecision reference tables beside the core tests (make_isentropic_reference.py) and
// the distance in ulps of a computed double from their exact values.

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace ornavel::reference {

struct Row {
    std::string line;
    std::vector<std::string> fields;
    double number(std::size_t i) const { return std::strtod(fields.at(i).c_str(), nullptr); }
};

// Every row of a tab-separated table but its # comments; empty when it cannot be read.
inline std::vector<Row> readTable(const char *path)
{
    std::vector<Row> rows;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        Row row {line, {}};
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            row.fields.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

// How far got lies from the exact value written as text, in units of the last place of a
// double of the exact value's size; "nan" expects NaN. A wrong NaN, or a number where NaN is
// expected, is infinitely far.
inline long double ulpsFrom(double got, const std::string &exactText)
{
    constexpr long double far = std::numeric_limits<long double>::infinity();
    if (exactText == "nan")
        return std::isnan(got) ? 0 : far;
    const long double exact = std::strtold(exactText.c_str(), nullptr);
    if (std::isnan(got))
        return far;
    if (exact == 0)
        return got == 0 ? 0 : far;
    return std::fabs(got - exact) / std::ldexp(1.0L, std::ilogb(double(exact)) - 52);
}

} // namespace ornavel::reference
