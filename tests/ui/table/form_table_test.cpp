#include "ui/table/form_table.h"

#include "cli/table_command.h"
#include "table/table.h"
#include "ui/table/table_chart.h"
#include "ui/table/table_grid.h"
#include "ui/table/table_model.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

using namespace ornavel;

namespace {

// What `ornavel table` writes for the arguments (stdin from inputPath), and its stderr.
QByteArray commandLine(const QStringList &arguments, QByteArray *err = nullptr, const QString &inputPath = {})
{
    std::vector<std::string> words;
    for (const QString &a : arguments)
        words.push_back(a.toStdString());
    const std::vector<std::string_view> views(words.begin(), words.end());
    std::FILE *out = std::tmpfile();
    std::FILE *errors = std::tmpfile();
    const int fd = inputPath.isEmpty() ? -1 : ::open(QFile::encodeName(inputPath).constData(), O_RDONLY);
    runTable(views, fd, out, errors);
    if (fd >= 0)
        ::close(fd);
    const auto readAll = [](std::FILE *file) {
        QFile f;
        std::rewind(file);
        f.open(file, QIODevice::ReadOnly);
        return f.readAll();
    };
    if (err)
        *err = readAll(errors);
    const QByteArray bytes = readAll(out);
    std::fclose(out);
    std::fclose(errors);
    return bytes;
}

struct Window {
    Form_Table form;
    TableModel *model() { return static_cast<TableModel *>(form.findChild<TableGrid *>("Grid")->model()); }
    void enter(int quantity, const QString &values, bool digits15 = false)
    {
        form.findChild<QComboBox *>("Combo_Quantity")->setCurrentIndex(quantity);
        auto *text = form.findChild<QLineEdit *>("Text_Values");
        text->setText(values);
        QTest::keyClick(text, Qt::Key_Return);
        form.findChild<QCheckBox *>("Check_Digits15")->setChecked(digits15); // applies at once
    }
    QString message() { return form.findChild<QLabel *>("Label_Message")->text(); }
    // A gas typed into the γ box, with Return.
    void chooseGas(const QString &typed)
    {
        auto *gamma = form.findChild<QComboBox *>("Combo_Gamma");
        gamma->lineEdit()->selectAll();
        QTest::keyClicks(gamma->lineEdit(), typed);
        QTest::keyClick(gamma->lineEdit(), Qt::Key_Return);
    }
    QLineEdit *values() { return form.findChild<QLineEdit *>("Text_Values"); }
    // Values typed over the field's, without Return.
    void type(const QString &typed)
    {
        values()->selectAll();
        QTest::keyClicks(values(), typed);
    }
};

// The grid's rows as tab-separated lines, as `--format tsv` writes them after its header.
QByteArray gridAsTsv(TableModel *model)
{
    QByteArray tsv;
    for (std::int64_t row = 0; row < model->totalRows(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->cellText(row, column);
        tsv += cells.join(u'\t').toUtf8() + '\n';
    }
    return tsv;
}

// The command line's rows with the locale's decimal point in the number cells.
QByteArray localised(const QByteArray &tsv, const QLocale &locale)
{
    QByteArray rows;
    for (const QByteArray &line : tsv.split('\n').mid(1)) {
        if (line.isEmpty())
            continue;
        QList<QByteArray> cells = line.split('\t');
        for (int i = 0; i + 1 < cells.size(); ++i)
            cells[i].replace('.', locale.decimalPoint().toUtf8());
        rows += cells.join('\t') + '\n';
    }
    return rows;
}

// Among a copy row's keys: a click or a drag to a row in view, the values entered again,
// refused values entered, and a value typed without Return.
constexpr int click = -1, drag = -2, reenter = -3, refuse = -4, typeTwo = -5;

const char *const quantityNames[] = {"M1", "M2", "Po2/P1", "P2/P1", "rho2/rho1", "T2/T1", "Po2/Po1"};

} // namespace

class FormTableTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void cellsEqualTheCommandLine_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("digits15");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("gas");   // typed into Combo_Gamma; empty: air, as it opens
        QTest::addColumn<QString>("gamma"); // the same for the command line
        const QLocale c = QLocale::c(), german(QLocale::German);
        QTest::newRow("helium chosen, its limits") << 4 << "0.1:6.5:0.2" << false << c << "helium (5/3)"
                                                   << "helium";
        QTest::newRow("gamma typed with a comma") << 0 << "0.3:2:0.1" << true << german << "1,3"
                                                  << "1.3";
        QTest::newRow("M1 range with subsonic and refused rows")
            << 0 << "0:3:0.25" << false << c << QString() << QString();
        QTest::newRow("M2 values, refusals among them")
            << 1 << "0.5 0.3 1.2 0.9" << false << c << QString() << QString();
        QTest::newRow("Po2/P1, unsettled and unsolvable")
            << 2 << "1.5 5.64044 -1 1:12:0.5" << false << c << QString() << QString();
        QTest::newRow("P2/P1, 15 digits") << 3 << "0:10:0.5" << true << c << QString() << QString();
        QTest::newRow("rho2/rho1 across its limits")
            << 4 << "0.1:6.5:0.2" << false << c << QString() << QString();
        QTest::newRow("T2/T1 with a huge value")
            << 5 << "1:3:0.25 1e400" << false << c << QString() << QString();
        QTest::newRow("Po2/Po1, 15 digits") << 6 << "0.05:1.2:0.05" << true << c << QString() << QString();
        QTest::newRow("M1 in a German locale, a comma")
            << 0 << "0.3:2:0.1" << true << german << QString() << QString();
    }
    void cellsEqualTheCommandLine()
    {
        QFETCH(int, quantity);
        QFETCH(QString, values);
        QFETCH(bool, digits15);
        QFETCH(QLocale, locale);
        QFETCH(QString, gas);
        QFETCH(QString, gamma);
        QLocale::setDefault(locale);
        Window w;
        if (!gas.isEmpty())
            w.chooseGas(gas);
        w.enter(quantity, values, digits15);
        QStringList arguments {quantityNames[quantity]};
        if (!gamma.isEmpty())
            arguments << "--gamma" << gamma;
        arguments << values.split(u' ') << "--format"
                  << "tsv";
        if (digits15)
            arguments << "--digits"
                      << "15";
        QCOMPARE(gridAsTsv(w.model()), localised(commandLine(arguments), locale));
        for (int row = 0; row < w.model()->rowCount(); ++row) // a row with a note is in italics
            QCOMPARE(w.model()->index(row, 0).data(Qt::FontRole).value<QFont>().italic(),
                     !w.model()->cellText(row, 7).isEmpty());
        QCOMPARE(w.model()->index(0, 7).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft,
                 int(Qt::AlignLeft)); // the note's
    }

    // Every other relation from its description: the window's grid is the command line's.
    void everyRelationEqualsTheCommandLine_data()
    {
        QTest::addColumn<int>("relation");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("branch");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("angles");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("isentropic A/A*, subsonic")
            << 1 << 4 << 1 << "0.5 1 1.5 2"
            << "" << QStringList {"isentropic", "A/A*", "0.5", "1", "1.5", "2", "--branch", "subsonic"};
        QTest::newRow("pitot readings through Mach 1") << 2 << 1 << 0 << "0.5:3:0.5"
                                                       << "" << QStringList {"pitot", "Po2/P1", "0.5:3:0.5"};
        QTest::newRow("oblique, strong, detached")
            << 3 << 0 << 1 << "1.5 2 3"
            << "0 10 30"
            << QStringList {"oblique", "M1", "1.5", "2", "3", "theta", "0", "10", "30", "--branch", "strong"};
        QTest::newRow("expansion to its largest turn")
            << 4 << 0 << 0 << "1 2"
            << "10 105" << QStringList {"expansion", "M1", "1", "2", "theta", "10", "105"};
    }
    void everyRelationEqualsTheCommandLine()
    {
        QFETCH(int, relation);
        QFETCH(int, quantity);
        QFETCH(int, branch);
        QFETCH(QString, values);
        QFETCH(QString, angles);
        QFETCH(QStringList, arguments);
        Window w;
        w.form.findChild<QComboBox *>("Combo_Relation")->setCurrentIndex(relation);
        w.form.findChild<QComboBox *>("Combo_Branch")->setCurrentIndex(branch);
        w.form.findChild<QLineEdit *>("Text_Angles")->setText(angles);
        w.enter(quantity, values);
        const QByteArray tsv = commandLine(arguments << "--format"
                                                     << "tsv");
        QCOMPARE(gridAsTsv(w.model()), tsv.mid(tsv.indexOf('\n') + 1)); // after the header
        QVERIFY(w.form.findChild<TableChart *>("Chart")->hasCurves());
    }

    void readingsEqualStandardInput()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("readings.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBF"
                   "2.05\n\n5.64044\r\nten\n  10  \n1.5");
        file.close();
        Window w;
        w.enter(2, "3");
        QVERIFY(w.form.openReadings(path));
        QCOMPARE(w.form.findChild<QLineEdit *>("Text_Values")->text(), QString()); // not the replaced "3"
        QCOMPARE(w.message(), "5 readings from readings.txt; 1 line is not a number (line 4)");
        const QByteArray expected = commandLine({"Po2/P1", "-", "--format", "tsv"}, nullptr, path);
        QCOMPARE(gridAsTsv(w.model()), expected.mid(expected.indexOf('\n') + 1));
        w.form.findChild<QComboBox *>("Combo_Quantity")->setCurrentIndex(0); // the emptied field is not typed
        QCOMPARE(w.model()->totalRows(), 5);

        // A decimal comma where the locale writes one, as well as a point.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("2,05\n1.5\n");
        file.close();
        QVERIFY(w.form.openReadings(path));
        QCOMPARE(gridAsTsv(w.model()),
                 localised(commandLine({"M1", "2.05", "1.5", "--format", "tsv"}), QLocale()));
        w.enter(0, "2,05:2,1:0,05");
        QCOMPARE(gridAsTsv(w.model()),
                 localised(commandLine({"M1", "2.05:2.1:0.05", "--format", "tsv"}), QLocale()));
    }

    void savedFileEqualsTheCommandLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("filter"); // chosen in the dialog
        QTest::addColumn<QString>("saved");
        QTest::newRow("text") << "t.txt"
                              << "text"
                              << ""
                              << "t.txt";
        QTest::newRow("csv") << "t.csv"
                             << "csv"
                             << ""
                             << "t.csv";
        QTest::newRow("tsv") << "t.tsv"
                             << "tsv"
                             << ""
                             << "t.tsv";
        QTest::newRow("html") << "t.htm"
                              << "html"
                              << ""
                              << "t.htm";
        QTest::newRow("markdown") << "t.md"
                                  << "markdown"
                                  << ""
                                  << "t.md";
        QTest::newRow("latex, the filter's extension added") << "t"
                                                             << "latex"
                                                             << "LaTeX (*.tex *.latex)"
                                                             << "t.tex";
        QTest::newRow("an unknown extension kept, the filter's format") << "results.dat"
                                                                        << "csv"
                                                                        << "CSV (*.csv)"
                                                                        << "results.dat";
    }
    void savedFileEqualsTheCommandLine()
    {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(QString, filter);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        Window w;
        w.enter(2, "1.5 0:20:0.75 -3");
        QCOMPARE(w.form.saveTo(dir.filePath(file), filter), QString());
        QFile written(dir.filePath(saved));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), commandLine({"Po2/P1", "1.5", "0:20:0.75", "-3", "--format", format}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {saved});
        QFile fresh(dir.filePath("fresh"));
        QVERIFY(fresh.open(QIODevice::WriteOnly));
        QCOMPARE(written.permissions(), fresh.permissions()); // a new file's, not mkstemp's 0600
    }

    void failedOrCancelledSaveLeavesNoFile()
    {
        QTemporaryDir dir;
        Window w;
        w.enter(0, "1:2:0.001");
        QCOMPARE(w.form.saveTo(dir.filePath("missing/t.csv")),
                 "Cannot write t.csv: No such file or directory");
        const QString cancelled = saveTable(dir.filePath("t.csv"), TableFormat::Csv, w.model()->tableSpec(),
                                            [](std::int64_t) { return false; });
        QCOMPARE(cancelled, "Save cancelled: t.csv was not written");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void saveOverAFileKeepsItsMode()
    {
        QTemporaryDir dir;
        QFile old(dir.filePath("t.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(old.setPermissions(mode));
        Window w;
        w.enter(0, "2");
        QCOMPARE(w.form.saveTo(old.fileName()), QString());
        QCOMPARE(QFile(old.fileName()).permissions() & ~(QFile::ReadUser | QFile::WriteUser), mode);
        QVERIFY(QFile(old.fileName()).size() > 7);
    }

    void badInputGivesTheCommandLineMessage_data()
    {
        QTest::addColumn<QString>("values");
        QTest::newRow("not a number") << "2 abc";
        QTest::newRow("zero step") << "1:2:0";
        QTest::newRow("wrong sign of step") << "5:1:1";
        QTest::newRow("too many rows") << "0:1:1e-8";
        QTest::newRow("range without step") << "1:2";
    }
    void badInputGivesTheCommandLineMessage()
    {
        QFETCH(QString, values);
        Window w;
        w.enter(0, "1:3:1");
        w.enter(0, values);
        QByteArray err;
        commandLine(QStringList {"M1"} + values.split(u' '), &err);
        QCOMPARE(w.message().toUtf8(), err.mid(15, err.indexOf('\n') - 15));
        QCOMPARE(w.model()->totalRows(), 0);
        w.enter(0, "1:3:1");
        QCOMPARE(w.message(), QString()); // gone with the fault
    }

    void badGammaGivesNoTable()
    {
        Window w;
        w.enter(0, "1:3:1");
        w.chooseGas("0,9");
        QCOMPARE(w.model()->totalRows(), 0);
        QVERIFY(w.message().startsWith("γ must be a number greater than 1 and at most 3, or a gas: air,"));
        w.chooseGas("Argon");
        QCOMPARE(w.model()->cellText(1, 1), "4.75"); // M1 2 in a monatomic gas
        QCOMPARE(w.message(), QString());
    }

    void chartSpansTheTablesM1_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("values"); // "readings": a file of them
        QTest::addColumn<double>("from");    // 0: no curves
        QTest::addColumn<double>("to");
        QTest::addColumn<QString>("note"); // written on the chart
        QTest::newRow("M1 range, subsonic and refused parts left out")
            << 0 << "0.5:4:0.5 3e44" << 1.0 << 4.0 << "";
        QTest::newRow("M2 counts down to a larger M1")
            << 1 << "0.9:0.5:-0.1" << 1.115397 << std::sqrt(7.0) << "";
        QTest::newRow("Po2/P1 mostly unsolvable, unsettled or subsonic")
            << 2 << "0:2:0.0001" << 1.0 << 1.04655 << "";
        QTest::newRow("Po2/P1 readings out of order") << 2 << "12.06096 5.64044 8.52614" << 2.0 << 3.0 << "";
        QTest::newRow("ten million rows, ends sampled") << 0 << "1:10000000:1" << 1.0 << 1e7 << "";
        QTest::newRow("negative M1, as its size") << 0 << "-3:-2:0.5" << 2.0 << 3.0 << "";
        QTest::newRow("M1 across zero, |M1| turning inside")
            << 0 << "-3:2.5:0.0000011" << 1.0000004 << 3.0 << "";
        QTest::newRow("one M1, seen in a span of one") << 0 << "2" << 2.0 << 3.0 << "";
        QTest::newRow("10,000 readings, one far off") << 0 << "readings" << 2.0 << 8.79 << "";
        QTest::newRow("all subsonic: said, no curves")
            << 0 << "0.5:0.9:0.1" << 0.0 << 0.0 << "No row at or above M1 = 1: no shock forms";
        QTest::newRow("refused: the earlier curves gone") << 0 << "abc" << 0.0 << 0.0 << "";
    }
    void chartSpansTheTablesM1()
    {
        QFETCH(int, quantity);
        QFETCH(QString, values);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(QString, note);
        Window w;
        auto *chart = w.form.findChild<TableChart *>("Chart");
        QVERIFY(!chart->hasCurves()); // beside the empty grid
        w.enter(0, "5:6:1");          // a table before
        emit chart->readoutChanged("M1 = 9");
        QTemporaryDir dir;
        if (values == "readings") {
            QFile file(dir.filePath("readings.txt"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 10000; ++i)
                file.write(i == 5001 ? "8.79\n" : QByteArray::number(2 + i / 9999.0) + '\n');
            file.close();
            QVERIFY(w.form.openReadings(file.fileName()));
        } else {
            w.enter(quantity, values);
        }
        QCOMPARE(w.form.findChild<QLabel *>("Label_Readout")->text(), QString());
        QCOMPARE(chart->hasCurves(), from > 0);
        QCOMPARE(chart->note(), note);
        if (from == 0)
            return;
        QVERIFY(std::fabs(chart->from() - from) < 1e-4);
        QVERIFY2(std::fabs(chart->to() - to) < 1e-4 * to, qPrintable(QString::number(chart->to())));
        // A legend entry hides its curve, struck out, and the vertical axis fits what is left.
        const QList<QLegendMarker *> markers = chart->chart()->legend()->markers();
        for (int k = 0; k < 5; ++k) // all but M2
            emit markers[k]->clicked();
        QVERIFY(!markers[0]->series()->isVisible() && markers[0]->font().strikeOut());
        QVERIFY(static_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical)[0])->max() < 1.1);
        chart->setPalette(QPalette(QColor(45, 45, 45))); // a dark window gets the dark theme
        QCOMPARE(chart->chart()->theme(), QChart::ChartThemeDark);
    }

    void chartAxesAndExportAreReadable_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("horizontal"); // the labels
        QTest::addColumn<QString>("vertical");
        QTest::newRow("linear, M1 1 to 4") << "1:4:0.5" << false << QLocale::c() << "1 1.5 2 2.5 3 3.5 4"
                                           << "0 5 10 15 20";
        QTest::newRow("logarithmic, more than 1 and 10")
            << "1:4:0.5" << true << QLocale::c() << "1 1.5 2 2.5 3 3.5 4"
            << "0.2 0.5 1 2 5 10 20";
        QTest::newRow("German, the grid's separator")
            << "1:2:0.1" << false << QLocale(QLocale::German) << "1 1,2 1,4 1,6 1,8 2"
            << "0 1 2 3 4 5";
    }
    void chartAxesAndExportAreReadable()
    {
        QFETCH(QString, values);
        QFETCH(bool, logarithmic);
        QFETCH(QLocale, locale);
        QFETCH(QString, horizontal);
        QFETCH(QString, vertical);
        QLocale::setDefault(locale);
        Window w;
        w.form.show();
        w.enter(0, values);
        w.form.findChild<QCheckBox *>("Check_LogScale")->setChecked(logarithmic);
        auto *chart = w.form.findChild<TableChart *>("Chart");
        const auto labels = [chart](Qt::Orientation o) {
            return static_cast<QCategoryAxis *>(chart->chart()->axes(o)[0])->categoriesLabels().join(' ');
        };
        QCOMPARE(labels(Qt::Horizontal), horizontal);
        QCOMPARE(labels(Qt::Vertical), vertical);
        QVERIFY(!chart->chart()->axes(Qt::Vertical)[0]->titleText().isEmpty());
        // Written as the filter chosen says when no extension is typed: PNG at twice the
        // window's pixels at least, SVG with each curve one path.
        QTemporaryDir dir;
        QCOMPARE(w.form.exportChartTo(dir.filePath("chart"), "PNG image (*.png)"), QString());
        QCOMPARE(QImage(dir.filePath("chart.png")).width(), 2 * chart->viewport()->width());
        QCOMPARE(w.form.exportChartTo(dir.filePath("chart"), "SVG drawing (*.svg)"), QString());
        QFile svg(dir.filePath("chart.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly) && svg.size() < 200'000);
        const QByteArray drawing = svg.readAll();
        for (const QString &label : vertical.split(' ')) // the axis as it is now, not as it was
            QVERIFY2(drawing.contains(">" + label.toUtf8() + "</text>"), qPrintable(label));
    }

    void readoutIsTheRowOfItsM1_data()
    {
        QTest::addColumn<double>("pointer");
        QTest::addColumn<bool>("digits15");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("printed"); // the M1 written
        QTest::newRow("between the digits") << 5.993331234 << false << QLocale::c() << "5.99333";
        QTest::newRow("15 digits") << 5.993331234567891 << true << QLocale::c() << "5.99333123456789";
        QTest::newRow("German, values split by ;") << 2.0 << false << QLocale(QLocale::German) << "2";
    }
    void readoutIsTheRowOfItsM1()
    {
        QFETCH(double, pointer);
        QFETCH(bool, digits15);
        QFETCH(QLocale, locale);
        QFETCH(QString, printed);
        QLocale::setDefault(locale);
        QStringList arguments {"M1", printed, "--format", "tsv"};
        if (digits15)
            arguments << "--digits"
                      << "15";
        const QByteArray tsv = localised(commandLine(arguments), locale);
        QStringList parts;
        const QList<QByteArray> cells = tsv.split('\t');
        for (int column = 0; column < 7; ++column)
            parts << TableModel().headerLabels()[column] + " = " + QString::fromUtf8(cells[column]);
        TableSpec tableSpec;
        tableSpec.digits = digits15 ? Digits::Full : Digits::Result;
        QCOMPARE(TableChart::readout(tableSpec, pointer),
                 parts.join(locale.decimalPoint() == "," ? "; " : ", "));
    }

    void chartIsReadByKeyboard()
    {
        Window w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        w.enter(0, "1:4:0.5", true);
        const QSize size = w.form.size(), least = w.form.minimumSizeHint();
        auto *chart = w.form.findChild<TableChart *>("Chart");
        auto *logScale = w.form.findChild<QCheckBox *>("Check_LogScale");
        logScale->setFocus();
        QTest::keyClick(logScale, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), chart);
        QTest::keyClick(chart, Qt::Key_End);
        QTest::keyClick(chart, Qt::Key_Left);
        QCOMPARE(chart->readoutM1(), 3.97);
        auto *readout = w.form.findChild<QLabel *>("Label_Readout");
        QCOMPARE(readout->text(), TableChart::readout(w.model()->tableSpec(), 3.97)); // the digits box's
        QCOMPARE(readout->accessibleName(), readout->text()); // what a screen reader reads
        for (int pass = 0; pass < 3; ++pass)                  // the chart's own layout, then the window's
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(w.form.size(), size); // however long the read-out
        QCOMPARE(w.form.minimumSizeHint(), least);
        QAccessibleInterface *graph = QAccessible::queryAccessibleInterface(chart);
        QCOMPARE(graph->role(), QAccessible::Chart);
        QCOMPARE(graph->text(QAccessible::Description),
                 "P2/P1, ρ2/ρ1, T2/T1, Po2/Po1, Po2/P1, M2 against M1 from 1 to 4");
    }

    void copyGivesTheSelectedRows_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<QList<int>>("keys"); // key, modifiers, in turn
        QTest::addColumn<QStringList>("firstCells");
        QTest::newRow("Shift+Down from the top")
            << "1:2:0.5" << QList<int> {Qt::Key_Down, Qt::ShiftModifier} << QStringList {"1", "1.5"};
        QTest::newRow("End then Shift+Up, beyond the first window")
            << "1:3:0.01" << QList<int> {Qt::Key_End, 0, Qt::Key_Up, Qt::ShiftModifier}
            << QStringList {"2.99", "3"};
        QTest::newRow("Ctrl+A, as many rows as a copy takes")
            << "1:100000:1" << QList<int> {Qt::Key_A, Qt::ControlModifier} << [] {
                   QStringList all;
                   for (int i = 1; i <= 100000; ++i)
                       all << QString::number(i);
                   return all;
               }();
        QTest::newRow("one row past the copy limit: refused, and said so")
            << "1:100001:1" << QList<int> {Qt::Key_A, Qt::ControlModifier} << QStringList();
        // A page is ten rows; a click or drag names the row in view.
        QTest::newRow("PageDown scrolls the row into view, a click takes one")
            << "1:3:0.01" << QList<int> {Qt::Key_PageDown, 0, click, 0} << QStringList {"1.01"};
        QTest::newRow("End shows the last row whole")
            << "1:3:0.01" << QList<int> {Qt::Key_End, 0, click, 0} << QStringList {"2.91"};
        QTest::newRow("a drag and Shift+PageUp extend")
            << "1:3:0.01" << QList<int> {click, 1, drag, 2, Qt::Key_PageUp, Qt::ShiftModifier}
            << QStringList {"1", "1.01"};
        QTest::newRow("Ctrl+A on a table emptied by a refusal: nothing")
            << "2" << QList<int> {refuse, 0, Qt::Key_A, Qt::ControlModifier} << QStringList();
        QTest::newRow("values typed since are applied first: the selection goes")
            << "1:5:0.01" << QList<int> {Qt::Key_A, Qt::ControlModifier, typeTwo, 0} << QStringList();
        QTest::newRow("new values start at the top")
            << "1:3:0.01" << QList<int> {Qt::Key_End, 0, reenter, 0, Qt::Key_Down, Qt::ShiftModifier}
            << QStringList {"1", "1.01"};
    }
    void copyGivesTheSelectedRows()
    {
        QFETCH(QString, values);
        QFETCH(QList<int>, keys);
        QFETCH(QStringList, firstCells);
        Window w;
        w.form.show();
        w.enter(0, values);
        auto *grid = w.form.findChild<TableGrid *>("Grid");
        grid->setFixedHeight(grid->height() - grid->viewport()->height()
                             + 10 * grid->verticalHeader()->defaultSectionSize());
        w.form.layout()->activate();
        QVERIFY(!w.model()->index(0, 0).data(Qt::BackgroundRole).isValid()); // no row chosen yet
        QTest::keyClick(grid, Qt::Key_Home);
        for (qsizetype i = 0; i + 1 < keys.size(); i += 2) {
            const QPoint at = grid->visualRect(w.model()->index(keys[i + 1], 0)).center();
            if (keys[i] == click)
                QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at);
            else if (keys[i] == drag)
                QTest::mouseMove(grid->viewport(), at);
            else if (keys[i] == reenter)
                w.enter(0, values);
            else if (keys[i] == refuse)
                w.enter(0, "abc");
            else if (keys[i] == typeTwo)
                w.type("2");
            else
                QTest::keyClick(grid, Qt::Key(keys[i]), Qt::KeyboardModifiers(keys[i + 1]));
        }
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        if (firstCells.isEmpty()) {
            QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
            QVERIFY(w.model()->totalRows() <= 1 || w.message().startsWith("Select at most 100000 rows"));
            return;
        }
        QStringList lines = copied->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), w.model()->headerLabels().join(u'\t'));
        QStringList cells;
        for (const QString &line : lines)
            cells << line.section(u'\t', 0, 0);
        QCOMPARE(cells, firstCells);
        QCOMPARE(copied->text().count(u'\t'), 7 * (cells.size() + 1)); // the note's cell too
        for (int row = 0; row < w.model()->rowCount(); ++row)          // highlighted: what was copied
            QCOMPARE(w.model()->index(row, 0).data(Qt::BackgroundRole).isValid(),
                     cells.contains(w.model()->cellText(w.model()->offset() + row, 0)));
        QVERIFY(copied->html().contains("<th>ρ2/ρ1</th>"));
    }

    void everyControlNamedAndEscapeKeepsTheWindow()
    {
        Window w;
        const QSize screen = w.form.screen()->availableGeometry().size();
        // With a title bar and borders, on the screen.
        QVERIFY2(w.form.width() + 2 <= screen.width() && w.form.height() + 20 <= screen.height(),
                 "beyond the screen");
        w.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        for (QWidget *control : w.form.findChildren<QWidget *>()) {
            // A view's viewport is part of the view, which carries the name.
            const auto *area = qobject_cast<QAbstractScrollArea *>(control->parentWidget());
            if (control->focusPolicy() != Qt::NoFocus && control->isVisible()
                && !(area && area->viewport() == control))
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
        auto *quantity = w.form.findChild<QComboBox *>("Combo_Quantity");
        QCOMPARE(quantity->accessibleName(), "Quantity");
        // Escape closes an open list, and only the list; anywhere else it does nothing.
        quantity->showPopup();
        QTest::keyClick(quantity->view(), Qt::Key_Escape);
        QVERIFY(!quantity->view()->isVisible());
        auto *grid = w.form.findChild<TableGrid *>("Grid");
        for (QWidget *control : {static_cast<QWidget *>(w.values()), static_cast<QWidget *>(grid)})
            QTest::keyClick(control, Qt::Key_Escape);
        QVERIFY(w.form.isVisible());
        // Tab leaves the grid at once, whatever its cells.
        w.enter(0, "1:2:0.5");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(!grid->hasFocus());
        QTest::keyClick(w.values(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!w.form.isVisible());
    }

    void typedValuesAreAppliedFirst_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("a change of quantity") << "quantity";
        QTest::newRow("Ctrl+S saves them") << "save";
        QTest::newRow("Export Chart") << "export";
    }
    void typedValuesAreAppliedFirst()
    {
        QFETCH(QString, action);
        QTemporaryDir dir;
        const QString path = dir.filePath(action == "save" ? "t.csv" : "chart.svg");
        Window w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        w.enter(0, "1:5:0.01");
        w.type("4");
        QTimer answer; // the file dialog, once it shows
        connect(&answer, &QTimer::timeout, &w.form, [&path] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                dialog->selectFile(path);
                static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
            }
        });
        answer.start(0);
        if (action == "quantity")
            w.form.findChild<QComboBox *>("Combo_Quantity")->setCurrentIndex(3);
        else if (action == "save")
            QTest::keyClick(w.values(), Qt::Key_S, Qt::ControlModifier);
        else
            w.form.findChild<QPushButton *>("Command_ExportChart")->click();
        QCOMPARE(w.form.findChild<QLabel *>("Label_Rows")->text(), "1 row");
        QCOMPARE(w.model()->cellText(0, action == "quantity" ? 1 : 0), QString("4"));
        QFile saved(path);
        QVERIFY(action == "quantity" || saved.open(QIODevice::ReadOnly));
        if (action == "save")
            QCOMPARE(saved.readAll(), commandLine({"M1", "4", "--format", "csv"}));
    }

    void cellsReadWhole_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("digits15");
        QTest::newRow("five decimals, refused and subsonic notes") << 0 << "0:3:0.25" << false;
        QTest::newRow("15 digits") << 3 << "0:10:0.5 1e300" << true;
        QTest::newRow("the longest note, an estimate below M1 = 1") << 2 << "1.5 5.64044" << true;
    }
    void cellsReadWhole()
    {
        QFETCH(int, quantity);
        QFETCH(QString, values);
        QFETCH(bool, digits15);
        Window w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        w.enter(quantity, values, digits15);
        auto *grid = w.form.findChild<TableGrid *>("Grid");
        for (int row = 0; row < w.model()->rowCount(); ++row) {
            for (int column = 0; column < w.model()->columnCount(); ++column) {
                const int needed = grid->sizeHintForIndex(w.model()->index(row, column)).width() + 1;
                QVERIFY2(needed <= grid->columnWidth(column), qPrintable(w.model()->cellText(row, column)));
                // At the default size the whole note is in view beside five decimals.
                QVERIFY(digits15
                        || grid->columnViewportPosition(column) + needed <= grid->viewport()->width());
            }
        }
        // A cell that reads whole has no tooltip; one cut has its whole text in one.
        const QModelIndex cell = w.model()->index(1, 0);
        const auto hover = [&] {
            const QPoint at = grid->visualRect(cell).center();
            QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid->viewport(), &help);
        };
        hover();
        QVERIFY(!QToolTip::isVisible());
        grid->setColumnWidth(0, 20);
        hover();
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), w.model()->cellText(1, 0));
        QToolTip::hideText();
    }

    void gridIsATableOfEveryRow()
    {
        Window w;
        w.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        w.enter(0, "2 abc");
        auto *label = QAccessible::queryAccessibleInterface(w.form.findChild<QLabel *>("Label_Message"));
        QCOMPARE(label->textInterface()->text(0, label->textInterface()->characterCount()), w.message());
        w.enter(0, "1:10000000:1");
        auto *grid = w.form.findChild<TableGrid *>("Grid");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End);
        QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
        // Rows count from the table's top, not from the rows the model holds for the view.
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid);
        QCOMPARE(table->tableInterface()->rowCount(), 10'000'000);
        QCOMPARE(table->tableInterface()->selectedRows(), QList<int>({9'999'998, 9'999'999}));
        QAccessibleInterface *focused = table->focusChild();
        QVERIFY(focused && focused->tableCellInterface());
        QCOMPARE(focused->tableCellInterface()->rowIndex(), 9'999'998);
        QCOMPARE(focused->text(QAccessible::Name), "9999999");
        QCOMPARE(table->child(table->indexOfChild(focused)), focused);
    }

    void placedBesideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("mainWindow");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("room on the right") << QRect(100, 50, 300, 400) << QRect(400, 50, 1000, 700);
        QTest::newRow("room on the left only") << QRect(1500, 500, 300, 400) << QRect(500, 380, 1000, 700);
        QTest::newRow("narrowed to the room on the right")
            << QRect(0, 0, 1200, 400) << QRect(1200, 0, 720, 700);
        QTest::newRow("no room beside: over it, on the wider side")
            << QRect(600, 0, 1000, 400) << QRect(0, 0, 1000, 700);
    }
    void placedBesideTheMainWindow()
    {
        QFETCH(QRect, mainWindow);
        QFETCH(QRect, placed);
        QCOMPARE(besideWindow(mainWindow, QSize(1000, 700), QSize(650, 500), QRect(0, 0, 1920, 1080)),
                 placed);
    }

    void tenMillionRowsInAWindowOfRows()
    {
        Window w;
        w.form.resize(700, 400);
        w.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        w.enter(0, "1:10000000:1");
        auto *grid = w.form.findChild<TableGrid *>("Grid");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End);
        const std::int64_t end = w.model()->offset();
        QWheelEvent notch({5, 5}, grid->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, {}, {}, Qt::NoScrollPhase,
                          false);
        QGuiApplication::sendEvent(grid->viewport(), &notch); // a notch up: three rows
        QCOMPARE(w.model()->offset(), end - 3);
        for (int i = 0; i < 3; ++i) { // a touchpad's small steps add up: 45 is a row
            QWheelEvent step({5, 5}, grid->mapToGlobal(QPointF(5, 5)), {}, {0, 15}, {}, {}, Qt::NoScrollPhase,
                             false);
            QGuiApplication::sendEvent(grid->viewport(), &step);
        }
        QCOMPARE(w.model()->offset(), end - 4);
        QTest::keyClick(grid, Qt::Key_End);
        QCOMPARE(w.model()->totalRows(), 10'000'000);
        QCOMPARE(w.form.findChild<QLabel *>("Label_Rows")->text(), "10,000,000 rows");
        QCOMPARE(w.model()->headerData(w.model()->rowCount() - 1, Qt::Vertical, Qt::DisplayRole),
                 QVariant("10,000,000"));     // numbered from 1
        QVERIFY(w.model()->rowCount() < 100); // a window of rows, not ten million
        QCOMPARE(w.model()->data(w.model()->index(w.model()->rowCount() - 1, 0), Qt::DisplayRole),
                 QVariant("10000000"));
    }
};

QTEST_MAIN(FormTableTest)
#include "form_table_test.moc"
