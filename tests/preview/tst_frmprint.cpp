#include "TestFiles.h"
#include "ReportTestData.h"

#include "preview/PageCanvas.h"
#include "preview/frmDruckmenu.h"
#include "preview/frmPrint.h"

#include "report/AttachmentSource.h"
#include "report/PageRenderer.h"
#include "report/ReportJob.h"

#include "varnholt/DemoData.h"
#include "varnholt/DemoPictures.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "dao/Error.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <map>

using namespace report;

namespace {

// Three pages, each with its number in the footer; and one page.
const QString kThreePages = QStringLiteral(
    "[FUSS]\rPAGE,2,20.5,Arial,,12,###\rENDE,20,0\r[KOPF]\rCT,1,0.5,12,1.5,0,Arial,F,14,Schadensbericht\rENDE,0,2\r"
    "[SCHADEN]\rCT,1,0,12,10,0,Arial,,10,Erster Teil\rCT,1,10,12,19,0,Arial,,10,Zweiter Teil\r"
    "CT,1,10,12,19,0,Arial,,10,Dritter Teil\rENDE,0,0");
const QString kOnePage = QStringLiteral("[FUSS]\rENDE,20,0\r[SCHADEN]\rCT,1,1,12,3,0,Arial,,10,Nur eine Seite\rENDE,0,0");
const QString kPrint = QStringLiteral("Print");

// A report job on an upright A4 printer with its preview, as the print entry builds them.
struct Preview {
    Preview(dao::Database *db, const QString &definition, long caseId = 1, AttachmentSource *pictures = nullptr,
            QPageLayout::Orientation orientation = QPageLayout::Portrait)
        : job(db, PrintRequest{PrintKindCase, caseId, {}, false, nullptr}, definition, QPageSize(QPageSize::A4), pictures)
    {
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(orientation);
        window = std::make_unique<frmPrint>(job, printer);
    }
    template <typename T> T *find(const QString &name) const { return window->findChild<T *>(name); }
    QAction *button(const char *key) const { return find<QAction>(QString::fromLatin1(key)); }
    QString text(const char *box) const { return find<QLineEdit>(QString::fromLatin1(box))->text(); }
    PageCanvas *canvas() const { return find<PageCanvas>(QStringLiteral("picView")); }
    void zoom(const char *arrow, int clicks = 1) const
    {
        auto *button = find<QWidget>(QStringLiteral("updScale"))->findChild<QToolButton *>(QString::fromLatin1(arrow));
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(button, Qt::LeftButton);
    }
    QList<bool> paging() const
    {
        return {button("Erste")->isEnabled(), button("Zurueck")->isEnabled(), button("Vor")->isEnabled(),
                button("Letzte")->isEnabled()};
    }

    ReportJob job;
    QPrinter printer;
    std::unique_ptr<frmPrint> window;
};

// Presses "Print" and answers the modal print dialog once it is up: "Alle
// Seiten" or not, the copies text, then the button. True when the dialog
// came up; offered tells whether it offered "Alle Seiten".
bool printWith(Preview &preview, bool allPages, const QString &copies, const char *button = "cmdDrucken",
               bool *offered = nullptr)
{
    bool answered = false;
    std::function<void(int)> poll = [&](int tries) {
        auto *dialog = qobject_cast<frmDruckmenu *>(QApplication::activeModalWidget());
        if (!dialog) {
            if (tries < 250)
                QTimer::singleShot(20, [&, tries] { poll(tries + 1); });
            return;
        }
        answered = dialog->windowTitle() == u"Druckmenü";
        auto *all = dialog->findChild<QRadioButton *>(QStringLiteral("optAlle"));
        if (offered)
            *offered = !all->isHidden();
        if (allPages)
            all->click();
        dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(copies);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
    };
    poll(0);
    preview.button("Print")->trigger();
    return answered;
}

QString pdfTitle(const QString &pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdfinfo"), {pdf});
    tool.waitForFinished(30000);
    return QRegularExpression(QStringLiteral("^Title:\\s*(.*)$"), QRegularExpression::MultilineOption)
        .match(QString::fromUtf8(tool.readAllStandardOutput()))
        .captured(1);
}

int pixels(const QImage &image, const std::function<bool(QRgb)> &which)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += which(image.pixel(x, y));
    }
    return n;
}

} // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useGermanLocale();
        core::UserSettings::useFolder(m_settings.path());
        m_base.addCase(1);
    }
    void init() { QFile::remove(m_settings.filePath(QStringLiteral("Varnholt.conf"))); }

    void paging();
    void zoomAndSettings();
    void panningAndCentring();
    void clipboard();
    void printDialogChoices();
    void layoutFailureReported();
    void printsOnCups();
    void greekingWhenZoomedOut();

private:
    QTemporaryDir m_settings;
    ReportDatabase m_base;
    core::RecordingMessageService m_messages;
};

void PreviewWindowTest::paging()
{
    Preview one(m_base.db.get(), kOnePage);
    QVERIFY(one.canvas()->page().isNull());   // nothing is drawn before it opens
    one.window->show();
    QVERIFY(!one.canvas()->page().isNull());
    QCOMPARE(one.paging(), (QList<bool>{false, false, false, false}));
    QCOMPARE(one.text("txtPage") + one.text("txtPages"), QStringLiteral("11"));
    one.window->close();

    Preview three(m_base.db.get(), kThreePages);
    three.window->show();
    QCOMPARE(three.text("txtPages"), QStringLiteral("3"));
    QCOMPARE(three.paging(), (QList<bool>{false, false, true, true}));
    const QImage first = three.canvas()->page();
    const auto press = [&](const char *key, int page, QList<bool> states) {
        three.button(key)->trigger();
        QCOMPARE(three.window->shownPage(), page);
        QCOMPARE(three.text("txtPage"), QString::number(page));
        QCOMPARE(three.paging(), states);
    };
    press("Vor", 2, {true, true, true, true});
    QVERIFY(three.canvas()->page() != first);
    press("Letzte", 3, {true, true, false, false});
    press("Zurueck", 2, {true, true, true, true});
    press("Erste", 1, {false, false, true, true});
    QCOMPARE(three.canvas()->page(), first);
}

void PreviewWindowTest::zoomAndSettings()
{
    const auto canvasAt = [](int percent) {
        return QSize(core::twipsToPixels(11906 * percent / 100.0), core::twipsToPixels(16838 * percent / 100.0));
    };
    // No zoom chosen yet: upright and landscape pages open whole, as large as
    // the screen allows; each keeps the window the user left it in.
    for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        Preview fitted(m_base.db.get(), kOnePage, 1, nullptr, orientation);
        fitted.window->show();
        const QRect room = fitted.window->screen()->availableGeometry();
        const QSize window = fitted.window->size();
        QVERIFY(room.contains(fitted.window->geometry()));
        QVERIFY(window.width() >= room.width() * 0.9 || window.height() >= room.height() * 0.9);
        const int toolbar = fitted.find<QToolBar>(QStringLiteral("Toolbar"))->height();
        const QSize canvas = fitted.canvas()->size();
        QVERIFY(canvas.width() <= window.width() && canvas.height() <= window.height() - toolbar);
        // One step larger would not fit any more.
        const int percent = fitted.text("txtScale").section(u' ', 0, 0).toInt();
        const QSize larger = canvas * ((percent + 10) / double(percent));
        QVERIFY(larger.width() > window.width() || larger.height() > window.height() - toolbar);
        fitted.window->move(room.topLeft() + QPoint(7, 9));
        fitted.window->resize(window - QSize(20, 20));
        fitted.button("Ende")->trigger();
    }
    QVERIFY(core::UserSettings::value(kPrint, QStringLiteral("Scale")).isEmpty());
    QVERIFY(!core::UserSettings::value(QStringLiteral("Print Querformat"), QStringLiteral("Width")).isEmpty());
    Preview across(m_base.db.get(), kOnePage, 1, nullptr, QPageLayout::Landscape);
    across.window->show();
    QCOMPARE(across.window->size(), QSize(core::twipsToPixels(core::UserSettings::number(QStringLiteral("Print Querformat"), QStringLiteral("Width"), 0)),
                                          core::twipsToPixels(core::UserSettings::number(QStringLiteral("Print Querformat"), QStringLiteral("Height"), 0))));
    QVERIFY(across.window->width() > across.window->height());
    across.window->close();

    core::UserSettings::setNumber(kPrint, QStringLiteral("Scale"), 8);
    Preview preview(m_base.db.get(), kThreePages);
    preview.window->show();
    QCOMPARE(preview.text("txtScale"), QStringLiteral("80 %"));
    QCOMPARE(preview.canvas()->size(), canvasAt(80));
    preview.button("Vor")->trigger();
    // Every click ten points, and the page shown drawn again at the new size.
    for (int percent = 70; percent >= 20; percent -= 10) {
        preview.zoom("down");
        QCOMPARE(preview.text("txtScale"), QString::number(percent) + QStringLiteral(" %"));
        QCOMPARE(preview.canvas()->page().deviceIndependentSize().toSize(), canvasAt(percent));
        QCOMPARE(preview.window->shownPage(), 2);
    }
    preview.zoom("down");
    QCOMPARE(preview.canvas()->size(), canvasAt(20));
    preview.zoom("up", 25);
    QCOMPARE(preview.text("txtScale"), QStringLiteral("200 %"));
    QCOMPARE(preview.canvas()->size(), canvasAt(200));
    preview.zoom("down", 8);

    preview.window->move(90, 60);
    preview.window->resize(700, 500);
    preview.button("Ende")->trigger();
    QVERIFY(!preview.window->isVisible());
    QCOMPARE(core::UserSettings::value(kPrint, QStringLiteral("Scale")), QStringLiteral("12"));
    QCOMPARE(core::UserSettings::value(kPrint, QStringLiteral("Width")), QStringLiteral("10500"));
    QCOMPARE(core::UserSettings::value(kPrint, QStringLiteral("Height")), QStringLiteral("7500"));

    // The next preview opens as this one was left; Escape closes it as "Ende" does.
    Preview again(m_base.db.get(), kOnePage);
    again.window->show();
    QCOMPARE(again.text("txtScale"), QStringLiteral("120 %"));
    QCOMPARE(again.window->size(), QSize(700, 500));
    again.zoom("up");
    QTest::keyClick(again.window.get(), Qt::Key_Escape);
    QVERIFY(!again.window->isVisible());
    QCOMPARE(core::UserSettings::value(kPrint, QStringLiteral("Scale")), QStringLiteral("13"));

    // A direct run lays out without drawing, and writes no settings.
    init();
    Preview direct(m_base.db.get(), kThreePages);
    QVERIFY(direct.window->ReadIt());
    QCOMPARE(direct.job.totalPages(), 3);
    QVERIFY(direct.canvas()->page().isNull());
    direct.window->close();
    QVERIFY(core::UserSettings::value(kPrint, QStringLiteral("Scale")).isEmpty());
}

void PreviewWindowTest::panningAndCentring()
{
    core::UserSettings::setNumber(kPrint, QStringLiteral("Scale"), 20);
    core::UserSettings::setNumber(kPrint, QStringLiteral("Left"), 0);
    Preview preview(m_base.db.get(), kOnePage);
    preview.window->show();
    // An upright page centres the window across the screen as it becomes active.
    preview.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview.window.get()));
    const QRect screen = preview.window->screen()->geometry();
    QCOMPARE(preview.window->x(), screen.x() + (screen.width() - preview.window->width()) / 2);

    preview.window->resize(600, 500);
    auto *h = preview.find<QScrollBar>(QStringLiteral("hScroll"));
    auto *v = preview.find<QScrollBar>(QStringLiteral("VScroll"));
    PageCanvas *canvas = preview.canvas();
    const int toolbar = preview.find<QToolBar>(QStringLiteral("Toolbar"))->height();
    QVERIFY(!h->isHidden() && !v->isHidden());
    QCOMPARE(h->geometry().bottom(), 499);
    QCOMPARE(v->geometry().right(), 599);
    QCOMPARE(canvas->pos(), QPoint(0, toolbar + 13));

    const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), canvas->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    };
    // Dragging up and to the left brings the lower right of the page in.
    const QPoint start(300, 300);
    mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
    mouse(QEvent::MouseMove, start - QPoint(40, 30), Qt::LeftButton);
    QCOMPARE(QPoint(h->value(), v->value()), QPoint(40, 30));
    QCOMPARE(canvas->pos(), QPoint(-40, toolbar - 30 + 13));
    mouse(QEvent::MouseMove, start + QPoint(5000, 5000), Qt::LeftButton);
    QCOMPARE(QPoint(h->value(), v->value()), QPoint(0, 0));
    mouse(QEvent::MouseMove, start - QPoint(90000, 90000), Qt::LeftButton);
    QCOMPARE(QPoint(h->value(), v->value()), QPoint(h->maximum(), v->maximum()));
    QCOMPARE(canvas->geometry().bottom(), 499);   // the page's foot at the window's
    mouse(QEvent::MouseButtonRelease, start, Qt::NoButton);
    mouse(QEvent::MouseMove, start, Qt::NoButton);
    QCOMPARE(h->value(), h->maximum());

    // Zoomed out until it fits, the page is centred without bars.
    preview.zoom("down", 18);
    QVERIFY(h->isHidden() && v->isHidden());
    QCOMPARE(canvas->pos(), QPoint((600 - canvas->width()) / 2, toolbar + (500 - toolbar - canvas->height()) / 2));
}

void PreviewWindowTest::clipboard()
{
    Preview preview(m_base.db.get(), kOnePage);
    preview.window->show();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("vorher"));
    m_messages.clear();
    preview.button("Clip")->trigger();
    QCOMPARE(clipboard->text(), QString());
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Auswertung wurde in die Zwischenablage kopiert !"));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Information);

    preview.window->setClipText([] { return QStringLiteral("Fall 09/017\tO'NEIL 1"); });
    preview.button("Clip")->trigger();
    QCOMPARE(clipboard->text(), QStringLiteral("Fall 09/017\tO'NEIL 1"));
    QCOMPARE(m_messages.shown.size(), 2);

    // A text that cannot be made is told, and the clipboard keeps what it held.
    preview.window->setClipText([]() -> QString { throw dao::DaoError(3021, QStringLiteral("Kein aktueller Datensatz.")); });
    preview.button("Clip")->trigger();
    QCOMPARE(m_messages.shown.size(), 3);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Die Auswertung konnte nicht in die Zwischenablage kopiert werden: "
                                                   "Kein aktueller Datensatz."));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Exclamation);
    QCOMPARE(clipboard->text(), QStringLiteral("Fall 09/017\tO'NEIL 1"));
}

void PreviewWindowTest::printDialogChoices()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    const QString out = m_base.dir.filePath(QStringLiteral("druck.pdf"));
    Preview three(m_base.db.get(), kThreePages);
    three.printer.setOutputFormat(QPrinter::PdfFormat);
    three.printer.setOutputFileName(out);
    three.window->show();
    three.button("Vor")->trigger();

    // "Zurück", and copies that are no number, print nothing.
    three.window->setCopies(4);
    QVERIFY(printWith(three, true, QStringLiteral("3"), "cmdEnde"));
    QCOMPARE(three.window->copies(), short(0));
    QVERIFY(printWith(three, true, QStringLiteral("abc")));
    QVERIFY(!QFile::exists(out));
    // The current page is the one shown, and printing leaves it shown.
    QVERIFY(printWith(three, false, QStringLiteral("1")));
    QCOMPARE(pdfTitle(out), QStringLiteral("Varnholt Seite 2"));
    QCOMPARE(three.text("txtPage"), QStringLiteral("2"));
    QCOMPARE(three.paging(), (QList<bool>{true, true, true, true}));
    QCOMPARE(three.printer.pageLayout().orientation(), QPageLayout::Portrait);

    // One page prints whatever was chosen, without "Alle Seiten" on offer.
    Preview one(m_base.db.get(), kOnePage);
    one.printer.setOutputFormat(QPrinter::PdfFormat);
    one.printer.setOutputFileName(out);
    one.window->show();
    one.window->setAllPages(true);
    bool offered = true;
    QVERIFY(printWith(one, false, QStringLiteral("2,5"), "cmdDrucken", &offered));
    QVERIFY(!offered);
    QCOMPARE(one.window->copies(), short(2));
    QVERIFY(!one.window->allPages());
    QCOMPARE(pdfTitle(out), QStringLiteral("Varnholt Seite 1"));

    // A printer that cannot start is reported once, not once per page.
    three.printer.setOutputFileName(QStringLiteral("/nicht/da/druck.pdf"));
    m_messages.clear();
    QVERIFY(printWith(three, true, QStringLiteral("2")));
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Drucker ist nicht bereit !"));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Critical);
    QVERIFY(three.window->isVisible());
    QCOMPARE(three.window->shownPage(), 2);
}

void PreviewWindowTest::layoutFailureReported()
{
    ReportDatabase base;
    base.addCase(1);
    Preview preview(base.db.get(), kThreePages);
    base.db->Execute(QStringLiteral("DROP TABLE Schaden"));
    m_messages.clear();
    preview.window->show();
    QCOMPARE(m_messages.shown.size(), 1);
    QVERIFY2(m_messages.lastText().startsWith(QStringLiteral("Fehler beim Drucken: ")), qPrintable(m_messages.lastText()));
    QCOMPARE(preview.paging(), (QList<bool>{false, false, false, false}));

    // A section without elements is told by the preview, and the rest is shown.
    Preview empty(m_base.db.get(), QStringLiteral("[SCHADEN]\r[X]\rCT,1,1,5,2,0,Arial,,10,x\rENDE,0,1"));
    m_messages.clear();
    empty.window->show();
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral(" Fehler beim Erstellen der Druckvoranzeige !"));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::None);
    QCOMPARE(empty.window->totalPages(), 1);
}

void PreviewWindowTest::printsOnCups()
{
    const QString queue = qEnvironmentVariable("VARNHOLT_TEST_PRINTER");
    if (queue.isEmpty())
        QSKIP("VARNHOLT_TEST_PRINTER is not set: start the CUPS server of scripts/services.sh");
    const QDir spool(qEnvironmentVariable("VARNHOLT_TEST_PDF_DIR"));
    const QStringList before = spool.entryList({QStringLiteral("*.pdf")}, QDir::Files);

    Preview preview(m_base.db.get(), kThreePages);
    preview.printer.setPrinterName(queue);
    QVERIFY(preview.printer.isValid());
    preview.printer.setPageOrientation(QPageLayout::Portrait);
    preview.window->show();
    preview.button("Letzte")->trigger();
    QVERIFY(printWith(preview, true, QStringLiteral("2")));
    QCOMPARE(preview.window->shownPage(), 3);

    // cups-pdf names each file with its job number, the order the jobs were sent in.
    std::map<int, QString> jobs;
    const QRegularExpression number(QStringLiteral("job_(\\d+)"));
    for (int wait = 0; wait < 360 && jobs.size() < 6; ++wait) {
        QTest::qWait(250);
        for (const QString &file : spool.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
            if (!before.contains(file))
                jobs[number.match(file).captured(1).toInt()] = spool.filePath(file);
        }
    }
    QCOMPARE(int(jobs.size()), 6);
    for (const auto &job : jobs)
        QVERIFY(testfiles::waitForWholePdf(job.second));
    // It keeps each job's name as the document's title, as a PostScript string "(...)".
    const QRegularExpression pageOf(QStringLiteral("Varnholt Seite (\\d+)"));
    QList<int> pages;
    for (const auto &[job, file] : jobs)
        pages.append(pageOf.match(pdfTitle(file)).captured(1).toInt());
    QCOMPARE(pages, (QList<int>{1, 2, 3, 1, 2, 3}));
}

void PreviewWindowTest::greekingWhenZoomedOut()
{
    ReportDatabase base;
    varnholt::DemoData demo;
    varnholt::DemoPictures pictures(7);
    demo.setAttachmentHook([&](dao::Database &db, const QList<long> &ids) { pictures.attach(db, ids); });
    const QList<long> ids = demo.addCases(*base.db, 3);
    QFile definition(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"));
    QVERIFY(definition.open(QIODevice::ReadOnly));
    StoredPictureSource stored(*base.db);
    core::UserSettings::setNumber(kPrint, QStringLiteral("Scale"), 8);
    Preview preview(base.db.get(), decodeDefinitionFile(definition.readAll()), ids.first(), &stored);
    preview.window->show();
    preview.window->resize(900, 1000);
    const QImage at80 = preview.canvas()->page();
    // VARNHOLT_SCREENSHOTS names a folder to keep the two views in, to look at.
    const QString shots = qEnvironmentVariable("VARNHOLT_SCREENSHOTS");
    if (!shots.isEmpty()) {
        QVERIFY(preview.window->grab().save(shots + QStringLiteral("/preview-80.png")));
        // The paper's side, to set beside it at the same zoom.
        QVERIFY(preview.job.writePdf(shots + QStringLiteral("/preview.pdf"), nullptr));
    }
    preview.zoom("down", 6);
    const QImage at20 = preview.canvas()->page();
    if (!shots.isEmpty())
        QVERIFY(preview.window->grab().save(shots + QStringLiteral("/preview-20.png")));
    // At 80 % the small texts are letters; at 20 % grey boxes in their place.
    const QRgb grey = PageRenderer::greekingColour().rgb();
    const auto greyBoxes = [grey](QRgb p) { return p == grey; };
    QVERIFY(pixels(at80, [](QRgb p) { return qGray(p) < 80; }) > 2000);
    // The letters' smoothed edges meet the boxes' grey now and then at 80 %.
    QVERIFY2(pixels(at20, greyBoxes) > 4 * pixels(at80, greyBoxes) + 100,
             qPrintable(QStringLiteral("%1 grey at 20 %, %2 at 80 %").arg(pixels(at20, greyBoxes)).arg(pixels(at80, greyBoxes))));
}

QTEST_MAIN(PreviewWindowTest)
#include "tst_frmprint.moc"
