#pragma once

#include "form/CaseNumbering.h"

#include "kelvane/RAZOleCtrl.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace form {

// What the case form held of an open case that was not saved: enough to put
// the form back as it was after the program ended uncleanly.
struct RecoveredCase {
    QByteArray database;    // which database it belongs to (a hash of its name)
    long caseId = 0;        // 0: a new case
    CaseStamp stamp;        // of the case as the form had read it
    QList<QPair<QString, QString>> fields;                          // control name -> text
    QList<QPair<QString, kelvane::PendingAttachment>> attachments;  // data field -> pending change
    bool operator==(const RecoveredCase &) const = default;

    // The form's database, as it is kept here.
    static QByteArray databaseKey(const QString &databaseName);
};

// The recovery copy's bytes. Reading takes outside bytes (the file may be
// damaged or planted): anything but a whole copy of this version is refused.
QByteArray encodeRecoveredCase(const RecoveredCase &copy);
std::optional<RecoveredCase> decodeRecoveredCase(const QByteArray &bytes);

// The copy as a file of its own in the user's settings folder, readable by
// the owner only, replaced as a whole on each write.
class RecoveryCopy {
public:
    // The settings folder's file when `path` is empty.
    explicit RecoveryCopy(QString path = {});

    const QString &path() const { return m_path; }
    // False, with the reason, when it could not be written.
    bool write(const RecoveredCase &copy, QString *error = nullptr);
    std::optional<RecoveredCase> read() const;
    // Removes the file when this object wrote it: a copy left by another
    // run (on another database, say) stays until it is offered there.
    void remove();
    // Removes the file whoever wrote it (the user declined it).
    void discard();

private:
    QString m_path;
    QByteArray m_written;   // what lies in the file, so an unchanged copy is not written again
};

} // namespace form
