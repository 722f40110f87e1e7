#include "ChainPart.h"
#include "RecordRow.h"

#include "dao/Dao.h"
#include "dao/RowReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

namespace history {
namespace {

enum Column { Id, CaseId, Time, User, Workstation, Kind, Field, OldValue, NewValue, ObjectId, Hash };

// The bytes of one record as Record.h describes them, made from the values
// as the engine delivers them (UTF-8) and hashed in one call.
class RecordHash {
public:
    RecordHash() { m_bytes.reserve(512); }

    void operator()(const dao::RowReader &row, const unsigned char *previous, unsigned char *digest)
    {
        m_bytes.clear();
        for (int column : {CaseId, Time, User, Workstation, Kind, Field})
            put(row.text(column));
        for (int column : {OldValue, NewValue, ObjectId}) {
            if (row.isNull(column))
                m_bytes += '~';
            else
                put(row.text(column));
        }
        m_bytes.append(reinterpret_cast<const char *>(previous), Sha256Size);
        sha256(m_bytes, digest);
    }

private:
    // Its length in characters (every byte but those that continue one), ":" and the bytes.
    void put(QByteArrayView utf8)
    {
        qsizetype characters = utf8.size();
        // Most values are plain ASCII, told eight bytes at a time.
        qsizetype at = 0;
        for (quint64 word; at + 8 <= utf8.size(); at += 8) {
            std::memcpy(&word, utf8.data() + at, 8);
            if (word & 0x8080808080808080ULL)
                break;
        }
        for (; at < utf8.size(); ++at)
            characters -= (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
        const size_t start = m_bytes.size();
        m_bytes.resize(start + 21 + size_t(utf8.size()));
        char *to = m_bytes.data() + start;
        to = std::to_chars(to, to + 20, characters).ptr;
        *to++ = ':';
        std::memcpy(to, utf8.data(), size_t(utf8.size()));
        m_bytes.resize(size_t(to - m_bytes.data()) + size_t(utf8.size()));
    }

    std::string m_bytes;
};

// Whether the stored hex text is the raw hash: the hash written as the
// chain writes it (small letters) and compared whole, no branch per digit.
bool sameHash(QByteArrayView hex, const unsigned char *raw)
{
    static constexpr char digits[] = "0123456789abcdef";
    if (hex.size() != 64)
        return false;
    char written[64];
    for (int i = 0; i < 32; ++i) {
        written[2 * i] = digits[raw[i] >> 4];
        written[2 * i + 1] = digits[raw[i] & 15];
    }
    return std::memcmp(written, hex.data(), 64) == 0;
}

} // namespace

ChainPart::ChainPart(dao::Database &db, qint64 from, qint64 to)
{
    // A file read whole goes quicker mapped than copied page by page.
    if (db.EngineName() == QLatin1String("SQLite"))
        db.Execute(QStringLiteral("PRAGMA mmap_size=1073741824"));
    {
        dao::RowReader before(db, QStringLiteral("Select ID,Hash From Verlauf Where ID=(Select Max(ID) From Verlauf "
                                                 "Where ID<?)"),
                              {from});
        if (before.next()) {
            m_lastId = before.integer(0);
            // A stored hash that is no hash leaves zeros: the record is at fault and found by its own part.
            const QByteArray raw = QByteArray::fromHex(before.text(1).toByteArray());
            if (raw.size() == 32)
                std::memcpy(m_previous, raw.constData(), 32);
        }
    }
    // The time as the engine's text: the same on either engine, and no date to make per record.
    m_rows = std::make_unique<dao::RowReader>(
        db,
        QStringLiteral("Select ID,Schaden_ID,CAST(Zeit AS TEXT) AS ZeitText,Benutzer,Arbeitsplatz,Art,Feld,AlterWert,"
                       "NeuerWert,Objekt_ID,Hash From Verlauf Where ID>=? And ID<=? Order By ID"),
        dao::Params{from, to});
}

ChainPart::~ChainPart() = default;

void ChainPart::run(std::atomic<qint64> &firstFault)
{
    RecordHash hash;
    unsigned char digest[32];
    const auto fail = [&](ChainReport::Fault fault, qint64 id) {
        m_outcome.fault = fault;
        m_outcome.faultId = id;
        qint64 known = firstFault.load();
        while (id < known && !firstFault.compare_exchange_weak(known, id)) {
        }
    };
    while (m_rows->next()) {
        const qint64 id = m_rows->integer(Id);
        if (id != m_lastId + 1)
            return fail(ChainReport::Missing, id);
        hash(*m_rows, m_previous, digest);
        if (!sameHash(m_rows->text(Hash), digest))
            return fail(ChainReport::Changed, id);
        std::memcpy(m_previous, digest, 32);
        m_lastId = id;
        ++m_outcome.records;
        // By case ID: IDs are dense, a set would cost more than the rest of a record.
        std::vector<bool> &cases = m_outcome.cases;
        if (const qint64 caseId = m_rows->integer(CaseId); caseId > 0) {
            if (size_t(caseId) >= cases.size())
                cases.resize(std::max(size_t(caseId) + 1, cases.size() * 2));
            cases[size_t(caseId)] = true;
        }
        if (m_outcome.records % 4096 == 0 && firstFault.load(std::memory_order_relaxed) < id)
            return;
    }
}

} // namespace history
