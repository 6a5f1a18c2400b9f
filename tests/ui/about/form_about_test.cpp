#include "ui/about/form_about.h"
#include "ui/main/form1.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using namespace ornavel;

class FormAboutTest : public QObject
{
    Q_OBJECT
private slots:
    void windowLooksAsDesigned();
    void lines_data();
    void lines();
    void menuOpensOneModelessWindow();
    void closingTheMainWindowClosesAboutAndTables();

private:
    static QList<QWidget *> aboutWindows();
};

QList<QWidget *> FormAboutTest::aboutWindows()
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("Form_About") && w->isVisible())
            found << w;
    }
    return found;
}

void FormAboutTest::windowLooksAsDesigned()
{
    Form_About about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(about.size(), QSize(240, 118)); // 3600 x 1770 twips
    QVERIFY(about.isWindow());
    QCOMPARE(about.grab().toImage().pixelColor(2, 2), QColor(255, 255, 192));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(QAccessible::queryAccessibleInterface(&about)->role(), QAccessible::Window);

    // The address can be selected, also by keys alone, and copied; Escape closes the window
    // from there too, Shift+Escape does not.
    auto *address = about.findChild<QLabel *>("Label5");
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Home);
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(address, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(address->selectedText(), QStringLiteral("ornavel"));
    QTest::keyClick(address, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(address->selectedText(), QStringLiteral("ornavel@example.org"));
    QTest::keyClick(address, Qt::Key_A);
    QTest::keyClick(address, Qt::Key_Escape, Qt::ShiftModifier);
    QVERIFY(about.isVisible());
    QTest::keyClick(address, Qt::Key_Escape);
    QVERIFY(!about.isVisible());
}

void FormAboutTest::lines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<double>("pointSize");
    const QColor green(0, 128, 0);
    const QColor standard(0, 0, 0); // fixed, so that a dark theme's light text cannot meet the yellow
    QTest::newRow("title") << "Label2" << QRect(48, 8, 137, 17) << "Program for solving" << green << 9.75;
    QTest::newRow("product") << "Label3" << QRect(32, 24, 169, 17) << "Ornavel" << green << 9.75;
    QTest::newRow("credit") << "Label7" << QRect(32, 40, 185, 17) << "Written by the Ornavel developers"
                            << standard << 8.25;
    QTest::newRow("date") << "Label8" << QRect(72, 56, 97, 17) << "February 2006" << standard << 8.25;
    QTest::newRow("where to write") << "Label4" << QRect(8, 72, 225, 17)
                                    << "For comments and questions e-mail to" << standard << 8.25;
    QTest::newRow("address") << "Label5" << QRect(56, 88, 129, 17) << "ornavel@example.org"
                             << QColor(0, 0, 255) << 8.25;
}

void FormAboutTest::lines()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QFETCH(double, pointSize);

    // The built-in font, whatever an application style sheet would have instead, and the
    // colours, whatever a dark desktop's palette (white text on black and grey).
    qApp->setStyleSheet("* { font-family: serif; font-size: 14pt }");
    const QPalette original = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(45, 45, 45)));
    Form_About about;
    about.ensurePolished(); // as showing it does
    auto *label = about.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(label->geometry(), geometry);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QCOMPARE(label->palette().color(QPalette::Window), QColor(255, 255, 192));
    QCOMPARE(label->font().pointSizeF(), pointSize);
    QCOMPARE(label->font().weight(), QFont::Normal);
    const QFontMetrics metrics(label->font());
    QVERIFY(metrics.horizontalAdvance(text) <= geometry.width());
    QVERIFY(metrics.height() <= geometry.height());
    qApp->setStyleSheet(QString());
    QApplication::setPalette(original);
}

void FormAboutTest::menuOpensOneModelessWindow()
{
    Form1 form;
    form.show();
    auto *menuEntry = form.findChild<QAction *>(QStringLiteral("Mn_About"));
    menuEntry->trigger();
    QCOMPARE(aboutWindows().size(), 1);
    QPointer<QWidget> first = aboutWindows().first();
    QCOMPARE(first->windowIcon().cacheKey(), form.windowIcon().cacheKey());
    QVERIFY(!first->isModal());
    QCOMPARE(first->parentWidget(), &form); // transient for the main window, over it
    QVERIFY(first->isWindow());
    QVERIFY(form.frameGeometry().contains(first->geometry().center()));
    QVERIFY(!QApplication::activeModalWidget());

    // Choosing it again shows the same window.
    menuEntry->trigger();
    QCOMPARE(aboutWindows(), QList<QWidget *> {first.data()});

    // The main window still calculates meanwhile.
    form.findChild<QAbstractButton *>(QStringLiteral("Option_M1"))->click();
    form.findChild<QLineEdit *>(QStringLiteral("Text_M1"))->setText(QStringLiteral("2"));
    form.findChild<QAbstractButton *>(QStringLiteral("Command1"))->click();
    QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Text_M2"))->text(), QStringLiteral("0.57735"));

    // Closed, it is gone; the next choice shows a new one.
    first->close();
    QTRY_VERIFY(first.isNull());
    menuEntry->trigger();
    QCOMPARE(aboutWindows().size(), 1);
}

void FormAboutTest::closingTheMainWindowClosesAboutAndTables()
{
    auto *form = new Form1;
    form->show();
    form->findChild<QAction *>(QStringLiteral("Mn_About"))->trigger();
    QPointer<QWidget> about = aboutWindows().first();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTest::keyClick(form, Qt::Key_T, Qt::ControlModifier); // and the Tables window, by its key
    QPointer<QWidget> table;
    for (QWidget *w : QApplication::topLevelWidgets())
        table = w->objectName() == QStringLiteral("Form_Table") ? w : table.data();
    // A window of its own, not the main window's child, which the window manager keeps over it.
    QVERIFY(table && table->isVisible() && !table->parentWidget());
    form->close();
    for (const QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!w->isVisible()); // so the last window is closed and the program ends
    delete form;                  // before the closed windows' deferred deletion, as when the program ends
    QVERIFY(about.isNull() && table.isNull()); // deleted with it, not left over
}

QTEST_MAIN(FormAboutTest)
#include "form_about_test.moc"
