#include "ReportTestData.h"

#include "preview/ClipboardCopy.h"
#include "preview/PrintChoice.h"
#include "preview/PrintRun.h"

#include "report/ReportJob.h"

#include "core/MessageService.h"
#include "dao/Error.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace report;

namespace {

QString protokoll()
{
    QFile file(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"));
    return file.open(QIODevice::ReadOnly) ? decodeDefinitionFile(file.readAll()) : QString();
}

} // namespace

class PrintRoadsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useGermanLocale(); }

    // The pages of a plan go out one job each until one cannot; the count
    // says how many went, and the hourglass is gone afterwards.
    void printRunSendsThePlan()
    {
        ReportDatabase base;
        QString description;
        for (int i = 1; i <= 300; ++i)
            description += QStringLiteral("Satz%1 über den Schaden am Kotflügel. ").arg(i);
        base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("26/298")},
                         {QStringLiteral("Schadenbeschreibung"), description}});
        ReportJob job(base.db.get(), PrintRequest{PrintKindCase, 1, {}, false, nullptr}, protokoll(),
                      QPageSize(QPageSize::A4));
        QVERIFY(job.layout());
        const int pages = job.totalPages();
        QVERIFY(pages >= 2);
        QPrinter printer;
        QTemporaryDir out;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("seite.pdf")));
        core::RecordingMessageService messages;
        QWidget window;
        PrintRun run(job, printer, &window);

        QCOMPARE(run.print(printPlan(2, true, pages, 1), pages, 2), 2 * pages);
        QCOMPARE(run.print(printPlan(1, false, pages, 2), pages, 1), 1);
        // A page beyond the report stops the run where it is.
        QCOMPARE(run.print({1, pages + 1, 1}, pages, 1), 1);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(QFile(out.filePath(QStringLiteral("seite.pdf"))).size() > 0);
    }

    // The report's text reaches the clipboard; a text that cannot be read
    // is told and leaves the clipboard as it was.
    void clipboardCopy()
    {
        core::RecordingMessageService messages;
        QWidget window;
        QApplication::clipboard()->setText(QStringLiteral("vorher"));
        QVERIFY(!ClipboardCopy::copy([]() -> QString { throw dao::DaoError(3021, QStringLiteral("Kein aktueller Datensatz.")); },
                                     &window));
        QCOMPARE(messages.lastText(), QStringLiteral("Die Auswertung konnte nicht in die Zwischenablage kopiert werden: "
                                                     "Kein aktueller Datensatz."));
        QCOMPARE(messages.shown.last().icon, core::MsgIcon::Exclamation);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("vorher"));

        QVERIFY(ClipboardCopy::copy([] { return QStringLiteral("Nr\tAuto\n"); }, &window));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Nr\tAuto\n"));
        QCOMPARE(messages.lastText(), QStringLiteral("Auswertung wurde in die Zwischenablage kopiert !"));
        // None given: an empty text.
        QVERIFY(ClipboardCopy::copy({}, &window));
        QVERIFY(QApplication::clipboard()->text().isEmpty());
    }
};

QTEST_MAIN(PrintRoadsTest)
#include "tst_printroads.moc"
