#include "export/ExportFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exporter {

ExportFile::ExportFile(QString target) : m_target(std::move(target)) {}

ExportFile::~ExportFile()
{
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
}

bool ExportFile::open(QString *message)
{
    const QFileInfo target(m_target);
    // Beside the target, so that the rename stays within one file system.
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) {
        *message = QStringLiteral("In den Ordner ") + target.absolutePath()
                   + QStringLiteral(" kann nicht geschrieben werden: ") + file.errorString();
        return false;
    }
    m_temporary = file.fileName();
    return true;
}

bool ExportFile::commit(QString *message)
{
    // A temporary file is the owner's alone; the export is as readable as a
    // file replaced keeps it, or as a new file usually is.
    const QFileInfo target(m_target);
    QFile::setPermissions(m_temporary, target.exists() ? target.permissions()
                                                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
                                                             | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    // rename() replaces an existing target in one step; QFile::rename would not.
    if (std::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0) {
        *message = QStringLiteral("Die Datei ") + m_target + QStringLiteral(" konnte nicht geschrieben werden: ")
                   + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_temporary.clear();
    return true;
}

} // namespace exporter
