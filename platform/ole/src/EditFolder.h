#pragma once

#include <QObject>
#include <QTemporaryDir>

namespace ole {

// The folder (owner-only, inside the program's private temporary folder) a
// container's document is opened from, under its real file name, so the
// application shows that name. The folder and what is in it go with the
// object.
class EditFolder : public QObject {
    Q_OBJECT
public:
    explicit EditFolder(QObject *parent = nullptr);

    // Writes the bytes as fileName inside the folder and gives the file's
    // path; raises OleError when it cannot.
    QString put(const QString &fileName, const QByteArray &bytes);

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Opens the file in the desktop's application for its type: through the
// platform's services (xdg-open and the user's mimeapps.list, or the
// desktop's portal), else through xdg-open itself where the platform plugin
// offers no such service. Raises OleError when neither could be started.
void openInDesktopApplication(const QString &path);

} // namespace ole
