#include "varnholt/ControlLibrary.h"

#include "kelvane/ClassRegistry.h"

#include "core/MessageService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace varnholt {

ControlLibrary::ControlLibrary(QString programFolder) : m_folder(std::move(programFolder)) {}

ControlLibrary &ControlLibrary::program()
{
    static ControlLibrary library(QCoreApplication::applicationDirPath());
    return library;
}

bool ControlLibrary::available()
{
    if (!m_tried) {
        m_tried = true;
        if (!load())
            m_factory = nullptr;
    }
    return m_factory != nullptr;
}

bool ControlLibrary::load()
{
    const QString beside = QDir(m_folder).filePath(QLatin1String(FileName));
    const QString registered = kelvane::registry::libraryOf(QLatin1String(kelvane::ProgID_RAZOleCtrl));
    m_file = QFileInfo::exists(beside) || registered.isEmpty() ? beside : registered;
    if (!QFileInfo::exists(m_file)) {
        tell(QStringLiteral("Die Bibliothek %1 wurde nicht gefunden.").arg(QDir::toNativeSeparators(m_file)));
        return false;
    }
    m_library.setFileName(m_file);
    if (!m_library.load()) {
        tell(QStringLiteral("Die Bibliothek %1 kann nicht geladen werden: %2")
                 .arg(QDir::toNativeSeparators(m_file), m_library.errorString()));
        return false;
    }
    const auto getClassObject = reinterpret_cast<kelvane::DllGetClassObjectFn>(m_library.resolve("DllGetClassObject"));
    void *factory = nullptr;
    if (!getClassObject
        || getClassObject(kelvane::CLSID_RAZOleCtrl, kelvane::IID_IClassFactory, &factory) != kelvane::S_OK
        || !factory) {
        tell(QStringLiteral("Die Bibliothek %1 enthält kein Anlagen-Steuerelement (%2).")
                 .arg(QDir::toNativeSeparators(m_file), QLatin1String(kelvane::ProgID_RAZOleCtrl)));
        return false;
    }
    m_factory = static_cast<kelvane::IClassFactory *>(factory);
    // The library found beside the program is the one the user's hosts get.
    if (registered != m_file)
        if (const auto registerServer = reinterpret_cast<kelvane::DllEntryFn>(m_library.resolve("DllRegisterServer")))
            registerServer();
    return true;
}

void ControlLibrary::tell(const QString &text)
{
    if (m_told)
        return;
    m_told = true;
    core::showMessage(text + QStringLiteral("\n\nBilder können nicht angezeigt, eingefügt oder gedruckt werden. "
                                            "Die Anlagen der Schadensfälle bleiben beim Speichern erhalten."),
                      core::MsgIcon::Exclamation);
}

kelvane::_RAZOleCtrl *ControlLibrary::create(QWidget *parent, kelvane::PropertyBag *bag)
{
    if (!available())
        return nullptr;
    return m_factory->CreateInstance(parent, bag, true);
}

std::unique_ptr<kelvane::IAttachmentWriter> ControlLibrary::attachmentWriter(dao::Database *database)
{
    if (!available())
        return nullptr;
    const auto entry = reinterpret_cast<kelvane::AttachmentWriterFn>(m_library.resolve(kelvane::AttachmentWriterEntry));
    return std::unique_ptr<kelvane::IAttachmentWriter>(entry ? entry(database) : nullptr);
}

} // namespace varnholt
