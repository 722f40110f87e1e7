#include "sandbox/PreviewResult.h"

namespace sandbox {

QString failureText(PreviewFailure failure)
{
    switch (failure) {
    case PreviewFailure::None:
        return {};
    case PreviewFailure::Unreadable:
        return QStringLiteral("Die Datei ist beschädigt oder hat ein unbekanntes Format");
    case PreviewFailure::TooLarge:
        return QStringLiteral("Die Datei braucht mehr Speicher oder Rechenzeit, als für eine Vorschau erlaubt ist");
    case PreviewFailure::Crashed:
        return QStringLiteral("Das Vorschauprogramm ist an der Datei abgestürzt");
    case PreviewFailure::TimedOut:
        return QStringLiteral("Die Vorschau wurde nach dem Zeitlimit abgebrochen");
    case PreviewFailure::Garbage:
        return QStringLiteral("Das Vorschauprogramm hat eine unbrauchbare Antwort gegeben");
    case PreviewFailure::NotStarted:
        return QStringLiteral("Das Vorschauprogramm \"kelvane-preview\" kann nicht gestartet werden");
    }
    return {};
}

} // namespace sandbox
