#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace history {

// What a change record says, before it is put into the chain.
struct Entry {
    long caseId = 0;
    QString kind;          // Art: what happened, see the constants below
    QString field;         // Feld: the form's label of what changed
    QVariant oldValue;     // AlterWert as shown; null for none
    QVariant newValue;     // NeuerWert as shown; null for none
    QVariant objectId;     // Objekt_ID: the kept version of an attachment; null for none
};

// The kinds of record (Art).
namespace kind {
inline const QString Created = QStringLiteral("angelegt");
inline const QString Field = QStringLiteral("Feld");
inline const QString Attachment = QStringLiteral("Anhang");
inline const QString Deleted = QStringLiteral("gelöscht");
inline const QString Restored = QStringLiteral("wiederhergestellt");
inline const QString Purged = QStringLiteral("bereinigt");
} // namespace kind

// A record as stored: its place in the chain, who wrote it, when and where.
struct Record : Entry {
    long id = 0;
    QDateTime time;
    QString user;
    QString workstation;
    QByteArray hash;       // hex, as stored in Hash
};

// The text a picture slot (column Objekt_ID_n) goes by in the records:
// the tab's text "Bild n"; and back, 0 for no slot's text.
QString slotField(int slot);
int slotOfField(const QString &field);
// The text a further attachment goes by: Anhang "name"; and back, a null
// string for no attachment's text.
QString attachmentField(const QString &name);
QString attachmentOfField(const QString &field);

// The bytes a record's hash covers: every value of it but ID and Hash, in
// UTF-8, each after its length in characters and ":" ("~" for Null), so
// that no two records share them, followed by the previous record's hash
// (raw; 32 zero bytes before the first record). The time counts as
// "yyyy-MM-dd HH:mm:ss", as both engines give it as text.
QByteArray hashedBytes(const Record &record, const QByteArray &previousRawHash);
QString timeText(const QDateTime &time);
// SHA-256, raw.
QByteArray sha256(const QByteArray &bytes);
// SHA-256 of a record's bytes, raw.
QByteArray chainHash(const Record &record, const QByteArray &previousRawHash);
// The hash before the first record.
QByteArray chainStart();

} // namespace history
