// Form1's controls: created from the control table, found, described for screen readers
// and wired to the handlers.
#include "ui/main/form1.h"

#include "text/number_text.h"
#include "ui/main/control_table.h"
#include "ui/main/form1_parts.h"
#include "ui/window_font.h"
#include "widgets/accessible_role.h"
#include "widgets/command_button.h"
#include "widgets/message_box.h"
#include "widgets/number_box.h"
#include "widgets/picture_box.h"
#include "widgets/twips.h"

#include <QAction>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace ornavel {

using namespace form1;

namespace {

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

} // namespace

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(applicationTitle));
    setWindowIcon(applicationIcon());
    // A compact sans serif in which every caption fits its design-size control; the table
    // gives the sizes of the controls that differ (the γ and ρ labels).
    QList<std::pair<QString, double>> ownSizes;
    for (const ControlRow &row : controlTable) {
        if (row.pointSize > 0)
            ownSizes.append({QString::fromLatin1(row.name), row.pointSize});
    }
    useWindowFont(this, 8, ownSizes);

    createMenu();
    auto *client = new QWidget(this);
    setCentralWidget(client);
    placeControls(client);
    findControls(client);
    describeControls();
    connectModes();
    createCopyResults();
    connect(Mn_About, &QAction::triggered, this, &Form1::Mn_About_Click);
    connect(Mn_Table, &QAction::triggered, this, &Form1::Mn_Table_Click);
}

void Form1::createMenu()
{
    Mn_Table = new QAction(tr("&Table…"), this);
    Mn_Table->setObjectName(QStringLiteral("Mn_Table"));
    Mn_Table->setShortcut(Qt::CTRL | Qt::Key_T);
    menuBar()->addAction(Mn_Table);
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
}

// Every control of the table at its design place, and the keyboard order of its tab index.
void Form1::placeControls(QWidget *client)
{
    std::vector<std::pair<int, QWidget *>> tabOrder;
    for (const ControlRow &row : controlTable) {
        QWidget *container
            = row.container ? client->findChild<QWidget *>(QString::fromLatin1(row.container)) : client;
        QWidget *control = createControl(row, container);
        if (row.kind == Kind::TextBox || row.kind == Kind::Option || row.kind == Kind::Button)
            tabOrder.emplace_back(row.tabIndex, control);
    }
    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
}

void Form1::findControls(QWidget *client)
{
    // Members found by name after creation: a name missing from the table is a fault that
    // must stop every build, not only a debug one.
    const auto find = [client]<typename T>(T *&member, const char *name) {
        member = client->findChild<T *>(QString::fromLatin1(name));
        if (!member)
            qFatal("Form1: no control named %s", name);
    };
    find(Label2, "Label2");
    find(Text1, "Text1");
    find(Option_M1, "Option_M1");
    find(Option_M2, "Option_M2");
    find(Option_Po2P1, "Option_Po2P1");
    find(Command1, "Command1");
    find(Picture1, "Picture1");
    const char *rowNames[resultColumns][2] = {
        {"Label_M1", "Text_M1"},     {"Label_P2P1", "Text_P2P1"},     {"Label_Ro2Ro1", "Text_Ro2Ro1"},
        {"Label_T2T1", "Text_T2T1"}, {"Label_Po2Po1", "Text_Po2Po1"}, {"Label_Po2P1", "Text_Po2P1"},
        {"Label_M2", "Text_M2"},
    };
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        find(m_rows[i].label, rowNames[i][0]);
        find(m_rows[i].box, rowNames[i][1]);
    }
}

void Form1::describeControls()
{
    // Below the compact view until the pitot mode shows it; hidden, so that a frame without
    // a title bar (which leaves the client a little taller) does not show its top edge.
    Picture1->setVisible(false);
    setAccessibleRole(Picture1, QAccessible::Chart);
    Picture1->setAccessibleName(graphName);
    Picture1->setAccessibleDescription(graphCurveText);

    // Nothing reads the box: typing a gamma would only contradict the results.
    Text1->setText(numberText(gamma, u"."));
    Text1->setReadOnly(true);
    Text1->setToolTip(QStringLiteral("γ is fixed at ") + Text1->text());
    // Read-only stops the keyboard, not an assistive tool that writes the text outright.
    connect(Text1, &QLineEdit::textChanged, this, [this, fixed = Text1->text()](const QString &text) {
        if (text != fixed)
            Text1->setText(fixed);
    });

    // Screen readers read each box by its quantity: the label without its " =".
    Label2->setBuddy(Text1);
    Text1->setAccessibleName(QStringLiteral("γ"));
    for (const ResultPair &row : m_rows) {
        row.label->setBuddy(row.box);
        row.box->setAccessibleName(row.label->text().chopped(2));
    }
}

void Form1::connectModes()
{
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
}

void Form1::createCopyResults()
{
    // Copy Results: in the result frame's context menu and in each box's, and Ctrl+C
    // wherever no text is selected. Enabled only while the boxes hold one whole result.
    // A box's menu already lists Qt's Copy with Ctrl+C, so there the entry shows no key.
    m_copyResults = new QAction(tr("Copy Results"), this);
    m_copyResults->setObjectName(QStringLiteral("CopyResults"));
    m_copyResults->setShortcut(QKeySequence::Copy);
    m_copyResults->setEnabled(false);
    connect(m_copyResults, &QAction::triggered, this, &Form1::copyResults);
    QWidget *frame = centralWidget()->findChild<QWidget *>(QStringLiteral("Frame1"));
    frame->setContextMenuPolicy(Qt::ActionsContextMenu);
    frame->addAction(m_copyResults);
    Text1->installEventFilter(this);
    for (const ResultPair &row : m_rows) {
        NumberBox *box = row.box;
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
        // Changed, the boxes no longer show the result they were computed with. The one place
        // a result is withdrawn, for any change: typing, a mode change's blank, a refusal's
        // emptying, and a screen reader or automation tool, which sets the text without
        // "editing" it. Writing a result passes here too, before it is marked shown again.
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            box->setToolTip(QString());
            // The input edited beside a whole result: that result is now stale.
            if (box == inputRow().box && m_copyResults->isEnabled())
                markStale();
            setResultShown(false);
        });
    }
}

} // namespace ornavel
