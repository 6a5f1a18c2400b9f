#pragma once

#include <QPushButton>

namespace ornavel {

// A push button whose caption wraps onto several lines when it is wider than the button,
// as the legacy command button did ("Choose an input option" takes two lines), and which
// Return or Enter presses when it has the focus, as Space does. It is never a default
// button: Return elsewhere in the window does not press it.
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace ornavel
