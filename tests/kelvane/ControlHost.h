#pragma once

// The attachment control as a host makes it: through the library's class
// factory, with the host's side of its events.

#include "kelvane/MapPropertyBag.h"
#include "kelvane/RAZOleCtrl.h"

#include "dao/Dao.h"

#include <QWidget>

#include <memory>

namespace controltest {

class Host : public kelvane::__RAZOleCtrl {
public:
    void GetNewPrimary(QVariant &NewPrimary) override
    {
        ++asked;
        if (answer != 0)
            NewPrimary = double(answer);
    }
    void DblClick() override { ++doubleClicks; }

    long answer = 0;
    int asked = 0;
    int doubleClicks = 0;
};

inline kelvane::IClassFactory &factory()
{
    void *object = nullptr;
    if (::DllGetClassObject(kelvane::CLSID_RAZOleCtrl, kelvane::IID_IClassFactory, &object) != kelvane::S_OK
        || !object)
        qFatal("no class factory");
    return *static_cast<kelvane::IClassFactory *>(object);
}

// A control on db, read from properties, shown at 800 x 500.
inline std::unique_ptr<kelvane::_RAZOleCtrl> makeControl(dao::Database *db, QVariantMap properties = {},
                                                         bool userMode = true)
{
    kelvane::MapPropertyBag bag(std::move(properties));
    std::unique_ptr<kelvane::_RAZOleCtrl> control(factory().CreateInstance(nullptr, &bag, userMode));
    control->SetDatabase(db);
    control->hWnd()->resize(800, 500);
    control->hWnd()->show();
    return control;
}

} // namespace controltest
