#include "ui/main/form1.h"

#include "core/pitot.h"
#include "decision/calculate.h"
#include "decision/result_row.h"
#include "text/clipboard_table.h"
#include "text/number_text.h"
#include "ui/about/form_about.h"
#include "ui/main/form1_parts.h"
#include "ui/main/table_loader.h"
#include "widgets/command_button.h"
#include "widgets/message_box.h"
#include "widgets/number_box.h"
#include "widgets/picture_box.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <limits>

namespace ornavel {

using namespace form1;

namespace {

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);
// A stale marker, greyed like the stale boxes, at 3:1 or more on the white ground.
const QColor staleMarker(118, 118, 118);

const QColor inputColour(255, 255, 255);
const QColor otherColour(200, 200, 200);

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
    // Closing the main window leaves the About window open; destroying it does not. The
    // Tables window has no parent to take it along.
    delete m_about;
    delete m_table;
}

double Form1::upstreamMach() const
{
    return m_outcome.refusal ? std::numeric_limits<double>::quiet_NaN() : m_outcome.M1;
}

void Form1::Form_Load()
{
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
    // The results are hidden, not stale: withdrawn before the input is blanked.
    setResultShown(false);
    own.box->setMark(NumberBox::Mark::None);
    // A blank, not empty text: the user types after it and the parse skips it.
    clearBox(own.box, QStringLiteral(" "));
    for (const ResultPair &row : m_rows) {
        row.box->setBackColour(row.box == own.box ? inputColour : otherColour);
        row.box->setTyped(row.box == own.box);
    }
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

    // The decision is made without the window; the window only shows it, the boxes the cells
    // a table gives for the same value.
    const Quantity quantity = selectedQuantity();
    if (quantity != Quantity::Po2P1)
        Picture1->setVisible(false);
    m_outcome = calculate(quantity, inputRow().box->text(), QLocale().decimalPoint());
    m_shown = resultRow(quantity, m_outcome, Digits::Result);
    m_unrounded = resultRow(quantity, m_outcome, Digits::Full);
    m_stale = false;
    // A read that stopped early ("4,5" read as 4) shows the number it took, so that the row
    // is consistent and the user sees what was computed; a text read whole stays as typed.
    if (!m_outcome.refusal && !m_outcome.readWhole)
        inputRow().box->setText(withDecimalPoint(m_unrounded.cells[std::size_t(inputColumn(quantity))].view(),
                                                 QLocale().decimalPoint()));
    if (m_outcome.refusal)
        return refuse(refusalText(*m_outcome.refusal));
    if (quantity == Quantity::Po2P1)
        return iterasyon();
    writeRow(quantity == Quantity::M1 ? RowM2 : RowM1);
    oranlar();
}

void Form1::refuse(const QString &message)
{
    clearResults();
    messageBox(this, message);
}

void Form1::clearResults()
{
    // No earlier result may stand beside an input it does not belong to, not even while
    // a message is up: empty first, then tell.
    const QLineEdit *input = inputRow().box;
    for (const ResultPair &row : m_rows) {
        row.box->setMark(NumberBox::Mark::None);
        if (row.box != input)
            clearBox(row.box, QString());
    }
    clearGraph();
}

void Form1::clearGraph()
{
    Picture1->Cls();
    Picture1->setAccessibleDescription(graphCurveText);
    Picture1->setToolTip(QString());
}

void Form1::iterasyon()
{
    // The estimate follows the message, as a result of its own: what was shown before
    // belongs to another input.
    if (!m_outcome.converged) {
        clearResults();
        messageBox(this, notConvergedMessage());
    }
    writeRow(RowM1);
    writeRow(RowM2);
    grafik();
    oranlar();
}

void Form1::grafik()
{
    // The marker sits at the solved M1 and the typed ratio, which its box keeps.
    const double M1 = m_outcome.M1;
    const double Po2P1 = m_outcome.input;
    Picture1->Cls();
    Picture1->Scale(0.5, -45, 6, 5);
    Picture1->Line(1, 0, 5.9, 0);
    Picture1->Line(1, 0, 1, -44);
    // A solution left of the ratio axis lies off the plot, as one beyond its right edge
    // does: the description says where it is, nothing is drawn for it.
    if (M1 >= 1) {
        Picture1->Circle(M1, -Po2P1, 0.05, blue);
        Picture1->Line(1, -Po2P1, M1, -Po2P1, blue);
        Picture1->Line(M1, 0, M1, -Po2P1, blue);
    }
    // Accumulated in double on purpose: the drift keeps 5.899999999999918, the 491st point.
    for (double M = 1; M <= 5.9; M += 0.01)
        Picture1->PSet(M, -pitotRatio(M), red);
    // The mouse finds in the tooltip what a screen reader hears.
    const QString description = graphCurveText + markerText();
    Picture1->setAccessibleDescription(description);
    Picture1->setToolTip(description);
}

QString Form1::markerText() const
{
    // A screen reader must not call an unsettled estimate a solution any more than the
    // window does, nor a marker the area cannot hold a marked one. The numbers are the
    // boxes' own.
    const QPointF at = areaFraction(Picture1->userScale(), QPointF(m_outcome.M1, -m_outcome.input));
    const bool left = m_outcome.M1 < 1;
    const bool drawn = !left && at.x() <= 1 && at.y() >= 0 && at.y() <= 1;
    QString text = m_outcome.converged ? QStringLiteral(", solution ")
                                       : QStringLiteral(", last estimate, not converged, ");
    if (drawn)
        text += QStringLiteral("marked ");
    const QString point = QLocale().decimalPoint();
    text += QStringLiteral("at M1 = ") + withDecimalPoint(m_shown.cells[RowM1].view(), point)
        + QStringLiteral(", Po2/P1 = ") + withDecimalPoint(m_shown.cells[RowPo2P1].view(), point);
    if (left)
        text += QStringLiteral(", left of the plotted range, below M1 = 1");
    else if (!drawn)
        text += QStringLiteral(", beyond the plotted range");
    return text;
}

void Form1::Mn_Table_Click()
{
    // A window of its own beside this one, not transient for it (the window manager would keep
    // it over the calculator); closed and deleted with it (event, ~Form1), deleted on close,
    // so it remembers nothing.
    if (!m_table) {
        QString error;
        m_table = createTableWindow(this, error);
        if (!m_table)
            return messageBox(this, tr("The Tables window cannot be opened: %1").arg(error));
        m_table->setAttribute(Qt::WA_DeleteOnClose);
        m_table->setWindowIcon(windowIcon());
    }
    m_table->show();
    m_table->raise();
    m_table->activateWindow();
}

void Form1::Mn_About_Click()
{
    // Modeless, so the main window stays usable; owned by it, so that it opens over it, the
    // window manager keeps it with it, and closing the main window ends the program. Deleted
    // on close, so the next choice shows it anew.
    if (!m_about) {
        m_about = new Form_About(this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        m_about->setWindowIcon(windowIcon()); // one program, one icon on every window
        m_about->move(frameGeometry().center() - m_about->rect().center());
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::oranlar()
{
    for (const Row row : {RowP2P1, RowRo2Ro1, RowT2T1, RowPo2Po1})
        writeRow(row);
    // The user's ratio stays in its box: rewritten with the recomputed one, each click
    // would start from a slightly different number and the answer would drift.
    if (selectedQuantity() != Quantity::Po2P1)
        writeRow(RowPo2P1);
    showMarks();
    setResultShown(true);
}

void Form1::showMarks()
{
    const bool estimate = !m_outcome.refusal && !m_outcome.converged;
    const bool subsonic = isSubsonic(m_outcome);
    const QString point = QLocale().decimalPoint();
    const auto tip = [&](int row, const QStringList &notes) {
        QString text = withDecimalPoint(m_unrounded.cells[std::size_t(row)].view(), point);
        if (!notes.isEmpty())
            text += QStringLiteral(" (") + notes.join(QStringLiteral("; ")) + u')';
        return text;
    };
    const NumberBox *input = inputRow().box;
    for (int i = 0; i < rowCount; ++i) {
        NumberBox *box = m_rows[std::size_t(i)].box;
        // The input is what was typed, no estimate and never stale: once edited, it is the
        // new input. Only a subsonic M1 is noted there.
        if (box == input) {
            box->setMark(NumberBox::Mark::None);
            if (i == RowM1 && subsonic && !m_stale)
                box->setToolTip(tip(i, {QString::fromUtf8(subsonicNote)}));
            continue;
        }
        QStringList notes;
        if (estimate)
            notes << estimateText;
        if (i == RowM1 && subsonic)
            notes << QString::fromUtf8(subsonicNote);
        if (m_stale)
            notes << staleText;
        box->setMark(m_stale        ? NumberBox::Mark::Stale
                         : estimate ? NumberBox::Mark::Estimate
                                    : NumberBox::Mark::None);
        box->setToolTip(tip(i, notes));
    }
}

void Form1::markStale()
{
    m_stale = true;
    showMarks();
    Picture1->recolour(blue, staleMarker);
    if (Picture1->isVisible() && !Picture1->displayList().empty()) {
        const QString description = Picture1->accessibleDescription() + QStringLiteral(", ") + staleText;
        Picture1->setAccessibleDescription(description);
        Picture1->setToolTip(description);
    }
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
