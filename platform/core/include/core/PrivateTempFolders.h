#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QTemporaryDir;

namespace core {

// The process's own folders for temporary files, one inside each temporary
// folder asked for. Each is made with a name no other process can guess and
// with owner-only permissions, so that another user of the machine can
// neither read an attachment written there nor plant a link in its place;
// each goes, with what is left in it, when this object goes.
//
// The one every temporary file of the program goes through (the attachment
// storage, scans, converted pictures, documents opened outside) belongs to
// the application object, so it lives as long as the program and no longer.
class PrivateTempFolders : public QObject {
    Q_OBJECT
public:
    explicit PrivateTempFolders(QObject *parent = nullptr);
    ~PrivateTempFolders() override;

    // The application's instance, made on first use; nullptr without an application.
    static PrivateTempFolders *ofApplication();

    // The private folder inside parent, made on first use; "" when it cannot be made.
    QString inside(const QString &parent);
    // The application's private folder inside the system's temporary folder;
    // "" without an application or when it cannot be made.
    static QString ofSystemTemp();

private:
    std::map<QString, std::unique_ptr<QTemporaryDir>> m_folders;
};

} // namespace core
