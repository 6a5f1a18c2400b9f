#include "widgets/number_box.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>

#include <cmath>

using namespace ornavel;

Q_DECLARE_METATYPE(NumberBox::Mark)

class NumberBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void showsItsTextInView_data();
    void showsItsTextInView();
};

void NumberBoxTest::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(ORNAVEL_WINDOW_FONT)) >= 0);
}

// WCAG contrast of two colours: 1 (the same) to 21 (black on white).
static double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel
            = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

static QImage rendered(QWidget *widget, int ratio)
{
    QPixmap pixmap(widget->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    widget->render(&pixmap);
    return pixmap.toImage();
}

// Where two images of one size differ.
static QRect difference(const QImage &a, const QImage &b)
{
    QRect where;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                where |= QRect(x, y, 1, 1);
    return where;
}

// The data tables keep one row a line, as they read best; clang-format would split them.
// clang-format off
void NumberBoxTest::showsItsTextInView_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<NumberBox::Mark>("mark");
    QTest::addColumn<bool>("darkPalette"); // white text on black and grey
    QTest::addColumn<QString>("styleSheet");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<QColor>("ground");
    const auto none = NumberBox::Mark::None;
    const QColor grey(200, 200, 200);
    QTest::newRow("whole at the 10 px floor") << "32190.35923" << false << none << false << "" << "32190.35923" << 10 << grey;
    QTest::newRow("whole only below the floor: short form") << "999956.41333" << false << none << false << "" << "9.999…E+05" << 10 << grey;
    QTest::newRow("short form keeps the exponent, estimate") << "1.16666666666667E+40" << false << NumberBox::Mark::Estimate << false << "" << "1.166…E+40" << 10 << QColor(255, 221, 120);
    QTest::newRow("typed: its start, never an exponent") << " 999956.41333" << true << none << false << "" << "999956.41…" << 10 << grey;
    QTest::newRow("typed with an exponent: short form") << " 1.16666666666667e40" << true << none << false << "" << "1.166…E+40" << 10 << grey;
    QTest::newRow("typed, not a number: its start") << " abcdefghijklmnopq" << true << none << false << "" << "abcdefghijk…" << 10 << grey;
    QTest::newRow("stale") << "0.57735" << false << NumberBox::Mark::Stale << false << "" << "0.57735" << 11 << QColor(235, 235, 235);
    QTest::newRow("under a dark palette") << "0.57735" << false << none << true << "" << "0.57735" << 11 << grey;
    QTest::newRow("under a dark style sheet") << "999956.41333" << false << none << false << "QLineEdit { background-color: #303134; color: #e8eaed }" << "9.99…E+05" << 10 << grey;
}
// clang-format on

void NumberBoxTest::showsItsTextInView()
{
    QFETCH(QString, text);
    QFETCH(bool, typed);
    QFETCH(NumberBox::Mark, mark);
    QFETCH(bool, darkPalette);
    QFETCH(QString, styleSheet);
    QFETCH(QString, shown);
    QFETCH(int, pixelSize);
    QFETCH(QColor, ground);
    // A result box as the window has it: its font and size, a grey ground, the focus elsewhere.
    // The desktop's palette is there before it; a style sheet may come after.
    const auto restore = qScopeGuard([palette = QApplication::palette()] {
        QApplication::setPalette(palette);
        qApp->setStyleSheet(QString());
    });
    if (darkPalette)
        QApplication::setPalette(QPalette(QColor(45, 45, 45)));
    QWidget window;
    window.setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    auto *box = new NumberBox(&window);
    box->setGeometry(10, 10, 69, 19);
    box->setBackColour(QColor(200, 200, 200));
    window.setFocus();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    box->setTyped(typed);
    box->setText(text);
    box->setMark(mark);
    qApp->setStyleSheet(styleSheet);
    const NumberBox::Shown what = box->shown();
    QCOMPARE(what.text, shown);
    QCOMPARE(QFontInfo(what.font).pixelSize(), pixelSize);

    // As drawn at pixel ratios 1 and 2, inside the frame and the pixel just inside it: the
    // ground, and ink at 4.5:1 or more on it, clear of the edges, digits at least 7 pixels tall
    // at scale 1 (a run of equal ones stays countable), and as wide as the shown text drawn
    // with room to spare, since a cut between two glyphs leaves the edges clear but not the width.
    for (const int ratio : {1, 2}) {
        const int frame = (box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box) + 1) * ratio;
        const QImage drawn = rendered(box, ratio);
        const QRect inside = drawn.rect().adjusted(frame, frame, -frame, -frame);
        QCOMPARE(drawn.pixelColor(inside.topLeft()), ground);
        double best = 1;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                best = std::max(best, contrast(drawn.pixelColor(x, y), ground));
        QVERIFY2(best >= 4.5, qPrintable(QStringLiteral("at %1x: %2:1").arg(ratio).arg(best)));

        box->setText(QString());
        const QRect ink = difference(drawn, rendered(box, ratio));
        box->setText(text);
        QImage image(QSize(400, box->height()) * ratio, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QImage white = image;
        image.setDevicePixelRatio(ratio);
        QPainter painter(&image);
        painter.setFont(what.font);
        painter.drawText(QPointF(10, box->height() - 4), shown);
        painter.end();
        const int free = difference(image, white).width();
        QString seen;
        QDebug(&seen) << "at" << ratio << "x: ink" << ink << "drawn free" << free << "wide";
        QVERIFY2(inside.contains(ink) && ink.height() >= 7 * ratio && std::abs(ink.width() - free) <= ratio,
                 qPrintable(seen));
    }
}

QTEST_MAIN(NumberBoxTest)
#include "number_box_test.moc"
