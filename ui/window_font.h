#pragma once

#include <QList>
#include <QString>

#include <utility>

class QWidget;

namespace ornavel {

// The windows' font, built in as a resource: their fixed twips geometry is laid out for it.
inline constexpr char windowFontFamily[] = "Liberation Sans";

// Gives the window and all its children the built-in font at pointSize, and the named
// children their own sizes, whatever fontconfig substitutes or an application style sheet
// (-stylesheet) sets: the window's own sheet outranks the application's.
void useWindowFont(QWidget *window, double pointSize,
                   const QList<std::pair<QString, double>> &namedSizes = {});

} // namespace ornavel
