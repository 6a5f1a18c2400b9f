#pragma once

#include <QAccessible>

class QWidget;

namespace ornavel {

// Gives a widget the role that assistive technology announces for it (a chart, a window)
// where Qt's interface for its class would present a bare client area or a filler.
void setAccessibleRole(QWidget *widget, QAccessible::Role role);

} // namespace ornavel
