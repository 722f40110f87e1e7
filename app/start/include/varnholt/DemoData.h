#pragma once

#include <QList>
#include <QRandomGenerator>

#include <functional>

namespace dao {
class Database;
}

namespace varnholt {

// Realistic demo cases for trying the program out and for measuring it:
// a fleet of FleetSize vehicles (each with its own type and parking place),
// customers that keep their numbers, reporters, assessors, dates over the
// last six years, every value of the fixed lists, closed, open and overdue
// cases, case numbers per year of creation as the case form gives them.
// The same seed gives the same cases.
class DemoData {
public:
    static constexpr int FleetSize = 150;
    static constexpr int CustomerCount = 400;
    static constexpr quint32 DefaultSeed = 20090317;

    // Runs inside the insert's transaction with the IDs of the new cases,
    // to give them attachments.
    using AttachmentHook = std::function<void(dao::Database &db, const QList<long> &newCaseIds)>;

    explicit DemoData(quint32 seed = DefaultSeed);
    void setAttachmentHook(AttachmentHook hook) { m_attachmentHook = std::move(hook); }

    // Adds count cases after the highest ID in one transaction and returns their IDs.
    QList<long> addCases(dao::Database &db, int count);

private:
    quint32 m_seed;
    AttachmentHook m_attachmentHook;
};

} // namespace varnholt
