#pragma once

#include <QString>

class QFont;
class QWidget;

namespace ornavel {

// The title of every message box.
inline constexpr char applicationTitle[] = "Ornavel";

// A modal message box with the prompt, one OK button, no icon and the application title;
// returns once the user has closed it.
void messageBox(QWidget *parent, const QString &prompt);

// How wide a window must be for a window manager's title bar to show the title whole.
int titleBarWidth(const QFont &font, const QString &title);

} // namespace ornavel
