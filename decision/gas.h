#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ornavel {

// A gas by name, with its ratio of specific heats (ideal gas at 300 K).
struct Gas {
    const char *name;
    double gamma;
    const char *shown; // gamma as it is written beside the name: "1.4", "5/3"
};

// The gases the command line and the Tables window name, in the order they list them.
std::span<const Gas> gases();

// The ratio of specific heats the tables take: 1 < gamma <= 3.
bool isGamma(double gamma);

// A gamma as given, and the text that names it in a table's caption.
struct GivenGamma {
    double gamma = 1.4;
    std::string shown = "1.4"; // "5/3 (helium)", or the number as typed, shortest
};

// A gas name in any letter case, or a number read with "." and, when given, decimalPoint
// as its separator; empty where it is neither or the number is outside (1, 3].
std::optional<GivenGamma> readGamma(std::string_view text, char decimalPoint = '.');

// What a usage error says of a bad gamma: the range and the names.
std::string gammaChoices();

} // namespace ornavel
