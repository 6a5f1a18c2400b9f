#pragma once

#include <QString>

class QWidget;

namespace ornavel {

// The title of every message box.
inline constexpr char applicationTitle[] = "Ornavel";

// A modal message box with the prompt, one OK button, no icon and the application title;
// returns once the user has closed it.
void messageBox(QWidget *parent, const QString &prompt);

} // namespace ornavel
