#pragma once

#include <QWidget>

namespace ornavel {

// The credits window: what the program is for, who wrote it, when, and where to write.
class Form_About : public QWidget
{
    Q_OBJECT
public:
    explicit Form_About(QWidget *parent = nullptr);

protected:
    // Escape closes the window.
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace ornavel
