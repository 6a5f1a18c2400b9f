#include "ui/window_font.h"

#include <QFontDatabase>
#include <QWidget>

namespace ornavel {

namespace {

void loadBundledFont()
{
    static const bool loaded
        = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-Regular.ttf")) >= 0;
    Q_ASSERT(loaded);
}

QString fontRule(const QString &selector, double pointSize)
{
    return selector + QStringLiteral(" { font-family: \"") + QLatin1String(windowFontFamily)
        + QStringLiteral("\"; font-size: ") + QString::number(pointSize)
        + QStringLiteral("pt; font-weight: normal; font-style: normal; }\n");
}

} // namespace

void useWindowFont(QWidget *window, double pointSize, const QList<std::pair<QString, double>> &namedSizes)
{
    loadBundledFont();
    QString sheet = fontRule(QStringLiteral("*"), pointSize);
    for (const auto &[name, size] : namedSizes)
        sheet += fontRule(u'#' + name, size);
    window->setStyleSheet(sheet);
}

} // namespace ornavel
