#include "widgets/command_button.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

using namespace ornavel;

class CommandButtonTest : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void captionWrapsAndIsDrawnOnce();
};

// clang-format off
void CommandButtonTest::keys_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<int>("presses");
    const Qt::KeyboardModifiers none;
    QTest::newRow("Return") << Qt::Key_Return << none << false << 1;
    QTest::newRow("Enter on the keypad") << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << false << 1;
    QTest::newRow("Space") << Qt::Key_Space << none << false << 1;
    QTest::newRow("Return held: its repeats") << Qt::Key_Return << none << true << 0;
    QTest::newRow("Ctrl+Return") << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ControlModifier) << false << 0;
    QTest::newRow("Shift+Return") << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 0;
}
// clang-format on

void CommandButtonTest::keys()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, autoRepeat);
    QFETCH(int, presses);
    CommandButton button(QStringLiteral("Calculate"));
    QSignalSpy clicked(&button, &QPushButton::clicked);
    // A held key sends pairs marked as repeats after its first press.
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(&button, &event);
    }
    QCOMPARE(clicked.count(), presses);
}

void CommandButtonTest::captionWrapsAndIsDrawnOnce()
{
    // The window's Command1: its font, its size, its caption.
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(ORNAVEL_WINDOW_FONT)) >= 0);
    CommandButton button(QStringLiteral("Choose an input option"));
    button.setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    button.resize(89, 41);
    // The widths of the bands of rows that hold the caption's ink, top to bottom.
    const auto bands = [&button] {
        const QImage drawn = button.grab().toImage();
        button.setText(QString());
        const QImage bare = button.grab().toImage();
        button.setText(QStringLiteral("Choose an input option"));
        QList<int> widths;
        for (int y = 0, last = -2; y < drawn.height(); ++y) {
            int left = drawn.width(), right = -1;
            for (int x = 0; x < drawn.width(); ++x) {
                if (drawn.pixel(x, y) != bare.pixel(x, y))
                    left = std::min(left, x), right = std::max(right, x);
            }
            if (right < 0)
                continue;
            if (last < y - 1)
                widths << 0;
            widths.last() = std::max(widths.last(), right - left + 1);
            last = y;
        }
        return widths;
    };
    // Two bands with clear rows between them: the stock single line drawn as well would fill
    // the gap.
    const QList<int> plain = bands();
    QCOMPARE(plain.size(), 2);
    // A sheet's padding leaves too little room: the caption takes the whole face, each line as
    // wide as before, where a caption cut to fit or drawn smaller would be narrower.
    qApp->setStyleSheet(QStringLiteral("QPushButton { padding: 8px 24px }"));
    const QList<int> padded = bands();
    qApp->setStyleSheet(QString());
    QCOMPARE(padded, plain);
}

QTEST_MAIN(CommandButtonTest)
#include "command_button_test.moc"
