#include "OleTestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace oletest {

QByteArray pdfBytes(const QColor &firstPage)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    const QRect page = painter.viewport();
    painter.fillRect(page.adjusted(20, 20, -20, -20), firstPage);
    painter.drawText(40, 60, QStringLiteral("Kostenvoranschlag"));
    writer.newPage();
    painter.fillRect(page, Qt::blue);
    painter.end();
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

PrivateDesktop::PrivateDesktop(const QStringList &mimeTypes)
{
    const QDir home(m_home.path());
    if (!m_home.isValid() || !home.mkpath(QStringLiteral("config")) || !home.mkpath(QStringLiteral("data/applications")))
        return;
    const QString script = home.filePath(QStringLiteral("editor.sh"));
    QString defaults = QStringLiteral("[Default Applications]\n");
    for (const QString &type : mimeTypes)
        defaults += type + QStringLiteral("=kelvane-testeditor.desktop\n");
    m_valid = writeFile(script, QStringLiteral("#!/bin/sh\n"
                                               "cp '%1' \"$1.neu\" && mv \"$1.neu\" \"$1\"\n"
                                               "echo \"$1\" >> '%2'\n")
                                    .arg(home.filePath(QStringLiteral("replacement")),
                                         home.filePath(QStringLiteral("opened.log")))
                                    .toUtf8())
        && QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
        && writeFile(home.filePath(QStringLiteral("data/applications/kelvane-testeditor.desktop")),
                     QStringLiteral("[Desktop Entry]\nType=Application\nName=Testbearbeitung\n"
                                    "Exec=%1 %f\nMimeType=%2;\n")
                         .arg(script, mimeTypes.join(u';'))
                         .toUtf8())
        && writeFile(home.filePath(QStringLiteral("config/mimeapps.list")), defaults.toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    // xdg-open asks the desktop's defaults only where it believes a display is.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("DISPLAY", ":0");
}

bool PrivateDesktop::setReplacement(const QByteArray &bytes) const
{
    return writeFile(QDir(m_home.path()).filePath(QStringLiteral("replacement")), bytes);
}

QString PrivateDesktop::opened() const
{
    QFile log(QDir(m_home.path()).filePath(QStringLiteral("opened.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

} // namespace oletest
