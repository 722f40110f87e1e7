// What keeping the case history costs.
//
// 1. Saving a changed case as the case form saves it (the row read and
//    written in one write transaction), with its change records against the
//    same save without them, on an SQLite file and, when a server is given,
//    on PostgreSQL. The records must cost at most 30 %.
// 2. Checking a chain of 1,000,000 records against sha256sum hashing the
//    same bytes the check hashes, written to a file: at most twice as long.
//
// bench_history [FOLDER] [ADDRESS]: FOLDER holds the files (default: a
// temporary one); ADDRESS (default VARNHOLT_TEST_PG) a server database.

#include "form/CaseNumbering.h"
#include "form/SaveHistory.h"
#include "history/ChainCheck.h"
#include "history/Journal.h"
#include "history/Record.h"
#include "varnholt/DemoData.h"
#include "varnholt/Schema.h"

#include "dao/Dao.h"

#include "BestOf.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <thread>

#include <sys/resource.h>

namespace {

constexpr int SavesPerRun = 20;
constexpr int SaveRounds = 41;
constexpr long ChainLength = 1000000;

// The columns the case form binds, with a label each.
QList<QPair<QString, QString>> formFields(dao::Database &db)
{
    QList<QPair<QString, QString>> fields;
    auto shape = db.OpenRecordset(QStringLiteral("Select * From Schaden Where ID < 0"), dao::RecordsetType::Snapshot);
    for (int i = 0; i < shape->FieldCount(); ++i) {
        const QString name = shape->Fields(i).Name();
        if (!name.startsWith(QLatin1String("Objekt_ID"), Qt::CaseInsensitive) && name.compare(u"ID", Qt::CaseInsensitive))
            fields.append({name, name});
    }
    return fields;
}

// Saves of case 1, each changing three fields, as the form writes them.
void saveChanged(dao::Database &db, const QList<QPair<QString, QString>> &fields, bool withHistory, int &round)
{
    for (int i = 0; i < SavesPerRun; ++i) {
        ++round;
        form::CaseStore store(db);
        const QDateTime now = QDateTime::currentDateTime();
        store.save(1, now, [round](dao::Recordset &row) {
            row.SetValue(QStringLiteral("Anmerkung"), QStringLiteral("Rückruf %1").arg(round));
            row.SetValue(QStringLiteral("Schadenbetrag"), QVariant::fromValue(dao::Currency::fromDouble(100 + round)));
            row.SetValue(QStringLiteral("Reparaturstatus"), round % 2 ? QStringLiteral("erfolgt") : QStringLiteral("nicht erfolgt"));
        }, std::nullopt, [&](long id) {
            // Everything the history costs a save, its setting up too.
            if (withHistory)
                form::SaveHistory(fields, {}).write(db, id, store.before(), store.after(), now);
        });
    }
}

// Processor time of the process or of its children that ended, in milliseconds.
double processorMs(int who)
{
    rusage used{};
    getrusage(who, &used);
    return (used.ru_utime.tv_sec + used.ru_stime.tv_sec) * 1e3 + (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e3;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Many short rounds, the two saves taking turns (first one, then the other
// first): the median of the rounds' ratios, which a spell of a busy machine
// moves no more than one round's worth.
double saveRatio(dao::Database &db, const char *engine)
{
    int round = 0;
    const QList<QPair<QString, QString>> fields = formFields(db);
    std::vector<double> without;
    std::vector<double> with;
    std::vector<double> ratios;
    for (int i = 0; i < SaveRounds; ++i) {
        const auto plain = [&] { without.push_back(bestOf(1, [&] { saveChanged(db, fields, false, round); })); };
        const auto recorded = [&] { with.push_back(bestOf(1, [&] { saveChanged(db, fields, true, round); })); };
        if (i % 2) {
            plain();
            recorded();
        } else {
            recorded();
            plain();
        }
        ratios.push_back(with.back() / without.back());
    }
    const double ratio = median(ratios);
    std::printf("%-10s save of a changed case (median of %d rounds of %d): %.3f ms without history, %.3f ms with: "
                "ratio %.2f (at most 1.30) %s\n",
                engine, SaveRounds, SavesPerRun, median(without) / SavesPerRun, median(with) / SavesPerRun, ratio,
                ratio <= 1.3 ? "ok" : "TOO SLOW");
    return ratio;
}

std::unique_ptr<dao::Database> freshDatabase(const QString &path)
{
    dao::OpenOptions create;
    create.create = true;
    auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, create);
    varnholt::createSchema(*db);
    varnholt::DemoData().addCases(*db, 20);
    return db;
}

// A chain of ChainLength records over 10,000 cases, written once.
void fillChain(dao::Database &db)
{
    QList<history::Entry> entries;
    entries.reserve(ChainLength);
    for (long i = 0; i < ChainLength; ++i)
        entries.append({1 + i % 10000, history::kind::Field, QStringLiteral("Schadenbetrag"),
                        QStringLiteral("%1,00").arg(i), QStringLiteral("%1,00").arg(i + 1), QVariant()});
    dao::Transaction tx(db);
    history::Journal(db, {QStringLiteral("anna"), QStringLiteral("buero-1")})
        .append(entries, QDateTime(QDate(2024, 5, 6), QTime(10, 0)));
    tx.commit();
}

// The bytes the check hashes, record after record, into a file.
void writeHashedBytes(dao::Database &db, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    auto rs = db.OpenRecordset(QStringLiteral("Select Schaden_ID,Zeit,Benutzer,Arbeitsplatz,Art,Feld,AlterWert,NeuerWert,"
                                              "Objekt_ID,Hash From Verlauf Order By ID"),
                               dao::RecordsetType::ForwardOnly);
    QByteArray previous = history::chainStart();
    for (; !rs->IsEOF(); rs->MoveNext()) {
        history::Record record;
        record.caseId = long(rs->Fields(0).Value().toLongLong());
        record.time = rs->Fields(1).Value().toDateTime();
        record.user = rs->Fields(2).Value().toString();
        record.workstation = rs->Fields(3).Value().toString();
        record.kind = rs->Fields(4).Value().toString();
        record.field = rs->Fields(5).Value().toString();
        record.oldValue = rs->Fields(6).Value().toString();
        record.newValue = rs->Fields(7).Value().toString();
        file.write(history::hashedBytes(record, previous));
        previous = QByteArray::fromHex(rs->Fields(9).Value().toString().toLatin1());
    }
    rs->Close();
}

double verifyRatio(const QString &folder)
{
    const QString path = folder + QStringLiteral("/chain.db");
    std::unique_ptr<dao::Database> db;
    if (QFile::exists(path)) {
        db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
    } else {
        db = freshDatabase(path);
        fillChain(*db);
    }
    const QString bytes = folder + QStringLiteral("/chain.bytes");
    if (!QFile::exists(bytes))
        writeHashedBytes(*db, bytes);
    history::ChainReport report;
    // The processor time beside the time passed: on a busy machine the
    // check's parts wait for cores they would have to themselves.
    double verifyCpu = 1e300;
    double sumCpu = 1e300;
    const std::vector<double> best = bestOfEach(3, {[&] {
                                                        const double before = processorMs(RUSAGE_SELF);
                                                        report = history::verifyChain(*db);
                                                        verifyCpu = std::min(verifyCpu, processorMs(RUSAGE_SELF) - before);
                                                    },
                                                    [&] {
                                                        const double before = processorMs(RUSAGE_CHILDREN);
                                                        QProcess sum;
                                                        sum.start(QStringLiteral("sha256sum"), {bytes});
                                                        sum.waitForFinished(-1);
                                                        sumCpu = std::min(sumCpu, processorMs(RUSAGE_CHILDREN) - before);
                                                    }});
    if (!report.ok() || report.records != ChainLength)
        qFatal("the chain does not check: %s", qPrintable(report.text()));
    const double ratio = best[0] / best[1];
    std::printf("chain of %ld records (%.0f MB hashed): --verify-history %.0f ms, sha256sum %.0f ms: ratio %.2f "
                "(at most 2.00) %s\n",
                ChainLength, QFileInfo(bytes).size() / 1e6, best[0], best[1], ratio, ratio <= 2.0 ? "ok" : "TOO SLOW");
    std::printf("  processor time: --verify-history %.0f ms on %u cores, sha256sum %.0f ms\n", verifyCpu,
                std::thread::hardware_concurrency(), sumCpu);
    return ratio;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir temporary;
    const QString folder = args.size() > 1 ? args.at(1) : temporary.path();
    QDir().mkpath(folder);
    const QString address = args.size() > 2 ? args.at(2) : qEnvironmentVariable("VARNHOLT_TEST_PG");
    bool ok = true;
    try {
        QFile::remove(folder + QStringLiteral("/save.db"));
        auto file = freshDatabase(folder + QStringLiteral("/save.db"));
        ok = saveRatio(*file, "SQLite") <= 1.3 && ok;
        if (!address.isEmpty()) {
            const QString server = address.left(address.lastIndexOf(u'/') + 1) + QStringLiteral("bench_history");
            std::unique_ptr<dao::Database> db;
            try {
                db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(server);
            } catch (const dao::DaoError &) {
                dao::OpenOptions create;
                create.create = true;
                db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(server, create);
            }
            if (!db->TableHasColumn(QStringLiteral("Schaden"), QStringLiteral("ID"))) {
                varnholt::createSchema(*db);
                varnholt::DemoData().addCases(*db, 20);
            }
            ok = saveRatio(*db, "PostgreSQL") <= 1.3 && ok;
        }
        ok = verifyRatio(folder) <= 2.0 && ok;
    } catch (const dao::DaoError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 2;
    }
    return ok ? 0 : 1;
}
