#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace attachments {

// A file handed over from outside the program (the phone): where it lies
// now, the name it was sent under, and what the sender knew of it.
struct IncomingFile {
    QString path;
    QString originalName;
    QDateTime taken;   // the photo's EXIF time; null when unknown
    QString sha256;    // hexadecimal, of the bytes as received; "" when unknown
};

// One further attachment of a case as the tab shows it: stored (objectId set)
// or waiting for the case's save.
struct CaseAttachment {
    long objectId = 0; // its Objekt row; 0 until the case is saved
    QString name;
    QDateTime added;
    qint64 size = 0;
    QDateTime taken;
    QString sha256;
    bool picture = false;
    // A file of ours holding the content to store: a new attachment's, or a
    // stored picture's opened for annotating; "" for a stored one untouched.
    QString file;
    // An annotation drawn here and not stored yet.
    bool annotated = false;
    QString script;
    QByteArray overlay; // PNG; empty for none
    // A kept version (Objekt row) whose content the save puts back; 0 for none.
    long restoreFrom = 0;
};

} // namespace attachments
