#include "widgets/message_box.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace ornavel {

int titleBarWidth(const QFont &font, const QString &title)
{
    // Window managers draw titles larger and bolder than the text, beside an icon and up to
    // three buttons of about 24 px each, and margins.
    QFont titleFont = font;
    titleFont.setBold(true);
    titleFont.setPointSizeF(font.pointSizeF() * 1.5);
    return QFontMetrics(titleFont).horizontalAdvance(title) + 4 * 24 + 40;
}

void messageBox(QWidget *parent, const QString &prompt)
{
    const QString title = QString::fromLatin1(applicationTitle);
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, parent);
    // A box sized to a short prompt leaves the window manager too little room for the title
    // ("O…el"): a row as wide as the title bar needs keeps it whole.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(
            new QSpacerItem(titleBarWidth(box.font(), title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

} // namespace ornavel
