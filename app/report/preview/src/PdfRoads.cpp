#include "preview/PdfRoads.h"

#include "preview/MailHandoff.h"
#include "preview/PdfExport.h"

#include "report/ReportJob.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/WaitCursor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <optional>

namespace report {

PdfRoads::PdfRoads(ReportJob &job, QWidget *window, AskFile askFile)
    : m_job(job), m_window(window), m_askFile(std::move(askFile))
{
}

QString PdfRoads::askWithDialog(QWidget *parent, const QString &suggested)
{
    QFileDialog dialog(parent, QStringLiteral("Als PDF speichern"), suggested, QStringLiteral("PDF-Dateien (*.pdf)"));
    dialog.setObjectName(QStringLiteral("dlgPdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // Replacing a file is asked below, in the program's own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString PdfRoads::suggestedName()
{
    ReportData &data = m_job.data();
    return PdfExport::suggestedName(data.request().kind,
                                    data.CaseFieldValue(QStringLiteral("S"), QStringLiteral("Schadennummer")),
                                    core::Clock::today());
}

void PdfRoads::save()
{
    const QString name = suggestedName();
    const QString file = m_askFile(QDir(PdfExport::folder()).filePath(name));
    if (file.isEmpty())
        return;
    if (QFileInfo::exists(file) &&
        core::showMessage(QStringLiteral("Die Datei ") + file + QStringLiteral(" besteht bereits. Soll sie ersetzt werden?"),
                          core::MsgIcon::Question, core::MsgButtons::YesNo, {}, m_window) != core::MsgAnswer::Yes)
        return;
    QString message;
    std::optional<core::WaitCursor> hourglass(std::in_place);
    if (!m_job.writePdf(file, &message)) {
        hourglass.reset();
        core::showMessage(message, core::MsgIcon::Information, core::MsgButtons::Ok, {}, m_window);
        return;
    }
    PdfExport::rememberFolder(file);
}

void PdfRoads::mail()
{
    const auto offerPdf = [this](const QString &why) {
        if (core::showMessage(why + QStringLiteral(" Soll der Bericht stattdessen als PDF gespeichert werden?"),
                              core::MsgIcon::Question, core::MsgButtons::YesNo, {}, m_window) == core::MsgAnswer::Yes)
            save();
    };
    std::optional<core::WaitCursor> hourglass(std::in_place);
    if (!MailHandoff::mailProgramSetUp()) {
        hourglass.reset();
        offerPdf(QStringLiteral("Auf diesem Rechner ist kein E-Mail-Programm eingerichtet."));
        return;
    }
    const QString name = suggestedName();
    const QString folder = MailHandoff::copyFolder();
    QString message = QStringLiteral("Der Ordner für temporäre Dateien ist nicht beschreibbar.");
    if (folder.isEmpty() || !m_job.writePdf(QDir(folder).filePath(name), &message)) {
        hourglass.reset();
        core::showMessage(message, core::MsgIcon::Information, core::MsgButtons::Ok, {}, m_window);
        return;
    }
    const bool started = MailHandoff::handOver(QFileInfo(name).completeBaseName(), QDir(folder).filePath(name));
    hourglass.reset();
    if (!started)
        offerPdf(QStringLiteral("Das E-Mail-Programm konnte nicht gestartet werden."));
}

} // namespace report
