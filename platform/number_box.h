#pragma once

#include <QLineEdit>

namespace ornavel {

// A text box that shows its whole text while it has no focus: at its own font where the
// text fits, else in a smaller size down to a readable floor, else (a number) shortened
// inside its mantissa with the exponent kept, "1.1666…E+40", never a part of it alone.
// text() stays what was set; with the focus the box shows and scrolls the real text.
class NumberBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    // The smallest pixel size a long text is drawn in before it is shortened.
    static constexpr int floorPixelSize = 9;

    // What the box shows without the focus, and in which font.
    struct Shown {
        QString text;
        QFont font;
    };
    Shown shown() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Where the text goes: inside the frame, less the box's margins.
    QRect textArea() const;
};

} // namespace ornavel
