#include "platform/message_box.h"

#include <QMessageBox>

namespace ornavel {

void messageBox(QWidget *parent, const QString &prompt)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(applicationTitle), prompt, QMessageBox::Ok,
                    parent);
    box.exec();
}

} // namespace ornavel
