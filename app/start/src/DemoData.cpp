#include "varnholt/DemoData.h"

#include "DemoCase.h"

#include "core/Clock.h"
#include "dao/Dao.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace varnholt {
namespace {

constexpr int YearsBack = 6;

long highestCaseId(dao::Database &db)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Max(ID) FROM Schaden"), dao::RecordsetType::Snapshot);
    const QVariant max = rs->Fields(0).Value();
    return dao::isNull(max) ? 0 : static_cast<long>(max.toLongLong());
}

// The highest running number given so far in each two-digit year.
QHash<QString, int> runningNumbers(dao::Database &db)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d\\d)/(\\d+)$"));
    QHash<QString, int> last;
    auto rs = db.OpenRecordset(QStringLiteral("Select Schadennummer from Schaden"), dao::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const QRegularExpressionMatch m = pattern.match(rs->Fields(0).Value().toString());
        if (m.hasMatch())
            last[m.captured(1)] = qMax(last.value(m.captured(1)), m.captured(2).toInt());
    }
    return last;
}

QString insertStatement()
{
    const QStringList &columns = demo::DemoCaseMaker::columns();
    QStringList quoted;
    for (const QString &c : columns)
        quoted.append(u'[' + c + u']');
    return QStringLiteral("INSERT INTO Schaden (%1) VALUES (%2)")
        .arg(quoted.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u','));
}

} // namespace

DemoData::DemoData(quint32 seed)
    : m_seed(seed)
{
}

QList<long> DemoData::addCases(dao::Database &db, int count)
{
    // The fleet and the customers are the same on every run; the cases go on
    // from where the database stands.
    QRandomGenerator fixed(m_seed);
    const QList<demo::Vehicle> fleet = demo::makeFleet(fixed, FleetSize);
    const QList<demo::Customer> customers = demo::makeCustomers(fixed, CustomerCount);

    dao::Transaction tx(db);
    const long firstId = highestCaseId(db) + 1;
    QHash<QString, int> numbers = runningNumbers(db);

    QRandomGenerator rng(m_seed ^ static_cast<quint32>(firstId * 2654435761u));
    const QDateTime now = core::Clock::now();
    const qint64 span = now.addYears(-YearsBack).secsTo(now);
    QList<qint64> ages;
    ages.reserve(count);
    for (int i = 0; i < count; ++i)
        ages.append(static_cast<qint64>(rng.bounded(static_cast<quint64>(span))));
    // Oldest first: IDs and numbers rise with the moment of creation.
    std::sort(ages.begin(), ages.end(), std::greater<>());

    demo::DemoCaseMaker maker(fleet, customers, rng, now.date());
    const QString statement = insertStatement();
    QList<long> ids;
    ids.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QDateTime created = now.addSecs(-ages.at(i));
        const QString yy = created.toString(QStringLiteral("yy"));
        const int running = ++numbers[yy];
        const QString number = yy + u'/' + QStringLiteral("%1").arg(running, 3, 10, QLatin1Char('0'));
        const long id = firstId + i;
        db.Execute(statement, maker.make(id, number, created));
        ids.append(id);
    }
    if (m_attachmentHook)
        m_attachmentHook(db, ids);
    tx.commit();
    return ids;
}

} // namespace varnholt
