#include "ui/window_font.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QResource>
#include <QWidget>

namespace ornavel {

namespace {

void loadBundledFont()
{
    // The resource's own bytes, not a copy: 410 KB less for the life of the program.
    static const bool loaded = [] {
        const QResource font(QStringLiteral(":/fonts/LiberationSans-Regular.ttf"));
        if (font.compressionAlgorithm() != QResource::NoCompression)
            return QFontDatabase::addApplicationFont(font.fileName()) >= 0;
        const auto *bytes = reinterpret_cast<const char *>(font.data());
        return QFontDatabase::addApplicationFontFromData(
                   QByteArray::fromRawData(bytes, qsizetype(font.size())))
            >= 0;
    }();
    Q_ASSERT(loaded);
}

QString fontRule(const QString &selector, double pointSize)
{
    return selector + QStringLiteral(" { font-family: \"") + QLatin1String(windowFontFamily)
        + QStringLiteral("\"; font-size: ") + QString::number(pointSize)
        + QStringLiteral("pt; font-weight: normal; font-style: normal; }\n");
}

QFont windowFont(double pointSize)
{
    QFont font(QString::fromLatin1(windowFontFamily));
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

// Holds a window to the bundled font. A style sheet would do it alone, but it puts every
// polish and paint of the window through the style-sheet style, which made a click a third
// slower; plain fonts do where no application style sheet competes. Where one does (set at
// start-up with -stylesheet or later), only the window's own sheet outranks it.
class WindowFont : public QObject
{
public:
    WindowFont(QWidget *window, double pointSize, const QList<std::pair<QString, double>> &namedSizes)
        : QObject(window),
          m_window(window),
          m_pointSize(pointSize),
          m_namedSizes(namedSizes)
    {
        m_sheet = fontRule(QStringLiteral("*"), pointSize);
        for (const auto &[name, size] : namedSizes)
            m_sheet += fontRule(u'#' + name, size);
        window->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange))
            apply();
        return false;
    }

private:
    void apply()
    {
        if (!qApp->styleSheet().isEmpty()) {
            if (m_window->styleSheet() != m_sheet)
                m_window->setStyleSheet(m_sheet);
            return;
        }
        if (!m_window->styleSheet().isEmpty())
            m_window->setStyleSheet(QString());
        m_window->setFont(windowFont(m_pointSize));
        // The named controls may be created after the window; the window's polish, before
        // it first shows, finds them.
        for (const auto &[name, size] : m_namedSizes) {
            if (auto *control = m_window->findChild<QWidget *>(name))
                control->setFont(windowFont(size));
        }
    }

    QWidget *m_window;
    double m_pointSize;
    QList<std::pair<QString, double>> m_namedSizes;
    QString m_sheet;
};

} // namespace

void useWindowFont(QWidget *window, double pointSize, const QList<std::pair<QString, double>> &namedSizes)
{
    loadBundledFont();
    new WindowFont(window, pointSize, namedSizes);
}

} // namespace ornavel
