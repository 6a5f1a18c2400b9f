#pragma once

#include "table/table_format.h"
#include "table/table_request.h"
#include "table/table_values.h"

#include <optional>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ornavel {

class TableChart;
class TableGrid;
class TableModel;

// The Tables window: `ornavel table` for a desktop user, over any number of rows.
class Form_Table : public QWidget
{
    Q_OBJECT
public:
    explicit Form_Table(QWidget *parent = nullptr);

    // Sizes the window for the screen of window and places it beside window where the screen
    // has room: a window of its own, not one kept over the calculator.
    void placeBeside(const QWidget *window);
    // Fills the table from a text file of readings, one a line; false with the reason shown.
    Q_INVOKABLE bool openReadings(const QString &path);
    // Writes the table to path as Save As does with filter chosen: in the format the
    // extension names, else the filter's, else as text. An empty text, or why nothing was
    // written.
    QString saveTo(const QString &path, const QString &filter = {});
    // Writes the chart to path as Export Chart does with filter chosen; an empty text, or why
    // nothing was written.
    QString exportChartTo(const QString &path, const QString &filter);

private:
    void createControls();
    void placeControls();
    void connectControls();
    // Applies the values typed; false when they are refused.
    bool applyValues();
    // Applies values typed since the last Return, if any; false when they were refused.
    bool applyTypedValues();
    void optionsChanged();
    void showTable();
    // The table the controls ask for, or none with the message that says why.
    std::optional<TableSpec> chosenSpec();
    void fillGammaItems();
    // The relation chosen, and its quantities and branches in their lists.
    const Relation &relation() const;
    void fillRelationItems();
    void showRowCount();
    // The locale's decimal separator where it is one ASCII character, read besides ".".
    static char decimalPoint();
    void showMessage(const QString &message);
    void chooseReadings();
    void saveAs();
    void copySelection();
    // The chart and its controls (form_table_chart.cpp).
    QWidget *createChart();
    void updateChart();
    void updateFamilyChart();
    void exportChart();

    QComboBox *Combo_Relation = nullptr;
    QComboBox *Combo_Quantity = nullptr;
    QComboBox *Combo_Branch = nullptr;
    QLabel *m_branchLabel = nullptr;
    QComboBox *Combo_Gamma = nullptr;
    QLineEdit *Text_Values = nullptr;
    QComboBox *Combo_Angle = nullptr;
    QLineEdit *Text_Angles = nullptr;
    QCheckBox *Check_Digits15 = nullptr;
    QPushButton *Command_Open = nullptr;
    QPushButton *Command_Save = nullptr;
    QLabel *Label_Message = nullptr;
    QLabel *Label_Rows = nullptr;
    TableGrid *Grid = nullptr;
    TableChart *Chart = nullptr;
    QCheckBox *Check_LogScale = nullptr;
    QPushButton *Command_ExportChart = nullptr;
    QLabel *Label_Readout = nullptr;
    TableModel *m_model = nullptr;
    TableValues m_values;
    TableValues m_angles;
};

// Where a window of size (at least minimum) goes beside the frame anchor within available:
// to its right, else to its left, else narrowed to the wider side's room, else over it,
// always on the screen. The frame's rectangle.
QRect besideWindow(const QRect &anchor, QSize size, QSize minimum, const QRect &available);

// What the message beside the field says of a file of readings opened: how many, and which
// lines were not numbers (the first few line numbers).
QString readingsMessage(const QString &name, std::int64_t readings, std::int64_t notNumbers,
                        const std::vector<std::int64_t> &first);

// The format a file name's extension names, or none.
std::optional<TableFormat> formatOfFile(const QString &path);

// A save dialog's answer with the chosen filter's first extension ("Text (*.txt)": .txt) added
// when the name has no extension; a name with one, known or not, is kept as typed.
QString withFilterExtension(const QString &path, const QString &filter);

// Writes the table to path through the writer of format, into a file beside it renamed over
// it when whole, so that a failed or cancelled save leaves no partial file. progress as in
// writeTable. An empty text, or why nothing was written.
QString saveTable(const QString &path, TableFormat format, const TableSpec &tableSpec,
                  const std::function<bool(std::int64_t)> &progress);

} // namespace ornavel
