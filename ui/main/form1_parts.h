#pragma once

// What the files of Form1 share: its design sizes and fixed texts.
#include <QString>
#include <Qt>

namespace ornavel::form1 {

// Client width at design size; only the height changes with the mode.
inline constexpr int clientWidthTwips = 4050;
// Outer heights of the two views: without and with the graph.
inline constexpr int compactHeightTwips = 3800;
inline constexpr int graphHeightTwips = 6400;

// Longer than any number needs (a double takes at most 24 characters), with room for
// blanks, yet small enough that repeated pastes into a box's undo history stay small.
inline constexpr int maxInputLength = 256;

// The size is fixed, so the window offers no maximise button (the desktop would show one
// that does nothing).
inline constexpr Qt::WindowFlags fixedSizeWindow = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

inline const QString chooseOptionText = QStringLiteral("Choose an input option");
inline const QString graphName = QStringLiteral("Pitot ratio graph");
inline const QString graphCurveText = QStringLiteral("Po2/P1 against M1 from 1 to 5.9");
// What a box's tooltip and description add to its value, and the graph's to its marker.
inline const QString estimateText = QStringLiteral("estimate: not converged in 50 iterations");
inline const QString staleText = QStringLiteral("stale: the input was edited after this result");

} // namespace ornavel::form1
