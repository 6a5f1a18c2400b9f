#pragma once

#include <QTableView>

#include <cstdint>
#include <vector>

class QScrollBar;

namespace ornavel {

class TableModel;

// The grid: a table view over the model's window of rows, scrolled over all the rows by a
// scroll bar of its own (a view's own scrolling keeps state for every row), selecting rows
// by their absolute number so that a selection survives scrolling.
class TableGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TableGrid(QWidget *parent = nullptr);

    void setTableModel(TableModel *model);
    TableModel *tableModel() const { return m_model; }
    // The bar that scrolls over every row; the caller places it beside the grid.
    QScrollBar *rowBar() const { return m_rowBar; }
    // The model holds a new table: back to its top, nothing selected.
    void tableChanged();
    // Brings the row into view.
    void showRow(std::int64_t row);
    // The row the keys move from, and the column a screen reader is told of.
    std::int64_t currentRow() const { return m_current; }
    int currentColumn() const;
    // Makes the row current and the only one selected.
    void selectRow(std::int64_t row) { moveCurrent(row, false); }

signals:
    void copyRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void updateWindow();
    void showWindow(std::int64_t offset);
    void fitColumns();
    // The width a cell needs to show its whole text.
    int cellWidth(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void moveCurrent(std::int64_t row, bool extend);
    void announceCurrent();
    std::int64_t rowAtPosition(int y) const;

    TableModel *m_model = nullptr;
    QScrollBar *m_rowBar;
    std::int64_t m_anchor = 0;
    std::int64_t m_current = 0;
    // What the wheel turned short of a row, so that a touchpad's small steps add up.
    int m_wheelRest = 0;
    // Each column's width for the rows seen since the table changed: columns grow to fit
    // what scrolls into view and do not shrink back while scrolling.
    std::vector<int> m_widths;
};

} // namespace ornavel
