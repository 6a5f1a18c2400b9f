#pragma once

#include <QString>

class QWidget;

namespace ornavel {

// A new Tables window beside mainWindow, from the module loaded on first use: a window of its
// own, without a parent, which the caller deletes. Null with the reason in error when the
// module cannot be loaded.
QWidget *createTableWindow(QWidget *mainWindow, QString &error);

} // namespace ornavel
