#pragma once

#include <QString>

class QWidget;

namespace ornavel {

// A new Tables window for parent, from the module loaded on first use; null with the reason
// in error when the module cannot be loaded.
QWidget *createTableWindow(QWidget *parent, QString &error);

} // namespace ornavel
