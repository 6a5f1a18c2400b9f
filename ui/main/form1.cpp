#include "ui/main/form1.h"

#include "core/pitot.h"
#include "decision/calculate.h"
#include "decision/result_row.h"
#include "platform/accessible_role.h"
#include "platform/clipboard_table.h"
#include "platform/command_button.h"
#include "platform/message_box.h"
#include "platform/number_box.h"
#include "platform/number_text.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "ui/about/form_about.h"
#include "ui/main/control_table.h"
#include "ui/window_font.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace ornavel {

namespace {

// Client width at design size; only the height changes with the mode.
constexpr int clientWidthTwips = 4050;
// Outer heights of the two views: without and with the graph.
constexpr int compactHeightTwips = 3800;
constexpr int graphHeightTwips = 6400;

const QString chooseOptionText = QStringLiteral("Choose an input option");
const QString gammaFixedText = QStringLiteral("γ is fixed at 1.4");

const QString graphName = QStringLiteral("Pitot ratio graph");
const QString graphCurveText = QStringLiteral("Po2/P1 against M1 from 1 to 5.9");

// Longer than any number needs (a double takes at most 24 characters), with room for
// blanks, yet small enough that repeated pastes into a box's undo history stay small.
constexpr int maxInputLength = 256;

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);

const QColor inputColour(255, 255, 255);
const QColor otherColour(200, 200, 200);
// With the back colour fixed, so is the text colour: a dark theme's light text would
// vanish on the white and grey boxes.
const QColor boxTextColour(0, 0, 0);

QWidget *createControl(const ControlRow &row, QWidget *container)
{
    const QString text = QString::fromUtf8(row.text);
    QWidget *control = nullptr;
    switch (row.kind) {
    case Kind::Frame:
        control = new QGroupBox(text, container);
        break;
    case Kind::Label:
        control = new QLabel(text, container);
        break;
    case Kind::TextBox: {
        auto *box = new NumberBox(text, container);
        box->setMaxLength(maxInputLength);
        control = box;
        break;
    }
    case Kind::Option:
        control = new QRadioButton(text, container);
        break;
    case Kind::Button:
        control = new CommandButton(text, container);
        break;
    case Kind::Picture:
        control = new PictureBox(container);
        break;
    }
    control->setObjectName(QString::fromLatin1(row.name));
    control->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
    return control;
}

void setBackColour(QLineEdit *box, const QColor &colour)
{
    QPalette colours = box->palette();
    colours.setColor(QPalette::Base, colour);
    colours.setColor(QPalette::Text, boxTextColour);
    box->setPalette(colours);
}

// Writes a result; the box shows it whole or shortened while it has no focus, and with the
// focus from its start. The tooltip, which screen readers give as the description, holds the
// value unrounded (Po2/Po1 at M1 = 50 shows 0).
void writeBox(QLineEdit *box, double value)
{
    box->setText(resultText(value));
    box->setCursorPosition(0);
    box->setToolTip(numberText(value, QLocale().decimalPoint()));
}

void clearBox(QLineEdit *box, const QString &text)
{
    box->setText(text);
    box->setToolTip(QString());
}

// The theme's icon where the desktop entry's icon is installed, else the bundled SVG, else
// (Qt without SVG support) the bundled PNG. Reading the PNG needlessly would load every
// image-format plugin at start-up.
QIcon applicationIcon()
{
    QIcon bundled(QStringLiteral(":/icons/org.ornavel.Ornavel.svg"));
    if (bundled.pixmap(16).isNull())
        bundled = QIcon(QStringLiteral(":/icons/org.ornavel.Ornavel-48.png"));
    return QIcon::fromTheme(QStringLiteral("org.ornavel.Ornavel"), bundled);
}

// The size is fixed, so the window offers no maximise button (the desktop would show one
// that does nothing).
constexpr Qt::WindowFlags fixedSizeWindow = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

} // namespace

Form1::Form1(QWidget *parent)
    : QMainWindow(parent, fixedSizeWindow)
{
    createControls();
    Form_Load();
}

Form1::~Form1()
{
    // Closing the main window leaves the About window open; destroying it does not.
    delete m_about;
}

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(applicationTitle));
    setWindowIcon(applicationIcon());
    // A compact sans serif in which every caption fits its design-size control; the γ and ρ
    // labels keep their own sizes.
    useWindowFont(this, 8, {{QStringLiteral("Label2"), 8.25}, {QStringLiteral("Label_Ro2Ro1"), 9}});

    Mn_About = new QAction(tr("&About"), this);
    Mn_About->setObjectName(QStringLiteral("Mn_About"));
    menuBar()->addAction(Mn_About);
    // F10 reaches the menu bar, as on other desktops; Qt leaves that key to the platform,
    // which on Linux does nothing. A lone Alt puts the menu bar in its keyboard mode (the
    // first entry current, Escape back to the box), so F10 hands it one.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        QWidget *target = focusWidget() ? focusWidget() : this;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendEvent(target, &release);
    });

    auto *client = new QWidget(this);
    setCentralWidget(client);

    std::vector<std::pair<int, QWidget *>> tabOrder;
    for (const ControlRow &row : controlTable) {
        QWidget *container = row.container
            ? client->findChild<QWidget *>(QString::fromLatin1(row.container))
            : client;
        QWidget *control = createControl(row, container);
        if (row.kind == Kind::TextBox || row.kind == Kind::Option || row.kind == Kind::Button)
            tabOrder.emplace_back(row.tabIndex, control);
    }
    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    const auto find = [client]<typename T>(T *&member, const char *name) {
        member = client->findChild<T *>(QString::fromLatin1(name));
        Q_ASSERT(member);
    };
    find(Label2, "Label2");
    find(Text1, "Text1");
    find(Option_M1, "Option_M1");
    find(Option_M2, "Option_M2");
    find(Option_Po2P1, "Option_Po2P1");
    find(Command1, "Command1");
    find(Picture1, "Picture1");
    // Below the compact view until the pitot mode shows it; hidden, so that a frame without
    // a title bar (which leaves the client a little taller) does not show its top edge.
    Picture1->setVisible(false);
    setAccessibleRole(Picture1, QAccessible::Chart);
    Picture1->setAccessibleName(graphName);
    Picture1->setAccessibleDescription(graphCurveText);

    // Nothing reads the box: typing a gamma would only contradict the results.
    Text1->setReadOnly(true);
    Text1->setToolTip(gammaFixedText);
    const char *rowNames[7][2] = {
        {"Label_M1", "Text_M1"},         {"Label_P2P1", "Text_P2P1"},
        {"Label_Ro2Ro1", "Text_Ro2Ro1"}, {"Label_T2T1", "Text_T2T1"},
        {"Label_Po2Po1", "Text_Po2Po1"}, {"Label_Po2P1", "Text_Po2P1"},
        {"Label_M2", "Text_M2"},
    };
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        find(m_rows[i].label, rowNames[i][0]);
        find(m_rows[i].box, rowNames[i][1]);
    }

    // Screen readers read each box by its quantity: the label without its " =".
    Label2->setBuddy(Text1);
    Text1->setAccessibleName(QStringLiteral("γ"));
    for (const ResultPair &row : m_rows) {
        row.label->setBuddy(row.box);
        row.box->setAccessibleName(row.label->text().chopped(2));
    }

    // A mode handler runs when its option becomes selected (by mouse, keyboard or code) and
    // again when the selected option is clicked, which blanks the input box anew. Running
    // twice for one click is harmless: every step sets the same state.
    const auto onSelect = [this](QRadioButton *option, void (Form1::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
        connect(option, &QRadioButton::clicked, this, handler);
    };
    onSelect(Option_M1, &Form1::Option_M1_Click);
    onSelect(Option_M2, &Form1::Option_M2_Click);
    onSelect(Option_Po2P1, &Form1::Option_Po2P1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    // Copy Results: in the result frame's context menu and in each box's, and Ctrl+C
    // wherever no text is selected. Enabled only while the boxes hold one whole result.
    // A box's menu already lists Qt's Copy with Ctrl+C, so there the entry shows no key.
    m_copyResults = new QAction(tr("Copy Results"), this);
    m_copyResults->setObjectName(QStringLiteral("CopyResults"));
    m_copyResults->setShortcut(QKeySequence::Copy);
    m_copyResults->setEnabled(false);
    connect(m_copyResults, &QAction::triggered, this, &Form1::copyResults);
    QWidget *frame = client->findChild<QWidget *>(QStringLiteral("Frame1"));
    frame->setContextMenuPolicy(Qt::ActionsContextMenu);
    frame->addAction(m_copyResults);
    Text1->installEventFilter(this);
    for (const ResultPair &row : m_rows) {
        QLineEdit *box = row.box;
        box->installEventFilter(this);
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this, [this, box](const QPoint &at) {
            QMenu *menu = box->createStandardContextMenu();
            menu->addSeparator();
            QAction *copyAll = menu->addAction(m_copyResults->text(), this, &Form1::copyResults);
            copyAll->setEnabled(m_copyResults->isEnabled());
            menu->exec(box->mapToGlobal(at));
            delete menu;
        });
        // Typed over, the boxes no longer show the result they were computed with.
        connect(box, &QLineEdit::textEdited, this, [this, box] {
            box->setToolTip(QString());
            setResultShown(false);
        });
    }
    connect(Mn_About, &QAction::triggered, this, &Form1::Mn_About_Click);
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
    setResultShown(false);
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
    if (quantity == Quantity::Po2P1) {
        iterasyon(outcome);
        return;
    }
    if (quantity == Quantity::M1) {
        writeBox(rowM2().box, outcome.M2);
    } else {
        M1 = outcome.M1;
        writeBox(rowM1().box, M1);
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
    setResultShown(false);
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
    writeBox(rowM1().box, M1);
    writeBox(rowM2().box, outcome.M2);
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
    const QString description = graphCurveText + marked + resultText(M1) + QStringLiteral(", Po2/P1 = ")
        + resultText(Po2P1);
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
    const ShockRatios &ratios = outcome.ratios;
    Po2P1 = ratios.Po2P1;
    writeBox(m_rows[1].box, ratios.P2P1);
    writeBox(m_rows[2].box, ratios.Ro2Ro1);
    writeBox(m_rows[3].box, ratios.T2T1);
    writeBox(m_rows[4].box, ratios.Po2Po1);
    // The user's ratio stays in its box: rewritten with the recomputed one, each click
    // would start from a slightly different number and the answer would drift.
    if (quantity != Quantity::Po2P1)
        writeBox(m_rows[5].box, Po2P1);
    m_shown = resultRow(quantity, outcome, Digits::Result);
    setResultShown(true);
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
    const auto shown = [&point](std::string_view text) {
        return QString::fromLatin1(text.data(), qsizetype(text.size())).replace(QLatin1Char('.'), point);
    };
    QList<TableRow> rows {{Text1->accessibleName(), numberText(gamma, point)}};
    for (int i = 0; i < resultColumns; ++i)
        rows.append({QString::fromUtf8(resultLabels[std::size_t(i)]), shown(m_shown.cells[std::size_t(i)].view())});
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

void Form1::setOuterHeight(int twips)
{
    m_outerHeightPixels = twipsToPixels(twips);
    applyOuterHeight();
}

void Form1::applyOuterHeight()
{
    // The outer height includes the title bar, which the window manager may report only
    // after the window is shown; until then the frame counts as nothing. The size is fixed:
    // nothing in the window would fill a larger one, and a smaller one cuts controls off.
    m_appliedFrameHeight = frameGeometry().height() - height();
    setFixedSize(twipsToPixels(clientWidthTwips), m_outerHeightPixels - m_appliedFrameHeight);
}

void Form1::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
    // Client-side decorations (Wayland) exist once the platform window is shown, before
    // its first frame is drawn: take them into the outer height now, not a frame later.
    if (visible && frameGeometry().height() - height() != m_appliedFrameHeight)
        applyOuterHeight();
}

bool Form1::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        if (frameGeometry().height() - height() != m_appliedFrameHeight)
            applyOuterHeight();
        break;
    default:
        break;
    }
    return handled;
}

} // namespace ornavel
