#include "ReportTestData.h"

#include "preview/MailHandoff.h"
#include "preview/PdfExport.h"
#include "preview/frmPrint.h"

#include "report/GridSource.h"
#include "report/ReportJob.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <functional>

using namespace report;

namespace {

// A report job on an upright A4 printer with its preview, as the print entry builds them.
struct Preview {
    Preview(dao::Database *db, const PrintRequest &request, const QString &definition)
        : job(db, request, definition, QPageSize(QPageSize::A4))
    {
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(ReportJob::orientationOf(request));
        window = std::make_unique<frmPrint>(job, printer);
        window->show();
    }
    QAction *pdfButton() const { return window->findChild<QAction *>(QStringLiteral("PDF")); }

    ReportJob job;
    QPrinter printer;
    std::unique_ptr<frmPrint> window;
};

QString protokoll()
{
    QFile file(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"));
    return file.open(QIODevice::ReadOnly) ? decodeDefinitionFile(file.readAll()) : QString();
}

// Runs press and, once a file dialog is up, hands it to answer. The name
// the dialog offered comes back; empty when no dialog came up.
QString answerFileDialog(const std::function<void()> &press, const std::function<void(QFileDialog &)> &answer)
{
    QString offered;
    // The timer lives only as long as the button's work runs.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !offered.isEmpty())
            return;
        offered = dialog->selectedFiles().value(0);
        answer(*dialog);
    });
    poll.start();
    press();
    return offered;
}

// Presses "Als PDF speichern..." (by its key when byKey) and answers its dialog.
QString saveAs(Preview &preview, const std::function<void(QFileDialog &)> &answer, bool byKey = false)
{
    return answerFileDialog(
        [&] {
            if (byKey) {
                preview.window->activateWindow();
                if (QTest::qWaitForWindowActive(preview.window.get()))
                    QTest::keyClick(preview.window.get(), Qt::Key_S, Qt::ControlModifier);
            } else {
                preview.pdfButton()->trigger();
            }
        },
        answer);
}

// A desktop of its own for the programs this one starts (xdg-email,
// xdg-mime): a display to name, private XDG folders, and, once asked for,
// a mail program that is a script recording its arguments.
class TestDesktop {
public:
    TestDesktop()
    {
        for (const char *name : {"DISPLAY", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS",
                                 "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "BROWSER"})
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        // xdg-open asks the desktop's handlers only where there is a display.
        qputenv("DISPLAY", ":97");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(folder(QStringLiteral("none"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(folder(QStringLiteral("none"))));
        qputenv("BROWSER", "false");
        for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
            qunsetenv(name);
    }
    ~TestDesktop()
    {
        for (const Saved &saved : std::as_const(m_saved)) {
            if (saved.set)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

    void installMailProgram()
    {
        write(QStringLiteral("mailer.sh"), R"sh(#!/bin/sh
cd "$(dirname "$0")" && printf '%s\n' "$@" > mail-arguments.tmp && mv mail-arguments.tmp mail-arguments.txt
)sh");
        QFile::setPermissions(m_dir.filePath(QStringLiteral("mailer.sh")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(QStringLiteral("data/applications/testpost.desktop"),
              "[Desktop Entry]\nType=Application\nName=Testpost\nExec=" + QFile::encodeName(m_dir.filePath(QStringLiteral("mailer.sh")))
                  + " %u\nMimeType=x-scheme-handler/mailto;\n");
        write(QStringLiteral("config/mimeapps.list"), "[Default Applications]\nx-scheme-handler/mailto=testpost.desktop\n");
    }
    QString recordFile() const { return m_dir.filePath(QStringLiteral("mail-arguments.txt")); }

private:
    struct Saved {
        const char *name;
        QByteArray value;
        bool set;
    };
    QString folder(const QString &name)
    {
        QDir(m_dir.path()).mkpath(name);
        return m_dir.filePath(name);
    }
    void write(const QString &name, const QByteArray &bytes)
    {
        QDir(m_dir.path()).mkpath(QFileInfo(name).path());
        QFile file(m_dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir m_dir;
    QList<Saved> m_saved;
};

std::function<void(QFileDialog &)> choose(const QString &file)
{
    return [file](QFileDialog &dialog) {
        // Typed into the name field, as a user does: the dialog's list may
        // refuse to select a file it cannot write, and it reads its folder in
        // the background.
        dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(file);
        static_cast<QDialog &>(dialog).accept();   // as "Speichern" does
    };
}

QString run(const QString &program, const QStringList &args)
{
    QProcess tool;
    tool.start(program, args);
    tool.waitForFinished(30000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

int pdfPages(const QString &pdf)
{
    return QRegularExpression(QStringLiteral("^Pages:\\s*(\\d+)"), QRegularExpression::MultilineOption)
        .match(run(QStringLiteral("pdfinfo"), {pdf}))
        .captured(1)
        .toInt();
}

QString pdfPageSize(const QString &pdf)
{
    return QRegularExpression(QStringLiteral("^Page size:\\s*(.*)$"), QRegularExpression::MultilineOption)
        .match(run(QStringLiteral("pdfinfo"), {pdf}))
        .captured(1);
}

QString pageText(const QString &pdf, int page)
{
    const QString n = QString::number(page);
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), n, QStringLiteral("-l"), n, QStringLiteral("-layout"),
                                             pdf, QStringLiteral("-")});
}

// A folder no one may write into, even root: immutable where the file
// system allows it, else (an ordinary user) without write permission.
class LockedFolder {
public:
    LockedFolder()
    {
        if (geteuid() == 0)
            m_locked = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_dir.path()}) == 0;
        else
            m_locked = QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~LockedFolder()
    {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_dir.path()});
        else
            QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    bool locked() const { return m_locked; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_locked = false;
};

} // namespace

class PdfExportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useGermanLocale();
        core::UserSettings::useFolder(m_settings.path());
        core::Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    }
    void cleanupTestCase() { core::Clock::reset(); }
    void suggestedNamesAndCancel();
    void sameLayoutAsPreviewAndPrinter();
    void replacingAndFoldersThatRefuse();
    void mailWithAndWithoutAMailProgram();

private:
    QTemporaryDir m_settings;
    core::RecordingMessageService m_messages;
};

void PdfExportTest::suggestedNamesAndCancel()
{
    QCOMPARE(PdfExport::suggestedName(PrintKindCase, QStringLiteral("26/298"), QDate(2026, 12, 8)),
             QStringLiteral("Schadensbericht 26-298.pdf"));
    QCOMPARE(PdfExport::suggestedName(PrintKindList, QString(), QDate(2026, 12, 8)),
             QStringLiteral("Schadensliste 2026-12-08.pdf"));
    QCOMPARE(PdfExport::suggestedName(PrintKindCase, QString(), QDate(2026, 12, 8)),
             QStringLiteral("Schadensbericht.pdf"));

    // Nothing remembered: the documents folder where there is one, else home.
    core::UserSettings::setValue(QStringLiteral("Print"), QStringLiteral("PdfFolder"), QString());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(PdfExport::folder(), QFileInfo(documents).isDir() ? documents : QDir::homePath());

    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("26/298")}});
    QTemporaryDir folder;
    core::UserSettings::setValue(QStringLiteral("Print"), QStringLiteral("PdfFolder"), folder.path());

    // A case: its number, in the folder used last; cancelling writes nothing.
    Preview single(base.db.get(), PrintRequest{PrintKindCase, 1, {}, false, nullptr}, protokoll());
    QAction *button = single.pdfButton();
    QVERIFY(button);
    QCOMPARE(button->shortcut(), QKeySequence(QKeySequence::Save));
    m_messages.clear();
    const QString offered = saveAs(single, [](QFileDialog &dialog) { dialog.reject(); });
    QCOMPARE(offered, QDir(folder.path()).filePath(QStringLiteral("Schadensbericht 26-298.pdf")));
    QVERIFY(QDir(folder.path()).isEmpty());
    QVERIFY(m_messages.shown.isEmpty());

    // The list: today's date.
    QueryGridSource grid(*base.db, QStringLiteral("Select ID, Schadennummer as Nr From Schaden"), {},
                         {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0}});
    Preview list(nullptr, PrintRequest{PrintKindList, 1, QStringLiteral("Alle"), false, &grid},
                 listTemplate(QStringLiteral("Alle")));
    QCOMPARE(QFileInfo(saveAs(list, [](QFileDialog &dialog) { dialog.reject(); })).fileName(),
             QStringLiteral("Schadensliste 2026-12-08.pdf"));
    QVERIFY(QDir(folder.path()).isEmpty());
}

void PdfExportTest::sameLayoutAsPreviewAndPrinter()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    ReportDatabase base;
    QString description;
    for (int i = 1; i <= 300; ++i)
        description += QStringLiteral("Satz%1 über den Schaden am Kotflügel. ").arg(i);
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("26/298")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("HH-VH 298")},
                     {QStringLiteral("Schadenbeschreibung"), description}});
    Preview preview(base.db.get(), PrintRequest{PrintKindCase, 1, {}, false, nullptr}, protokoll());
    const int pages = preview.window->totalPages();
    QVERIFY(pages >= 2);

    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("Bericht.pdf"));
    m_messages.clear();
    QVERIFY(!saveAs(preview, choose(file), true).isEmpty());   // Ctrl+S
    QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.lastText()));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(pdfPages(file), pages);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Bericht.pdf")});
    QCOMPARE(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("PdfFolder")), out.path());

    // The printer's pages, each a job of its own, read the same.
    preview.printer.setOutputFormat(QPrinter::PdfFormat);
    for (int page = 1; page <= pages; ++page) {
        const QString printed = out.filePath(QStringLiteral("seite%1.pdf").arg(page));
        preview.printer.setOutputFileName(printed);
        QVERIFY(preview.window->RenderPage(false, page));
        QCOMPARE(pdfPageSize(file), pdfPageSize(printed));
        const QString text = pageText(file, page);
        QVERIFY(text.contains(QStringLiteral("Satz")));
        QCOMPARE(text, pageText(printed, 1));
    }
    // The sheet the preview shows, the printer's.
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("([\\d.]+) x ([\\d.]+) pts")).match(pdfPageSize(file));
    QCOMPARE(QSize(qRound(size.captured(1).toDouble()), qRound(size.captured(2).toDouble())),
             preview.printer.pageLayout().fullRectPoints().size());
}

void PdfExportTest::replacingAndFoldersThatRefuse()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("26/298")}});
    Preview preview(base.db.get(), PrintRequest{PrintKindCase, 1, {}, false, nullptr}, protokoll());
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("Bericht.pdf"));
    const auto content = [&file] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("alt");
    }

    // An existing file is asked about; "Nein" keeps it, "Ja" replaces it.
    m_messages.clear();
    m_messages.answers = {core::MsgAnswer::No};
    saveAs(preview, choose(file));
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Die Datei ") + file + QStringLiteral(" besteht bereits. Soll sie ersetzt werden?"));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Question);
    QCOMPARE(m_messages.shown.last().buttons, core::MsgButtons::YesNo);
    QCOMPARE(content(), QByteArray("alt"));
    m_messages.answers = {core::MsgAnswer::Yes};
    saveAs(preview, choose(file));
    QCOMPARE(m_messages.shown.size(), 2);
    QVERIFY(content().startsWith("%PDF"));

    // A file that cannot be replaced stays as it was, with nothing beside it.
    if (geteuid() == 0 && QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), file}) == 0) {
        const QByteArray before = content();
        m_messages.clear();
        m_messages.answers = {core::MsgAnswer::Yes};
        saveAs(preview, choose(file));
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), file});
        QCOMPARE(m_messages.shown.size(), 2);
        QVERIFY2(m_messages.lastText().startsWith(QStringLiteral("Die Datei ") + file), qPrintable(m_messages.lastText()));
        QCOMPARE(content(), before);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Bericht.pdf")});
    }

    // A folder that takes no files: told, and nothing left there.
    LockedFolder locked;
    if (!locked.locked())
        QSKIP("this file system cannot lock a folder against its owner");
    const QString refused = QDir(locked.path()).filePath(QStringLiteral("Bericht.pdf"));
    m_messages.clear();
    saveAs(preview, choose(refused));
    QCOMPARE(m_messages.shown.size(), 1);
    QVERIFY2(m_messages.lastText().startsWith(QStringLiteral("Die Datei ") + refused +
                                              QStringLiteral(" kann nicht geschrieben werden: ")),
             qPrintable(m_messages.lastText()));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Information);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(QDir(locked.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    // The folder used last stays the one that took the file.
    QCOMPARE(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("PdfFolder")), out.path());
}

void PdfExportTest::mailWithAndWithoutAMailProgram()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("26/298")}});
    auto preview = std::make_unique<Preview>(base.db.get(), PrintRequest{PrintKindCase, 1, {}, false, nullptr}, protokoll());
    QAction *mail = preview->window->findChild<QAction *>(QStringLiteral("Mail"));
    QVERIFY(mail);
    TestDesktop desktop;

    // No mail program: told, and offered the PDF instead.
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("Bericht.pdf"));
    m_messages.clear();
    m_messages.answers = {core::MsgAnswer::Yes};
    answerFileDialog([mail] { mail->trigger(); }, choose(file));
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Auf diesem Rechner ist kein E-Mail-Programm eingerichtet. "
                                                   "Soll der Bericht stattdessen als PDF gespeichert werden?"));
    QCOMPARE(m_messages.shown.last().buttons, core::MsgButtons::YesNo);
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.read(4) == "%PDF");
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // The desktop's mail program gets a new message with the report attached.
    desktop.installMailProgram();
    m_messages.clear();
    mail->trigger();
    QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.lastText()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(desktop.recordFile()), 30000);
    const QString copy = QDir(MailHandoff::copyFolder()).filePath(QStringLiteral("Schadensbericht 26-298.pdf"));
    QFile record(desktop.recordFile());
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(record.readAll()).trimmed(),
             QStringLiteral("mailto:?subject=Schadensbericht%2026-298&attach=") + QString(copy).replace(u' ', QStringLiteral("%20")));
    // Only this user may read the copy, and it stays after the preview closed.
    QCOMPARE(QFileInfo(MailHandoff::copyFolder()).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    preview.reset();
    QFile attached(copy);
    QVERIFY(attached.open(QIODevice::ReadOnly));
    QVERIFY(attached.read(4) == "%PDF");
}

QTEST_MAIN(PdfExportTest)
#include "tst_pdfexport.moc"
