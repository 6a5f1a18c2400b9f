#pragma once

#include <QTableView>

#include <cstdint>

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
    // The bar that scrolls over every row; the caller places it beside the grid.
    QScrollBar *rowBar() const { return m_rowBar; }
    // The model holds a new table: back to its top, nothing selected.
    void tableChanged();
    // Brings the row into view.
    void showRow(std::int64_t row);

signals:
    void copyRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void updateWindow();
    void moveCurrent(std::int64_t row, bool extend);
    std::int64_t rowAtPosition(int y) const;

    TableModel *m_model = nullptr;
    QScrollBar *m_rowBar;
    std::int64_t m_anchor = 0;
    std::int64_t m_current = 0;
};

} // namespace ornavel
