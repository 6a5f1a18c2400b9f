#include "ui/main/form1.h"

#include "cli/table_command.h"
#include "table/table.h"
#include "tests/ui/main/form1_driver.h"
#include "text/number_text.h"
#include "ui/main/control_table.h"
#include "widgets/number_box.h"
#include "widgets/picture_box.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace ornavel;

using namespace ornavel::testing;

class Form1Test : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startupState();
    void inputModeConfiguresWindow_data();
    void inputModeConfiguresWindow();
    void calculate_data();
    void calculate();
    void rejectedInput_data();
    void rejectedInput();
    void noOptionChangesNothing();
    void keyboardAndPaste();
    void modeChangeKeepsHiddenResults();
    void copyResults_data();
    void copyResults();
    void pitot_data();
    void pitot();
    void pitotGraph();
    void accessibleNames_data();
    void accessibleNames();
    void tabOrderFollowsTheTabIndex();
    void controlsFitTheirContainers_data();
    void controlsFitTheirContainers();

private:
    template<typename T = QWidget>
    T *child(const QString &name) const
    {
        T *widget = m_form->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit *box(const QString &name) const { return child<QLineEdit>(name); }
    void choose(const QString &option);
    static QString inputBoxOf(const QString &option)
    {
        return option == "Option_M1" ? "Text_M1" : option == "Option_M2" ? "Text_M2" : "Text_Po2P1";
    }
    void type(const QString &boxName, const QString &text);
    std::optional<SeenMessage> clickCalculate();
    QStringList boxTexts() const;
    void verifyResultMarks(NumberBox::Mark mark) const;
    int outerHeight() const { return m_form->frameGeometry().height(); }
    void compareWithTable(const QString &option, const QString &typed,
                          const std::optional<SeenMessage> &seen) const;

    Form1 *m_form = nullptr;
};

void Form1Test::init()
{
    QLocale::setDefault(QLocale::c());
    m_form = new Form1;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void Form1Test::cleanup()
{
    qApp->setStyleSheet(QString());
    delete m_form;
    m_form = nullptr;
    QLocale::setDefault(QLocale::c());
}

void Form1Test::choose(const QString &option)
{
    QTest::mouseClick(child<QRadioButton>(option), Qt::LeftButton);
}

void Form1Test::type(const QString &boxName, const QString &text)
{
    typeInto(box(boxName), text);
}

std::optional<SeenMessage> Form1Test::clickCalculate()
{
    return clickAnsweringMessage(child<QPushButton>("Command1"));
}

// The command-line table's row for a typed value: its eight cells, or none where the table
// takes no such value (it reads whole numbers only, so "2,5" and "abc" are usage errors).
static QStringList tableRow(const QString &option, const QString &typed)
{
    const std::string quantity = option.mid(int(qstrlen("Option_"))).toStdString();
    const std::string value = typed.trimmed().toStdString();
    char *data = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&data, &size);
    std::FILE *err = std::fopen("/dev/null", "w");
    const int status = runTable({quantity, value, "--format", "tsv"}, -1, out, err);
    std::fclose(out);
    std::fclose(err);
    const QStringList lines = QString::fromUtf8(data, qsizetype(size)).split('\n');
    std::free(data);
    return status == 0 ? lines.value(1).split('\t') : QStringList();
}

// The table gives, cell for cell, what the window shows for the same typed value, and the
// window's refusal as the note. (How the table writes its input cell and its other notes is
// the decision's, held in tests/decision/calculate_test.cpp.)
void Form1Test::compareWithTable(const QString &option, const QString &typed,
                                 const std::optional<SeenMessage> &seen) const
{
    const QStringList cells = tableRow(option, typed);
    if (cells.isEmpty())
        return;
    QCOMPARE(cells.size(), 8);
    for (int i = 0; i < 7; ++i) {
        if (boxNames[i] != inputBoxOf(option))
            QCOMPARE(cells[i], box(boxNames[i])->text());
    }
    // A table has no button to name: a zero's note is the quantity's own limit.
    if (seen && !seen->text.startsWith("iterasyon") && seen->text != "SET input value then CLICK")
        QCOMPARE(cells[7], seen->text);
}

// Every result box carries the mark, and its tooltip (what a screen reader describes) says
// what the colour says (the colours themselves: number_box_test.cpp).
void Form1Test::verifyResultMarks(NumberBox::Mark mark) const
{
    for (const QString &name : boxNames) {
        auto *edit = child<NumberBox>(name);
        if (edit->isTyped() || edit->text().isEmpty())
            continue;
        QCOMPARE(edit->mark(), mark);
        QCOMPARE(edit->toolTip().contains(QStringLiteral("estimate: not converged in 50 iterations")),
                 mark == NumberBox::Mark::Estimate);
        QCOMPARE(edit->toolTip().contains(QStringLiteral("stale: the input was edited after this result")),
                 mark == NumberBox::Mark::Stale);
    }
}

QStringList Form1Test::boxTexts() const
{
    QStringList texts;
    for (const QString &name : boxNames)
        texts << box(name)->text();
    return texts;
}

void Form1Test::startupState()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Ornavel"));
    QVERIFY(!m_form->windowIcon().pixmap(48).isNull()); // the theme's, else the bundled one
    QCOMPARE(child<QPushButton>("Command1")->text(), QStringLiteral("Choose an input option"));
    for (const char *option : {"Option_M1", "Option_M2", "Option_Po2P1"})
        QVERIFY(!child<QRadioButton>(option)->isChecked());
    for (int i = 0; i < 7; ++i) {
        QVERIFY(child(labelNames[i])->isVisible());
        QVERIFY(box(boxNames[i])->isVisible());
        QVERIFY(box(boxNames[i])->text().isEmpty());
    }
    QCOMPARE(box("Text1")->text(), QStringLiteral("1.4"));
    QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("γ ="));
    QCOMPARE(child<QLabel>("Label_Ro2Ro1")->text(), QStringLiteral("ρ2/ρ1 ="));
    QCOMPARE(outerHeight(), designHeight(false));

    // At the compact height the left column and the result frame are in view, the graph is not.
    const int clientBottom = m_form->centralWidget()->height();
    for (const char *name : {"Command1", "Frame1", "Frame3"})
        QVERIFY2(child(name)->geometry().bottom() < clientBottom, name);
    QVERIFY(child("Picture1")->visibleRegion().isEmpty());

    auto *about = m_form->findChild<QAction *>("Mn_About");
    QVERIFY(about);
    QCOMPARE(about->text(), QStringLiteral("&About"));
    QVERIFY(m_form->menuBar()->actions().contains(about));
    QVERIFY(!child<QPushButton>("Command1")->isDefault());
    // Fixed in size, so the desktop is told not to offer maximising.
    QVERIFY(m_form->windowFlags() & Qt::CustomizeWindowHint);
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
}

// The data tables keep one row a line, as they read best; clang-format would split them.
// clang-format off
void Form1Test::inputModeConfiguresWindow_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("own");
    QTest::addColumn<bool>("graph");
    QTest::newRow("M1") << "Option_M1" << 0 << false;
    QTest::newRow("M2") << "Option_M2" << 6 << false;
    QTest::newRow("Po2/P1") << "Option_Po2P1" << 5 << true;
}
// clang-format on

void Form1Test::inputModeConfiguresWindow()
{
    QFETCH(QString, option);
    QFETCH(int, own);
    QFETCH(bool, graph);

    // Start from another mode with typed text, so that every step has something to change.
    const QString other = option == "Option_Po2P1" ? "Option_M1" : "Option_Po2P1";
    choose(other);
    type(boxNames[own], "7");
    choose(option);

    for (int i = 0; i < 7; ++i) {
        QCOMPARE(child(labelNames[i])->isVisible(), i == own);
        QCOMPARE(box(boxNames[i])->isVisible(), i == own);
        QCOMPARE(box(boxNames[i])->palette().color(QPalette::Base),
                 i == own ? QColor(255, 255, 255) : QColor(200, 200, 200));
        QCOMPARE(child<NumberBox>(boxNames[i])->isTyped(), i == own);
    }
    QCOMPARE(box(boxNames[own])->text(), QStringLiteral(" "));
    QCOMPARE(child<QPushButton>("Command1")->text(), QStringLiteral("SET input value then CLICK"));
    QCOMPARE(outerHeight(), designHeight(graph));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize()); // not resizable
    QCOMPARE(child("Picture1")->isVisible(), graph);
    if (graph) {
        const QRect picture = child("Picture1")->geometry();
        QVERIFY(picture.bottom() < m_form->centralWidget()->height());
    }
}

// clang-format off
void Form1Test::calculate_data()
{
    // The wiring; the calculations themselves are held in tests/decision/calculate_test.cpp,
    // how a box shows a long text in tests/widgets/number_box_test.cpp.
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("input");
    // Box texts in the frame's order: M1, P2/P1, rho2/rho1, T2/T1, Po2/Po1, Po2/P1, M2.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("M1 = 2") << "Option_M1" << "2"
                            << QStringList {" 2", "4.5", "2.66667", "1.6875", "0.72087", "5.64044", "0.57735"};
    QTest::newRow("M1 = 50, long results") << "Option_M1" << "50"
                                           << QStringList {" 50", "2916.5", "5.98802", "487.0555", "0", "3219.35923", "0.37835"};
    QTest::newRow("M1 = 0.5, subsonic") << "Option_M1" << "0.5"
                                        << QStringList {" 0.5", "0.125", "0.28571", "0.4375", "2.25677", "2.67701", "2.64575"};
    QTest::newRow("M1 = 2,5 reads as 2, shown as read") << "Option_M1" << "2,5"
                                         << QStringList {"2", "4.5", "2.66667", "1.6875", "0.72087", "5.64044", "0.57735"};
    QTest::newRow("M2 = 0.5") << "Option_M2" << "0.5"
                              << QStringList {"2.64575", "8", "3.5", "2.28571", "0.44311", "9.4897", " 0.5"};
}
// clang-format on

void Form1Test::calculate()
{
    QFETCH(QString, option);
    QFETCH(QString, input);
    QFETCH(QStringList, expected);

    choose(option);
    const QString own = inputBoxOf(option);
    type(own, input);
    QCOMPARE(clickCalculate().has_value(), false);
    compareWithTable(option, input, std::nullopt);
    const QStringList texts = boxTexts();
    QCOMPARE(texts, expected);
    for (int i = 0; i < 7; ++i) {
        // A written result is shown from its start and holds its unrounded value in the
        // tooltip, which is also what a screen reader describes.
        QLineEdit *written = box(boxNames[i]);
        if (boxNames[i] == own)
            continue;
        QCOMPARE(written->cursorPosition(), 0);
        QCOMPARE(resultText(inputNumber(written->toolTip())), written->text());
        QCOMPARE(QAccessible::queryAccessibleInterface(written)->text(QAccessible::Description),
                 written->toolTip());
    }
    if (input == "50") // Po2/Po1 rounds to 0
        QCOMPARE(box("Text_Po2Po1")->toolTip(), QStringLiteral("0.00000114376657059994"));
    QVERIFY(!child("Picture1")->isVisible());

    verifyResultMarks(NumberBox::Mark::None);

    // Edited, the input no longer has these results: greyed until the next click, which
    // recomputes the same texts from the same input.
    type(own, "1");
    verifyResultMarks(NumberBox::Mark::Stale);
    QCOMPARE(box(own)->toolTip(), QString()); // not the subsonic note of the old input
    QTest::keyClick(box(own), Qt::Key_Backspace);
    QCOMPARE(clickCalculate().has_value(), false);
    QCOMPARE(boxTexts(), texts);
    verifyResultMarks(NumberBox::Mark::None);
}

// clang-format off
void Form1Test::rejectedInput_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    const QString setInput = "SET input value then CLICK";
    QTest::newRow("M1 lone blank") << "Option_M1" << "" << setInput;
    QTest::newRow("M1 zero") << "Option_M1" << "0" << setInput;
    QTest::newRow("M1 letters") << "Option_M1" << "abc" << setInput;
    QTest::newRow("M1 negative zero") << "Option_M1" << "-0" << setInput;
    QTest::newRow("M1 at the limit") << "Option_M1" << "0.37796" << "|M1| must be greater than 0.37796";
    QTest::newRow("M1 below the limit, negative") << "Option_M1" << "-0.2" << "|M1| must be greater than 0.37796";
    QTest::newRow("M1 nearest double to the limit") << "Option_M1" << "0.3779644730092272"
                                                    << "|M1| must be greater than 0.37796";
    QTest::newRow("M1 a double above the limit") << "Option_M1" << "0.3779644730092273"
                                                 << "|M1| must be greater than 0.37796";
    QTest::newRow("M1 beyond the doubles") << "Option_M1" << "1e400" << "Input is out of range";
    QTest::newRow("M1 whose ratios overflow") << "Option_M1" << "3e44" << "Input is out of range";
    QTest::newRow("M1 whose square overflows") << "Option_M1" << "1e200" << "Input is out of range";
    QTest::newRow("M2 blank") << "Option_M2" << "" << setInput;
    QTest::newRow("M2 one") << "Option_M2" << "1" << "M2 must be lower than 1";
    QTest::newRow("M2 above one") << "Option_M2" << "1.2" << "M2 must be lower than 1";
    QTest::newRow("M2 overflow is above one") << "Option_M2" << "1e400" << "M2 must be lower than 1";
    QTest::newRow("M2 below the limit") << "Option_M2" << "0.3" << "|M2| must be greater than 0.37796";
    QTest::newRow("M2 negative below the limit") << "Option_M2" << "-0.1" << "|M2| must be greater than 0.37796";
    QTest::newRow("M2 negative beyond the doubles") << "Option_M2" << "-1e400" << "Input is out of range";
    QTest::newRow("M2 large negative") << "Option_M2" << "-1e200" << "Input is out of range";
    QTest::newRow("Po2/P1 blank") << "Option_Po2P1" << "" << setInput;
    QTest::newRow("Po2/P1 letters") << "Option_Po2P1" << "x10" << setInput;
    QTest::newRow("Po2/P1 zero") << "Option_Po2P1" << "0" << setInput;
    const QString noSolution = "No real solution for this Po2/P1";
    QTest::newRow("Po2/P1 negative") << "Option_Po2P1" << "-1" << noSolution;
    QTest::newRow("Po2/P1 small negative") << "Option_Po2P1" << "-0.1" << noSolution;
    QTest::newRow("Po2/P1 collapsing onto the limit") << "Option_Po2P1" << "1" << noSolution;
    QTest::newRow("Po2/P1 collapse meeting the stopping test") << "Option_Po2P1" << "1.4771" << noSolution;
    QTest::newRow("Po2/P1 below the minimum") << "Option_Po2P1" << "1.4775" << noSolution;
    QTest::newRow("Po2/P1 whose ratios overflow") << "Option_Po2P1" << "7.8e88" << "Input is out of range";
    QTest::newRow("Po2/P1 whose iteration overflows") << "Option_Po2P1" << "1e307" << "Input is out of range";
    QTest::newRow("Po2/P1 beyond the doubles") << "Option_Po2P1" << "1e400" << "Input is out of range";
}
// clang-format on

void Form1Test::rejectedInput()
{
    QFETCH(QString, option);
    QFETCH(QString, input);
    QFETCH(QString, message);

    // Earlier results in every box and a graph: none may stay beside the refused input.
    choose("Option_Po2P1");
    type("Text_Po2P1", "10");
    QVERIFY(!clickCalculate());
    choose(option);
    const bool pitot = option == "Option_Po2P1";
    const QString own = inputBoxOf(option);
    type(own, input);
    QStringList expected(7);
    expected[boxNames.indexOf(own)] = box(own)->text();

    const auto seen = clickCalculate();
    QVERIFY(seen);
    QCOMPARE(seen->text, message);
    QCOMPARE(seen->boxes, expected); // emptied before the message, not after
    QCOMPARE(boxTexts(), expected);
    compareWithTable(option, input, seen);
    for (int i = 0; i < 7; ++i)
        QVERIFY(box(boxNames[i])->isVisible());
    QCOMPARE(child("Picture1")->isVisible(), pitot);
    QVERIFY(child<PictureBox>("Picture1")->displayList().empty());
    QCOMPARE(child("Picture1")->toolTip(), QString());
    QVERIFY(std::isnan(m_form->upstreamMach()));
}

void Form1Test::noOptionChangesNothing()
{
    const auto seen = clickCalculate();
    QVERIFY(seen);
    QCOMPARE(seen->text, QStringLiteral("Choose an input option"));
    QCOMPARE(boxTexts(), QStringList(7));
}

void Form1Test::keyboardAndPaste()
{
    choose("Option_M1");
    type("Text_M1", "2");
    QTest::keyClick(box("Text_M1"), Qt::Key_Return);
    QTest::keyClick(box("Text_M1"), Qt::Key_Enter);
    QVERIFY(box("Text_M2")->text().isEmpty());
    QVERIFY(!box("Text_M2")->isVisible());

    // On the focused button Return calculates (its other keys: command_button_test.cpp).
    auto *command = child<QPushButton>("Command1");
    command->setFocus();
    QTest::keyClick(command, Qt::Key_Return);
    QCOMPARE(box("Text_M2")->text(), QStringLiteral("0.57735"));

    // Alt+A opens the About window; so do F10, which makes the menu entry current, and Return.
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    const auto aboutShown = [] {
        QWidget *about = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            about = w->objectName() == "Form_About" && w->isVisible() ? w : about;
        return about;
    };
    QTest::keyClick(box("Text_M1"), Qt::Key_A, Qt::AltModifier);
    QVERIFY(aboutShown());
    aboutShown()->close();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    box("Text_M1")->setFocus();
    QTest::keyClick(box("Text_M1"), Qt::Key_F10);
    QCOMPARE(m_form->menuBar()->activeAction(), m_form->findChild<QAction *>("Mn_About"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(aboutShown());

    // A huge paste is cut to a bounded length, so each undo step stays small.
    box("Text_M1")->selectAll();
    QApplication::clipboard()->setText(" 3" + QString(100000, u'0'));
    box("Text_M1")->paste();
    QCOMPARE(box("Text_M1")->text().size(), 256);
}

void Form1Test::modeChangeKeepsHiddenResults()
{
    choose("Option_M1");
    type("Text_M1", "2");
    QVERIFY(!clickCalculate());
    choose("Option_M2");
    QCOMPARE(box("Text_P2P1")->text(), QStringLiteral("4.5"));
    QVERIFY(!box("Text_P2P1")->isVisible());
    QCOMPARE(box("Text_M2")->text(), QStringLiteral(" ")); // only the own box is blanked
    QCOMPARE(box("Text_M1")->text(), QStringLiteral(" 2"));

    // Shown again by the next click, still grey; refused, they no longer hold the old results.
    QVERIFY(clickCalculate());
    QVERIFY(box("Text_P2P1")->isVisible());
    QCOMPARE(box("Text_P2P1")->text(), QString());
    QCOMPARE(box("Text_P2P1")->palette().color(QPalette::Base), QColor(200, 200, 200));

    // The gamma box takes no typing (it is read-only), so it cannot contradict the results.
    type("Text1", "9");
    QCOMPARE(box("Text1")->text(), QStringLiteral("1.4"));
    type("Text_M2", "0.5");
    QVERIFY(!clickCalculate());
    QCOMPARE(box("Text_P2P1")->text(), QStringLiteral("8"));

    // Clicking the selected option again runs its handler: the input box is blanked.
    choose("Option_M2");
    QCOMPARE(box("Text_M2")->text(), QStringLiteral(" "));
    QVERIFY(!box("Text_P2P1")->isVisible());
}

// clang-format off
void Form1Test::pitot_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("graph"); // what the graph's description says of its marker
    const QString none;
    QTest::newRow("Mach 2") << "5.64044" << none
                            << QStringList {"2", "4.5", "2.66667", "1.6875", "0.72087", " 5.64044", "0.57735"}
                            << ", solution marked at M1 = 2, Po2/P1 = 5.64044";
    QTest::newRow("ratio 10") << "10" << none
                              << QStringList {"2.71975", "8.46323", "3.58007", "2.36398", "0.41666", " 10", "0.4941"}
                              << ", solution marked at M1 = 2.71975, Po2/P1 = 10";
    QTest::newRow("ratio 2 keeps what was typed") << "2" << none
                                                  << QStringList {"1.04655", "", "", "", "", " 2", "0.95617"}
                                                  << ", solution marked at M1 = 1.04655, Po2/P1 = 2";
    QTest::newRow("sonic") << "1.89293" << none
                           << QStringList {"1", "1", "1", "1", "1", " 1.89293", "1"}
                           << ", solution marked at M1 = 1, Po2/P1 = 1.89293";
    QTest::newRow("subsonic continuation") << "1.8" << none
                                           << QStringList {"0.9561", "", "", "", "", " 1.8", "1.04662"}
                                           << ", solution at M1 = 0.9561, Po2/P1 = 1.8, left of the plotted range, below M1 = 1";
    QTest::newRow("ratio 50, beyond the plotted range") << "50" << none
                                                         << QStringList {"6.20271", "", "", "", "", " 50", ""}
                                                         << ", solution at M1 = 6.20271, Po2/P1 = 50, beyond the plotted range";
    QTest::newRow("ratio 1e88, exponents") << "1e88" << none
                                           << QStringList {"8.81284854347331E+43", "", "", "", "", " 1e88", ""}
                                           << ", solution at M1 = 8.81284854347331E+43, Po2/P1 = 1E+88, beyond the plotted range";
    QTest::newRow("unsettled 1.5") << "1.5" << QString::fromUtf8("iterasyon 50 adımda yakınsamadı")
                                   << QStringList {"0.73805", "0.46884", "0.58945", "0.79539", "1.04471", " 1.5", "1.40395"}
                                   << ", last estimate, not converged, at M1 = 0.73805, Po2/P1 = 1.5, left of the plotted range, below M1 = 1";
}
// clang-format on

void Form1Test::pitot()
{
    QFETCH(QString, input);
    QFETCH(QString, message);
    QFETCH(QStringList, expected);
    QFETCH(QString, graph);

    // The result of another ratio on screen first: none of it may stand beside this one, not
    // even while the message is up.
    choose("Option_Po2P1");
    type("Text_Po2P1", "3");
    QVERIFY(!clickCalculate());
    choose("Option_Po2P1");
    type("Text_Po2P1", input);
    const auto seen = clickCalculate();
    QCOMPARE(seen.has_value(), !message.isEmpty());
    if (seen) {
        QCOMPARE(seen->text, message);
        QVERIFY(seen->text.contains(QChar(0x0131))); // the dotless i
        QStringList alone(7);
        alone[5] = " " + input;
        QCOMPARE(seen->boxes, alone);
        QCOMPARE(seen->marks, QStringList(7));
        QCOMPARE(seen->graph, QStringLiteral("Po2/P1 against M1 from 1 to 5.9"));
    }
    QCOMPARE(child("Picture1")->accessibleDescription(), "Po2/P1 against M1 from 1 to 5.9" + graph);
    QCOMPARE(child("Picture1")->toolTip(), child("Picture1")->accessibleDescription());
    const double axis = 0.5 / 5.5 - 1e-6; // nothing blue left of the ratio axis
    for (const PictureBox::Item &item : child<PictureBox>("Picture1")->displayList())
        QVERIFY(item.colour != QColor(Qt::blue)
                || (item.from.x() >= axis && (item.shape != PictureBox::Shape::Line || item.to.x() >= axis)));
    verifyResultMarks(seen ? NumberBox::Mark::Estimate : NumberBox::Mark::None);
    QCOMPARE(box("Text_M1")->toolTip().endsWith(QStringLiteral("subsonic: no shock forms)")),
             m_form->upstreamMach() < 1);
    compareWithTable("Option_Po2P1", input, seen);
    const QStringList texts = boxTexts();
    for (int i = 0; i < 7; ++i) {
        if (!expected[i].isEmpty())
            QCOMPARE(texts[i], expected[i]);
    }
    QVERIFY(child("Picture1")->isVisible());
    QCOMPARE(outerHeight(), designHeight(true));

    // Each run starts afresh from M1 = 1 with the typed ratio: clicking again changes nothing.
    clickCalculate();
    QCOMPARE(boxTexts(), texts);
}

void Form1Test::pitotGraph()
{
    choose("Option_Po2P1");
    type("Text_Po2P1", "5.64044");
    QVERIFY(!clickCalculate());
    auto *picture = child<PictureBox>("Picture1");
    const auto &list = picture->displayList();
    const UserScale scale {QPointF(0.5, -45), QPointF(6, 5)};
    const auto at = [&scale](double x, double y) { return areaFraction(scale, QPointF(float(x), float(y))); };
    // Coordinates pass through single precision the same way on both sides: exact equality.
    const auto same = [](QPointF a, QPointF b) { return a == b; };

    // Two axes, the marker, two guides, then the curve.
    QCOMPARE(list.size(), std::size_t(5 + 491));
    QVERIFY(same(list[0].from, at(1, 0)) && same(list[0].to, at(5.9, 0)));
    QVERIFY(same(list[1].from, at(1, 0)) && same(list[1].to, at(1, -44)));
    QCOMPARE(list[0].colour, QColor(Qt::black));

    // The marker sits at the solved M1 and the typed ratio, not the recomputed one.
    const double M1 = m_form->upstreamMach();
    QCOMPARE(list[2].shape, PictureBox::Shape::Circle);
    QVERIFY(same(list[2].from, at(M1, -5.64044)));
    QVERIFY(std::abs(list[2].radius - 0.05 / 5.5) < 1e-9);
    QVERIFY(same(list[3].from, at(1, -5.64044)) && same(list[3].to, at(M1, -5.64044)));
    QVERIFY(same(list[4].from, at(M1, 0)) && same(list[4].to, at(M1, -5.64044)));
    for (int i = 2; i < 5; ++i)
        QCOMPARE(list[std::size_t(i)].colour, QColor(0, 0, 255));

    for (std::size_t i = 5; i < list.size(); ++i) {
        QCOMPARE(list[i].shape, PictureBox::Shape::Point);
        QCOMPARE(list[i].colour, QColor(255, 0, 0));
    }
    QVERIFY(same(list[5].from, at(1, -1.8929291587378538)));
    // Mach 5.88 is still inside; 5.89 and 5.9 lie above the top edge.
    QVERIFY(list[list.size() - 3].from.y() > 0);
    QVERIFY(list[list.size() - 2].from.y() < 0);
    QVERIFY(list.back().from.y() < 0);
    QVERIFY(std::abs(list.back().from.x() - at(5.9, 0).x()) < 1e-6);

    // Edited, the input no longer has this solution: the marker and guides are greyed and the
    // description says so, until the next calculation draws them afresh (that a drawing
    // survives repaints is picture_box_test.cpp's).
    box("Text_Po2P1")->setText("10");
    for (int i = 2; i < 5; ++i)
        QCOMPARE(list[std::size_t(i)].colour, QColor(118, 118, 118));
    QVERIFY(picture->accessibleDescription().endsWith(", stale: the input was edited after this result"));
    QVERIFY(!clickCalculate());
    QCOMPARE(list.size(), std::size_t(5 + 491));
    QVERIFY(same(list[2].from, at(m_form->upstreamMach(), -10)));
    QCOMPARE(list[2].colour, QColor(0, 0, 255));
}

// clang-format off
void Form1Test::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("description"); // at startup: what a screen reader adds
    const QStringList quantities = {"M1", "P2/P1", "ρ2/ρ1", "T2/T1", "Po2/Po1", "Po2/P1", "M2"};
    for (int i = 0; i < 7; ++i)
        QTest::newRow(qPrintable(boxNames[i])) << boxNames[i] << quantities[i] << int(QAccessible::EditableText) << "";
    QTest::newRow("Text1") << "Text1" << "γ" << int(QAccessible::EditableText) << "γ is fixed at 1.4";
    QTest::newRow("Option_M1") << "Option_M1" << "M1" << int(QAccessible::RadioButton) << "";
    QTest::newRow("Option_M2") << "Option_M2" << "M2" << int(QAccessible::RadioButton) << "";
    QTest::newRow("Option_Po2P1") << "Option_Po2P1" << "Po2/P1" << int(QAccessible::RadioButton) << "";
    QTest::newRow("Command1") << "Command1" << "Choose an input option" << int(QAccessible::Button) << "";
    QTest::newRow("Picture1") << "Picture1" << "Pitot ratio graph" << int(QAccessible::Chart)
                              << "Po2/P1 against M1 from 1 to 5.9";
}
// clang-format on

void Form1Test::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QString, description);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(child(control));
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(int(accessible->role()), role);
    QCOMPARE(accessible->text(QAccessible::Description), description); // once marked: pitot()
}

void Form1Test::tabOrderFollowsTheTabIndex()
{
    const QStringList byTabIndex
        = {"Text_P2P1", "Text_Po2Po1", "Text_Po2P1", "Text_M1",      "Text_M2",  "Text_T2T1",
           "Text1",     "Option_M1",   "Option_M2",  "Option_Po2P1", "Command1", "Text_Ro2Ro1"};
    QStringList seen;
    QWidget *w = child(byTabIndex.first());
    for (int step = 0; step < 200 && seen.size() < byTabIndex.size(); ++step) {
        if (byTabIndex.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    }
    QCOMPARE(seen, byTabIndex);
}

void Form1Test::controlsFitTheirContainers_data()
{
    QTest::addColumn<QString>("name");
    for (const ControlRow &row : controlTable)
        QTest::newRow(row.name) << QString::fromLatin1(row.name);
}

void Form1Test::controlsFitTheirContainers()
{
    QFETCH(QString, name);
    // The built-in font holds the layout, whatever an application's style sheet says, and a
    // label's caption stays whole (a button's: command_button_test.cpp).
    QWidget *control = child(name);
    const double pointSize = control->font().pointSizeF();
    qApp->setStyleSheet("* { font-family: serif; font-size: 14pt }");
    choose("Option_Po2P1"); // the tall view, with the graph in the client too
    QCOMPARE(control->font().pointSizeF(), pointSize);
    QCOMPARE(QFontInfo(control->font()).family(), QStringLiteral("Liberation Sans"));
    QVERIFY(control->parentWidget()->rect().contains(control->geometry()));
    if (const auto *label = qobject_cast<QLabel *>(control))
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) < label->width());

    // A row of the result frame, its label and its box, is clear of every other row.
    const int row = std::max(labelNames.indexOf(name), boxNames.indexOf(name));
    const QRect design = control->geometry();
    for (int other = 0; row >= 0 && other < 7; ++other) {
        for (const QString &otherName : {labelNames[other], boxNames[other]}) {
            const QRect g = child(otherName)->geometry();
            const bool apart = g.bottom() < design.top() || g.top() > design.bottom();
            QVERIFY2(other == row || apart, qPrintable(otherName));
        }
    }
}

// clang-format off
void Form1Test::copyResults_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("typedAfter");
    QTest::addColumn<QStringList>("lines"); // empty: nothing is copied
    const QLocale c = QLocale::c();
    QTest::newRow("start") << c << "" << "" << "" << QStringList();
    QTest::newRow("M1 = 2") << c << "Option_M1" << "2" << ""
                            << QStringList {"γ = 1.4", "M1 = 2", "P2/P1 = 4.5", "ρ2/ρ1 = 2.66667", "T2/T1 = 1.6875",
                                            "Po2/Po1 = 0.72087", "Po2/P1 = 5.64044", "M2 = 0.57735"};
    QTest::newRow("M1 as read, not as typed") << c << "Option_M1" << "2.50x" << ""
                                              << QStringList {"γ = 1.4", "M1 = 2.5", "P2/P1 = 7.125", "ρ2/ρ1 = 3.33333",
                                                              "T2/T1 = 2.1375", "Po2/Po1 = 0.49901", "Po2/P1 = 8.52614",
                                                              "M2 = 0.51299"};
    // Comma locales: the window reads the separator it writes.
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("German M1 = 4,5") << german << "Option_M1" << "4,5" << ""
                                     << QStringList {"γ = 1,4", "M1 = 4,5", "P2/P1 = 23,45833", "ρ2/ρ1 = 4,81188",
                                                     "T2/T1 = 4,87509", "Po2/Po1 = 0,0917", "Po2/P1 = 26,53867",
                                                     "M2 = 0,42355"};
    QTest::newRow("Turkish M2 = 0,5") << QLocale(QLocale::Turkish, QLocale::Turkey) << "Option_M2" << "0,5" << ""
                                      << QStringList {"γ = 1,4", "M1 = 2,64575", "P2/P1 = 8", "ρ2/ρ1 = 3,5",
                                                      "T2/T1 = 2,28571", "Po2/Po1 = 0,44311", "Po2/P1 = 9,4897",
                                                      "M2 = 0,5"};
    QTest::newRow("German Po2/P1 = 5,64044") << german << "Option_Po2P1" << "5,64044" << ""
                                             << QStringList {"γ = 1,4", "M1 = 2", "P2/P1 = 4,5", "ρ2/ρ1 = 2,66667",
                                                             "T2/T1 = 1,6875", "Po2/Po1 = 0,72087",
                                                             "Po2/P1 = 5,64044", "M2 = 0,57735"};
    QTest::newRow("Po2/P1 = 1.5, not converged")
        << c << "Option_Po2P1" << "1.5" << ""
        << QStringList {"γ = 1.4", "M1 = 0.73805", "P2/P1 = 0.46884", "ρ2/ρ1 = 0.58945", "T2/T1 = 0.79539",
                        "Po2/Po1 = 1.04471", "Po2/P1 = 1.5", "M2 = 1.40395",
                        "note = not converged in 50 iterations; subsonic: no shock forms"};
    QTest::newRow("refusal") << c << "Option_M1" << "0.2" << "" << QStringList();
    QTest::newRow("input typed over") << c << "Option_M1" << "2" << "1" << QStringList();
}
// clang-format on

void Form1Test::copyResults()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, option);
    QFETCH(QString, input);
    QFETCH(QString, typedAfter);
    QFETCH(QStringList, lines);
    QLocale::setDefault(locale);
    auto *copy = m_form->findChild<QAction *>("CopyResults");
    QVERIFY(copy);
    QCOMPARE(copy->text(), QStringLiteral("Copy Results"));
    QVERIFY(child("Frame1")->actions().contains(copy));

    QLineEdit *focused = box("Text_P2P1");
    if (!option.isEmpty()) {
        choose(option);
        focused = box(inputBoxOf(option));
        type(focused->objectName(), input);
        clickCalculate();
        if (!typedAfter.isEmpty())
            type(focused->objectName(), typedAfter);
    }
    QCOMPARE(copy->isEnabled(), !lines.isEmpty());

    // Ctrl+C with nothing selected copies the whole result, or nothing when there is none, in
    // a box and wherever else the focus is.
    m_form->activateWindow(); // again, after a message box
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    focused->deselect();
    for (QWidget *at : {static_cast<QWidget *>(focused), child("Command1")}) {
        QApplication::clipboard()->setText("untouched");
        at->setFocus();
        QTest::keyClick(at, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), lines.isEmpty() ? "untouched" : lines.join('\n') + '\n');
    }
    if (lines.isEmpty())
        return;
    QVERIFY(QApplication::clipboard()->mimeData()->hasHtml()); // its table: number_text_test.cpp

    // A box's menu offers Copy Results beside Qt's Copy, and no key twice.
    QStringList entries, keys;
    QTimer::singleShot(0, focused, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions()) {
            entries << action->text();
            const QString key = action->shortcut().isEmpty() ? action->text().section('\t', 1)
                                                             : action->shortcut().toString();
            if (!key.isEmpty())
                keys << key;
        }
        menu->close();
    });
    emit focused->customContextMenuRequested(QPoint(2, 2));
    QVERIFY(entries.contains("Copy Results"));
    QCOMPARE(keys.removeDuplicates(), 0);

    // With a selection, Ctrl+C copies just that.
    box("Text_P2P1")->setFocus();
    box("Text_P2P1")->selectAll();
    QTest::keyClick(box("Text_P2P1"), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), lines[2].split(" = ")[1]);
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
