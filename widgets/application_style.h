#pragma once

#include <QProxyStyle>

namespace ornavel {

// The platform's style, but with the two pieces the window uses that come from image files
// drawn in code instead: the menu bar's overflow arrow and the frame of a group box. Reading
// the first image makes Qt load every image-format plugin, a noticeable part of the
// start-up. Set it on the application before the first window is created.
class ApplicationStyle : public QProxyStyle
{
    Q_OBJECT
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};

} // namespace ornavel
