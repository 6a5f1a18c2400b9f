// Renders the main window in its typical states, and the Tables window, to PNG files in the folder given as
// the first argument (default: the current folder). Run it with QT_QPA_PLATFORM=offscreen.
#include "ui/main/form1.h"
#include "widgets/application_style.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGraphicsView>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>
#include <QTimer>

namespace {

bool save(QWidget &window, const QDir &folder, const QString &name)
{
    QApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!window.grab().save(path)) {
        QTextStream(stderr) << "could not write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

// Chooses the option, types the input after the blank the option leaves, and clicks the
// button; a message box (the non-convergence notice) is answered with OK.
void calculate(QWidget &window, const char *option, const char *box, const QString &input)
{
    auto *choice = window.findChild<QAbstractButton *>(QString::fromLatin1(option));
    choice->setFocus(); // as a mouse click would
    choice->click();
    auto *edit = window.findChild<QLineEdit *>(QString::fromLatin1(box));
    edit->setText(edit->text() + input);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &window, [] {
        if (auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            message->accept();
    });
    closer.start(10);
    auto *command = window.findChild<QAbstractButton *>(QStringLiteral("Command1"));
    command->setFocus();
    command->click();
}

// Opens the About window from the menu and returns it.
QWidget *openAbout(QWidget &window)
{
    window.findChild<QAction *>(QStringLiteral("Mn_About"))->trigger();
    for (QWidget *about : QApplication::topLevelWidgets()) {
        if (about->objectName() == QStringLiteral("Form_About"))
            return about;
    }
    qFatal("no About window");
}

// What Copy Results puts on the clipboard as HTML, laid out as a word processor would.
bool saveClipboardTable(const QDir &folder, const QString &name)
{
    QTextDocument table;
    table.setHtml(QApplication::clipboard()->mimeData()->html());
    table.setDocumentMargin(8);
    QImage image(table.size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    table.drawContents(&painter);
    painter.end();
    const QString path = folder.filePath(name);
    QTextStream(stdout) << path << '\n';
    return image.save(path);
}

// The pointer over the middle of the Tables window's chart, so that its read-out shows.
void hoverChart(QWidget *table)
{
    auto *chart = table->findChild<QGraphicsView *>(QStringLiteral("Chart"));
    const QPointF middle = chart->viewport()->rect().center();
    QMouseEvent move(QEvent::MouseMove, middle, chart->viewport()->mapToGlobal(middle), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart->viewport(), &move);
}

// Opens the Tables window from the menu with a range of M1 and the read-out at the middle of
// the chart, and returns it.
QWidget *openTable(QWidget &window)
{
    window.findChild<QAction *>(QStringLiteral("Mn_Table"))->trigger();
    QWidget *table = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QStringLiteral("Form_Table"))
            table = top;
    }
    if (!table)
        qFatal("no Tables window");
    auto *values = table->findChild<QLineEdit *>(QStringLiteral("Text_Values"));
    values->setText(QStringLiteral("1:5:0.05"));
    emit values->returnPressed();
    QApplication::processEvents();
    hoverChart(table);
    return table;
}

// A dark desktop palette, as a dark theme sets it before any window is created.
QPalette darkPalette()
{
    QPalette dark;
    for (QPalette::ColorRole role :
         {QPalette::Window, QPalette::Button, QPalette::Base, QPalette::AlternateBase})
        dark.setColor(role, QColor(53, 53, 53));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        dark.setColor(role, QColor(230, 230, 230));
    dark.setColor(QPalette::Light, QColor(90, 90, 90));
    dark.setColor(QPalette::Dark, QColor(30, 30, 30));
    return dark;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(new ornavel::ApplicationStyle); // as the program itself starts
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    folder.mkpath(QStringLiteral("."));

    ornavel::Form1 window;
    window.show();
    bool saved = save(window, folder, QStringLiteral("main-startup.png"));

    calculate(window, "Option_M1", "Text_M1", QStringLiteral("2"));
    saved &= save(window, folder, QStringLiteral("main-m1.png"));

    calculate(window, "Option_Po2P1", "Text_Po2P1", QStringLiteral("10"));
    saved &= save(window, folder, QStringLiteral("main-pitot-10.png"));
    window.findChild<QAction *>(QStringLiteral("CopyResults"))->trigger();
    saved &= saveClipboardTable(folder, QStringLiteral("copy-results.png"));

    calculate(window, "Option_Po2P1", "Text_Po2P1", QStringLiteral("1.5"));
    saved &= save(window, folder, QStringLiteral("main-pitot-1.5.png"));

    // The input edited after a result: the results are stale until the next click.
    calculate(window, "Option_Po2P1", "Text_Po2P1", QStringLiteral("10"));
    window.findChild<QLineEdit *>(QStringLiteral("Text_Po2P1"))->setText(QStringLiteral(" 20"));
    saved &= save(window, folder, QStringLiteral("main-stale.png"));

    QWidget *table = openTable(window);
    saved &= save(*table, folder, QStringLiteral("table.png"));
    table->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The logarithmic axis, and the read-out in 15 digits on its two lines.
    table = openTable(window);
    table->findChild<QCheckBox *>(QStringLiteral("Check_LogScale"))->setChecked(true);
    table->findChild<QCheckBox *>(QStringLiteral("Check_Digits15"))->setChecked(true);
    saved &= save(*table, folder, QStringLiteral("table-logarithmic.png"));
    table->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // A run's pitot readings through Mach 1, one line not a number. The window lives in a module
    // this tool does not link, so its method is called by name.
    table = openTable(window);
    table->findChild<QComboBox *>(QStringLiteral("Combo_Quantity"))->setCurrentIndex(2);
    QTemporaryDir readings;
    QFile file(readings.filePath(QStringLiteral("run.txt")));
    saved &= file.open(QIODevice::WriteOnly) && file.write("12.06096\n5.64044\n2.05\nten\n1.5\n1.2\n") > 0;
    file.close();
    bool opened = false;
    QMetaObject::invokeMethod(table, "openReadings", Q_RETURN_ARG(bool, opened),
                              Q_ARG(QString, file.fileName()));
    saved &= opened && save(*table, folder, QStringLiteral("table-readings.png"));
    table->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Each other relation: chosen, its values (and angles) typed, the read-out at the middle.
    const struct {
        int relation;
        const char *values, *angles, *file;
    } relations[] = {
        {1, "0.1:5:0.05", "", "table-isentropic.png"},
        {2, "0:4:0.02", "", "table-pitot.png"},
        {3, "1.5 2 3 5 10", "0 5 10 15 20 25 30 35 40", "table-oblique.png"},
        {4, "1 1.5 2 3", "0:60:10", "table-expansion.png"},
    };
    for (const auto &shown : relations) {
        table = openTable(window);
        table->findChild<QComboBox *>(QStringLiteral("Combo_Relation"))->setCurrentIndex(shown.relation);
        auto *angles = table->findChild<QLineEdit *>(QStringLiteral("Text_Angles"));
        angles->setText(QString::fromLatin1(shown.angles));
        auto *values = table->findChild<QLineEdit *>(QStringLiteral("Text_Values"));
        values->setText(QString::fromLatin1(shown.values));
        emit values->returnPressed();
        QApplication::processEvents();
        hoverChart(table);
        saved &= save(*table, folder, QString::fromLatin1(shown.file));
        table->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget *about = openAbout(window);
    saved &= save(*about, folder, QStringLiteral("about.png"));
    about->close();

    QApplication::setPalette(darkPalette());
    ornavel::Form1 dark;
    dark.show();
    calculate(dark, "Option_Po2P1", "Text_Po2P1", QStringLiteral("10"));
    saved &= save(dark, folder, QStringLiteral("main-dark.png"));
    saved &= save(*openAbout(dark), folder, QStringLiteral("about-dark.png"));
    saved &= save(*openTable(dark), folder, QStringLiteral("table-dark.png"));
    return saved ? 0 : 1;
}
