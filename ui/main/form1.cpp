#include "ui/main/form1.h"

#include "core/pitot.h"
#include "decision/calculate.h"
#include "decision/result_row.h"
#include "platform/clipboard_table.h"
#include "platform/command_button.h"
#include "platform/message_box.h"
#include "platform/number_text.h"
#include "platform/picture_box.h"
#include "ui/about/form_about.h"
#include "ui/main/form1_parts.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace ornavel {

using namespace form1;

namespace {

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);

const QColor inputColour(255, 255, 255);
const QColor otherColour(200, 200, 200);
// With the back colour fixed, so is the text colour: a dark theme's light text would
// vanish on the white and grey boxes.
const QColor boxTextColour(0, 0, 0);

void setBackColour(QLineEdit *box, const QColor &colour)
{
    QPalette colours = box->palette();
    colours.setColor(QPalette::Base, colour);
    colours.setColor(QPalette::Text, boxTextColour);
    box->setPalette(colours);
}

// Writes a result as the row has it, with the locale's separator; the box shows it whole or
// shortened while it has no focus, and with the focus from its start. The tooltip, which
// screen readers give as the description, holds the value unrounded (Po2/Po1 at M1 = 50
// shows 0).
void writeBox(QLineEdit *box, const Cell &shown, const Cell &unrounded)
{
    const QString point = QLocale().decimalPoint();
    box->setText(withDecimalPoint(shown.view(), point));
    box->setCursorPosition(0);
    box->setToolTip(withDecimalPoint(unrounded.view(), point));
}

void clearBox(QLineEdit *box, const QString &text)
{
    box->setText(text);
    box->setToolTip(QString());
}

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent, fixedSizeWindow)
{
    createControls();
    Form_Load();
}

Form1::~Form1()
{
    // Closing the main window leaves the About window open; destroying it does not.
    delete m_about;
}

void Form1::Form_Load()
{
    gamma = 1.4;
    setOuterHeight(compactHeightTwips);
}

void Form1::Option_M1_Click()
{
    configureInputMode(rowM1(), compactHeightTwips, false);
}

void Form1::Option_M2_Click()
{
    configureInputMode(rowM2(), compactHeightTwips, false);
}

void Form1::Option_Po2P1_Click()
{
    configureInputMode(rowPo2P1(), graphHeightTwips, true);
}

void Form1::configureInputMode(const ResultPair &own, int heightTwips, bool graphShown)
{
    for (const ResultPair &row : m_rows)
        row.label->setVisible(row.label == own.label);
    for (const ResultPair &row : m_rows)
        row.box->setVisible(row.box == own.box);
    // A blank, not empty text: the user types after it and the parse skips it.
    clearBox(own.box, QStringLiteral(" "));
    for (const ResultPair &row : m_rows)
        setBackColour(row.box, row.box == own.box ? inputColour : otherColour);
    // The caption says what a blank input would be told.
    Command1->setText(refusalText(Refusal::NoInput));
    setOuterHeight(heightTwips);
    Picture1->setVisible(graphShown);
}

void Form1::Command1_Click()
{
    if (!Option_M1->isChecked() && !Option_M2->isChecked() && !Option_Po2P1->isChecked()) {
        messageBox(this, chooseOptionText);
        return;
    }
    for (const ResultPair &row : m_rows)
        row.label->setVisible(true);
    for (const ResultPair &row : m_rows)
        row.box->setVisible(true);

    // The decision is made without the window; the window only shows it. The M1 and Po2/P1
    // branches keep the number as read, refused or not.
    const Quantity quantity = selectedQuantity();
    if (quantity != Quantity::Po2P1)
        Picture1->setVisible(false);
    const Outcome outcome = calculate(quantity, inputRow().box->text(), QLocale().decimalPoint());
    if (quantity == Quantity::M1)
        M1 = outcome.input;
    else if (quantity == Quantity::Po2P1)
        Po2P1 = outcome.input;
    if (outcome.refusal) {
        refuse(refusalText(*outcome.refusal));
        return;
    }
    // The boxes show the cells a table gives for the same value.
    m_shown = resultRow(quantity, outcome, Digits::Result);
    m_unrounded = resultRow(quantity, outcome, Digits::Full);
    if (quantity == Quantity::Po2P1) {
        iterasyon(outcome);
        return;
    }
    if (quantity == Quantity::M1) {
        writeRow(RowM2);
    } else {
        M1 = outcome.M1;
        writeRow(RowM1);
    }
    oranlar(quantity, outcome);
}

void Form1::refuse(const QString &message)
{
    // No earlier result may stand beside an input it does not belong to, not even while
    // the message is up: empty first, then tell.
    const QLineEdit *input = inputRow().box;
    for (const ResultPair &row : m_rows) {
        if (row.box != input)
            clearBox(row.box, QString());
    }
    clearGraph();
    messageBox(this, message);
}

void Form1::clearGraph()
{
    Picture1->Cls();
    Picture1->setAccessibleDescription(graphCurveText);
    Picture1->setToolTip(QString());
}

void Form1::iterasyon(const Outcome &outcome)
{
    if (!outcome.converged)
        messageBox(this, notConvergedMessage());

    M1 = outcome.M1;
    writeRow(RowM1);
    writeRow(RowM2);
    // Drawn while Po2P1 still holds the typed ratio: the marker sits at (M1, typed ratio).
    grafik(outcome.converged);
    oranlar(Quantity::Po2P1, outcome);
}

void Form1::grafik(bool settled)
{
    Picture1->Cls();
    Picture1->Scale(0.5, -45, 6, 5);
    Picture1->Line(1, 0, 5.9, 0);
    Picture1->Line(1, 0, 1, -44);
    Picture1->Circle(M1, -Po2P1, 0.05, blue);
    Picture1->Line(1, -Po2P1, M1, -Po2P1, blue);
    Picture1->Line(M1, 0, M1, -Po2P1, blue);
    // Accumulated in double on purpose: the drift keeps 5.899999999999918, the 491st point.
    for (double M = 1; M <= 5.9; M += 0.01)
        Picture1->PSet(M, -pitotRatio(M), red);
    // A screen reader must not call an unsettled estimate a solution any more than the window does.
    const QString marked = settled ? QStringLiteral(", solution marked at M1 = ")
                                   : QStringLiteral(", last estimate, not converged, marked at M1 = ");
    // The mouse finds in the tooltip what a screen reader hears.
    const QString description
        = graphCurveText + marked + resultText(M1) + QStringLiteral(", Po2/P1 = ") + resultText(Po2P1);
    Picture1->setAccessibleDescription(description);
    Picture1->setToolTip(description);
}

void Form1::Mn_About_Click()
{
    // Modeless and without an owner, so the main window stays usable and may close first;
    // deleted on close, so the next choice shows it anew.
    if (!m_about) {
        m_about = new Form_About;
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        m_about->setWindowIcon(windowIcon()); // one program, one icon on every window
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::oranlar(Quantity quantity, const Outcome &outcome)
{
    Po2P1 = outcome.ratios.Po2P1;
    for (const Row row : {RowP2P1, RowRo2Ro1, RowT2T1, RowPo2Po1})
        writeRow(row);
    // The user's ratio stays in its box: rewritten with the recomputed one, each click
    // would start from a slightly different number and the answer would drift.
    if (quantity != Quantity::Po2P1)
        writeRow(RowPo2P1);
    setResultShown(true);
}

void Form1::writeRow(Row row)
{
    writeBox(m_rows[row].box, m_shown.cells[row], m_unrounded.cells[row]);
}

void Form1::setResultShown(bool shown)
{
    m_copyResults->setEnabled(shown);
}

Quantity Form1::selectedQuantity() const
{
    if (Option_M1->isChecked())
        return Quantity::M1;
    return Option_M2->isChecked() ? Quantity::M2 : Quantity::Po2P1;
}

Form1::ResultPair Form1::inputRow() const
{
    return m_rows[std::size_t(inputColumn(selectedQuantity()))];
}

void Form1::copyResults()
{
    if (!m_copyResults->isEnabled())
        return;
    // The numbers as the boxes show them, with the locale's separator.
    const QString point = QLocale().decimalPoint();
    QList<TableRow> rows {{Text1->accessibleName(), numberText(gamma, point)}};
    for (int i = 0; i < resultColumns; ++i)
        rows.append({QString::fromUtf8(resultLabels[std::size_t(i)]),
                     withDecimalPoint(m_shown.cells[std::size_t(i)].view(), point)});
    if (*m_shown.note)
        rows.append({QString::fromLatin1(noteLabel), QString::fromUtf8(m_shown.note)});
    QGuiApplication::clipboard()->setMimeData(tableMimeData(rows));
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    // Ctrl+C in a box with nothing selected copies the results; with a selection, the selection.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        const auto *box = qobject_cast<QLineEdit *>(watched);
        if (box && !box->hasSelectedText()) {
            copyResults();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace ornavel
