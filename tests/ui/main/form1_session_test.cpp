// Random user sessions on the main window: thousands of option clicks, typed numbers and
// junk, Calculate clicks and About windows, with the window's invariants checked after
// every event. The seed is printed with any failure; ORNAVEL_SESSION_SEED replays one.
#include "ui/main/form1.h"

#include "tests/ui/main/form1_driver.h"
#include "widgets/number_box.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <optional>
#include <random>

using namespace ornavel;
using namespace ornavel::testing;

namespace {

const QStringList optionNames = {"Option_M1", "Option_M2", "Option_Po2P1"};
constexpr std::array<int, 3> ownBox = {0, 6, 5}; // the input box of each option

const QSet<QString> knownMessages = {
    "Choose an input option",
    "SET input value then CLICK",
    "M2 must be lower than 1",
    "|M1| must be greater than 0.37796",
    "|M2| must be greater than 0.37796",
    "Input is out of range",
    "No real solution for this Po2/P1",
    QString::fromUtf8("iterasyon 50 adımda yakınsamadı"),
};

// A result box holds a plain number, or one with an exponent when it is that large.
const QRegularExpression resultPattern(QStringLiteral(R"(^-?\d+(\.\d+)?(E[+-]\d\d+)?$)"));

// What a box holds, as far as the session knows: its first (empty) text, the blank a mode
// change puts in, whatever the user typed, or a result.
enum class Content { Empty, Blank, Typed, Result };

constexpr int eventCount = 10000;

} // namespace

class Form1SessionTest : public QObject
{
    Q_OBJECT
private slots:
    void randomSession();

private:
    // A whole number from 0 to n - 1, from the seeded generator.
    int pick(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(m_random)); }
    QString randomText();
    std::mt19937_64 m_random;
};

QString Form1SessionTest::randomText()
{
    auto digits = [&](int count) {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar('0' + pick(10));
        return s;
    };
    // One kind of text a line.
    // clang-format off
    switch (pick(12)) {
    case 0: return QString();
    case 1: return QStringLiteral(" ");
    case 2: return QStringList {"abc", "nan", "inf", "-", ".", "e5", "--2", "x1", "+"}[pick(9)];
    case 3: return digits(1) + QStringLiteral(",") + digits(2); // comma ends the number
    case 4: return QStringLiteral("1e") + QString::number(300 + pick(120));  // huge
    case 5: return QStringLiteral("-1e") + QString::number(pick(420));
    case 6: return QStringLiteral("1e-") + QString::number(pick(400));       // tiny
    case 7: return QStringLiteral("0.37") + digits(pick(8));                  // near the Mach limit
    case 8: return QStringLiteral("1.4") + digits(1 + pick(4));               // near the pitot minimum
    default: {
        QString s = pick(5) == 0 ? QStringLiteral("-") : QString();
        s += digits(1 + pick(2));
        if (pick(3))
            s += QStringLiteral(".") + digits(1 + pick(6));
        if (pick(8) == 0)
            s += QStringLiteral("e") + QString::number(pick(7) - 3);
        if (pick(6) == 0)
            s.insert(pick(int(s.size()) + 1), QLatin1Char(' '));
        return s;
    }
        // clang-format on
    }
}

void Form1SessionTest::randomSession()
{
    QLocale::setDefault(QLocale::c());
    const QByteArray seedText = qgetenv("ORNAVEL_SESSION_SEED");
    const quint64 seed = seedText.isEmpty() ? 20261208 : seedText.toULongLong();
    m_random.seed(seed);

    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto child = [&form](const QString &name) { return form.findChild<QWidget *>(name); };
    const auto box = [&form](int i) { return form.findChild<QLineEdit *>(boxNames[i]); };
    auto *command = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    auto *aboutEntry = form.findChild<QAction *>(QStringLiteral("Mn_About"));
    auto *copyResults = form.findChild<QAction *>(QStringLiteral("CopyResults"));

    // The model of what the window must show.
    int mode = -1;        // index into optionNames, -1 before any choice
    bool allShown = true; // all seven pairs visible
    std::array<Content, 7> content;
    content.fill(Content::Empty);
    bool wholeResult = false; // every box holds the one result it was computed with
    bool marked = false;      // the graph marks a solution or an estimate
    bool estimate = false;    // the results are the last estimate of an unsettled iteration
    bool stale = false;       // the input was edited beside them
    for (int step = 0; step < eventCount; ++step) {
        const QString where = QStringLiteral("seed %1, step %2").arg(seed).arg(step);
        QString event;
        const int kind = pick(20);
        if (kind < 4) {
            mode = pick(3);
            event = QStringLiteral("choose ") + optionNames[mode];
            QTest::mouseClick(form.findChild<QRadioButton *>(optionNames[mode]), Qt::LeftButton);
            allShown = false;
            wholeResult = false;
            content[std::size_t(ownBox[std::size_t(mode)])] = Content::Blank;
        } else if (kind < 11) {
            // Mostly the input box; now and then another visible box or the gamma box.
            int target = mode >= 0 && pick(5) ? ownBox[std::size_t(mode)] : pick(8);
            QLineEdit *edit
                = target == 7 ? form.findChild<QLineEdit *>(QStringLiteral("Text1")) : box(target);
            if (!edit->isVisible())
                continue;
            const QString text = randomText();
            event = QStringLiteral("type '%1' into %2").arg(text, edit->objectName());
            const QString before = edit->text();
            if (pick(4) == 0) {
                // The whole text at once, as a screen reader or an automation tool writes it.
                event += QStringLiteral(" through its accessible interface");
                QAccessible::queryAccessibleInterface(edit)->setText(QAccessible::Value, text);
            } else {
                typeInto(edit, text);
            }
            if (target < 7) {
                const bool edited = edit->text() != before;
                if (edited)
                    content[std::size_t(target)] = Content::Typed;
                stale = stale || (wholeResult && edited && target == ownBox[std::size_t(mode)]);
                wholeResult = wholeResult && !edited;
            }
        } else if (kind < 19) {
            event = QStringLiteral("click Command1");
            const auto seen = clickAnsweringMessage(command);
            const QString lastMessage = seen ? seen->text : QString();
            if (seen) {
                QVERIFY2(knownMessages.contains(lastMessage), qPrintable(where + ": " + lastMessage));
                QVERIFY2((mode < 0) == (lastMessage == QStringLiteral("Choose an input option")),
                         qPrintable(where + ": " + lastMessage));
            }
            if (mode >= 0) {
                allShown = true;
                // A result fills every box but the input; a refusal empties them.
                const bool computed
                    = lastMessage.isEmpty() || lastMessage.startsWith(QStringLiteral("iterasyon"));
                wholeResult = computed;
                estimate = lastMessage.startsWith(QStringLiteral("iterasyon"));
                stale = false;
                marked = computed ? marked || mode == 2 : false;
                for (int i = 0; i < 7; ++i) {
                    if (i != ownBox[std::size_t(mode)])
                        content[std::size_t(i)] = computed ? Content::Result : Content::Empty;
                }
            }
        } else {
            event = QStringLiteral("About");
            aboutEntry->trigger();
            int open = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                open += w->objectName() == QStringLiteral("Form_About") && w->isVisible();
            QVERIFY2(open == 1, qPrintable(where));
            if (pick(2)) {
                for (QWidget *w : QApplication::topLevelWidgets()) {
                    if (w->objectName() == QStringLiteral("Form_About"))
                        w->close();
                }
            }
        }

        // The invariants, after every event.
        const QString context = where + QStringLiteral(" (") + event + QStringLiteral(")");
        const QByteArray contextBytes = context.toLocal8Bit();
        const char *ctx = contextBytes.constData();
        QVERIFY2(form.frameGeometry().height() == designHeight(mode == 2), ctx);
        QVERIFY2(child(QStringLiteral("Picture1"))->isVisible() == (mode == 2), ctx);
        QVERIFY2(copyResults->isEnabled() == wholeResult, ctx);
        QVERIFY2(form.findChild<QLineEdit *>(QStringLiteral("Text1"))->text() == QStringLiteral("1.4"), ctx);
        QVERIFY2(child(QStringLiteral("Picture1"))->accessibleDescription().contains(QStringLiteral("M1 = "))
                     == marked,
                 ctx);
        QVERIFY2(command->text()
                     == (mode < 0 ? QStringLiteral("Choose an input option")
                                  : QStringLiteral("SET input value then CLICK")),
                 ctx);
        for (int i = 0; i < 7; ++i) {
            const bool own = mode >= 0 && i == ownBox[std::size_t(mode)];
            QVERIFY2(child(labelNames[i])->isVisible() == (allShown || own), ctx);
            QVERIFY2(box(i)->isVisible() == (allShown || own), ctx);
            const QString text = box(i)->text();
            const QString shown = context + ": " + boxNames[i] + " = '" + text + "'";
            // An estimate or a stale result is always marked, in the box and its tooltip; a
            // fresh converged result, and the input, never are.
            const bool result = !own && content[std::size_t(i)] == Content::Result;
            const auto expectedMark = !result ? NumberBox::Mark::None
                : stale                       ? NumberBox::Mark::Stale
                : estimate                    ? NumberBox::Mark::Estimate
                                              : NumberBox::Mark::None;
            const auto *numberBox = static_cast<NumberBox *>(box(i));
            QVERIFY2(numberBox->mark() == expectedMark || content[std::size_t(i)] == Content::Typed,
                     qPrintable(shown));
            QVERIFY2(box(i)->toolTip().contains(QStringLiteral("stale")) == (result && stale),
                     qPrintable(shown));
            QVERIFY2(box(i)->toolTip().contains(QStringLiteral("estimate")) == (result && estimate),
                     qPrintable(shown));
            if (mode >= 0 && numberBox->mark() == NumberBox::Mark::None) {
                QVERIFY2(box(i)->palette().color(QPalette::Base)
                             == (own ? QColor(255, 255, 255) : QColor(200, 200, 200)),
                         ctx);
            }
            switch (content[std::size_t(i)]) {
            case Content::Empty:
                QVERIFY2(text.isEmpty() && box(i)->toolTip().isEmpty(), qPrintable(shown));
                break;
            case Content::Blank:
                QVERIFY2(text == QStringLiteral(" "), qPrintable(shown));
                break;
            case Content::Result:
                QVERIFY2(resultPattern.match(text).hasMatch(), qPrintable(shown));
                break;
            case Content::Typed:
                break;
            }
        }
    }

    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("Form_About"))
            w->close();
    }
}

QTEST_MAIN(Form1SessionTest)
#include "form1_session_test.moc"
