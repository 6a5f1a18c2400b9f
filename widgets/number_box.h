#pragma once

#include <QLineEdit>
#include <QPixmap>

namespace ornavel {

// A text box that shows its whole text while it has no focus: at its own font where the
// text fits, else in a smaller size down to a readable floor, else (a number) shortened
// inside its mantissa with the exponent kept, "1.1666…E+40", never a part of it alone.
// text() stays what was set; with the focus the box shows and scrolls the real text.
// Its colours are its own, whatever the desktop's palette or an application style sheet say.
class NumberBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    // The smallest pixel size a long text is drawn in before it is shortened: below it a run
    // of equal digits can no longer be counted.
    static constexpr int floorPixelSize = 10;

    // What the value is, besides a plain answer, shown in the box's colours: an estimate on
    // an amber ground, a stale result (its input edited since) greyed.
    enum class Mark { None, Estimate, Stale };

    // The ground of a plain value, with black ink on it.
    void setBackColour(const QColor &colour);
    void setMark(Mark mark);
    Mark mark() const { return m_mark; }
    // The colours the box paints with now.
    QColor backColour() const;
    QColor inkColour() const;

    // Text the user typed: when it is too long it shows its start and an ellipsis, and it is
    // never given an exponent it was not typed with.
    void setTyped(bool typed);
    bool isTyped() const { return m_typed; }

    // What the box shows without the focus, and in which font.
    struct Shown {
        QString text;
        QFont font;
    };
    Shown shown() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Where the text goes: inside the frame, less the box's margins.
    QRect textArea() const;
    Shown fitted(int width) const;
    void applyColours();
    void paintParentBeneath();

    // The last shown form and what it was worked out from: measured once per change of
    // text, width or font, not on every paint.
    struct ShownFor {
        QString text;
        int width = -1;
        QFont font;
        bool typed = false;
        QString point;
    };
    mutable ShownFor m_shownFor;
    // The parent as it lies beneath the box, and what it was rendered for.
    struct Beneath {
        QRect place;
        qreal ratio = 0;
        qint64 palette = 0;
        const QStyle *style = nullptr;
    };
    Beneath m_beneathFor;
    QPixmap m_beneath;
    mutable Shown m_shown;

    QColor m_back {255, 255, 255};
    Mark m_mark = Mark::None;
    bool m_typed = false;
};

} // namespace ornavel
