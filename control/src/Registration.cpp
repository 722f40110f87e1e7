// The library's four entry points: registration for the user, the class
// factory of RAZOleCtrl and the unload check.

#include "RAZOleCtrlWidget.h"

#include "kelvane/ClassRegistry.h"
#include "kelvane/MapPropertyBag.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <dlfcn.h>

#include <atomic>

namespace kelvane {
namespace {

// How many controls of this library live; the library may go when none does.
std::atomic<int> &liveControls()
{
    static std::atomic<int> count{0};
    return count;
}

// Counts itself among the live controls for as long as it exists.
class CountedControl : public RAZOleCtrl {
public:
    CountedControl(QWidget *parent, bool userMode) : RAZOleCtrl(parent, userMode) { ++liveControls(); }
    ~CountedControl() override { --liveControls(); }
};

class ControlFactory : public IClassFactory {
public:
    _RAZOleCtrl *CreateInstance(QWidget *parent, PropertyBag *bag, bool userMode) override
    {
        auto *control = new CountedControl(parent, userMode);
        MapPropertyBag placed;
        control->ReadProperties(bag ? *bag : placed);
        return control;
    }
};

QString thisLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&DllRegisterServer), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

QString classKey(const char *classId, const char *entry)
{
    return QStringLiteral("CLSID/") + QLatin1String(classId) + u'/' + QLatin1String(entry);
}

} // namespace
} // namespace kelvane

using namespace kelvane;

extern "C" {

__attribute__((visibility("default"))) long DllRegisterServer()
{
    const QString library = thisLibrary();
    if (library.isEmpty())
        return SELFREG_E_CLASS;
    QDir().mkpath(QFileInfo(registry::file()).absolutePath());
    QSettings store(registry::file(), QSettings::IniFormat);
    store.setValue(QStringLiteral("ProgID/") + QLatin1String(ProgID_RAZOleCtrl), QLatin1String(CLSID_RAZOleCtrl));
    store.setValue(classKey(CLSID_RAZOleCtrl, "ProgID"), QLatin1String(ProgID_RAZOleCtrl));
    store.setValue(classKey(CLSID_RAZOleCtrl, "InprocServer32"), library);
    store.setValue(classKey(CLSID_RAZOleCtrl, "TypeLib"), QLatin1String(LibraryId));
    store.setValue(classKey(CLSID_RAZOleCtrl, "Version"), QLatin1String(LibraryVersion));
    store.sync();
    return store.status() == QSettings::NoError ? S_OK : SELFREG_E_CLASS;
}

__attribute__((visibility("default"))) long DllUnregisterServer()
{
    QSettings store(registry::file(), QSettings::IniFormat);
    store.remove(QStringLiteral("ProgID/") + QLatin1String(ProgID_RAZOleCtrl));
    store.remove(QStringLiteral("CLSID/") + QLatin1String(CLSID_RAZOleCtrl));
    store.sync();
    return store.status() == QSettings::NoError ? S_OK : SELFREG_E_CLASS;
}

__attribute__((visibility("default"))) long DllGetClassObject(const char *clsid, const char *iid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!clsid || qstricmp(clsid, CLSID_RAZOleCtrl) != 0)
        return CLASS_E_CLASSNOTAVAILABLE;
    if (!iid || qstricmp(iid, IID_IClassFactory) != 0)
        return E_NOINTERFACE;
    static ControlFactory factory;
    *object = static_cast<IClassFactory *>(&factory);
    return S_OK;
}

__attribute__((visibility("default"))) long DllCanUnloadNow()
{
    return liveControls() == 0 ? S_OK : S_FALSE;
}

} // extern "C"
