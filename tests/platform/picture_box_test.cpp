#include "platform/picture_box.h"

#include <QImage>
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
    QCOMPARE(list[0].colour, box.palette().color(QPalette::WindowText)); // no colour: foreground
    QCOMPARE(list[1].shape, PictureBox::Shape::Circle);
    QCOMPARE(list[1].radius, 0.05); // in horizontal units, as a fraction of the width
    QCOMPARE(list[1].colour, QColor(0, 0, 255));
    QCOMPARE(list[2].from, QPointF(0.25, 0.75));
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
    box.Scale(0, 0, 0, 1); // degenerate: ignored, the previous scale stays
    QCOMPARE(box.userScale().bottomRight, QPointF(1, 1));
}

void PictureBoxTest::drawingSurvivesRepaintAndClipsFarShapes()
{
    PictureBox box;
    box.resize(102, 102);
    box.Scale(0, 0, 100, 100);
    box.Line(0, 50, 100, 50, QColor(0, 0, 255));
    box.Line(-1e30, 20, 1e30, 20, QColor(255, 0, 0)); // far ends, cut before painting
    box.Circle(1e30, 1e30, 1e29);                       // far away, not painted

    for (int pass = 0; pass < 2; ++pass) {
        const QImage image = box.grab().toImage();
        QCOMPARE(QColor(image.pixel(50, 51)).blue(), 255);
        QCOMPARE(QColor(image.pixel(50, 21)).red(), 255);
        QCOMPARE(QColor(image.pixel(50, 80)), QColor(Qt::white));
    }
}

QTEST_MAIN(PictureBoxTest)
#include "picture_box_test.moc"
