#pragma once

#include "decision/result_row.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace ornavel {

class CommandButton;
class NumberBox;
class PictureBox;
class Form_About;

// The main window: pick the known quantity, type it, press the button, read the shock.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // The upstream Mach number of the last calculation, unrounded; NaN after a refusal.
    double upstreamMach() const;

    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One pair of the result frame: the label and its box.
    struct ResultPair {
        QLabel *label;
        NumberBox *box;
    };

    // Building the window (form1_controls.cpp), in the order createControls takes.
    void createControls();
    void createMenu();
    void placeControls(QWidget *client);
    void findControls(QWidget *client);
    void describeControls();
    void connectModes();
    void createCopyResults();
    void Form_Load();
    void Option_M1_Click();
    void Option_M2_Click();
    void Option_Po2P1_Click();
    void Command1_Click();
    void Mn_About_Click();
    void Mn_Table_Click();
    // The rest of the shown outcome: the ratios, the pitot solution and its graph.
    void oranlar();
    void iterasyon();
    void grafik();
    // What the graph's description says of the marker.
    QString markerText() const;

    void configureInputMode(const ResultPair &own, int heightTwips, bool graphShown);
    // Empties every box but the input and clears the graph, then shows the message.
    void refuse(const QString &message);
    void clearGraph();
    void clearResults();
    // The marks of what is shown (estimate, subsonic, stale), in the boxes' colours and tooltips.
    void showMarks();
    // The input was edited: what the boxes and the graph show no longer belongs to it.
    void markStale();
    void setResultShown(bool shown);
    void copyResults();
    // The outer height and the window manager (form1_window.cpp).
    void setOuterHeight(int twips);
    void applyOuterHeight();

    int m_outerHeightPixels = 0;
    int m_appliedFrameHeight = 0;

    QLabel *Label2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QRadioButton *Option_M1 = nullptr;
    QRadioButton *Option_M2 = nullptr;
    QRadioButton *Option_Po2P1 = nullptr;
    CommandButton *Command1 = nullptr;
    PictureBox *Picture1 = nullptr;
    QAction *Mn_Table = nullptr;
    QAction *Mn_About = nullptr;
    QAction *m_copyResults = nullptr;
    QPointer<Form_About> m_about; // null until first shown and after it is closed
    QPointer<QWidget> m_table;    // the Tables window, likewise
    // The last outcome, its row as the boxes show it (also for Copy Results) and unrounded
    // (tooltips), and whether the input was edited since.
    ornavel::Outcome m_outcome;
    ornavel::ResultRow m_shown;
    ornavel::ResultRow m_unrounded;
    bool m_stale = false;

    // The result pairs in the frame's order, the same as the result columns.
    // The result boxes are the normal shock's columns, in their order.
    enum Row { RowM1, RowP2P1, RowRo2Ro1, RowT2T1, RowPo2Po1, RowPo2P1, RowM2, rowCount };
    static_assert(rowCount == resultColumns, "a box for each of the relation's columns");
    std::array<ResultPair, rowCount> m_rows {};
    ResultPair rowM1() const { return m_rows[RowM1]; }
    ResultPair rowPo2P1() const { return m_rows[RowPo2P1]; }
    ResultPair rowM2() const { return m_rows[RowM2]; }
    void writeRow(Row row);
    // The selected option's quantity (Po2/P1 when none is selected), and its row, the input.
    Quantity selectedQuantity() const;
    ResultPair inputRow() const;
};

} // namespace ornavel
