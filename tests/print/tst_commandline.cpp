#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// The program as a script starts it on a machine without a screen: no
// display server and no Qt platform named.
Run varnholt(const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VARNHOLT_PROGRAM), args);
    Run run;
    if (!program.waitForFinished(300000) || program.exitStatus() != QProcess::NormalExit)
        return run;
    run.code = program.exitCode();
    run.out = QString::fromUtf8(program.readAllStandardOutput());
    run.err = QString::fromUtf8(program.readAllStandardError());
    return run;
}

QString tool(const QString &name, const QStringList &args)
{
    QProcess process;
    process.start(name, args);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The first page's size in whole points, as pdfinfo gives it.
QSize sheetPoints(const QString &pdf)
{
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s*([\\d.]+) x ([\\d.]+) pts"))
            .match(tool(QStringLiteral("pdfinfo"), {pdf}));
    return QSize(qRound(size.captured(1).toDouble()), qRound(size.captured(2).toDouble()));
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpAndVersion();
    void scriptsWithoutScreen();
};

void CommandLineTest::helpAndVersion()
{
    for (const char *help : {"--help", "-h"}) {
        const Run run = varnholt({QString::fromLatin1(help)});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY(run.out.startsWith(QStringLiteral("Aufruf: varnholt\n")));
    }
    const Run version = varnholt({QStringLiteral("--version")});
    QCOMPARE(version.code, 0);
    QCOMPARE(version.out, QStringLiteral("Varnholt " VARNHOLT_PROJECT_VERSION "\n"));

    // An unknown option is refused with the usage, not with a missing display.
    const Run unknown = varnholt({QStringLiteral("--farbe"), QStringLiteral("blau")});
    QCOMPARE(unknown.code, 2);
    QVERIFY(unknown.out.isEmpty());
    QVERIFY2(unknown.err.startsWith(QStringLiteral("Unbekannte Option: --farbe\nAufruf: varnholt\n")), qPrintable(unknown.err));
}

void CommandLineTest::scriptsWithoutScreen()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("Varnholt.db"));
    Run run = varnholt({QStringLiteral("--create-database"), db});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    run = varnholt({QStringLiteral("--demo"), QStringLiteral("3"), db});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY(run.out.contains(QStringLiteral("3 Demo-Schadensfälle")));

    const QString casePdf = dir.filePath(QStringLiteral("fall.pdf"));
    run = varnholt({QStringLiteral("--print"), QStringLiteral("1"), QStringLiteral("--pdf"), casePdf, db});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY(run.out.startsWith(QStringLiteral("Schadensfall 1 auf ")));
    const QString listPdf = dir.filePath(QStringLiteral("liste.pdf"));
    run = varnholt({QStringLiteral("--print"), QStringLiteral("list"), QStringLiteral("--pdf"), listPdf, db});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY(run.out.startsWith(QStringLiteral("Liste mit 3 Schadensfällen auf 1 Seite")));

    // The list into a spreadsheet, through a screenless program too.
    const QString csv = dir.filePath(QStringLiteral("liste.csv"));
    run = varnholt({QStringLiteral("--export"), QStringLiteral("list"), QStringLiteral("--csv"), csv, db});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY2(run.out.startsWith(QStringLiteral("Liste mit 3 Schadensfällen exportiert")), qPrintable(run.out));
    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    QVERIFY(csvFile.readAll().startsWith("\xEF\xBB\xBFNr;Auto;Datum;Kunde;Schaden;Erledigt;Reparatur;Bilder;Schadenbetrag;"));
    const QString xlsx = dir.filePath(QStringLiteral("liste.xlsx"));
    run = varnholt({QStringLiteral("--export"), QStringLiteral("list"), QStringLiteral("--status"),
                    QStringLiteral("Nicht erledigt"), QStringLiteral("--xlsx"), xlsx, db});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QFile xlsxFile(xlsx);
    QVERIFY(xlsxFile.open(QIODevice::ReadOnly));
    QVERIFY(xlsxFile.read(2) == "PK");

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    // Text drawn with the report's fonts, on the sheets the reports call for.
    QVERIFY(tool(QStringLiteral("pdftotext"), {casePdf, QStringLiteral("-")}).contains(QStringLiteral("Schadensbericht")));
    QVERIFY(tool(QStringLiteral("pdftotext"), {listPdf, QStringLiteral("-")}).contains(QStringLiteral("Schadensmeldungen")));
    QVERIFY(tool(QStringLiteral("pdffonts"), {casePdf}).contains(QStringLiteral("Liberation")));
    // An upright A4 sheet for a case, one across for the list.
    QCOMPARE(sheetPoints(casePdf), QSize(595, 842));
    QCOMPARE(sheetPoints(listPdf), QSize(842, 595));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
