#pragma once

// Drives the main window as a user would, for the window tests.
#include "ui/main/form1_parts.h"
#include "widgets/message_box.h"
#include "widgets/twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <optional>

namespace ornavel::testing {

// The result frame's rows, top to bottom: M1, P2/P1, rho2/rho1, T2/T1, Po2/Po1, Po2/P1, M2.
inline const QStringList boxNames
    = {"Text_M1", "Text_P2P1", "Text_Ro2Ro1", "Text_T2T1", "Text_Po2Po1", "Text_Po2P1", "Text_M2"};
inline const QStringList labelNames
    = {"Label_M1", "Label_P2P1", "Label_Ro2Ro1", "Label_T2T1", "Label_Po2Po1", "Label_Po2P1", "Label_M2"};

// The window's outer height in pixels, without and with the graph.
inline int designHeight(bool graph)
{
    return twipsToPixels(graph ? form1::graphHeightTwips : form1::compactHeightTwips);
}

struct SeenMessage {
    QString text;
    QStringList boxes; // the result frame's texts while the box was up
    QStringList marks; // and their tooltips
    QString graph;     // and the graph's description
};

// Clicks the button and answers the message box it opens with OK, returning what the box
// showed. A box that was not expected is answered too, so that a fault never hangs a test.
// Every box the window shows is the same plain one: titled "Ornavel", wide enough for a title
// bar to show that whole, no icon, OK alone.
inline std::optional<SeenMessage> clickAnsweringMessage(QAbstractButton *button)
{
    std::optional<SeenMessage> seen;
    QTimer watchdog;
    watchdog.setInterval(0);
    QObject::connect(&watchdog, &QTimer::timeout, button, [&seen, button] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QStringList boxes, tips;
        for (const QString &name : boxNames) {
            const auto *edit = button->window()->findChild<QLineEdit *>(name);
            boxes << (edit ? edit->text() : QString());
            tips << (edit ? edit->toolTip() : QString());
        }
        const auto *graph = button->window()->findChild<QWidget *>(QStringLiteral("Picture1"));
        seen = SeenMessage {box->text(), boxes, tips, graph ? graph->accessibleDescription() : QString()};
        const bool plain = box->windowTitle() == QStringLiteral("Ornavel")
            && box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1
            && box->width() >= titleBarWidth(box->font(), box->windowTitle());
        box->button(QMessageBox::Ok)->click();
        QVERIFY2(plain, qPrintable(box->text()));
    });
    watchdog.start();
    QTest::mouseClick(button, Qt::LeftButton);
    return seen;
}

// Types after whatever the box holds, as a user clicking at its end would.
inline void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, text);
}

} // namespace ornavel::testing
