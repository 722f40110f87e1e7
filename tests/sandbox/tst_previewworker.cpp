#include "HostileFiles.h"
#include "OleTestFiles.h"

#include "core/UserSettings.h"
#include "sandbox/PreviewWorker.h"
#include "sandbox/Previews.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using sandbox::AnswerScan;
using sandbox::PreviewFailure;

Q_DECLARE_METATYPE(AnswerScan::State)
Q_DECLARE_METATYPE(sandbox::PreviewFailure)

// One preview program serves request after request; each request is
// bounded on its own, and what a child does to one request (fault, hang,
// garbage, a file over its limits) costs only that request.
class TestPreviewWorker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void theChildsOutputIsCutIntoAnswers_data();
    void theChildsOutputIsCutIntoAnswers();
    void oneChildServesManyRequests();
    void aFailingChildCostsOnlyTheRequestItServed_data();
    void aFailingChildCostsOnlyTheRequestItServed();
    void previewsAreMadeSideBySideAndAskedOnce();

private:
    sandbox::PreviewLaunch launch(const QString &standIn, int timeoutMs);

    QTemporaryDir m_dir;
};

void TestPreviewWorker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    core::UserSettings::useFolder(m_dir.path());
}

sandbox::PreviewLaunch TestPreviewWorker::launch(const QString &standIn, int timeoutMs)
{
    sandbox::PreviewLaunch launch = sandbox::PreviewLaunch::fromSettings(false);
    if (!standIn.isEmpty())
        launch.program = hostile::standIn(m_dir.path(), QStringLiteral("stand-in-%1.sh").arg(qHash(standIn)), standIn.toUtf8());
    launch.timeoutMs = timeoutMs;
    return launch;
}

void TestPreviewWorker::theChildsOutputIsCutIntoAnswers_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<AnswerScan::State>("state");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("status");
    const QByteArray header = "KVI1 4 4 3780 3780\n";
    const QByteArray pixels(64, '\x7f');
    QTest::newRow("picture") << header + pixels << AnswerScan::Complete << 83 << 0;
    QTest::newRow("picture and the next") << header + pixels + header << AnswerScan::Complete << 83 << 0;
    QTest::newRow("picture in part") << header + pixels.left(10) << AnswerScan::Incomplete << 0 << 0;
    QTest::newRow("header in part") << QByteArray("KVI1 4") << AnswerScan::Incomplete << 0 << 0;
    QTest::newRow("cannot read") << QByteArray("KVE1 10\n") << AnswerScan::Complete << 8 << 10;
    QTest::newRow("too large") << QByteArray("KVE1 11\n") << AnswerScan::Complete << 8 << 11;
    QTest::newRow("unknown status") << QByteArray("KVE1 0\n") << AnswerScan::Garbage << 0 << 0;
    QTest::newRow("larger than asked") << QByteArray("KVI1 40 4 3780 3780\n") << AnswerScan::Garbage << 0 << 0;
    QTest::newRow("no resolution") << QByteArray("KVI1 4 4\n") + pixels << AnswerScan::Garbage << 0 << 0;
    QTest::newRow("jpeg not asked for") << QByteArray("KVJ1 3\n\xFF\xD8\xFF") << AnswerScan::Garbage << 0 << 0;
    QTest::newRow("zeros") << QByteArray(100, '\0') << AnswerScan::Garbage << 0 << 0;
}

void TestPreviewWorker::theChildsOutputIsCutIntoAnswers()
{
    QFETCH(QByteArray, output);
    QFETCH(AnswerScan::State, state);
    QFETCH(int, length);
    QFETCH(int, status);
    const AnswerScan scan = sandbox::scanAnswer(output, {sandbox::PreviewMode::Fit, QSize(10, 10), "x"});
    QCOMPARE(scan.state, state);
    QCOMPARE(scan.length, qsizetype(length));
    QCOMPARE(scan.status, status);
    if (state == AnswerScan::Complete && status == 0)
        QVERIFY(sandbox::parseImageAnswer(output.left(length), QSize(10, 10)).has_value());
}

void TestPreviewWorker::oneChildServesManyRequests()
{
    sandbox::PreviewWorker worker([this] { return launch({}, 10'000); });
    std::vector<std::unique_ptr<sandbox::PreviewJob>> jobs;
    for (const QColor &colour : {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200)})
        jobs.push_back(std::make_unique<sandbox::PreviewJob>(
            sandbox::PreviewRequest{sandbox::PreviewMode::Fit, QSize(60, 80), oletest::pdfBytes(colour)}));
    // A file it cannot read is answered; the child goes on serving.
    jobs.insert(jobs.begin() + 1, std::make_unique<sandbox::PreviewJob>(
                                      sandbox::PreviewRequest{sandbox::PreviewMode::Fit, QSize(60, 80), hostile::damagedPdf()}));
    for (const auto &job : jobs)
        worker.submit(job.get());
    QTRY_VERIFY(jobs.back()->isFinished());
    QCOMPARE(jobs[1]->result().failure, PreviewFailure::Unreadable);
    for (const int index : {0, 2, 3}) {
        const QImage &page = jobs[index]->result().image;
        QVERIFY(jobs[index]->result().ok());
        QVERIFY(page.width() <= 61 && page.height() <= 81);
        QCOMPARE(QColor(page.pixel(page.width() / 2, page.height() / 2)).red() > 150, index == 0);
    }
    QCOMPARE(worker.childrenStarted(), 1);
    QCOMPARE(worker.requestsSent(), 4);
}

void TestPreviewWorker::aFailingChildCostsOnlyTheRequestItServed_data()
{
    QTest::addColumn<QString>("standIn"); // "" the real program
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PreviewFailure>("failure");
    QTest::addColumn<int>("timeoutMs");
    QTest::newRow("faults") << QStringLiteral("kill -SEGV $$") << QByteArray("%PDF-1.4") << PreviewFailure::Crashed << 5000;
    QTest::newRow("hangs") << QStringLiteral("exec sleep 60") << QByteArray("%PDF-1.4") << PreviewFailure::TimedOut << 1000;
    QTest::newRow("talks garbage") << QStringLiteral("head -c 100000 /dev/zero; sleep 60") << QByteArray("%PDF-1.4")
                                   << PreviewFailure::Garbage << 5000;
    QTest::newRow("ends without an answer") << QStringLiteral("exit 0") << QByteArray("%PDF-1.4")
                                            << PreviewFailure::Garbage << 5000;
    QTest::newRow("takes longer than allowed") << QString() << hostile::hugeImagePdf() << PreviewFailure::TimedOut << 3000;
}

void TestPreviewWorker::aFailingChildCostsOnlyTheRequestItServed()
{
    QFETCH(QString, standIn);
    QFETCH(QByteArray, bytes);
    QFETCH(PreviewFailure, failure);
    QFETCH(int, timeoutMs);
    sandbox::PreviewWorker worker([&] { return launch(standIn, timeoutMs); });
    // Queued behind it: with a stand-in failing the same way in a child of
    // its own, with the real program served by a new child.
    const QByteArray next = standIn.isEmpty() ? oletest::pdfBytes(QColor(10, 20, 30)) : bytes;
    sandbox::PreviewJob first({sandbox::PreviewMode::Fit, QSize(100, 100), bytes});
    sandbox::PreviewJob second({sandbox::PreviewMode::Fit, QSize(100, 100), next});
    worker.submit(&first);
    worker.submit(&second);
    QElapsedTimer clock;
    clock.start();
    second.waitForFinished(); // printing's road: serves without the event loop
    QVERIFY(first.isFinished());
    QVERIFY2(clock.elapsed() < 2 * timeoutMs + 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(first.result().failure, failure);
    QCOMPARE(second.result().failure, standIn.isEmpty() ? PreviewFailure::None : failure);
    QCOMPARE(worker.childrenStarted(), 2);
}

// Two preview programs serve at once, and a preview asked ahead (a document
// on a tab not shown yet) is sent once, whether the window then asks for it
// or printing waits for it.
void TestPreviewWorker::previewsAreMadeSideBySideAndAskedOnce()
{
    sandbox::Previews previews(QString(), 0, 64 << 20);
    const auto use = [this](const QString &standIn, int timeoutMs) {
        core::UserSettings::setValue(QStringLiteral("Main"), QStringLiteral("Vorschauprogramm"),
                                     standIn.isEmpty() ? QString() : hostile::standIn(m_dir.path(), QStringLiteral("stand-in-side.sh"), standIn.toUtf8()));
        core::UserSettings::setNumber(QStringLiteral("Main"), QStringLiteral("VorschauZeitlimit"), timeoutMs);
    };
    // Two hanging children time out together, not one after the other.
    use(QStringLiteral("exec sleep 60"), 2000);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<sandbox::PreviewJob> first(previews.start({sandbox::PreviewMode::Fit, QSize(50, 50), "%PDF-1.4 1"}, nullptr));
    std::unique_ptr<sandbox::PreviewJob> second(previews.start({sandbox::PreviewMode::Fit, QSize(50, 50), "%PDF-1.4 2"}, nullptr));
    QTRY_VERIFY_WITH_TIMEOUT(first->isFinished() && second->isFinished(), 10'000);
    QVERIFY2(clock.elapsed() < 3500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(first->result().failure, PreviewFailure::TimedOut);
    QCOMPARE(second->result().failure, PreviewFailure::TimedOut);

    use({}, 10'000);
    const sandbox::PreviewRequest request{sandbox::PreviewMode::Fit, QSize(60, 80), oletest::pdfBytes(QColor(0, 160, 0))};
    const int sent = previews.requestsSent();
    previews.prefetch(request);
    std::unique_ptr<sandbox::PreviewJob> shown(previews.start(request, nullptr));
    const sandbox::PreviewResult printed = previews.make(request);
    QVERIFY(printed.ok());
    QTRY_VERIFY(shown->isFinished());
    QCOMPARE(shown->result().image, printed.image);
    QVERIFY(QColor(printed.image.pixel(30, 40)).green() > 120);
    QCOMPARE(previews.requestsSent(), sent + 1);
}

QTEST_MAIN(TestPreviewWorker)
#include "tst_previewworker.moc"
