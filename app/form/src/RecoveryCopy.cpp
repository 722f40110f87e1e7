#include "form/RecoveryCopy.h"

#include "core/UserSettings.h"
#include "dao/Value.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>

namespace form {
namespace {

constexpr quint32 kMagic = 0x56524B31;   // "VRK1"
constexpr quint16 kVersion = 1;
// A form has a few dozen fields and three attachments: more is no copy of ours.
constexpr quint32 kMaxFields = 1000;
constexpr quint32 kMaxAttachments = 100;

void writeStamp(QDataStream &out, const QVariant &stamp)
{
    const bool present = !dao::isNull(stamp);
    out << present;
    if (present)
        out << stamp.toDateTime();
}

bool readStamp(QDataStream &in, QVariant &stamp)
{
    bool present = false;
    in >> present;
    if (!present) {
        stamp = QVariant();
        return in.status() == QDataStream::Ok;
    }
    QDateTime value;
    in >> value;
    stamp = value;
    return in.status() == QDataStream::Ok && value.isValid();
}

} // namespace

QByteArray RecoveredCase::databaseKey(const QString &databaseName)
{
    // A server's address may carry a password: only its hash is kept.
    return QCryptographicHash::hash(databaseName.toUtf8(), QCryptographicHash::Sha256);
}

QByteArray encodeRecoveredCase(const RecoveredCase &copy)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kVersion << copy.database << qint64(copy.caseId);
    writeStamp(out, copy.stamp.created);
    writeStamp(out, copy.stamp.changed);
    out << quint32(copy.fields.size());
    for (const auto &[name, text] : copy.fields)
        out << name << text;
    out << quint32(copy.attachments.size());
    for (const auto &[field, change] : copy.attachments)
        out << field << qint32(change.kind) << change.fileName << change.bytes << change.overlay << change.script;
    return bytes;
}

std::optional<RecoveredCase> decodeRecoveredCase(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint16 version = 0;
    qint64 caseId = 0;
    RecoveredCase copy;
    in >> magic >> version >> copy.database >> caseId;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion || caseId < 0 || caseId > LONG_MAX)
        return std::nullopt;
    copy.caseId = long(caseId);
    if (!readStamp(in, copy.stamp.created) || !readStamp(in, copy.stamp.changed))
        return std::nullopt;
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count > kMaxFields)
        return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        QString name, text;
        in >> name >> text;
        copy.fields.append({name, text});
    }
    in >> count;
    if (in.status() != QDataStream::Ok || count > kMaxAttachments)
        return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        QString field;
        qint32 kind = 0;
        kelvane::PendingAttachment change;
        in >> field >> kind >> change.fileName >> change.bytes >> change.overlay >> change.script;
        if (kind < kelvane::PendingAttachment::None || kind > kelvane::PendingAttachment::Document)
            return std::nullopt;
        change.kind = kind;
        copy.attachments.append({field, change});
    }
    // A copy cut short or grown at its end is not the one that was written.
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    // Only a copy this program wrote is taken: one that would not be written
    // again byte for byte (a stamp in a time zone without a name, say) is not.
    if (encodeRecoveredCase(copy) != bytes)
        return std::nullopt;
    return copy;
}

RecoveryCopy::RecoveryCopy(QString path) : m_path(std::move(path))
{
    if (m_path.isEmpty())
        m_path = QFileInfo(core::UserSettings::open()->fileName()).absolutePath()
            + QStringLiteral("/Vorgang-Wiederherstellung.bin");
}

bool RecoveryCopy::write(const RecoveredCase &copy, QString *error)
{
    const QByteArray bytes = encodeRecoveredCase(copy);
    if (bytes == m_written && QFile::exists(m_path))
        return true;
    QFileInfo(m_path).absoluteDir().mkpath(QStringLiteral("."));
    QSaveFile file(m_path);
    // Owner-only before the first byte: the copy holds a customer's case.
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) && file.write(bytes) == bytes.size()
        && file.commit();
    if (!written) {
        if (error)
            *error = file.errorString();
        return false;
    }
    m_written = bytes;
    return true;
}

std::optional<RecoveredCase> RecoveryCopy::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeRecoveredCase(file.readAll());
}

void RecoveryCopy::remove()
{
    if (!m_written.isEmpty())
        discard();
}

void RecoveryCopy::discard()
{
    QFile::remove(m_path);
    m_written.clear();
}

} // namespace form
