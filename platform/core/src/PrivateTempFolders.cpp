#include "core/PrivateTempFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace core {

PrivateTempFolders::PrivateTempFolders(QObject *parent) : QObject(parent) {}

PrivateTempFolders::~PrivateTempFolders() = default;

PrivateTempFolders *PrivateTempFolders::ofApplication()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return nullptr;
    if (auto *folders = application->findChild<PrivateTempFolders *>(QString(), Qt::FindDirectChildrenOnly))
        return folders;
    return new PrivateTempFolders(application);   // owned by the application
}

QString PrivateTempFolders::ofSystemTemp()
{
    PrivateTempFolders *folders = ofApplication();
    return folders ? folders->inside(QDir::tempPath()) : QString();
}

QString PrivateTempFolders::inside(const QString &parent)
{
    const QString key = QDir::cleanPath(QDir(parent).absolutePath());
    auto found = m_folders.find(key);
    if (found == m_folders.end()) {
        // The random part is made by an exclusive mkdir, so a name planted
        // beforehand is never taken over.
        auto folder = std::make_unique<QTemporaryDir>(key + QStringLiteral("/Kelvane-XXXXXX"));
        if (!folder->isValid()
            || !QFile::setPermissions(folder->path(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
            return {};
        found = m_folders.emplace(key, std::move(folder)).first;
    }
    return found->second->path();
}

} // namespace core
