#include "history/ChainCheck.h"

#include "history/Record.h"
#include "ChainPart.h"
#include "RecordRow.h"

#include "dao/Dao.h"
#include "dao/RowReader.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <thread>
#include <vector>

namespace history {
namespace {

// Fewer records than this are checked in one part: another connection would cost more.
constexpr qint64 ShortChain = 50000;

// Whether the record matches its content after some other record of the chain.
bool intactElsewhere(dao::Database &db, const Record &record)
{
    const QByteArray stored = QByteArray::fromHex(record.hash);
    if (chainHash(record, chainStart()) == stored)
        return true;
    auto rs = db.OpenRecordset(QStringLiteral("Select Hash From Verlauf Where ID<>?"), dao::RecordsetType::ForwardOnly,
                               dao::RecordsetOption::None, {qlonglong(record.id)});
    bool found = false;
    for (; !rs->IsEOF() && !found; rs->MoveNext())
        found = chainHash(record, QByteArray::fromHex(rs->Fields(0).Value().toString().toLatin1())) == stored;
    rs->Close();
    return found;
}

} // namespace

QString ChainReport::text() const
{
    switch (fault) {
    case None:
        return QStringLiteral("Verlauf in Ordnung: %L1 Einträge zu %L2 Vorgängen.").arg(records).arg(cases);
    case Changed:
        return QStringLiteral("Verlauf fehlerhaft: Eintrag %1 wurde verändert.").arg(recordId);
    case Missing:
        return QStringLiteral("Verlauf fehlerhaft: vor Eintrag %1 fehlt ein Eintrag.").arg(recordId);
    case OutOfOrder:
        return QStringLiteral("Verlauf fehlerhaft: Eintrag %1 steht nicht an seinem Platz (Reihenfolge vertauscht).")
            .arg(recordId);
    }
    return {};
}

namespace {

// Checks the parts side by side, each through a connection of its own
// (rows written in an open transaction are seen by its own connection only).
std::vector<ChainPart::Outcome> checkParts(dao::Database &db, qint64 first, qint64 last, int parts)
{
    // Declared first, closed last: the parts read through them.
    std::vector<std::unique_ptr<dao::Database>> connections;
    std::vector<std::unique_ptr<ChainPart>> checked;
    const qint64 span = (last - first) / parts + 1;
    for (int i = 0; i < parts; ++i) {
        const qint64 from = first + i * span;
        if (from > last)
            break;
        dao::Database *on = &db;
        if (parts > 1) {
            dao::OpenOptions reading;
            reading.readOnly = true;
            connections.push_back(dao::DBEngine::instance().Workspaces(0).OpenDatabase(db.Name(), reading));
            on = connections.back().get();
        }
        checked.push_back(std::make_unique<ChainPart>(*on, from, std::min(last, from + span - 1)));
    }
    std::atomic<qint64> firstFault = std::numeric_limits<qint64>::max();
    std::vector<std::exception_ptr> errors(checked.size());
    std::vector<std::thread> threads;
    for (size_t i = 1; i < checked.size(); ++i)
        threads.emplace_back([&, i] {
            try {
                checked[i]->run(firstFault);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        });
    try {
        checked.front()->run(firstFault);
    } catch (...) {
        errors.front() = std::current_exception();
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const std::exception_ptr &error : errors)
        if (error)
            std::rethrow_exception(error);
    std::vector<ChainPart::Outcome> outcomes;
    for (const std::unique_ptr<ChainPart> &part : checked)
        outcomes.push_back(std::move(part->outcome()));
    return outcomes;
}

} // namespace

ChainReport verifyChain(dao::Database &db, int parts)
{
    ChainReport report;
    qint64 first = 0;
    qint64 last = 0;
    {
        dao::RowReader range(db, QStringLiteral("Select Min(ID),Max(ID) From Verlauf"));
        if (!range.next() || range.isNull(0))
            return report;
        first = range.integer(0);
        last = range.integer(1);
        if (parts <= 0)
            parts = last - first < ShortChain ? 1 : int(std::max(1u, std::thread::hardware_concurrency()));
    }
    // What another connection cannot see yet is checked in one part on this one.
    if (db.TransactionDepth() > 0)
        parts = 1;
    std::vector<ChainPart::Outcome> checked;
    try {
        checked = checkParts(db, first, last, parts);
    } catch (const dao::DaoError &) {
        if (parts == 1)
            throw;
        // A database another connection cannot read alongside (held exclusively): in one part.
        checked = checkParts(db, first, last, 1);
    }
    std::vector<bool> cases;
    for (const ChainPart::Outcome &part : checked) {
        report.records += part.records;
        if (part.fault != ChainReport::None) {
            report.fault = part.fault;
            report.recordId = long(part.faultId);
            break;
        }
        if (cases.size() < part.cases.size())
            cases.resize(part.cases.size());
        for (size_t c = 0; c < part.cases.size(); ++c)
            if (part.cases[c])
                cases[c] = true;
    }
    if (report.fault == ChainReport::Changed) {
        auto again = db.OpenRecordset(QStringLiteral("Select %1 From Verlauf Where ID=?").arg(recordColumns()),
                                      dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None,
                                      {qlonglong(report.recordId)});
        const Record record = readRecord(*again);
        again->Close();
        if (intactElsewhere(db, record))
            report.fault = ChainReport::OutOfOrder;
    }
    report.cases = std::count(cases.begin(), cases.end(), true);
    return report;
}

} // namespace history
