#include "decision/gas.h"

#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace ornavel {

std::span<const Gas> gases()
{
    static constexpr Gas all[] = {
        {"air", 1.4, "1.4"},          {"nitrogen", 1.4, "1.4"},           {"oxygen", 1.395, "1.395"},
        {"hydrogen", 1.405, "1.405"}, {"helium", 5.0 / 3, "5/3"},         {"argon", 5.0 / 3, "5/3"},
        {"co2", 1.289, "1.289"},      {"carbon-dioxide", 1.289, "1.289"}, {"methane", 1.299, "1.299"},
        {"steam", 1.327, "1.327"},
    };
    return all;
}

bool isGamma(double gamma)
{
    return gamma > 1 && gamma <= 3;
}

std::optional<GivenGamma> readGamma(std::string_view text, char decimalPoint)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const Gas &gas : gases()) {
        if (lower == gas.name)
            return GivenGamma {gas.gamma, std::string(gas.shown) + " (" + gas.name + ")"};
    }
    // A plain decimal number, nothing around it: "1,3" where the comma is the separator.
    std::replace(lower.begin(), lower.end(), decimalPoint, '.');
    const bool plain = !lower.empty() && lower.find_first_not_of("0123456789.e+-") == std::string::npos;
    double gamma = 0;
    const auto [end, error] = std::from_chars(lower.data(), lower.data() + lower.size(), gamma);
    if (!plain || error != std::errc() || end != lower.data() + lower.size() || !isGamma(gamma))
        return std::nullopt;
    char shown[maxNumberTextSize];
    return GivenGamma {gamma, std::string(shown, writeShortestText(shown, gamma))};
}

std::string gammaChoices()
{
    std::string names;
    for (const Gas &gas : gases())
        names += std::string(names.empty() ? "" : ", ") + gas.name;
    return "a number greater than 1 and at most 3, or a gas: " + names;
}

} // namespace ornavel
