#pragma once

#include "kelvane/RAZOleCtrl.h"

#include <QStringList>
#include <QVariantMap>

namespace kelvane {

// A property bag in memory: what a host sets at design time, and what the
// control writes back (with the order it wrote in).
class MapPropertyBag : public PropertyBag {
public:
    MapPropertyBag() = default;
    explicit MapPropertyBag(QVariantMap values) : m_values(std::move(values)) {}

    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) override
    {
        m_read.append(name);
        return m_values.value(name, defaultValue);
    }
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &) override
    {
        m_written.append(name);
        m_values.insert(name, value);
    }

    const QVariantMap &values() const { return m_values; }
    const QStringList &readOrder() const { return m_read; }
    const QStringList &writeOrder() const { return m_written; }

private:
    QVariantMap m_values;
    QStringList m_read;
    QStringList m_written;
};

} // namespace kelvane
