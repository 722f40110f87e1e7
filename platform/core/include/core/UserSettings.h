#pragma once

#include <QRect>
#include <QSettings>
#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

namespace core {

// The per-user settings store: organisation and application "Varnholt",
// sections Main, Schaden and Print. Values are text; numbers are written as
// their shortest decimal text and read back leniently.
class UserSettings {
public:
    static std::unique_ptr<QSettings> open();

    // Points the store at a folder of its own (tests, portable runs).
    static void useFolder(const QString &folder);

    static QString value(const QString &section, const QString &key, const QString &defaultValue = {});
    static void setValue(const QString &section, const QString &key, const QString &value);
    // Numeric reading as the classic Val(): leading number, anything else 0.
    static double number(const QString &section, const QString &key, double defaultValue);
    static void setNumber(const QString &section, const QString &key, double value);

    // Window placement in twips: Left, Top, Width, Height of a section.
    // Missing keys keep the window's current value; a placement that lies
    // entirely off every screen is pulled back onto the primary one.
    static void restorePlacement(QWidget *window, const QString &section);
    // The placement kept under section in pixels; keys missing take
    // fallback's values. Null when no width was ever kept.
    static QRect placement(const QString &section, const QRect &fallback = {});
    static void savePlacement(const QWidget *window, const QString &section);
    // A dialog as it was last left, or at firstSize where its parent
    // places it when it was never left before.
    static void restoreDialogPlacement(QWidget *dialog, const QString &section, QSize firstSize);
    // A file dialog wide enough for the name, size, type and date of a file.
    static constexpr QSize FileDialogSize{860, 540};
    // The user's pictures folder (`xdg-user-dir PICTURES`), else the home folder.
    static QString picturesFolder();
    // The folder of the file last chosen, kept as folderKey of folderSection,
    // while it exists; else picturesFolder().
    static QString startFolder(const QString &folderSection, const QString &folderKey);
    // Asks for an existing file with dialog, shown at the placement and view
    // (columns, list or details) the user left it under `section`
    // (FileDialogSize the first time), in startFolder(). The path, "" when
    // cancelled; its folder is kept for the next time.
    static QString chooseExistingFile(QFileDialog &dialog, const QString &section, const QString &folderSection,
                                      const QString &folderKey);
};

} // namespace core
