#pragma once

// Damages an SQLite database file as a failing disk would, for tests of what
// the program does when a read fails half-way. The file must be closed, so
// that its write-ahead log is folded in.

#include <QFile>
#include <QtEndian>

namespace testengine {

// Cuts the overflow chain of a large value whose bytes are all `fill`: the
// value's row and the rest of the table read as before, reading the value
// itself fails with the engine's corruption error. False when the file
// holds no such chain of at least two pages.
inline bool cutOverflowChain(const QString &path, char fill)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    if (bytes.size() < 100)
        return false;
    qint64 pageSize = qFromBigEndian<quint16>(bytes.constData() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    for (qint64 offset = 0; offset + pageSize <= bytes.size(); offset += pageSize) {
        const char *page = bytes.constData() + offset;
        bool filled = true;
        for (qint64 i = 4; i < pageSize && filled; ++i)
            filled = page[i] == fill;
        // An overflow page is its next page's number, then content.
        if (!filled || qFromBigEndian<quint32>(page) == 0)
            continue;
        const QByteArray beyond(4, '\x7f');
        file.seek(offset);
        return file.write(beyond) == 4;
    }
    return false;
}

} // namespace testengine
