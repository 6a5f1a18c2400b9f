#pragma once

#include "core/normal_shock.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace ornavel {

// The ratio of specific heats of the main window's gas, air; tables take any gas.
inline constexpr double gamma = 1.4;

// The known quantity: the window's three input options, and the four measured ratios from
// which M1 has an exact inverse.
enum class Quantity { M1, M2, Po2P1, P2P1, Ro2Ro1, T2T1, Po2Po1 };

// Why a typed value has no result; refusalText gives the message the user sees.
enum class Refusal {
    NoInput,        // zero, or text without a number
    M2NotBelowOne,  // M2 >= 1
    M1TooLow,       // |M1| at or below 1/sqrt(7): no real shock partner
    M2TooLow,       // |M2| at or below 1/sqrt(7)
    OutOfRange,     // the input or a result lies beyond the doubles
    NoRealSolution, // no upstream Mach number gives this pitot ratio
    P2P1NotPositive,
    Ro2Ro1OutsideRange, // rho2/rho1 at or beyond 1/6 or 6
    T2T1NotPositive,
    Po2Po1NotPositive,
};

QString refusalText(Refusal refusal);
// The same messages as UTF-8, for writers that never build a QString.
const char *refusalUtf8(Refusal refusal);

// What a pitot ratio whose iteration did not settle is marked with in tables and copies,
// and the message the window shows for it.
inline constexpr const char *notConvergedNote = "not converged in 50 iterations";
QString notConvergedMessage();
// What a row whose M1 is below 1 is marked with: the values stand, but no shock forms there.
inline constexpr const char *subsonicNote = "subsonic: no shock forms";

// What a typed value gives: the values, or a refusal, or the last estimate of a pitot
// iteration that did not settle (converged false, values set).
struct Outcome {
    double input = 0;               // the number as read
    bool readWhole = true;          // false: the read stopped before the end of the text
    std::optional<Refusal> refusal; // set: none of the values below is an answer
    // The refusal a table's note gives: the same, but for a zero, which the window answers
    // with its button's instruction and a table with the quantity's own limit.
    Refusal noteRefusal = Refusal::NoInput;
    bool converged = true;
    double M1 = 0;
    double M2 = 0;
    ShockRatios ratios {}; // with Po2P1 recomputed from M1 and M2
};

// Whether the values describe a flow in which no shock forms: |M1| below 1. The sign of a
// Mach number only gives the flow's direction, so -2 is as supersonic as 2.
bool isSubsonic(const Outcome &outcome);

// The note a table row and Copy Results carry: empty for a plain answer, the refusal's
// table message (noteRefusal), or the marks that apply joined by "; ", the estimate first.
const char *outcomeNote(const Outcome &outcome);

// The one decision behind the window's Calculate command and the command-line table, for a
// gas; without gamma, the main window's.
Outcome calculate(double gamma, Quantity quantity, double input);
Outcome calculate(Quantity quantity, double input);
// The typed text read as the window reads it, "." and decimalPoint both separators.
Outcome calculate(Quantity quantity, QStringView typed, QStringView decimalPoint);

} // namespace ornavel
