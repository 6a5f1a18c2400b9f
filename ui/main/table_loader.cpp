#include "ui/main/table_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QWidget>

namespace ornavel {

namespace {

using CreateFormTable = QWidget *(*)(QWidget *);

// Beside the build's executables first (app/, tests/), then where the package installs it.
QStringList moduleCandidates()
{
    const QString name = QStringLiteral(ORNAVEL_TABLE_MODULE_NAME);
    const QDir executable(QCoreApplication::applicationDirPath());
    return {executable.filePath(QStringLiteral("../modules/") + name),
            executable.filePath(QStringLiteral(ORNAVEL_TABLE_MODULE_INSTALLED "/") + name)};
}

} // namespace

QWidget *createTableWindow(QWidget *mainWindow, QString &error)
{
    // Loaded once and kept: windows made from it may be open until the program ends.
    static CreateFormTable create = nullptr;
    for (const QString &path : moduleCandidates()) {
        if (create)
            break;
        QLibrary library(path);
        create = reinterpret_cast<CreateFormTable>(library.resolve("ornavel_createFormTable"));
        if (!create)
            error = library.errorString();
    }
    return create ? create(mainWindow) : nullptr;
}

} // namespace ornavel
