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

} // namespace testfiles
