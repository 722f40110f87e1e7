#pragma once

#include "history/Record.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariantMap>

namespace dao {
class Database;
}

namespace form {

// The change records of one save of the case form, written in its save
// transaction: one per changed field under the form's label, "angelegt"
// for a new case, one per change of an attachment with the row it
// overwrote or deleted kept as a version.
class SaveHistory {
public:
    // fields: column and label of every bound box; attachments: data field
    // (Objekt_ID_n) and the attachment's tab text.
    SaveHistory(QList<QPair<QString, QString>> fields, QHash<QString, QString> attachments);

    // A save attempt starts (a retry after a lock wait starts again).
    void begin() { m_attachmentEntries.clear(); }
    // Before the attachment is written: its change bits and the row it holds.
    void noteAttachment(dao::Database &db, const QString &dataField, int change, const QVariant &stored);
    // After the row is written: every record of this save, into the chain.
    void write(dao::Database &db, long caseId, const QVariantMap &before, const QVariantMap &after,
               const QDateTime &now);

    // The records of the fields that differ between before and after (empty: a new case).
    QList<history::Entry> fieldEntries(long caseId, const QVariantMap &before, const QVariantMap &after) const;

private:
    QList<QPair<QString, QString>> m_fields;
    QHash<QString, QString> m_attachments;
    QList<history::Entry> m_attachmentEntries;
};

// The question when another workstation saved the case since it was
// loaded here, naming who did it, where and when, as the case's newest
// change record tells.
QString changedElsewhereQuestion(dao::Database &db, long caseId);

// A value as the history shows it: "" for none, "Ja"/"Nein", dates and amounts as the form shows them.
QString historyText(const QVariant &value);

} // namespace form
