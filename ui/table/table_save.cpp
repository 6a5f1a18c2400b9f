#include "table/table.h"
#include "table/table_output.h"
#include "ui/table/form_table.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavel {

namespace {

QString failure(const QString &path, int error)
{
    return QCoreApplication::translate("Form_Table", "Cannot write %1: %2")
        .arg(QFileInfo(path).fileName(), QString::fromLocal8Bit(std::strerror(error)));
}

// The mode of the file it replaces, so that a private file stays private; for a new file the
// mode a newly created file gets, not mkstemp's owner-only 0600.
void giveMode(int fd, const QByteArray &target)
{
    struct stat existing;
    if (::stat(target.constData(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

} // namespace

std::optional<TableFormat> formatOfFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"txt")
        return TableFormat::Text;
    if (suffix == u"htm")
        return TableFormat::Html;
    if (suffix == u"md")
        return TableFormat::Markdown;
    if (suffix == u"tex")
        return TableFormat::Latex;
    return tableFormat(suffix.toStdString());
}

QString saveTable(const QString &path, TableFormat format, const TableSpec &tableSpec,
                  const std::function<bool(std::int64_t)> &progress)
{
    const QFileInfo target(path);
    QByteArray temporary = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                             + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return failure(path, errno);
    giveMode(fd, QFile::encodeName(path));
    std::FILE *file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.constData());
        return failure(path, error);
    }
    int error = 0;
    bool whole = false;
    {
        TableOutput out(file);
        whole = writeTable(out, format, tableSpec, progress);
        out.flush();
        error = out.failed() ? out.error() : 0;
    }
    // On the disk before it replaces anything, so that a crash cannot leave a short file.
    if (::fsync(fd) != 0 && error == 0)
        error = errno;
    if (std::fclose(file) != 0 && error == 0)
        error = errno;
    if (whole && error == 0 && std::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (whole && error == 0)
        return {};
    ::unlink(temporary.constData());
    if (!whole)
        return QCoreApplication::translate("Form_Table", "Save cancelled: %1 was not written")
            .arg(target.fileName());
    return failure(path, error);
}

} // namespace ornavel
