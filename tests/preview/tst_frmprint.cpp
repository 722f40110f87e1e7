#include "ReportTestData.h"

#include "preview/PageCanvas.h"
#include "preview/UpDownButtons.h"
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

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
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

// Three pages, each saying which it is in its footer.
const QString kThreePages = QStringLiteral(
    "[FUSS]\rPAGE,2,20.5,Arial,,12,###\rENDE,20,0\r"
    "[KOPF]\rCT,1,0.5,12,1.5,0,Arial,F,14,Schadensbericht\rENDE,0,2\r"
    "[SCHADEN]\rCT,1,0,12,10,0,Arial,,10,Erster Teil\rCT,1,10,12,19,0,Arial,,10,Zweiter Teil\r"
    "CT,1,10,12,19,0,Arial,,10,Dritter Teil\rENDE,0,0");
const QString kOnePage = QStringLiteral(
    "[FUSS]\rENDE,20,0\r[KOPF]\rCT,1,0.5,12,1.5,0,Arial,F,14,Kurz\rENDE,0,2\r"
    "[SCHADEN]\rCT,1,0,12,3,0,Arial,,10,Nur eine Seite\rENDE,0,0");

// A report job on its printer with its preview window, as the print entry
// builds them.
struct Preview {
    Preview(dao::Database *db, const QString &definition, long caseId = 1, AttachmentSource *pictures = nullptr)
        : job(db, PrintRequest{PrintKindCase, caseId, {}, false, nullptr}, definition, QPageSize(QPageSize::A4),
              pictures)
    {
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        window = std::make_unique<frmPrint>(job, printer);
    }

    template <typename T> T *find(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        if (!found)
            qWarning("no %s", qPrintable(name));
        return found;
    }
    QAction *button(const QString &key) const { return find<QAction>(key); }
    QString text(const QString &box) const { return find<QLineEdit>(box)->text(); }
    PageCanvas *canvas() const { return find<PageCanvas>(QStringLiteral("picView")); }
    void clickZoom(const char *arrow) const
    {
        QTest::mouseClick(find<UpDownButtons>(QStringLiteral("updScale"))->findChild<QToolButton *>(QString::fromLatin1(arrow)),
                          Qt::LeftButton);
    }
    // The four paging buttons' states, in toolbar order.
    QList<bool> paging() const
    {
        QList<bool> states;
        for (const char *key : {"Erste", "Zurueck", "Vor", "Letzte"})
            states.append(button(QString::fromLatin1(key))->isEnabled());
        return states;
    }

    ReportJob job;
    QPrinter printer;
    std::unique_ptr<frmPrint> window;
};

// Answers the print dialog once it is up: act sets it and presses a button.
// Its title and controls are checked on the way.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(frmDruckmenu &)> act) : m_act(std::move(act)) { poll(); }
    bool answered() const { return m_answered; }
    bool allPagesOffered() const { return m_allPagesOffered; }

private:
    void poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<frmDruckmenu *>(w);
            if (dialog && dialog->isVisible()) {
                m_answered = dialog->windowTitle() == u"Druckmenü" && dialog->isModal();
                m_allPagesOffered = !dialog->findChild<QRadioButton *>(QStringLiteral("optAlle"))->isHidden();
                m_act(*dialog);
                return;
            }
        }
        if (++m_tries < 250)
            QTimer::singleShot(20, [this] { poll(); });
    }

    std::function<void(frmDruckmenu &)> m_act;
    int m_tries = 0;
    bool m_answered = false;
    bool m_allPagesOffered = false;
};

void choose(frmDruckmenu &dialog, bool allPages, const QString &copies, const char *button = "cmdDrucken")
{
    if (allPages)
        dialog.findChild<QRadioButton *>(QStringLiteral("optAlle"))->click();
    dialog.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(copies);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
}

QString pdfTitle(const QString &pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdfinfo"), {pdf});
    tool.waitForFinished(30000);
    const QString info = QString::fromUtf8(tool.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^Title:\\s*(.*)$"),
                                                         QRegularExpression::MultilineOption).match(info);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

int colourCount(const QImage &image, const QColor &colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    }
    return n;
}

int darkCount(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 80;
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
    }
    void init() { QFile::remove(m_settings.filePath(QStringLiteral("Varnholt.conf"))); }

    void toolbarAndPaging();
    void zoomStepsAndSettings();
    void escapeClosesLikeEnde();
    void panningAndPlacement();
    void clipboard();
    void printDialogChoices();
    void printerNotReady();
    void layoutFailureReported();
    void printsOnCups();
    void greekingWhenZoomedOut();

private:
    QTemporaryDir m_settings;
    core::RecordingMessageService m_messages;
};

void PreviewWindowTest::toolbarAndPaging()
{
    ReportDatabase base;
    base.addCase(1);

    Preview one(base.db.get(), kOnePage);
    QCOMPARE(one.window->windowTitle(), QStringLiteral("Druckvorschau"));
    const QList<QAction *> actions = one.find<QToolBar>(QStringLiteral("Toolbar"))->actions();
    QCOMPARE(actions.size(), 10);
    const QStringList keys{QString(), QStringLiteral("Erste"), QStringLiteral("Zurueck"), QString(), QStringLiteral("Vor"),
                           QStringLiteral("Letzte"), QString(), QStringLiteral("Clip"), QStringLiteral("Print"),
                           QStringLiteral("Ende")};
    const QStringList tips{QString(), QStringLiteral("Erste Seite"), QStringLiteral("Vorherige Seite"), QString(),
                           QStringLiteral("Nächste Seite"), QStringLiteral("Letzte Seite"), QString(),
                           QStringLiteral("In die Zwischenablage kopieren"), QStringLiteral("Seite ausdrucken"),
                           QStringLiteral("Druckvorschau beenden")};
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(actions[i]->objectName(), keys[i]);
        if (!keys[i].isEmpty()) {
            QCOMPARE(actions[i]->toolTip(), tips[i]);
            QVERIFY(!actions[i]->icon().isNull());
        }
    }
    QCOMPARE(one.canvas()->page().isNull(), true);   // nothing drawn before it opens
    one.window->show();
    QVERIFY(!one.canvas()->page().isNull());
    QCOMPARE(one.paging(), (QList<bool>{false, false, false, false}));
    QCOMPARE(one.text(QStringLiteral("txtPage")), QStringLiteral("1"));
    QCOMPARE(one.text(QStringLiteral("txtPages")), QStringLiteral("1"));
    one.window->close();

    Preview three(base.db.get(), kThreePages);
    three.window->show();
    QCOMPARE(three.text(QStringLiteral("txtPages")), QStringLiteral("3"));
    QCOMPARE(three.window->shownPage(), 1);
    QCOMPARE(three.paging(), (QList<bool>{false, false, true, true}));
    const QImage first = three.canvas()->page();
    const auto press = [&](const char *key, int page, QList<bool> states) {
        three.button(QString::fromLatin1(key))->trigger();
        QCOMPARE(three.window->shownPage(), page);
        QCOMPARE(three.text(QStringLiteral("txtPage")), QString::number(page));
        QCOMPARE(three.paging(), states);
    };
    press("Vor", 2, {true, true, true, true});
    QVERIFY(three.canvas()->page() != first);
    press("Letzte", 3, {true, true, false, false});
    press("Zurueck", 2, {true, true, true, true});
    press("Erste", 1, {false, false, true, true});
    QCOMPARE(three.canvas()->page(), first);
    three.window->close();
}

void PreviewWindowTest::zoomStepsAndSettings()
{
    ReportDatabase base;
    base.addCase(1);
    Preview preview(base.db.get(), kThreePages);
    preview.window->show();
    QCOMPARE(preview.text(QStringLiteral("txtScale")), QStringLiteral("80 %"));
    const QSize a4(11906, 16838);
    const auto canvasAt = [&](int percent) {
        return QSize(core::twipsToPixels(a4.width() * percent / 100.0), core::twipsToPixels(a4.height() * percent / 100.0));
    };
    QCOMPARE(preview.canvas()->size(), canvasAt(80));
    preview.button(QStringLiteral("Vor"))->trigger();

    // Every click ten points and the page shown drawn again at the new size.
    for (int percent = 70; percent >= 20; percent -= 10) {
        preview.clickZoom("down");
        QCOMPARE(preview.text(QStringLiteral("txtScale")), QString::number(percent) + QStringLiteral(" %"));
        QCOMPARE(preview.canvas()->size(), canvasAt(percent));
        QCOMPARE(preview.canvas()->page().deviceIndependentSize().toSize(), canvasAt(percent));
        QCOMPARE(preview.window->shownPage(), 2);
    }
    preview.clickZoom("down");
    QCOMPARE(preview.text(QStringLiteral("txtScale")), QStringLiteral("20 %"));
    QCOMPARE(preview.canvas()->size(), canvasAt(20));
    for (int i = 0; i < 25; ++i)
        preview.clickZoom("up");
    QCOMPARE(preview.text(QStringLiteral("txtScale")), QStringLiteral("200 %"));
    QCOMPARE(preview.window->zoom().factor(), 2.0);
    QCOMPARE(preview.canvas()->size(), canvasAt(200));
    for (int i = 0; i < 8; ++i)
        preview.clickZoom("down");
    QCOMPARE(preview.text(QStringLiteral("txtScale")), QStringLiteral("120 %"));

    preview.window->move(90, 60);
    preview.window->resize(700, 500);
    preview.button(QStringLiteral("Ende"))->trigger();
    QVERIFY(!preview.window->isVisible());
    QCOMPARE(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Scale")), QStringLiteral("12"));
    QCOMPARE(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Width")), QStringLiteral("10500"));
    QCOMPARE(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Height")), QStringLiteral("7500"));
    QVERIFY(!core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Left")).isEmpty());
    QVERIFY(!core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Top")).isEmpty());

    // The next preview opens where this one was left.
    Preview again(base.db.get(), kThreePages);
    again.window->show();
    QCOMPARE(again.text(QStringLiteral("txtScale")), QStringLiteral("120 %"));
    QCOMPARE(again.window->size(), QSize(700, 500));
    again.window->close();

    // A direct run lays out without showing and writes nothing.
    QFile::remove(m_settings.filePath(QStringLiteral("Varnholt.conf")));
    {
        Preview direct(base.db.get(), kThreePages);
        QVERIFY(direct.window->ReadIt());
        QCOMPARE(direct.job.totalPages(), 3);
        QVERIFY(direct.canvas()->page().isNull());
    }
    QVERIFY(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Scale")).isEmpty());
}

void PreviewWindowTest::escapeClosesLikeEnde()
{
    ReportDatabase base;
    base.addCase(1);
    Preview preview(base.db.get(), kOnePage);
    preview.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(preview.window.get()));
    preview.clickZoom("up");
    QTest::keyClick(preview.window.get(), Qt::Key_Escape);
    QVERIFY(!preview.window->isVisible());
    QCOMPARE(core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Scale")), QStringLiteral("9"));
    QVERIFY(!core::UserSettings::value(QStringLiteral("Print"), QStringLiteral("Height")).isEmpty());

    // Upright pages centre the window across the screen when it becomes active.
    core::UserSettings::setNumber(QStringLiteral("Print"), QStringLiteral("Left"), 0);
    Preview upright(base.db.get(), kOnePage);
    upright.window->show();
    upright.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(upright.window.get()));
    const QRect screen = upright.window->screen()->geometry();
    QCOMPARE(upright.window->x(), screen.x() + (screen.width() - upright.window->width()) / 2);
    upright.window->close();
}

void PreviewWindowTest::panningAndPlacement()
{
    ReportDatabase base;
    base.addCase(1);
    core::UserSettings::setNumber(QStringLiteral("Print"), QStringLiteral("Scale"), 20);
    Preview preview(base.db.get(), kOnePage);
    preview.window->show();
    preview.window->resize(600, 500);
    auto *h = preview.find<QScrollBar>(QStringLiteral("hScroll"));
    auto *v = preview.find<QScrollBar>(QStringLiteral("VScroll"));
    PageCanvas *canvas = preview.canvas();
    QVERIFY(!h->isHidden() && !v->isHidden());
    const int toolbar = preview.find<QToolBar>(QStringLiteral("Toolbar"))->height();
    QCOMPARE(h->maximum(), canvas->width() + 20 - 600);
    QCOMPARE(v->maximum(), toolbar + canvas->height() + 13 - 500);
    QCOMPARE(h->pageStep(), h->maximum() / 5);
    QCOMPARE(v->singleStep(), v->maximum() / 20);
    QCOMPARE(h->geometry().bottom(), 499);
    QCOMPARE(v->geometry().right(), 599);
    QCOMPARE(canvas->pos(), QPoint(0, toolbar + 13));

    const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), canvas->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    };
    // Dragging up and to the left brings the lower right of the page in.
    mouse(QEvent::MouseButtonPress, QPoint(300, 300), Qt::LeftButton);
    mouse(QEvent::MouseMove, QPoint(260, 270), Qt::LeftButton);
    QCOMPARE(h->value(), 40);
    QCOMPARE(v->value(), 30);
    QCOMPARE(canvas->pos(), QPoint(-40, toolbar - 30 + 13));
    // The page kept under the pointer: the same point moves it no further.
    mouse(QEvent::MouseMove, QPoint(300, 300) - QPoint(0, 0), Qt::LeftButton);
    QCOMPARE(h->value(), 40);
    mouse(QEvent::MouseMove, QPoint(300, 300) + QPoint(5000, 5000), Qt::LeftButton);
    QCOMPARE(h->value(), 0);
    QCOMPARE(v->value(), 0);
    mouse(QEvent::MouseMove, QPoint(300, 300) - QPoint(90000, 90000), Qt::LeftButton);
    QCOMPARE(h->value(), h->maximum());
    QCOMPARE(v->value(), v->maximum());
    QCOMPARE(canvas->geometry().bottom(), 499);
    mouse(QEvent::MouseButtonRelease, QPoint(300, 300), Qt::NoButton);
    QVERIFY(!canvas->dragging());
    mouse(QEvent::MouseMove, QPoint(0, 0), Qt::NoButton);
    QCOMPARE(h->value(), h->maximum());

    // Zoomed out far enough the page fits and is centred, without bars.
    for (int i = 0; i < 18; ++i)
        preview.clickZoom("down");
    QVERIFY(h->isHidden() && v->isHidden());
    QCOMPARE(canvas->pos().x(), (600 - canvas->width()) / 2);
    QCOMPARE(canvas->pos().y(), toolbar + (500 - toolbar - canvas->height()) / 2);
    preview.window->close();
}

void PreviewWindowTest::clipboard()
{
    ReportDatabase base;
    base.addCase(1);
    Preview preview(base.db.get(), kOnePage);
    preview.window->show();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("vorher"));
    m_messages.clear();
    preview.button(QStringLiteral("Clip"))->trigger();
    QCOMPARE(clipboard->text(), QString());
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Auswertung wurde in die Zwischenablage kopiert !"));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Information);
    QVERIFY(m_messages.shown.last().title.isEmpty());

    preview.window->setClipText([] { return QStringLiteral("Fall 09/017\tO'NEIL 1"); });
    preview.button(QStringLiteral("Clip"))->trigger();
    QCOMPARE(clipboard->text(), QStringLiteral("Fall 09/017\tO'NEIL 1"));
    QCOMPARE(m_messages.shown.size(), 2);

    m_messages.clear();
    preview.window->setClipText([]() -> QString { throw std::runtime_error("kein Text"); });
    preview.button(QStringLiteral("Clip"))->trigger();
    QVERIFY(m_messages.shown.isEmpty());
    preview.window->close();
}

void PreviewWindowTest::printDialogChoices()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    ReportDatabase base;
    base.addCase(1);
    const QString out = base.dir.filePath(QStringLiteral("druck.pdf"));
    const auto open = [&](const QString &definition) {
        auto preview = std::make_unique<Preview>(base.db.get(), definition);
        preview->printer.setOutputFormat(QPrinter::PdfFormat);
        preview->printer.setOutputFileName(out);
        preview->window->show();
        return preview;
    };
    bool everyDialogUp = true;
    const auto print = [&](Preview &preview, std::function<void(frmDruckmenu &)> act) {
        QFile::remove(out);
        DialogAnswer answer(std::move(act));
        preview.button(QStringLiteral("Print"))->trigger();
        everyDialogUp = everyDialogUp && answer.answered();
        return answer.allPagesOffered();
    };

    auto three = open(kThreePages);
    three->button(QStringLiteral("Vor"))->trigger();
    // "Zurück" and a copies text that is no number print nothing.
    three->window->setCopies(4);
    print(*three, [](frmDruckmenu &d) {
        QCOMPARE(d.findChild<QPushButton *>(QStringLiteral("cmdEnde"))->toolTip(), QStringLiteral("Zurück zur Druckvorschau"));
        choose(d, true, QStringLiteral("3"), "cmdEnde");
    });
    QCOMPARE(three->window->copies(), short(0));
    QVERIFY(!QFile::exists(out));
    print(*three, [](frmDruckmenu &d) { choose(d, true, QStringLiteral("abc")); });
    QCOMPARE(three->window->copies(), short(0));
    QVERIFY(three->window->allPages());
    QVERIFY(!QFile::exists(out));
    // The current page is the one shown, and printing leaves it shown.
    QVERIFY(print(*three, [](frmDruckmenu &d) { choose(d, false, QStringLiteral("1")); }));
    QCOMPARE(pdfTitle(out), QStringLiteral("Varnholt Seite 2"));
    QCOMPARE(three->window->shownPage(), 2);
    QCOMPARE(three->text(QStringLiteral("txtPage")), QStringLiteral("2"));
    QCOMPARE(three->paging(), (QList<bool>{true, true, true, true}));
    // All pages end on the last.
    print(*three, [](frmDruckmenu &d) { choose(d, true, QStringLiteral("1")); });
    QCOMPARE(pdfTitle(out), QStringLiteral("Varnholt Seite 3"));
    QCOMPARE(three->printer.pageLayout().orientation(), QPageLayout::Portrait);
    three->window->close();

    // A single page is printed whatever was chosen; "Alle Seiten" is not offered.
    auto one = open(kOnePage);
    one->window->setAllPages(true);
    QVERIFY(!print(*one, [](frmDruckmenu &d) {
        auto *text = d.findChild<QLineEdit *>(QStringLiteral("Text1"));
        QCOMPARE(text->text(), QStringLiteral("1"));
        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(d.findChild<QToolButton *>(QStringLiteral("up")), Qt::LeftButton);
        QCOMPARE(text->text(), QStringLiteral("10"));
        choose(d, false, QStringLiteral("2,5"));
    }));
    QCOMPARE(one->window->copies(), short(2));
    QVERIFY(!one->window->allPages());
    QCOMPARE(pdfTitle(out), QStringLiteral("Varnholt Seite 1"));
    one->window->close();
    QVERIFY(everyDialogUp);
}

void PreviewWindowTest::printerNotReady()
{
    ReportDatabase base;
    base.addCase(1);
    Preview preview(base.db.get(), kThreePages);
    preview.printer.setOutputFormat(QPrinter::PdfFormat);
    preview.printer.setOutputFileName(QStringLiteral("/nicht/da/druck.pdf"));
    preview.window->show();
    m_messages.clear();
    DialogAnswer answer([](frmDruckmenu &d) { choose(d, true, QStringLiteral("2")); });
    preview.button(QStringLiteral("Print"))->trigger();
    QVERIFY(answer.answered());
    // Reported once, not once per page, and the preview stays as it was.
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.lastText(), QStringLiteral("Drucker ist nicht bereit !"));
    QCOMPARE(m_messages.shown.last().icon, core::MsgIcon::Critical);
    QVERIFY(preview.window->isVisible());
    QCOMPARE(preview.window->shownPage(), 1);
    preview.window->close();
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
    preview.window->close();
}

void PreviewWindowTest::printsOnCups()
{
    const QString queue = qEnvironmentVariable("VARNHOLT_TEST_PRINTER");
    if (queue.isEmpty())
        QSKIP("VARNHOLT_TEST_PRINTER is not set: start the CUPS server of scripts/services.sh");
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    const QDir spool(qEnvironmentVariable("VARNHOLT_TEST_PDF_DIR"));
    const QStringList before = spool.entryList({QStringLiteral("*.pdf")}, QDir::Files);

    ReportDatabase base;
    base.addCase(1);
    Preview preview(base.db.get(), kThreePages);
    preview.printer.setPrinterName(queue);
    QVERIFY(preview.printer.isValid());
    preview.printer.setPageOrientation(QPageLayout::Portrait);
    preview.window->show();
    preview.button(QStringLiteral("Letzte"))->trigger();
    DialogAnswer answer([](frmDruckmenu &d) { choose(d, true, QStringLiteral("2")); });
    preview.button(QStringLiteral("Print"))->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(preview.window->shownPage(), 3);

    // cups-pdf names each file after its job number: the order they were sent.
    std::map<int, QString> jobs;
    const QRegularExpression number(QStringLiteral("(\\d+)"));
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 90000) {
        jobs.clear();
        for (const QString &file : spool.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
            if (!before.contains(file))
                jobs[number.match(file).captured(1).toInt()] = spool.filePath(file);
        }
        if (jobs.size() >= 6)
            break;
        QTest::qWait(250);
    }
    QCOMPARE(int(jobs.size()), 6);
    QTest::qWait(500);   // the last file written out whole
    QStringList titles;
    for (const auto &[job, file] : jobs)
        titles.append(pdfTitle(file));
    QCOMPARE(titles, (QStringList{QStringLiteral("Varnholt Seite 1"), QStringLiteral("Varnholt Seite 2"),
                                  QStringLiteral("Varnholt Seite 3"), QStringLiteral("Varnholt Seite 1"),
                                  QStringLiteral("Varnholt Seite 2"), QStringLiteral("Varnholt Seite 3")}));
    preview.window->close();
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
    const QString text = decodeDefinitionFile(definition.readAll());
    StoredPictureSource stored(*base.db);
    const QColor grey = PageRenderer::greekingColour();

    Preview preview(base.db.get(), text, ids.first(), &stored);
    preview.window->show();
    preview.window->resize(900, 1000);
    const QImage at80 = preview.canvas()->page();
    QVERIFY(preview.window->grab().save(QStringLiteral("/tmp/preview-80.png")));
    for (int i = 0; i < 6; ++i)
        preview.clickZoom("down");
    QCOMPARE(preview.text(QStringLiteral("txtScale")), QStringLiteral("20 %"));
    const QImage at20 = preview.canvas()->page();
    QVERIFY(preview.window->grab().save(QStringLiteral("/tmp/preview-20.png")));
    // At 80 % the texts are letters; at 20 % they are grey boxes.
    QVERIFY(darkCount(at80) > 2000);
    QVERIFY(colourCount(at20, grey) > 10 * colourCount(at80, grey) / 16 + 50);
    preview.window->close();
}

QTEST_MAIN(PreviewWindowTest)
#include "tst_frmprint.moc"
