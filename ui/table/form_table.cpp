#include "ui/table/form_table.h"

#include "decision/gas.h"
#include "table/table.h"
#include "text/clipboard_table.h"
#include "ui/table/table_accessible.h"
#include "ui/table/table_grid.h"
#include "ui/table/table_model.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace ornavel {

namespace {

// A clipboard holds what a spreadsheet pastes; more is a file's work.
constexpr std::int64_t maxCopiedRows = 100'000;

const char *const saveFilters[] = {
    "Text (*.txt)",         "CSV (*.csv)", "TSV (*.tsv)", "HTML (*.html *.htm)", "Markdown (*.md *.markdown)",
    "LaTeX (*.tex *.latex)"};

} // namespace

// The size the window opens at, in logical pixels, where the screen has room for it: the
// columns of a five-decimal table with its notes beside them, and the chart below.
constexpr QSize preferredSize(1000, 680);

Form_Table::Form_Table(QWidget *parent)
    // A normal window of its own: the window manager neither keeps it above the calculator
    // nor hides it with it.
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form_Table"));
    setWindowTitle(tr("Ornavel Tables"));
    createControls();
    const QSize screen = this->screen()->availableGeometry().size();
    // The title bar and frame are not known before the window is shown: room for a usual one.
    resize(preferredSize.boundedTo(screen - QSize(16, 48)).expandedTo(minimumSizeHint()));
}

void Form_Table::placeBeside(const QWidget *window)
{
    // Polished as when shown, so that the minimum size is the one the window will have.
    ensurePolished();
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QRect available = window->screen()->availableGeometry();
    resize(preferredSize.expandedTo(minimumSizeHint()));
    const QRect placed
        = besideWindow(outer, size().grownBy(frame), minimumSizeHint().grownBy(frame), available);
    resize(placed.size().shrunkBy(frame));
    move(placed.topLeft());
}

QRect besideWindow(const QRect &anchor, QSize size, QSize minimum, const QRect &available)
{
    size = size.boundedTo(available.size()).expandedTo(minimum);
    const int right = available.right() - anchor.right();
    const int left = anchor.left() - available.left();
    int x;
    if (right >= size.width())
        x = anchor.right() + 1;
    else if (left >= size.width())
        x = anchor.left() - size.width();
    else if (std::max(left, right) >= minimum.width()) {
        size.setWidth(std::max(left, right));
        x = right >= left ? anchor.right() + 1 : available.left();
    } else
        x = right >= left ? available.right() + 1 - size.width() : available.left();
    const int y = std::clamp(anchor.top(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - size.height()));
    return QRect(QPoint(std::max(x, available.left()), y), size);
}

void Form_Table::createControls()
{
    // Before any control exists, so that none has an interface of Qt's own cached for it.
    installTableAccessibility();
    Combo_Relation = new QComboBox(this);
    Combo_Relation->setObjectName(QStringLiteral("Combo_Relation"));
    Combo_Relation->setAccessibleName(tr("Relation"));
    for (const Relation &relation : relations())
        Combo_Relation->addItem(tr(relation.title));
    Combo_Quantity = new QComboBox(this);
    Combo_Quantity->setObjectName(QStringLiteral("Combo_Quantity"));
    Combo_Quantity->setAccessibleName(tr("Quantity"));
    Combo_Branch = new QComboBox(this);
    Combo_Branch->setObjectName(QStringLiteral("Combo_Branch"));
    Combo_Branch->setAccessibleName(tr("Branch"));
    Combo_Gamma = new QComboBox(this);
    Combo_Gamma->setObjectName(QStringLiteral("Combo_Gamma"));
    Combo_Gamma->setAccessibleName(tr("Ratio of specific heats"));
    // A number or a gas may be typed as well as chosen; what is typed is read, not kept as an item.
    Combo_Gamma->setEditable(true);
    Combo_Gamma->setInsertPolicy(QComboBox::NoInsert);
    Combo_Gamma->lineEdit()->setAccessibleName(tr("Ratio of specific heats"));
    // As wide as a gas and its value; the longest names show whole in the open list.
    Combo_Gamma->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo_Gamma->setMinimumContentsLength(10);
    fillGammaItems();
    Text_Values = new QLineEdit(this);
    Text_Values->setObjectName(QStringLiteral("Text_Values"));
    Text_Values->setAccessibleName(tr("Values"));
    Text_Values->setPlaceholderText(tr("1:5:0.1 or several values, Return to apply"));
    // Wide enough for a range whatever the style's frames take; the layout squeezed it to a few
    // digits under wider styles.
    Text_Values->setMinimumWidth(Text_Values->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 18);
    // The second list of a relation of two inputs: the angles, each with every value.
    Combo_Angle = new QComboBox(this);
    Combo_Angle->setObjectName(QStringLiteral("Combo_Angle"));
    Combo_Angle->setAccessibleName(tr("Angle"));
    Text_Angles = new QLineEdit(this);
    Text_Angles->setObjectName(QStringLiteral("Text_Angles"));
    Text_Angles->setAccessibleName(tr("Angles"));
    Text_Angles->setPlaceholderText(tr("degrees, as values; Return to apply"));
    Text_Angles->setMinimumWidth(Text_Values->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
    fillRelationItems();
    Check_Digits15 = new QCheckBox(tr("15 significant &digits"), this);
    Check_Digits15->setObjectName(QStringLiteral("Check_Digits15"));
    Check_Digits15->setAccessibleName(tr("15 significant digits"));
    Command_Open = new QPushButton(tr("&Open Readings…"), this);
    Command_Open->setObjectName(QStringLiteral("Command_Open"));
    Command_Open->setAccessibleName(tr("Open readings"));
    Command_Save = new QPushButton(tr("&Save As…"), this);
    Command_Save->setObjectName(QStringLiteral("Command_Save"));
    Command_Save->setAccessibleName(tr("Save as"));
    Label_Message = new QLabel(this);
    Label_Message->setObjectName(QStringLiteral("Label_Message"));
    Label_Message->setAccessibleName(tr("Message"));
    Label_Message->setWordWrap(true);
    Label_Message->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Label_Rows = new QLabel(this);
    Label_Rows->setObjectName(QStringLiteral("Label_Rows"));
    Label_Rows->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Grid = new TableGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setAccessibleName(tr("Table"));
    m_model = new TableModel(this);
    Grid->setTableModel(m_model);
    showRowCount();
    placeControls();
    connectControls();
}

void Form_Table::placeControls()
{
    auto *relationLabel = new QLabel(tr("&Relation"), this);
    relationLabel->setBuddy(Combo_Relation);
    auto *quantityLabel = new QLabel(tr("&Quantity"), this);
    quantityLabel->setBuddy(Combo_Quantity);
    auto *gammaLabel = new QLabel(tr("&Gas, γ"), this);
    gammaLabel->setBuddy(Combo_Gamma);
    m_branchLabel = new QLabel(tr("&Branch"), this);
    m_branchLabel->setBuddy(Combo_Branch);
    m_branchLabel->setVisible(Combo_Branch->count() > 0);
    auto *valuesLabel = new QLabel(tr("&Values"), this);
    valuesLabel->setBuddy(Text_Values);
    auto *inputs = new QGridLayout;
    // What the table is of in a column down the left, so that the window is no wider for it.
    inputs->addWidget(relationLabel, 0, 0);
    inputs->addWidget(Combo_Relation, 0, 1);
    inputs->addWidget(quantityLabel, 1, 0);
    inputs->addWidget(Combo_Quantity, 1, 1);
    inputs->addWidget(gammaLabel, 2, 0);
    inputs->addWidget(Combo_Gamma, 2, 1);
    inputs->addWidget(m_branchLabel, 2, 2);
    auto *options = new QHBoxLayout;
    options->addWidget(Combo_Branch);
    options->addStretch(1);
    options->addWidget(Check_Digits15);
    inputs->addLayout(options, 2, 3, 1, 3);
    inputs->addWidget(valuesLabel, 0, 2);
    // The angles of a relation of two inputs beside its values, sharing their room.
    auto *lists = new QHBoxLayout;
    lists->addWidget(Text_Values, 1);
    lists->addWidget(Combo_Angle);
    lists->addWidget(Text_Angles, 1);
    inputs->addLayout(lists, 0, 3);
    inputs->addWidget(Command_Open, 0, 4);
    inputs->addWidget(Command_Save, 0, 5);
    inputs->addWidget(Label_Message, 1, 3, 1, 2);
    inputs->addWidget(Label_Rows, 1, 5);
    inputs->setColumnStretch(3, 1);
    // Down the column of what the table is of, then along the values.
    QWidget *const order[] = {Combo_Relation, Combo_Quantity, Combo_Gamma,  Combo_Branch, Text_Values,
                              Combo_Angle,    Text_Angles,    Command_Open, Command_Save, Check_Digits15};
    for (std::size_t k = 1; k < std::size(order); ++k)
        setTabOrder(order[k - 1], order[k]);
    auto *grid = new QHBoxLayout;
    grid->setSpacing(0);
    grid->addWidget(Grid);
    grid->addWidget(Grid->rowBar());
    auto *gridArea = new QWidget(this);
    gridArea->setLayout(grid);
    grid->setContentsMargins(0, 0, 0, 0);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(gridArea);
    split->addWidget(createChart());
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(split, 1);
}

void Form_Table::connectControls()
{
    connect(Text_Values, &QLineEdit::returnPressed, this, &Form_Table::applyValues);
    connect(Text_Angles, &QLineEdit::returnPressed, this, &Form_Table::applyValues);
    connect(Combo_Angle, &QComboBox::currentIndexChanged, this, &Form_Table::optionsChanged);
    connect(Combo_Relation, &QComboBox::currentIndexChanged, this, [this] {
        fillRelationItems();
        optionsChanged();
    });
    connect(Combo_Quantity, &QComboBox::currentIndexChanged, this, &Form_Table::optionsChanged);
    connect(Combo_Branch, &QComboBox::currentIndexChanged, this, &Form_Table::optionsChanged);
    connect(Combo_Gamma, &QComboBox::currentIndexChanged, this, &Form_Table::optionsChanged);
    connect(Combo_Gamma->lineEdit(), &QLineEdit::editingFinished, this, &Form_Table::optionsChanged);
    connect(Check_Digits15, &QCheckBox::toggled, this, &Form_Table::optionsChanged);
    connect(Command_Open, &QPushButton::clicked, this, &Form_Table::chooseReadings);
    connect(Command_Save, &QPushButton::clicked, this, &Form_Table::saveAs);
    connect(Grid, &TableGrid::copyRequested, this, &Form_Table::copySelection);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &Form_Table::saveAs);
    // Escape is left to the control that has it (an open list closes); it never loses the table.
    connect(new QShortcut(QKeySequence::Close, this), &QShortcut::activated, this, &QWidget::close);
}

void Form_Table::showMessage(const QString &message)
{
    const QString before = Label_Message->text();
    Label_Message->setText(message);
    Text_Values->setAccessibleDescription(message);
    if (QAccessible::isActive() && before != message) {
        QAccessibleTextUpdateEvent changed(Label_Message, 0, before, message);
        QAccessible::updateAccessibility(&changed);
    }
}

char Form_Table::decimalPoint()
{
    // A separator of more than one ASCII character is not read, as in the main window.
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

void Form_Table::showRowCount()
{
    // Spelled out: with no translation loaded, Qt's %n plural shows "row(s)".
    const std::int64_t rows = m_model->totalRows();
    Label_Rows->setText(rows == 1 ? tr("1 row") : tr("%1 rows").arg(TableModel::countText(rows)));
}

void Form_Table::optionsChanged()
{
    // Values typed since the last Return are taken too: the grid never shows values other
    // than those in the field beside it.
    if (Text_Values->isModified() || Text_Angles->isModified())
        applyValues();
    else
        showTable();
}

bool Form_Table::applyTypedValues()
{
    return !(Text_Values->isModified() || Text_Angles->isModified()) || applyValues();
}

bool Form_Table::applyValues()
{
    Text_Values->setModified(false);
    Text_Angles->setModified(false);
    TableValues values, angles;
    std::string error;
    // A refused input empties the table: no rows stand beside values they do not belong to.
    // The locale's decimal comma is read as well as ".", as the main window reads it.
    const auto read = [&error](QLineEdit *field, TableValues &into) {
        QString text = field->text();
        text.replace(QLatin1Char(decimalPoint()), QLatin1Char('.'));
        return into.parse(text.toStdString(), error);
    };
    const bool twoLists = !relation().angles.empty();
    if (!read(Text_Values, values) || (twoLists && !read(Text_Angles, angles))) {
        m_values = TableValues();
        m_angles = TableValues();
        showTable();
        showMessage(QString::fromStdString(error));
        return false;
    }
    // The product of two lists is held to the limit of one.
    if (twoLists && angles.count() > 0 && values.count() > maxRangeRows / angles.count()) {
        m_values = TableValues();
        m_angles = TableValues();
        showTable();
        showMessage(tr("The lists give more than %1 rows").arg(TableModel::countText(maxRangeRows)));
        return false;
    }
    m_values = values;
    m_angles = angles;
    showMessage({});
    showTable();
    return true;
}

void Form_Table::fillGammaItems()
{
    // "air (1.4)", "helium (5/3)": the value as the locale writes a decimal.
    const QString point = QLocale().decimalPoint();
    const QSignalBlocker quiet(Combo_Gamma);
    const int current = Combo_Gamma->currentIndex();
    Combo_Gamma->clear();
    for (const Gas &gas : gases())
        Combo_Gamma->addItem(QStringLiteral("%1 (%2)").arg(
            QString::fromUtf8(gas.name), QString::fromUtf8(gas.shown).replace(u'.', point)));
    Combo_Gamma->setCurrentIndex(std::max(0, current));
}

const Relation &Form_Table::relation() const
{
    return relations()[std::size_t(std::max(0, Combo_Relation->currentIndex()))];
}

void Form_Table::fillRelationItems()
{
    // The relation's own quantities and branches; the chart opens on its usual axis.
    const Relation &relation = this->relation();
    const QSignalBlocker quiet(Combo_Quantity), quietBranch(Combo_Branch), quietAngle(Combo_Angle);
    Combo_Quantity->clear();
    for (std::size_t k = 0; k < relation.quantities.size(); ++k)
        Combo_Quantity->addItem(QString::fromUtf8(relation.quantities[k].label), int(k));
    Combo_Branch->clear();
    for (const char *branch : relation.branches)
        Combo_Branch->addItem(tr(branch));
    Combo_Branch->setVisible(!relation.branches.empty());
    Combo_Angle->clear();
    for (std::size_t k = 0; k < relation.angles.size(); ++k)
        Combo_Angle->addItem(QString::fromUtf8(relation.angles[k].label), int(k));
    Combo_Angle->setVisible(!relation.angles.empty());
    Text_Angles->setVisible(!relation.angles.empty());
    if (m_branchLabel)
        m_branchLabel->setVisible(!relation.branches.empty());
    if (Check_LogScale)
        Check_LogScale->setChecked(relation.chartLogarithmic);
}

std::optional<TableSpec> Form_Table::chosenSpec()
{
    TableSpec tableSpec;
    tableSpec.relation = &relation();
    tableSpec.quantity = Combo_Quantity->currentData().toInt();
    tableSpec.branch = std::max(0, Combo_Branch->currentIndex());
    tableSpec.angle = std::max(0, Combo_Angle->currentIndex());
    tableSpec.digits = Check_Digits15->isChecked() ? Digits::Full : Digits::Result;
    const QString typed = Combo_Gamma->currentText().trimmed();
    const int item = Combo_Gamma->findText(typed);
    const std::optional<GivenGamma> gas = item >= 0 ? readGamma(gases()[std::size_t(item)].name)
                                                    : readGamma(typed.toStdString(), decimalPoint());
    if (!gas)
        return std::nullopt;
    tableSpec.gas = *gas;
    return tableSpec;
}

void Form_Table::showTable()
{
    const std::optional<TableSpec> tableSpec = chosenSpec();
    // A gamma that cannot be read gives no table: no rows stand beside a gas they are not of.
    const QString gammaMessage = tr("γ must be %1").arg(QString::fromStdString(gammaChoices()));
    if (!tableSpec) {
        m_model->setTable(TableSpec(), TableValues(), TableValues());
        showMessage(gammaMessage);
    } else {
        m_model->setTable(*tableSpec, m_values, m_angles);
        if (Label_Message->text() == gammaMessage)
            showMessage({});
    }
    Grid->tableChanged();
    showRowCount();
    updateChart();
}

bool Form_Table::openReadings(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(tr("Cannot read %1: %2").arg(name, file.errorString()));
        return false;
    }
    // Streamed, so that a file of millions of readings takes 8 bytes a reading, not its own
    // size too, and the window answers while it is read. Until it is read whole, the table
    // shown stays as it was.
    ReadingsLoader loader(m_model->tableSpec(), decimalPoint());
    constexpr int steps = 1000;
    QProgressDialog progress(tr("Reading %1…").arg(name), tr("Cancel"), 0, steps, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const double size = double(std::max<qint64>(1, file.size()));
    std::vector<char> chunk(1 << 16);
    bool whole = true;
    for (;;) {
        const qint64 got = file.read(chunk.data(), qint64(chunk.size()));
        if (got < 0) {
            showMessage(tr("Cannot read %1: %2").arg(name, file.errorString()));
            return false;
        }
        if (got == 0)
            break;
        whole = loader.feed({chunk.data(), std::size_t(got)});
        if (!whole)
            break;
        // Short of the end, where the dialog would close itself.
        progress.setValue(std::min(steps - 1, int(steps * (double(file.pos()) / size))));
        QApplication::processEvents();
        if (progress.wasCanceled()) {
            showMessage(tr("Open cancelled: %1 was not read").arg(name));
            return false;
        }
    }
    if (!whole || !loader.finish()) {
        showMessage(name + u' ' + QString::fromStdString(loader.error()));
        return false;
    }
    progress.reset();
    const QString message
        = readingsMessage(name, loader.count(), loader.notNumbers(), loader.firstNotNumbers());
    m_values = TableValues();
    m_values.addReadings(std::move(loader));
    Text_Values->clear();
    // Emptied by the window, not typed: a later change of quantity or a save keeps the readings.
    Text_Values->setModified(false);
    showTable();
    showMessage(message);
    return true;
}

QString readingsMessage(const QString &name, std::int64_t readings, std::int64_t notNumbers,
                        const std::vector<std::int64_t> &first)
{
    // Spelled out: with no translation loaded, Qt's %n plural shows "reading(s)".
    QString message = readings == 1
        ? Form_Table::tr("1 reading from %1").arg(name)
        : Form_Table::tr("%1 readings from %2").arg(TableModel::countText(readings), name);
    if (notNumbers == 0)
        return message;
    QStringList lines;
    for (const std::int64_t line : first)
        lines << TableModel::countText(line);
    if (notNumbers > std::int64_t(first.size()))
        lines << QStringLiteral("…");
    return message
        + (notNumbers == 1 ? Form_Table::tr("; 1 line is not a number (line %1)").arg(lines.join(QString()))
                           : Form_Table::tr("; %1 lines are not numbers (lines %2)")
                                 .arg(TableModel::countText(notNumbers), lines.join(QStringLiteral(", "))));
}

void Form_Table::chooseReadings()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Readings"));
    if (!path.isEmpty())
        openReadings(path);
}

QString Form_Table::saveTo(const QString &typed, const QString &filter)
{
    // No extension: the chosen filter's; an extension of no format is kept, and the file
    // written in the filter's format.
    const QString path = withFilterExtension(typed, filter);
    auto format = formatOfFile(path);
    if (!format) // the filter's format, by the extension it gives a bare name
        format = formatOfFile(withFilterExtension(QStringLiteral("t"), filter));
    QProgressDialog progress(tr("Saving %1…").arg(QFileInfo(path).fileName()), tr("Cancel"), 0,
                             int(m_model->totalRows()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto step = [&progress](std::int64_t rows) {
        progress.setValue(int(rows));
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
    const QString error = saveTable(path, format.value_or(TableFormat::Text), m_model->tableSpec(), step);
    showMessage(error);
    return error;
}

void Form_Table::saveAs()
{
    // What the field shows is what is saved, typed or applied.
    if (!applyTypedValues())
        return;
    QStringList filters;
    for (const char *filter : saveFilters)
        filters << QString::fromLatin1(filter);
    QString filter;
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Table"), {},
                                                      filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    saveTo(path, filter);
}

QString withFilterExtension(const QString &path, const QString &filter)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    const qsizetype star = filter.indexOf(u'*');
    if (star < 0)
        return path;
    return path + filter.mid(star + 1, filter.indexOf(u' ', star) - star - 1).remove(u')');
}

void Form_Table::copySelection()
{
    // New values leave nothing selected: nothing of the table they replace is copied.
    applyTypedValues();
    const std::int64_t first = m_model->selectedFirst();
    const std::int64_t last = m_model->selectedLast();
    if (last < first)
        return;
    if (last - first + 1 > maxCopiedRows) {
        showMessage(tr("Select at most %1 rows to copy; Save As writes any number").arg(maxCopiedRows));
        return;
    }
    QList<QStringList> rows;
    for (std::int64_t row = first; row <= last; ++row) {
        QStringList cells;
        for (int column = 0; column < m_model->columnCount(); ++column)
            cells << m_model->cellText(row, column);
        rows << cells;
    }
    QApplication::clipboard()->setMimeData(gridMimeData(m_model->headerLabels(), rows));
}

} // namespace ornavel
