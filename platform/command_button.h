#pragma once

#include <QPushButton>

namespace ornavel {

// A push button whose caption wraps onto several lines when it is wider than the button,
// as the legacy command button did ("Choose an input option" takes two lines).
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ornavel
