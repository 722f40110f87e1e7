#include "ReportTestData.h"

#include "preview/frmPrint.h"
#include "report/GridSource.h"
#include "print/PrintReport.h"

#include "varnholt/Globals.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace report;

namespace {

// What the preview showed while the print entry ran it.
struct Shown {
    bool opened = false;
    bool landscape = false;
    int pages = 0;
    QString clipboard;
    QString clipMessage;
};

// Runs the print entry; once its preview is up, looks at it, presses
// "Clip" and closes it with Escape.
Shown runPrintEntry(dao::Database &db, core::RecordingMessageService &messages)
{
    Shown shown;
    // The timer lives only as long as the print entry runs.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *preview = qobject_cast<frmPrint *>(QApplication::activeModalWidget());
        if (!preview || shown.opened)
            return;
        shown.opened = true;
        auto *canvas = preview->findChild<QWidget *>(QStringLiteral("picView"));
        shown.landscape = canvas->width() > canvas->height();
        shown.pages = preview->totalPages();
        if (qEnvironmentVariableIsSet("VARNHOLT_SCREENSHOT_DIR"))
            preview->grab().save(qEnvironmentVariable("VARNHOLT_SCREENSHOT_DIR") +
                                 (shown.landscape ? QStringLiteral("/vorschau-liste.png") : QStringLiteral("/vorschau-bericht.png")));
        preview->findChild<QAction *>(QStringLiteral("Clip"))->trigger();
        shown.clipboard = QGuiApplication::clipboard()->text();
        shown.clipMessage = messages.lastText();
        QTest::keyClick(preview, Qt::Key_Escape);
    });
    poll.start();
    PrintReport(db, nullptr);
    return shown;
}

} // namespace

class PrintReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useGermanLocale();
        core::UserSettings::useFolder(m_user.path());
    }
    void reportsOnThePrinter();
    void noPrinterNoPreview();

private:
    QTemporaryDir m_user;
};

void PrintReportTest::reportsOnThePrinter()
{
    if (currentPrinterName().isEmpty())
        QSKIP("this machine has no printer: start the CUPS server of scripts/services.sh");
    const QDir spool(qEnvironmentVariable("VARNHOLT_TEST_PDF_DIR"));
    const QStringList spooled = spool.entryList({QStringLiteral("*.pdf")}, QDir::Files);

    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("09/001")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("O'NEIL 1")}});
    base.addCase(2, {{QStringLiteral("Schadennummer"), QStringLiteral("09/002")}});
    varnholt::gAppPath = base.dir.path() + u'/';
    core::RecordingMessageService messages;

    // Without its definition file a single case is not printed at all.
    requestCaseReport(1);
    Shown shown = runPrintEntry(*base.db, messages);
    QVERIFY(!shown.opened);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.lastText(),
             QStringLiteral("Die Protokolldatei liegt nicht im Pfad: ") + base.dir.filePath(QStringLiteral("Protokoll.def")));
    QCOMPARE(messages.shown.last().icon, core::MsgIcon::Critical);

    // The list still prints, across the sheet, and copies its rows.
    QueryGridSource grid(*base.db, QStringLiteral("Select ID, Schadennummer as Nr, EigenKZ as Auto From Schaden order by ID"),
                         {}, {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0}, {QStringLiteral("Auto"), 2000, 0}});
    requestListReport(grid, grid.rowCount(),
                      listSubtitle(QStringLiteral("Alle"), QStringLiteral("Alle"), QStringLiteral("Alle")));
    shown = runPrintEntry(*base.db, messages);
    QVERIFY(shown.opened);
    QVERIFY(shown.landscape);
    QCOMPARE(shown.pages, 1);
    QCOMPARE(shown.clipboard, QStringLiteral("Nr\tAuto\n09/001\tO'NEIL 1\n09/002\t\n"));
    QCOMPARE(shown.clipMessage, QStringLiteral("Auswertung wurde in die Zwischenablage kopiert !"));
    gPrintGrid = nullptr;

    // A single case upright, whatever the list left the printer at.
    QVERIFY(QFile::copy(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"),
                        base.dir.filePath(QStringLiteral("Protokoll.def"))));
    requestCaseReport(1);
    shown = runPrintEntry(*base.db, messages);
    QVERIFY(shown.opened);
    QVERIFY(!shown.landscape);
    QVERIFY(shown.clipboard.startsWith(QStringLiteral("Schadennummer: 09/001\n")));
    QVERIFY(shown.clipboard.contains(QStringLiteral("\nKennzeichen: O'NEIL 1\n")));

    // A direct run lays out only: no window, no message.
    messages.clear();
    gPrintDirect = true;
    shown = runPrintEntry(*base.db, messages);
    gPrintDirect = false;
    QVERIFY(!shown.opened);
    QVERIFY(messages.shown.isEmpty());
    // Looking at reports printed nothing.
    QTest::qWait(1000);
    QCOMPARE(spool.entryList({QStringLiteral("*.pdf")}, QDir::Files), spooled);
}

void PrintReportTest::noPrinterNoPreview()
{
    if (!qEnvironmentVariableIsSet("VARNHOLT_TEST_NO_PRINTER"))
        QSKIP("runs where the CUPS server is out of reach (VARNHOLT_TEST_NO_PRINTER)");
    QVERIFY2(currentPrinterName().isEmpty(), qPrintable(currentPrinterName()));
    ReportDatabase base;
    base.addCase(1);
    QVERIFY(QFile::copy(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"),
                        base.dir.filePath(QStringLiteral("Protokoll.def"))));
    varnholt::gAppPath = base.dir.path() + u'/';
    core::RecordingMessageService messages;

    requestCaseReport(1);
    const Shown shown = runPrintEntry(*base.db, messages);
    QVERIFY(!shown.opened);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.lastText(), QStringLiteral("Bitte zuerst eine einen Drucker installieren!"));
    QCOMPARE(messages.shown.last().icon, core::MsgIcon::Information);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(PrintReportTest)
#include "tst_printreport.moc"
