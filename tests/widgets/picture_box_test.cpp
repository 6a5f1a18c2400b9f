#include "widgets/picture_box.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScopeGuard>
#include <QTest>

#include <cmath>
#include <limits>

using namespace ornavel;

class PictureBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void areaFraction_data();
    void areaFraction();
    void singlePrecisionRejectsWhatCannotBeDrawn_data();
    void singlePrecisionRejectsWhatCannotBeDrawn();
    void recordsShapesInAreaFractions();
    void clsClearsButKeepsTheScale();
    void undrawableCoordinatesAreSkipped();
    void drawingSurvivesRepaintAndClipsFarShapes();
    void groundAndAxesAreCrispAtEveryScale();
};

void PictureBoxTest::areaFraction_data()
{
    QTest::addColumn<QPointF>("user");
    QTest::addColumn<QPointF>("expected");
    // The graph's scale: (0.5, -45) top-left, (6, 5) bottom-right, y growing downward.
    QTest::newRow("top-left corner") << QPointF(0.5, -45) << QPointF(0, 0);
    QTest::newRow("bottom-right corner") << QPointF(6, 5) << QPointF(1, 1);
    QTest::newRow("ratio zero lies 9/10 down") << QPointF(1, 0) << QPointF(0.5 / 5.5, 0.9);
    QTest::newRow("ratio 45 is the top edge") << QPointF(6, -45) << QPointF(1, 0);
    QTest::newRow("outside to the left") << QPointF(0, 0) << QPointF(-0.5 / 5.5, 0.9);
}

void PictureBoxTest::areaFraction()
{
    QFETCH(QPointF, user);
    QFETCH(QPointF, expected);
    const QPointF f = ornavel::areaFraction({QPointF(0.5, -45), QPointF(6, 5)}, user);
    QVERIFY2(std::abs(f.x() - expected.x()) < 1e-12 && std::abs(f.y() - expected.y()) < 1e-12,
             qPrintable(QStringLiteral("(%1, %2)").arg(f.x()).arg(f.y())));
}

void PictureBoxTest::singlePrecisionRejectsWhatCannotBeDrawn_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("drawable");
    QTest::newRow("ordinary") << 5.64044 << true;
    QTest::newRow("largest float") << double(std::numeric_limits<float>::max()) << true;
    QTest::newRow("beyond float") << 1e39 << false;
    QTest::newRow("negative beyond float") << -1e39 << false;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false;
}

void PictureBoxTest::singlePrecisionRejectsWhatCannotBeDrawn()
{
    QFETCH(double, value);
    QFETCH(bool, drawable);
    QCOMPARE(singlePrecision(value).has_value(), drawable);
}

void PictureBoxTest::recordsShapesInAreaFractions()
{
    PictureBox box;
    box.Scale(0, 0, 10, 10);
    box.Line(0, 0, 10, 5);
    box.Circle(5, 5, 0.5, QColor(0, 0, 255));
    box.PSet(2.5, 7.5, QColor(255, 0, 0));

    const auto &list = box.displayList();
    QCOMPARE(list.size(), std::size_t(3));
    QCOMPARE(list[0].shape, PictureBox::Shape::Line);
    QCOMPARE(list[0].to, QPointF(1, 0.5));
    QCOMPARE(list[0].colour, QColor(Qt::black)); // no colour: the foreground
    QCOMPARE(list[1].shape, PictureBox::Shape::Circle);
    QCOMPARE(list[1].radius, 0.05); // in horizontal units, as a fraction of the width
    QCOMPARE(list[1].colour, QColor(0, 0, 255));
    QCOMPARE(list[2].from, QPointF(0.25, 0.75));

    // Drawn, the circle's radius is a twentieth of the width, however tall the area: 10 pixels.
    box.resize(202, 102);
    const QImage image = box.grab().toImage();
    QVERIFY(image.pixelColor(101, 41) != QColor(Qt::white));
    QCOMPARE(image.pixelColor(101, 46), QColor(Qt::white));
}

void PictureBoxTest::clsClearsButKeepsTheScale()
{
    PictureBox box;
    box.Scale(0.5, -45, 6, 5);
    box.PSet(1, -1);
    box.Cls();
    QVERIFY(box.displayList().empty());
    box.PSet(6, 5);
    QCOMPARE(box.displayList().front().from, QPointF(1, 1));
}

void PictureBoxTest::undrawableCoordinatesAreSkipped()
{
    PictureBox box;
    box.Scale(0, 0, 1, 1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    box.Line(0, 0, nan, 1);
    box.Circle(1e39, 0, 0.1);
    box.PSet(0, std::numeric_limits<double>::infinity());
    QVERIFY(box.displayList().empty());
    // Degenerate or undrawable: ignored, the previous scale stays.
    for (const QRectF &scale : {QRectF(0, 0, 0, 1), QRectF(0, 0, 1, 0), QRectF(0, nan, 1, 1)}) {
        box.Scale(scale.x(), scale.y(), scale.x() + scale.width(), scale.y() + scale.height());
        QCOMPARE(box.userScale().bottomRight, QPointF(1, 1));
    }
}

void PictureBoxTest::drawingSurvivesRepaintAndClipsFarShapes()
{
    PictureBox box;
    box.resize(102, 102); // a one-pixel frame: user x maps to pixel 1 + x
    box.Scale(0, 0, 100, 100);
    // At half-pixel positions a 1-pixel pen covers one row fully: its exact colour, white beside.
    // Points of two colours, each its own; the line after them has the line's pen, not theirs.
    box.PSet(30.5, 40.5, QColor(255, 0, 0));
    box.PSet(70.5, 40.5, QColor(0, 0, 255));
    box.Line(0, 59.5, 100, 59.5, QColor(0, 0, 255));
    box.Line(-1e30, 19.5, 1e30, 19.5, QColor(255, 0, 0));    // far ends, cut before painting
    box.Line(-1e30, -1e30, 1e30, 1e30, QColor(255, 0, 255)); // far ends, the diagonal x = y
    box.Circle(1e30, 1e30, 1e29);                            // far away, not painted

    const QColor white(Qt::white), red(255, 0, 0);
    for (int pass = 0; pass < 2; ++pass) {
        const QImage image = box.grab().toImage();
        QCOMPARE(image.pixelColor(50, 60), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(31, 41), red);
        QCOMPARE(image.pixelColor(71, 41), QColor(0, 0, 255));
        for (const int x : {1, 50, 100}) // across the whole area
            QCOMPARE(image.pixelColor(x, 20), red);
        for (const int y : {19, 21, 59, 61, 80})
            QCOMPARE(image.pixelColor(50, y), white);
        QCOMPARE(image.pixelColor(0, 20), image.pixelColor(0, 80)); // the frame is not drawn on
        // A slanted 1-pixel line covers no pixel fully: magenta over white, mostly covered.
        const QColor diagonal = image.pixelColor(80, 80);
        QVERIFY2(diagonal.red() == 255 && diagonal.blue() == 255 && diagonal.green() < 192,
                 qPrintable(diagonal.name()));
    }
}

// At 1, 1.25, 1.5 and 2, and under a dark style sheet, the axes are black lines as wide as the
// pen in whole device pixels on white, inside a border as wide as the pen, with no gap inside
// and no sliver outside: a sheet must not take the blue and red their contrast.
void PictureBoxTest::groundAndAxesAreCrispAtEveryScale()
{
    const auto restore = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    PictureBox picture;
    picture.resize(249, 161); // the graph's design size
    picture.Scale(0.5, -45, 6, 5);
    picture.Line(1, 0, 5.9, 0);
    picture.Line(1, 0, 1, -44);
    const QRectF area = picture.contentsRect();
    const QColor edge(140, 140, 140), white(Qt::white);
    for (const char *sheet : {"", "QWidget { background: #202020; color: white }"}) {
        qApp->setStyleSheet(QString::fromLatin1(sheet));
        for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
            QPixmap scaled(picture.size() * scale);
            scaled.setDevicePixelRatio(scale);
            scaled.fill(Qt::green); // where the area paints nothing, what lies beneath shows
            picture.render(&scaled, QPoint(), QRegion(), QWidget::DrawChildren);
            const QImage shot = scaled.toImage();
            const int pen = int(std::lround(scale));
            // Nine pixels across an axis: b black, w white, anything else '?'.
            const auto across = [&](double x, double y, QPoint step) {
                const QPointF f = ornavel::areaFraction(picture.userScale(), QPointF(float(x), float(y)));
                QPoint p(int(scale * (area.left() + f.x() * area.width())),
                         int(scale * (area.top() + f.y() * area.height())));
                QString seen;
                for (p -= 4 * step; seen.size() < 9; p += step)
                    seen += shot.pixelColor(p) == Qt::black ? 'b' : shot.pixelColor(p) == white ? 'w' : '?';
                return seen;
            };
            const QString line = QString(4 - pen / 2, 'w') + QString(pen, 'b');
            for (const QString &seen : {across(4, 0, QPoint(0, 1)), across(1, -30, QPoint(1, 0))})
                QVERIFY2(seen.contains(line) && !seen.contains('?'),
                         qPrintable(QString::number(scale) + ": " + seen));
            // The last row the area covers only in part is left to what lies beneath, never white.
            const int middle = shot.width() / 2;
            int bottom = shot.height() - 1;
            while (bottom > 0 && shot.pixelColor(middle, bottom) != edge
                   && shot.pixelColor(middle, bottom) != white)
                --bottom;
            QVERIFY2(bottom >= shot.height() - 2 && shot.pixelColor(middle, bottom) == edge
                         && shot.pixelColor(middle, 0) == edge,
                     qPrintable(QString::number(scale)));
            QCOMPARE(shot.pixelColor(middle, pen - 1), edge);
            QCOMPARE(shot.pixelColor(middle, pen), white);
            QCOMPARE(shot.pixelColor(0, shot.height() / 2), edge);
        }
    }
}

QTEST_MAIN(PictureBoxTest)
#include "picture_box_test.moc"
