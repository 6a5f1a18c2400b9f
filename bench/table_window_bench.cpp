// The Tables window: ten million rows from Return to the painted grid and its memory against
// ten rows, a million-row CSV saved, the chart redrawn after a range change, and a file of two
// million readings opened with the memory it takes at its peak. Prints
// "name: value" lines for bench/run.sh. Run with QT_QPA_PLATFORM=offscreen.
#include "ui/table/form_table.h"
#include "ui/table/table_chart.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <unistd.h>

namespace {

long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * (::sysconf(_SC_PAGESIZE) / 1024);
}

// From Return in Text_Values to the grid painted, in milliseconds.
double enter(ornavel::Form_Table &form, const QString &values)
{
    auto *text = form.findChild<QLineEdit *>(QStringLiteral("Text_Values"));
    auto *grid = form.findChild<QTableView *>(QStringLiteral("Grid"));
    text->setText(values);
    QElapsedTimer timer;
    timer.start();
    emit text->returnPressed();
    grid->viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

// A field of /proc/self/status in kB ("VmHWM:", the peak resident size).
long statusKb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    ornavel::Form_Table form;
    form.show();
    QApplication::processEvents();
    enter(form, QStringLiteral("1:10:1"));
    QApplication::processEvents();
    const long small = residentKb();
    const double openMs = enter(form, QStringLiteral("1:10000000:1"));
    QApplication::processEvents();
    out << "table-window-open-10M-ms: " << openMs << '\n';
    out << "table-window-rss-growth-kb: " << residentKb() - small << '\n';

    enter(form, QStringLiteral("1:10:0.000009"));
    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    const QString error = form.saveTo(dir.filePath(QStringLiteral("table.csv")));
    out << "table-window-save-1M-s: " << double(timer.nsecsElapsed()) / 1e9 << '\n';

    auto *chart = form.findChild<ornavel::TableChart *>(QStringLiteral("Chart"));
    timer.restart();
    chart->setRange(1, 10);
    chart->viewport()->repaint();
    out << "chart-redraw-ms: " << double(timer.nsecsElapsed()) / 1e6 << '\n';

    constexpr int readings = 2'000'000;
    QFile file(dir.filePath(QStringLiteral("readings.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    QByteArray lines;
    for (int i = 0; i < readings; ++i)
        lines += QByteArray::number(1 + i * 4e-6, 'f', 6) + '\n';
    file.write(lines);
    file.close();
    lines = QByteArray();
    enter(form, QStringLiteral("1:10:1"));
    QApplication::processEvents();
    // The peak from here on: Linux resets it on "5" to clear_refs.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const long before = residentKb();
    timer.restart();
    const bool opened = form.openReadings(file.fileName());
    out << "open-readings-2M-s: " << double(timer.nsecsElapsed()) / 1e9 << '\n';
    out << "open-readings-bytes-per-reading: " << double(statusKb("VmHWM:") - before) * 1024 / readings
        << '\n';
    // The θ-β-M chart of 20 Mach numbers, each with its weak and strong curves, the loci and
    // the table's rows marked: from the values applied to the chart drawn.
    form.findChild<QComboBox *>(QStringLiteral("Combo_Relation"))->setCurrentIndex(3);
    form.findChild<QLineEdit *>(QStringLiteral("Text_Angles"))->setText(QStringLiteral("0:40:5"));
    enter(form, QStringLiteral("1.5:11:0.5"));
    timer.restart();
    enter(form, QStringLiteral("1.25:10.75:0.5"));
    chart->viewport()->repaint();
    out << "theta-beta-chart-ms: " << double(timer.nsecsElapsed()) / 1e6 << '\n';
    return error.isEmpty() && opened ? 0 : 1;
}
