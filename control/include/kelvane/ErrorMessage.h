#pragma once

#include "core/MessageService.h"
#include "dao/Error.h"

#include <QList>
#include <QString>

#include <exception>

namespace kelvane {

// An error as the storage routines report it: its number and description.
struct ErrObject {
    long Number = 0;
    QString Description;
};

// Raised by the file routines and the storage routines' own checks.
class KelvaneError : public std::exception {
public:
    KelvaneError(long number, QString description);
    const ErrObject &error() const { return m_error; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    ErrObject m_error;
    QByteArray m_what;
};

// Error numbers the library raises itself.
enum KelvaneErrorNumber : long {
    ErrSubscript = 9,          // an empty file; a stored overlay without its separator
    ErrFileNotFound = 53,
    ErrPathAccess = 75,
    ErrNoObject = 91,          // no database handed over
    ErrInvalidPicture = 481,   // an overlay image that cannot be read
};

// The text of the storage routines' error box: the prefix, the error, and the
// database engine's further entries (all but the last, which is the error).
QString ErrorMessageText(const ErrObject &error, const QString &prefix, const QList<dao::ErrorEntry> &engineErrors);

// Shows that text with the engine's current error collection, the classic
// message-box style `buttons` and `title`; style 0 when the error number is 0.
core::MsgAnswer ShowErrorMessage(const ErrObject &error, const QString &prefix, long buttons, const QString &title);
// The same with a collection taken earlier (before a rollback emptied it).
core::MsgAnswer ShowErrorMessage(const ErrObject &error, const QString &prefix, long buttons, const QString &title,
                                 const QList<dao::ErrorEntry> &engineErrors);

} // namespace kelvane
