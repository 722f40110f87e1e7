#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <exception>

namespace dao {

// Numbers of the errors the layer itself raises, as the classic engine numbered them.
enum ErrorNumber : long {
    ErrUpdateWithoutEdit = 3020,   // "Update oder CancelUpdate ohne AddNew oder Edit."
    ErrNoCurrentRecord = 3021,     // "Kein aktueller Datensatz."
    ErrDuplicateKey = 3022,
    ErrNotUpdatable = 3027,        // "Aktualisieren nicht möglich; Datenbank oder Objekt ist schreibgeschützt."
    ErrDatabaseNotFound = 3024,
    ErrNoTransaction = 3034,       // CommitTrans or Rollback without BeginTrans
    ErrRecordDeleted = 3167,       // "Datensatz ist gelöscht."
    ErrDatabaseExists = 3204,      // "Datenbank existiert bereits."
    ErrNotADatabase = 3343,        // "Nicht erkanntes Datenbankformat"
    ErrSyntax = 3075,
    ErrTableNotFound = 3078,
    ErrTooFewParameters = 3061,    // unknown column name in a statement
    ErrLocked = 3260,              // locked by another user
    ErrCancelled = 3059,           // "Vorgang vom Benutzer abgebrochen." (a wait given up)
    ErrConversion = 3421,          // "Fehler bei der Datentypkonvertierung."
    ErrNotSupported = 3251,        // "Dieser Vorgang wird für diesen Objekttyp nicht unterstützt."
    ErrItemNotFound = 3265,        // "Element in dieser Auflistung nicht gefunden."
    ErrObjectClosed = 3420,        // "Objekt ungültig oder nicht mehr festgelegt."
    ErrConnectionLost = 3151,      // the server went away
    ErrEngine = 3146,              // any other engine failure
};

// One entry of the engine's error collection.
struct ErrorEntry {
    long number = 0;
    QString description;
    QString source;                 // "SQLite", "PostgreSQL", "DAO"
};

// Raised by every failing call; the same error stands last in DBEngine::Errors(),
// preceded by whatever further detail the engine reported.
class DaoError : public std::exception {
public:
    DaoError(long number, QString description);
    long number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    long m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace dao
