#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quarvik {

// Reads what `scanimage -p` writes to its error channel while it scans:
// "Progress: 42.5%" followed by a carriage return, and its complaints as
// "scanimage: ..." lines. Text may arrive in any pieces.
class ScanProgress {
public:
    // Takes the next piece; true when the percentage changed.
    bool feed(const QByteArray &piece);
    // Whole percent done, 0 to 100.
    int percent() const { return m_percent; }
    // The lines that were not progress, in order.
    QStringList complaints() const { return m_complaints; }

    // The German message for a scan that ended with this exit code and these
    // complaints (SANE's status texts, as scanimage passes them on).
    static QString germanError(const QStringList &complaints, int exitCode, const QString &device);

private:
    void takeLine(const QByteArray &line);

    QByteArray m_pending;
    QStringList m_complaints;
    int m_percent = 0;
};

} // namespace quarvik
