#include "ReportTestData.h"

#include "preview/frmPrint.h"

#include "report/GridSource.h"
#include "report/ReportJob.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace report;

namespace {

// A list long enough to be shown while it is laid out.
constexpr long kRows = ReportJob::LongListRows + 2000;

// What the window showed each time it looked at its events during the layout.
struct Look {
    int shown;
    bool laying;
    QString pages;
    bool hourglass;
};

} // namespace

class GrowingPreviewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useGermanLocale();
        core::UserSettings::useFolder(m_settings.path());
        dao::Transaction transaction(*m_base.db);
        for (long id = 1; id <= kRows; ++id)
            m_base.addCase(id, {{QStringLiteral("Schadennummer"), QStringLiteral("N%1").arg(id)}});
        transaction.commit();
    }

    // The first page shows while the rest is laid out, the count grows
    // ("12+"), a page not laid out yet is shown once it is, with the
    // hourglass till then; closing the window stops the layout.
    void firstPageWhileTheRestFollows_data()
    {
        QTest::addColumn<bool>("closeEarly");
        QTest::newRow("to the end") << false;
        QTest::newRow("closed during the layout") << true;
    }
    void firstPageWhileTheRestFollows()
    {
        QFETCH(bool, closeEarly);
        QueryGridSource grid(*m_base.db, QStringLiteral("Select ID, Schadennummer as Nr From Schaden order by ID"), {},
                             {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0}});
        const PrintRequest request{PrintKindList, grid.rowCount(), QStringLiteral("Alle"), false, &grid};
        ReportJob job(m_base.db.get(), request, listTemplate(QStringLiteral("Alle")));
        QPrinter printer;
        printer.setPageOrientation(QPageLayout::Landscape);
        frmPrint window(job, printer);
        const auto text = [&](const char *name) { return window.findChild<QLineEdit *>(QString::fromLatin1(name))->text(); };

        QList<Look> looks;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            // A look is the window's answer to its events with a new count.
            if (!window.layingOut() || (!looks.isEmpty() && looks.last().pages == text("txtPages")))
                return;
            looks.append({window.shownPage(), window.layingOut(), text("txtPages"), QApplication::overrideCursor() != nullptr});
            if (looks.size() == 1)
                window.findChild<QAction *>(QStringLiteral("Letzte"))->trigger();
            if (looks.size() == 2 && closeEarly)
                window.close();
            // Time passes between the window's looks, as on a list ten times as long.
            if (looks.size() < 4)
                QTest::qSleep(150);
        });
        watch.start();
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(!window.layingOut() && !looks.isEmpty(), 120000);
        watch.stop();

        QVERIFY(looks.size() >= 2);
        QCOMPARE(looks[0].shown, 1);
        QCOMPARE(looks[0].pages, QStringLiteral("1+"));
        // "Letzte" waits for the end with the hourglass; the count goes on growing.
        QVERIFY(looks[1].hourglass);
        QCOMPARE(looks[1].shown, 1);
        QVERIFY(looks[1].pages.endsWith(u'+'));
        QVERIFY(looks[1].pages.chopped(1).toInt() > 1);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(m_messages.shown.isEmpty());
        if (closeEarly) {
            QVERIFY(!window.isVisible());
            QVERIFY(job.totalPages() < 100);
            return;
        }
        const int perPage = 30;
        QVERIFY(job.totalPages() > kRows / (2 * perPage));
        QCOMPARE(text("txtPages"), QString::number(job.totalPages()));
        QCOMPARE(window.shownPage(), job.totalPages());
        for (const char *key : {"Clip", "Print", "PDF", "Mail"})
            QVERIFY(window.findChild<QAction *>(QString::fromLatin1(key))->isEnabled());
        // Pages between the first and the last are let go and laid out again when asked for.
        window.findChild<QAction *>(QStringLiteral("Zurueck"))->trigger();
        QCOMPARE(window.shownPage(), job.totalPages() - 1);
        QCOMPARE(text("txtPage"), QString::number(job.totalPages() - 1));
        QVERIFY(m_messages.shown.isEmpty());
    }

private:
    QTemporaryDir m_settings;
    ReportDatabase m_base;
    core::RecordingMessageService m_messages;
};

QTEST_MAIN(GrowingPreviewTest)
#include "tst_growingpreview.moc"
