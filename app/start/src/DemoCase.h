#pragma once

#include "DemoCatalogue.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QVariant>

namespace varnholt::demo {

// Makes the column values of one case, in the order of columns().
class DemoCaseMaker {
public:
    DemoCaseMaker(const QList<Vehicle> &fleet, const QList<Customer> &customers, QRandomGenerator &rng,
                  const QDate &today);

    // The Schaden columns a demo case fills.
    static const QStringList &columns();

    QList<QVariant> make(long id, const QString &number, const QDateTime &created);

private:
    bool chance(int percent) { return static_cast<int>(m_rng.bounded(100u)) < percent; }
    int between(int low, int high) { return low + static_cast<int>(m_rng.bounded(static_cast<quint32>(high - low + 1))); }
    QVariant dateAfter(const QDate &from, int minDays, int maxDays);
    QString description(bool minor);

    const QList<Vehicle> &m_fleet;
    const QList<Customer> &m_customers;
    QRandomGenerator &m_rng;
    QDate m_today;
};

} // namespace varnholt::demo
