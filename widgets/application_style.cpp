#include "widgets/application_style.h"

#include <QGroupBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleOption>
#include <QWidget>

namespace ornavel {

namespace {

// A double chevron, », pointing right or down.
QIcon extensionArrow(bool horizontal, const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.5));
    if (!horizontal) {
        painter.translate(16, 0);
        painter.rotate(90);
    }
    for (double x : {4.0, 8.5}) {
        QPainterPath chevron;
        chevron.moveTo(x, 4);
        chevron.lineTo(x + 3.5, 8);
        chevron.lineTo(x, 12);
        painter.drawPath(chevron);
    }
    return QIcon(pixmap);
}

} // namespace

QIcon ApplicationStyle::standardIcon(StandardPixmap icon, const QStyleOption *option,
                                     const QWidget *widget) const
{
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
        const QColor colour = widget ? widget->palette().color(QPalette::ButtonText) : QColor(Qt::black);
        return extensionArrow(icon == SP_ToolBarHorizontalExtensionButton, colour);
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void ApplicationStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                     const QWidget *widget) const
{
    // Only Fusion draws this frame from an image; other styles keep their own.
    if (element != PE_FrameGroupBox || baseStyle()->name() != QLatin1String("fusion")) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion's geometry: the frame starts below the title, or just below the top edge of an
    // untitled box; a light rounded outline on a faintly darker ground.
    constexpr int topGap = 3;
    int top = topGap;
    const auto *box = qobject_cast<const QGroupBox *>(widget);
    if (!box || box->isCheckable() || !box->title().isEmpty())
        top += qMax(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget), option->fontMetrics.height());
    const QColor window = option->palette.color(QPalette::Window);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(window.darker(125));
    painter->setBrush(window.darker(103));
    painter->drawRoundedRect(QRectF(option->rect.adjusted(0, top, 0, 0)).adjusted(0.5, 0.5, -0.5, -0.5), 2,
                             2);
    painter->restore();
}

} // namespace ornavel
