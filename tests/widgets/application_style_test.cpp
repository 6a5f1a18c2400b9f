#include "widgets/application_style.h"

#include <QGroupBox>
#include <QImage>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace ornavel;

namespace {

// The first row, near the right edge of the box (clear of the title), that is not the plain window colour:
// where the frame (or the title) begins.
int firstMarkedRow(QStyle *style, const QString &title)
{
    QGroupBox box(title);
    box.setStyle(style);
    box.resize(120, 80);
    const QImage image = box.grab().toImage();
    const QColor window = box.palette().color(QPalette::Window);
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(image.width() - 8, y) != window)
            return y;
    }
    return -1;
}

} // namespace

class ApplicationStyleTest : public QObject
{
    Q_OBJECT
private slots:
    void extensionArrowsAreDrawn();
    void groupBoxFrameSitsWhereFusionPutsIt_data();
    void groupBoxFrameSitsWhereFusionPutsIt();
};

void ApplicationStyleTest::extensionArrowsAreDrawn()
{
    ApplicationStyle style;
    for (auto icon :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QImage image = style.standardIcon(icon).pixmap(16, 16).toImage();
        QVERIFY(!image.isNull());
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked += image.pixelColor(x, y).alpha() > 0;
        QVERIFY(inked > 10);
    }
}

void ApplicationStyleTest::groupBoxFrameSitsWhereFusionPutsIt_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("titled") << "Input Options";
    QTest::newRow("untitled") << "";
}

void ApplicationStyleTest::groupBoxFrameSitsWhereFusionPutsIt()
{
    QFETCH(QString, title);
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    auto *ours = new ApplicationStyle; // takes ownership of its own Fusion base
    ours->setBaseStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const std::unique_ptr<QStyle> owned(ours);
    const int expected = firstMarkedRow(fusion.get(), title);
    const int drawn = firstMarkedRow(ours, title);
    QVERIFY(expected >= 0);
    QVERIFY2(std::abs(drawn - expected) <= 1,
             qPrintable(QStringLiteral("%1 against %2").arg(drawn).arg(expected)));
}

QTEST_MAIN(ApplicationStyleTest)
#include "application_style_test.moc"
