#include "quarvik/ScanProgress.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quarvik {
namespace {

struct Known {
    const char *sane; // SANE's status text
    const char *german;
};

// SANE's status texts that a user can do something about.
constexpr std::array<Known, 8> kKnown{{
    {"Document feeder out of documents", "Im Einzug des Scanners liegt kein Papier. Bitte Papier einlegen."},
    {"Document feeder jammed", "Im Einzug des Scanners hat sich Papier gestaut. Bitte das Papier entfernen."},
    {"Scanner cover is open", "Der Deckel des Scanners ist offen."},
    {"Device busy", "Der Scanner ist belegt. Bitte später noch einmal versuchen."},
    {"Access to resource has been denied", "Der Zugriff auf den Scanner wurde verweigert."},
    {"Error during device I/O", "Die Verbindung zum Scanner ist gestört."},
    {"Out of memory", "Für das Scannen reicht der Speicher nicht."},
    {"Scanner mechanism locked for transport", "Der Scanner ist für den Transport verriegelt."},
}};

} // namespace

bool ScanProgress::feed(const QByteArray &piece)
{
    const int before = m_percent;
    m_pending += piece;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (m_pending[i] == '\r' || m_pending[i] == '\n') {
            takeLine(m_pending.mid(start, i - start));
            start = i + 1;
        }
    }
    m_pending.remove(0, start);
    return m_percent != before;
}

void ScanProgress::takeLine(const QByteArray &raw)
{
    const QByteArray line = raw.trimmed();
    if (line.isEmpty())
        return;
    static const QByteArray kProgress("Progress:");
    if (line.startsWith(kProgress)) {
        QByteArray number = line.mid(kProgress.size()).trimmed();
        if (number.endsWith('%'))
            number.chop(1);
        bool ok = false;
        const double value = number.toDouble(&ok);
        if (ok && std::isfinite(value))
            m_percent = int(std::clamp(value, 0.0, 100.0));   // clamped before the cast: 1e30 fits no int
        return;
    }
    m_complaints.append(QString::fromLocal8Bit(line));
}

QString ScanProgress::germanError(const QStringList &complaints, int exitCode, const QString &device)
{
    const QString all = complaints.join(u'\n');
    for (const Known &known : kKnown)
        if (all.contains(QLatin1String(known.sane), Qt::CaseInsensitive))
            return QString::fromUtf8(known.german);
    if (all.contains(QLatin1String("open of device"), Qt::CaseInsensitive))
        return QStringLiteral("Der Scanner \"%1\" kann nicht geöffnet werden. Ist er eingeschaltet und angeschlossen?")
            .arg(device);
    if (all.contains(QLatin1String("no SANE devices found"), Qt::CaseInsensitive))
        return QStringLiteral("Es wurde kein Scanner gefunden.");
    const QString detail = complaints.isEmpty() ? QStringLiteral("Rückgabewert %1").arg(exitCode) : complaints.last();
    return QStringLiteral("Das Scannen ist fehlgeschlagen (%1).").arg(detail);
}

} // namespace quarvik
