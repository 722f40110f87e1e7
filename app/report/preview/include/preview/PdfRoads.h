#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace report {

class ReportJob;

// The preview's "Als PDF speichern..." and "Per E-Mail senden ...": the
// laid-out report written as a PDF to a file the user picks, or handed to
// the mail program as an attachment. A refusal or failure leaves any file
// already there as it was and is told over the window.
class PdfRoads {
public:
    // The file the user picks for a suggested path; "" when cancelled.
    using AskFile = std::function<QString(const QString &suggested)>;

    PdfRoads(ReportJob &job, QWidget *window, AskFile askFile);

    // Asks for the file (replacing one is asked again), writes it and
    // remembers its folder for the next time.
    void save();
    // Without a mail program, or when it cannot start, offers save() instead.
    void mail();
    // "Schadensbericht 26-298.pdf" or "Schadensliste 2026-12-08.pdf".
    QString suggestedName();

    // The program's own file dialog "Als PDF speichern" (object dlgPdf).
    static QString askWithDialog(QWidget *parent, const QString &suggested);

private:
    ReportJob &m_job;
    QWidget *m_window;
    AskFile m_askFile;
};

} // namespace report
