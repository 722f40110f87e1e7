#pragma once

#include <QDate>
#include <QString>

namespace report {

// What the preview's "Als PDF speichern..." offers and remembers: the name
// of the file and the folder it goes to.
class PdfExport {
public:
    // "Schadensbericht 26-298.pdf" for the case numbered 26/298,
    // "Schadensliste 2026-12-08.pdf" for the list printed that day. A slash
    // would make the number a folder, so it becomes a dash.
    static QString suggestedName(short kind, const QString &caseNumber, const QDate &today);
    // The folder saved into last time (per user, section Print), or else the
    // user's documents folder, or the home folder when there is none.
    static QString folder();
    // Remembers the folder of a file just written.
    static void rememberFolder(const QString &file);
};

} // namespace report
