#include "vehicle/VehicleRecord.h"

#include "vehicle/MarkStore.h"
#include "vehicle/Outline.h"

#include "dao/Dao.h"
#include "history/CaseDeletion.h"
#include "varnholt/Globals.h"

#include <QLocale>
#include <QMap>

namespace vehicle {
namespace {

dao::Currency currencyOf(const QVariant &value)
{
    if (dao::isNull(value))
        return {};
    if (value.canConvert<dao::Currency>() && value.userType() == qMetaTypeId<dao::Currency>())
        return value.value<dao::Currency>();
    return dao::Currency::fromDouble(value.toDouble());
}

// A value in a definition line: the line ends it, a comma does not (text is
// the rest of the line), a line break would.
QString lineText(QString text)
{
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

} // namespace

std::pair<QString, QString> VehicleRecord::vehicleOfCase(dao::Database &db, long caseId)
{
    auto row = db.OpenRecordset(QStringLiteral("Select EigenKZ, Fahrzeugtyp From Schaden Where ID=?"),
                                dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(caseId)});
    std::pair<QString, QString> vehicle;
    if (!row->IsEOF())
        vehicle = {row->Fields(0).Value().toString(), row->Fields(1).Value().toString()};
    row->Close();
    return vehicle;
}

VehicleRecord VehicleRecord::load(dao::Database &db, const QString &plate)
{
    VehicleRecord record;
    record.m_plate = plate.trimmed();
    QString type;
    QMap<int, YearSum> years;
    const bool marksDeletions = history::marksDeletions(db);
    auto rs = db.OpenRecordset(QStringLiteral("Select ID, Schadennummer, Datum, Schadenart, Schadenbetrag, "
                                              "Selbstbeteiligung, Reparaturstatus, Fahrzeugtyp From Schaden "
                                              "Where EigenKZ=?")
                                   + (marksDeletions ? QStringLiteral(" And Geloescht=0") : QString())
                                   + QStringLiteral(" Order By Datum, ID"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {record.m_plate});
    for (; !rs->IsEOF(); rs->MoveNext()) {
        Case c;
        c.id = long(rs->Fields(0).Value().toLongLong());
        c.number = rs->Fields(1).Value().toString();
        const QVariant date = rs->Fields(2).Value();
        c.date = dao::isNull(date) ? QDate() : date.toDateTime().date();
        c.kind = rs->Fields(3).Value().toString();
        c.amount = currencyOf(rs->Fields(4).Value());
        c.deductible = currencyOf(rs->Fields(5).Value());
        c.repair = rs->Fields(6).Value().toString();
        const QString caseType = rs->Fields(7).Value().toString();
        if (!caseType.isEmpty())
            type = caseType;
        YearSum &sum = years[c.date.isValid() ? c.date.year() : 0];
        sum.year = c.date.isValid() ? c.date.year() : 0;
        ++sum.cases;
        sum.amount = sum.amount + c.amount;
        sum.deductible = sum.deductible + c.deductible;
        record.m_cases.append(c);
    }
    rs->Close();
    record.m_years = years.values();
    if (MarkStore::available(db))
        record.m_open = MarkStore(db).openMarks(record.m_plate);
    record.m_outline = OutlineChoice::fromIni(varnholt::gIniFile).outlineFor(type);
    return record;
}

QString VehicleRecord::money(const dao::Currency &amount)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(amount.toDouble(), 'f', 2);
}

QString VehicleRecord::reportDefinition() const
{
    QStringList lines = {
        QStringLiteral("[FUSS]"),
        QStringLiteral("RECT,1.8,28.0,19.2,28.0,0.01,0,8"),
        QStringLiteral("CT,1.8,28.15,12.0,28.7,0,Arial,,8,Varnholt · Fahrzeugakte ") + lineText(m_plate),
        QStringLiteral("CT,15.0,28.15,16.55,28.7,1,Arial,,8,Seite"),
        QStringLiteral("PAGE,16.65,28.15,Arial,,8,###"),
        QStringLiteral("ENDE,27.8,0"),
        QStringLiteral("[KOPF1]"),
        QStringLiteral("CT,1.8,1.2,12.0,2.2,0,Arial,F,18,Fahrzeugakte"),
        QStringLiteral("CT,1.8,2.05,12.0,2.6,0,Arial,,10,Kennzeichen ") + lineText(m_plate),
        QStringLiteral("CT,12.0,1.3,16.4,1.8,1,Arial,,8,Druckdatum:"),
        QStringLiteral("PDAT,16.5,1.3,Arial,,8,dd.mm.yyyy"),
        QStringLiteral("RECT,1.8,2.8,19.2,2.8,0.02,0,1"),
        QStringLiteral("ENDE,0,3.3"),
        QStringLiteral("[KOPF]"),
        QStringLiteral("CT,1.8,1.2,14.0,1.9,0,Arial,F,12,Fahrzeugakte ") + lineText(m_plate) +
            QStringLiteral(" (Fortsetzung)"),
        QStringLiteral("RECT,1.8,2.0,19.2,2.0,0.01,0,1"),
        QStringLiteral("ENDE,0,2.4"),
        QStringLiteral("[FAHRZEUG]"),
        QStringLiteral("RECT,1.8,0.0,19.2,0.6,0,6,15263976"),
        QStringLiteral("CT,1.95,0.10,19.0,0.6,0,Arial,F,10,Nicht reparierte Schäden (%1)").arg(m_open.size()),
        QStringLiteral("SKIZZE,1.8,0.8,9.8,6.8,S_SKIZZE"),
        QStringLiteral("ENDE,0,7.2"),
        QStringLiteral("RECT,1.8,0.0,19.2,0.6,0,6,15263976"),
        QStringLiteral("CT,1.95,0.10,19.0,0.6,0,Arial,F,10,Schadensfälle (%1)").arg(m_cases.size()),
        QStringLiteral("ENDE,0,0.8"),
    };
    const auto row = [&lines](const QStringList &cells, const QString &style) {
        static const double left[] = {1.8, 4.0, 6.4, 10.4, 13.4, 16.0};
        static const double right[] = {3.9, 6.3, 10.3, 13.2, 15.8, 19.2};
        static const int align[] = {0, 0, 0, 1, 1, 0};
        for (int i = 0; i < cells.size() && i < 6; ++i)
            lines.append(QStringLiteral("CT,%1,0,%2,0.45,%3,Arial,%4,9,%5")
                             .arg(left[i]).arg(right[i]).arg(align[i]).arg(style, lineText(cells[i])));
        lines.append(QStringLiteral("ENDE,0,0.5"));
    };
    row({QStringLiteral("Nummer"), QStringLiteral("Datum"), QStringLiteral("Schadenart"), QStringLiteral("Betrag"),
         QStringLiteral("SB"), QStringLiteral("Reparatur")}, QStringLiteral("F"));
    for (const Case &c : m_cases)
        row({c.number, c.date.toString(QStringLiteral("dd.MM.yyyy")), c.kind, money(c.amount), money(c.deductible),
             c.repair}, QString());
    lines.append(QStringLiteral("ENDE,0,0.3"));
    lines.append(QStringLiteral("RECT,1.8,0.0,19.2,0.6,0,6,15263976"));
    lines.append(QStringLiteral("CT,1.95,0.10,19.0,0.6,0,Arial,F,10,Summen je Jahr"));
    lines.append(QStringLiteral("ENDE,0,0.8"));
    row({QStringLiteral("Jahr"), QStringLiteral("Fälle"), QString(), QStringLiteral("Betrag"), QStringLiteral("SB")},
        QStringLiteral("F"));
    for (const YearSum &year : m_years)
        row({year.year ? QString::number(year.year) : QStringLiteral("ohne Datum"), QString::number(year.cases),
             QString(), money(year.amount), money(year.deductible)}, QString());
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace vehicle
