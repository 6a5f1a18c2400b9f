// Median time of one Calculate click in the pitot mode: solve, draw the 491-point graph,
// write the seven boxes and repaint what changed, measured in process.
#include "ui/main/form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// Counts the graph's paints, to show that every measured click really repainted it.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ornavel::Form1 window;
    window.show();
    QApplication::processEvents();

    auto *option = window.findChild<QAbstractButton *>(QStringLiteral("Option_Po2P1"));
    auto *input = window.findChild<QLineEdit *>(QStringLiteral("Text_Po2P1"));
    auto *command = window.findChild<QAbstractButton *>(QStringLiteral("Command1"));
    option->click();
    QApplication::processEvents();
    PaintCounter counter;
    window.findChild<QWidget *>(QStringLiteral("Picture1"))->installEventFilter(&counter);

    // Alternate two converging inputs so that every click changes every box and the graph.
    const QString inputs[] = {QStringLiteral(" 10"), QStringLiteral(" 5.64044")};
    constexpr int clicks = 400;
    std::vector<double> milliseconds;
    for (int i = 0; i < clicks; ++i) {
        input->setText(inputs[i % 2]);
        const auto start = std::chrono::steady_clock::now();
        command->click();
        // Deliver the repaint the click scheduled: the changed boxes and the graph.
        QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        const auto end = std::chrono::steady_clock::now();
        milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("clicks %d, graph repainted %d times, fastest %.3f ms, slowest %.3f ms\n", clicks,
                counter.paints, milliseconds.front(), milliseconds.back());
    std::printf("click-pitot-median-ms: %.3f\n", milliseconds[milliseconds.size() / 2]);
    return 0;
}
