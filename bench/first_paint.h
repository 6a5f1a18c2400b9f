#pragma once

// Runs the event loop until the window's first paint has been delivered, then prints the
// process's peak resident memory and quits: the start-up probe for bench/run.sh.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <sys/resource.h>

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit); // after the paint completes
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

inline int runUntilFirstPaint(QApplication &app, QWidget &window)
{
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    const int status = app.exec();
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("maxrss_kb %ld\n", usage.ru_maxrss);
    return status;
}
