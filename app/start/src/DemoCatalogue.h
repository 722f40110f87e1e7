#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace varnholt::demo {

struct Vehicle {
    QString plate;
    QString type;
    QString place;
};

struct Customer {
    int number = 0;
    QString name;
    bool asta = false;    // belongs to the AStA-Bus customer group
};

// Unique plates such as "B-VH 1234", each with its own type and parking place.
QList<Vehicle> makeFleet(QRandomGenerator &rng, int size);
// Unique names with ascending numbers; a few student-union customers among them.
QList<Customer> makeCustomers(QRandomGenerator &rng, int count);

// The fixed lists of the case form.
const QStringList &damageKinds();        // Schadenart
const QStringList &faultOptions();       // Schuldfrage
const QStringList &reportOptions();      // Unfallbericht
const QStringList &assessmentKinds();    // Begutachtung
const QStringList &repairStates();       // Reparaturstatus

// Free texts.
const QStringList &staff();              // reporters
const QStringList &assessors();
const QStringList &firstNames();
const QStringList &lastNames();
const QStringList &streets();
const QStringList &towns();              // "10969 Berlin"
const QStringList &plateDistricts();
const QStringList &minorDamages();
const QStringList &situations();
const QStringList &damages();
const QStringList &details();
const QStringList &remarks();

QString pick(QRandomGenerator &rng, const QStringList &list);
// Each draw in a fixed order, so that a seed gives the same names everywhere.
QString personName(QRandomGenerator &rng);
QString randomPlate(QRandomGenerator &rng, const QString &district);

} // namespace varnholt::demo
