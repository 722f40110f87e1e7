#include "DemoCase.h"

#include "dao/Value.h"

namespace varnholt::demo {
namespace {

dao::Currency euros(int cents) { return dao::Currency::fromUnits(static_cast<qint64>(cents) * 100); }

QVariant textOrNull(bool present, const QString &text) { return present ? QVariant(text) : dao::Null(); }

} // namespace

DemoCaseMaker::DemoCaseMaker(const QList<Vehicle> &fleet, const QList<Customer> &customers, QRandomGenerator &rng,
                             const QDate &today)
    : m_fleet(fleet), m_customers(customers), m_rng(rng), m_today(today)
{
}

const QStringList &DemoCaseMaker::columns()
{
    static const QStringList list = {
        QStringLiteral("ID"), QStringLiteral("Schadennummer"), QStringLiteral("EigenKZ"), QStringLiteral("Fahrzeugtyp"),
        QStringLiteral("Stellplatz"), QStringLiteral("Datum"), QStringLiteral("Kundennummer"), QStringLiteral("Kundenname"),
        QStringLiteral("Melder"), QStringLiteral("Schadenart"), QStringLiteral("Schadenbeschreibung"),
        QStringLiteral("fEigenSchaden"), QStringLiteral("fFremdSchaden"), QStringLiteral("fPersonenSchaden"),
        QStringLiteral("fSonstigerSchaden"), QStringLiteral("fAstabuskunde"), QStringLiteral("Sicherheitspaket"),
        QStringLiteral("Name"), QStringLiteral("Adresse"), QStringLiteral("GegnerKZ"), QStringLiteral("Schuldfrage"),
        QStringLiteral("Unfallbericht"), QStringLiteral("am"), QStringLiteral("Versicherungsnr"),
        QStringLiteral("Begutachtung"), QStringLiteral("Begutachter"), QStringLiteral("Schadenbetrag"),
        QStringLiteral("Selbstbeteiligung"), QStringLiteral("tsKundeninfo"), QStringLiteral("tsPMLErstellt"),
        QStringLiteral("Reparaturstatus"), QStringLiteral("Anmerkung"), QStringLiteral("fErledigt"),
        QStringLiteral("Schadenbilder"), QStringLiteral("tsErstellt"),
    };
    return list;
}

// A date some days after `from`, never after today; Null when that is not possible.
QVariant DemoCaseMaker::dateAfter(const QDate &from, int minDays, int maxDays)
{
    const QDate date = from.addDays(between(minDays, maxDays));
    if (date > m_today)
        return dao::Null();
    return QDateTime(date, QTime(0, 0));
}

QString DemoCaseMaker::description(bool minor)
{
    if (minor) {
        QString text = pick(m_rng, minorDamages());
        if (chance(40))
            text += u' ' + pick(m_rng, details());
        return text;
    }
    QString text = pick(m_rng, situations());
    text += u' ' + pick(m_rng, damages()) + u'.';
    const int more = between(1, 3);
    for (int i = 0; i < more; ++i)
        text += u' ' + pick(m_rng, details());
    return text;
}

QList<QVariant> DemoCaseMaker::make(long id, const QString &number, const QDateTime &created)
{
    const Vehicle &vehicle = m_fleet.at(static_cast<qsizetype>(m_rng.bounded(static_cast<quint32>(m_fleet.size()))));
    const Customer &customer = m_customers.at(static_cast<qsizetype>(m_rng.bounded(static_cast<quint32>(m_customers.size()))));
    const QDate date = created.date().addDays(-between(0, 10));
    const qint64 age = date.daysTo(m_today);
    const bool minor = chance(30);
    const bool otherParty = !minor && chance(45);
    const bool persons = otherParty && chance(8);
    const bool safety = chance(35);
    // Old cases are mostly settled; the open ones among them are the overdue cases.
    const bool closed = chance(age > 90 ? 92 : age > 30 ? 50 : 15);

    const int amount = minor ? between(3000, 45000) : between(30000, 1200000);
    int deductible = safety ? (chance(50) ? 0 : 15000) : (chance(50) ? 50000 : chance(50) ? 75000 : 100000);
    deductible = qMin(deductible, amount);

    const bool reported = !minor && chance(70);
    const QString reporter = chance(30) ? customer.name : pick(m_rng, staff());
    const QString fault = otherParty ? pick(m_rng, faultOptions()) : chance(80) ? faultOptions().at(0) : pick(m_rng, faultOptions());
    const QString assessment = minor ? (chance(50) ? assessmentKinds().at(1) : assessmentKinds().at(3)) : pick(m_rng, assessmentKinds());
    const QString repair = closed ? (chance(85) ? repairStates().at(1) : pick(m_rng, repairStates())) : pick(m_rng, repairStates());

    return {
        static_cast<qlonglong>(id),
        number,
        vehicle.plate,
        vehicle.type,
        vehicle.place,
        QDateTime(date, QTime(0, 0)),
        chance(97) ? QVariant(customer.number) : dao::Null(),
        customer.name,
        reporter,
        minor ? damageKinds().at(1) : damageKinds().at(0),
        description(minor),
        !persons || chance(70),
        otherParty,
        persons,
        !minor && chance(12),
        customer.asta,
        safety,
        textOrNull(otherParty, personName(m_rng)),
        textOrNull(otherParty, QStringLiteral("%1 %2, %3").arg(pick(m_rng, streets())).arg(between(1, 140)).arg(pick(m_rng, towns()))),
        textOrNull(otherParty, randomPlate(m_rng, pick(m_rng, plateDistricts()))),
        fault,
        minor && chance(60) ? dao::Null() : QVariant(pick(m_rng, reportOptions())),
        reported ? dateAfter(date, 1, 20) : dao::Null(),
        textOrNull(reported, QStringLiteral("VS-%1-%2").arg(date.year()).arg(between(1, 999999), 6, 10, QLatin1Char('0'))),
        assessment,
        chance(85) ? QVariant(pick(m_rng, assessors())) : dao::Null(),
        QVariant::fromValue(euros(amount)),
        QVariant::fromValue(euros(deductible)),
        deductible > 0 ? dateAfter(date, 2, 30) : dao::Null(),
        chance(40) ? dateAfter(date, 5, 45) : dao::Null(),
        repair,
        chance(25) ? QVariant(pick(m_rng, remarks())) : dao::Null(),
        closed,
        false,
        created,
    };
}

} // namespace varnholt::demo
