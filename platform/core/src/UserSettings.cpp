#include "core/UserSettings.h"

#include "core/Twips.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>

namespace core {
namespace {
QString &folderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

std::unique_ptr<QSettings> UserSettings::open()
{
    const QString &folder = folderOverride();
    if (!folder.isEmpty())
        return std::make_unique<QSettings>(folder + QStringLiteral("/Varnholt.conf"), QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Varnholt"), QStringLiteral("Varnholt"));
}

void UserSettings::useFolder(const QString &folder) { folderOverride() = folder; }

QString UserSettings::value(const QString &section, const QString &key, const QString &defaultValue)
{
    auto s = open();
    return s->value(section + u'/' + key, defaultValue).toString();
}

void UserSettings::setValue(const QString &section, const QString &key, const QString &value)
{
    auto s = open();
    s->setValue(section + u'/' + key, value);
}

double UserSettings::number(const QString &section, const QString &key, double defaultValue)
{
    auto s = open();
    const QVariant v = s->value(section + u'/' + key);
    if (!v.isValid())
        return defaultValue;
    return leadingNumber(v.toString());
}

void UserSettings::setNumber(const QString &section, const QString &key, double value)
{
    setValue(section, key, shortestText(value));
}

QRect UserSettings::placement(const QString &section, const QRect &fallback)
{
    if (fallback.isNull() && value(section, QStringLiteral("Width")).isEmpty())
        return {};
    const int left = twipsToPixels(number(section, QStringLiteral("Left"), pixelsToTwips(fallback.x())));
    const int top = twipsToPixels(number(section, QStringLiteral("Top"), pixelsToTwips(fallback.y())));
    const int width = twipsToPixels(number(section, QStringLiteral("Width"), pixelsToTwips(fallback.width())));
    const int height = twipsToPixels(number(section, QStringLiteral("Height"), pixelsToTwips(fallback.height())));
    return {left, top, qMax(width, 1), qMax(height, 1)};
}

void UserSettings::restorePlacement(QWidget *window, const QString &section)
{
    QRect wanted = placement(section, window->geometry());
    bool visible = false;
    for (const QScreen *screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(wanted);
    if (!visible && QGuiApplication::primaryScreen())
        wanted.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    window->resize(wanted.size());
    window->move(wanted.topLeft());
}

void UserSettings::restoreDialogPlacement(QWidget *dialog, const QString &section, QSize firstSize)
{
    if (value(section, QStringLiteral("Width")).isEmpty())
        dialog->resize(firstSize);
    else
        restorePlacement(dialog, section);
}

QString UserSettings::picturesFolder()
{
    // xdg-user-dir reads the desktop's own list (also a translated "Bilder")
    // and answers the home folder when none is named.
    QProcess process;
    process.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("PICTURES")});
    if (process.waitForFinished(3000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        const QString folder = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

QString UserSettings::startFolder(const QString &folderSection, const QString &folderKey)
{
    const QString last = value(folderSection, folderKey);
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : picturesFolder();
}

QString UserSettings::chooseExistingFile(QFileDialog &dialog, const QString &section, const QString &folderSection,
                                        const QString &folderKey)
{
    const QString view = QStringLiteral("Ansicht");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(startFolder(folderSection, folderKey));
    restoreDialogPlacement(&dialog, section, FileDialogSize);
    if (const QString state = value(section, view); !state.isEmpty())
        dialog.restoreState(QByteArray::fromBase64(state.toLatin1()));
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    savePlacement(&dialog, section);
    setValue(section, view, QString::fromLatin1(dialog.saveState().toBase64()));
    if (!accepted)
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    setValue(folderSection, folderKey, QFileInfo(path).absolutePath());
    return path;
}

void UserSettings::savePlacement(const QWidget *window, const QString &section)
{
    // A maximised or minimised window keeps the placement it will return to.
    const QRect r = window->isMaximized() || window->isMinimized() ? window->normalGeometry() : window->geometry();
    const QPoint topLeft = window->isMaximized() || window->isMinimized() ? r.topLeft() : window->pos();
    setNumber(section, QStringLiteral("Left"), pixelsToTwips(topLeft.x()));
    setNumber(section, QStringLiteral("Top"), pixelsToTwips(topLeft.y()));
    setNumber(section, QStringLiteral("Width"), pixelsToTwips(r.width()));
    setNumber(section, QStringLiteral("Height"), pixelsToTwips(r.height()));
}

} // namespace core
