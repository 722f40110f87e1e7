#pragma once

// Whole-file reads and writes for tests that compare a file's bytes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace testfiles {

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A file a spooler writes arrives in pieces: waits until it ends with a PDF's
// end marker and its size holds still, whatever the machine's load.
inline bool waitForWholePdf(const QString &path, int timeoutMs = 60000)
{
    qint64 lastSize = -1;
    for (int waited = 0; waited < timeoutMs; waited += 250) {
        const QByteArray bytes = readBytes(path);
        if (bytes.size() == lastSize && bytes.trimmed().endsWith("%%EOF"))
            return true;
        lastSize = bytes.size();
        QTest::qWait(250);
    }
    return false;
}

} // namespace testfiles
