#include "HostileFiles.h"
#include "ControlHost.h"
#include "OleTestFiles.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "report/ControlPictureSource.h"

#include "kelvane/ObjectStorage.h"
#include "kelvane/RAZOleCtrl.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "ole/DocumentPicture.h"
#include "ole/OleContainer.h"
#include "sandbox/PreviewProtocol.h"
#include "sandbox/Previews.h"
#include "quarvik/PictureReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(sandbox::PreviewFailure)

// Outside files the preview program cannot turn into a picture, and preview
// programs that crash, hang or talk garbage: the case still opens, shows
// and prints the card "Vorschau nicht möglich", saves its attachment as it
// was, and this process goes on.
class TestOutsideFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void answersThatAreNoPictureAreRefused_data();
    void answersThatAreNoPictureAreRefused();
    void aDocumentWithoutPreviewLeavesTheCaseWhole_data();
    void aDocumentWithoutPreviewLeavesTheCaseWhole();
    void aDamagedPictureIsToldByTheAttachmentsName_data();
    void aDamagedPictureIsToldByTheAttachmentsName();
    void theSecondShowingAsksNoChild();
    void aWebpPhotoIsShownUprightByItsExifOrientation();
    void aPhotosPixelsComeFromThePreviewProgram_data();
    void aPhotosPixelsComeFromThePreviewProgram();

private:
    long storeDocument(const QString &name, const QByteArray &bytes);
    long storePicture(const QString &name, const QByteArray &bytes);
    QByteArray storedBytes(long id);
    void usePreviewProgram(const QString &path, int timeoutMs);
    static bool isCard(const QImage &image) { return !image.isNull() && image.pixelColor(0, 0).alpha() == 0; }

    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<core::RecordingMessageService> m_boxes;
    long m_nextId = 100;
};

void TestOutsideFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("Temp", m_dir.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    core::UserSettings::useFolder(m_dir.path());
    dao::OpenOptions create;
    create.create = true;
    m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("outside.db"), create);
    varnholt::createSchema(*m_db);
}

void TestOutsideFiles::init()
{
    m_boxes = std::make_unique<core::RecordingMessageService>();
    usePreviewProgram({}, 10'000);
}

void TestOutsideFiles::cleanup() { m_boxes.reset(); }

void TestOutsideFiles::usePreviewProgram(const QString &path, int timeoutMs)
{
    core::UserSettings::setValue(QStringLiteral("Main"), QStringLiteral("Vorschauprogramm"), path);
    core::UserSettings::setNumber(QStringLiteral("Main"), QStringLiteral("VorschauZeitlimit"), timeoutMs);
}

long TestOutsideFiles::storeDocument(const QString &name, const QByteArray &bytes)
{
    const long id = ++m_nextId;
    const QString source = testpictures::write(m_dir.filePath(name), bytes);
    const QString stored = m_dir.filePath(QStringLiteral("tmp%1.OLE").arg(id));
    QFile file(stored);
    if (!file.open(QIODevice::WriteOnly) || !ole::writeDocument(file, ole::documentFromFile(source)))
        return 0;
    file.close();
    kelvane::ObjectStorage storage(m_db.get());
    return storage.SaveObject(id, stored, nullptr, QString()) ? id : 0;
}

long TestOutsideFiles::storePicture(const QString &name, const QByteArray &bytes)
{
    const long id = ++m_nextId;
    kelvane::ObjectStorage storage(m_db.get());
    return storage.SaveObject(id, testpictures::write(m_dir.filePath(name), bytes), nullptr, QString()) ? id : 0;
}

QByteArray TestOutsideFiles::storedBytes(long id)
{
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt FROM Objekt WHERE ID = ?"),
                                  dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(id)});
    return rs->IsEOF() ? QByteArray() : rs->Value(QStringLiteral("lbObjekt")).toByteArray();
}

void TestOutsideFiles::answersThatAreNoPictureAreRefused_data()
{
    QTest::addColumn<QByteArray>("answer");
    const QByteArray pixels(4 * 4 * 4, '\x7f');
    QTest::newRow("sound") << QByteArray("KVI1 4 4 3780 3780\n" + pixels);
    QTest::newRow("short") << QByteArray("KVI1 4 4 3780 3780\n" + pixels.left(63));
    QTest::newRow("long") << QByteArray("KVI1 4 4 3780 3780\n" + pixels + 'x');
    QTest::newRow("larger than asked") << QByteArray("KVI1 40 4 3780 3780\n" + QByteArray(40 * 4 * 4, 'x'));
    QTest::newRow("negative") << QByteArray("KVI1 -4 4 3780 3780\n" + pixels);
    QTest::newRow("overflowing") << QByteArray("KVI1 99999999999 1 3780 3780\n");
    QTest::newRow("no header") << pixels;
    QTest::newRow("jpeg answer") << QByteArray("KVJ1 3\n\xFF\xD8\xFF");
}

void TestOutsideFiles::answersThatAreNoPictureAreRefused()
{
    QFETCH(QByteArray, answer);
    const std::optional<QImage> image = sandbox::parseImageAnswer(answer, QSize(10, 10));
    QCOMPARE(image.has_value(), QByteArray(QTest::currentDataTag()) == "sound");
    if (image)
        QCOMPARE(image->size(), QSize(4, 4));
}

void TestOutsideFiles::aDocumentWithoutPreviewLeavesTheCaseWhole_data()
{
    QTest::addColumn<QString>("program");   // a stand-in's script; "" the real one
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("timeoutMs");
    // Sound PDFs of their own colour each: a result is kept by content.
    QTest::newRow("content inflating to gigabytes") << QString() << hostile::inflatingPdf() << 3000;
    QTest::newRow("60,000 x 60,000 image") << QString() << hostile::hugeImagePdf() << 3000;
    QTest::newRow("damaged PDF") << QString() << hostile::damagedPdf() << 10'000;
    QTest::newRow("damaged HEIC") << QString() << hostile::damagedHeic() << 10'000;
    QTest::newRow("child crashes") << QStringLiteral("kill -SEGV $$") << oletest::pdfBytes(QColor(1, 2, 3)) << 10'000;
    QTest::newRow("child hangs") << QStringLiteral("exec sleep 60") << oletest::pdfBytes(QColor(4, 5, 6)) << 3000;
    QTest::newRow("child talks garbage") << QStringLiteral("head -c 100000 /dev/zero; exit 0")
                                         << oletest::pdfBytes(QColor(7, 8, 9)) << 10'000;
}

void TestOutsideFiles::aDocumentWithoutPreviewLeavesTheCaseWhole()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, bytes);
    QFETCH(int, timeoutMs);
    usePreviewProgram(program.isEmpty() ? QString() : hostile::standIn(m_dir.path(), QStringLiteral("stand-in-%1.sh").arg(m_nextId), program.toUtf8()),
                      timeoutMs);
    const bool heic = QByteArray(QTest::currentDataTag()).contains("HEIC");
    const long id = storeDocument(heic ? QStringLiteral("IMG_0001.heic") : QStringLiteral("Kostenvoranschlag.pdf"), bytes);
    QVERIFY(id != 0);
    const QByteArray stored = storedBytes(id);

    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const int started = previews->requestsSent();
    QElapsedTimer clock;
    clock.start();
    auto control = controltest::makeControl(m_db.get());
    control->SetValue(qlonglong(id));
    auto *container = control->hWnd()->findChild<ole::OleContainer *>(QStringLiteral("OLE1"));
    QVERIFY(container);
    // The window paints on while the child works ("Vorschau wird
    // erstellt ..."), then shows the card.
    QTRY_VERIFY(previews->requestsSent() > started);
    if (QByteArray(QTest::currentDataTag()) == "child hangs")
        QVERIFY(container->isMakingPreview());
    QTRY_VERIFY_WITH_TIMEOUT(!container->isMakingPreview(), timeoutMs + 5000);
    QVERIFY2(clock.elapsed() < timeoutMs + 5000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(isCard(container->shownImage()));
    QVERIFY(container->shownImage() != ole::waitingCard(container->document(), container->shownImage().size()));
    QVERIFY(isCard(control->PictureWithin(true, QSize(300, 400))));

    // It saves, and what it saves is what was stored.
    control->SetChanged(true);
    QVERIFY(control->Save());
    QCOMPARE(storedBytes(id), stored);

    // The report prints the card in the picture's box.
    report::ControlPictureSource pictures(*m_db);
    QVERIFY(pictures.hasControl());
    const QImage printed = pictures.printPicture(id, true, QSize(600, 800));
    QVERIFY(isCard(printed));
    QCOMPARE(printed.size(), QSize(600, 800));
    QVERIFY2(m_boxes->shown.isEmpty(), qPrintable(m_boxes->lastText()));
}

void TestOutsideFiles::aDamagedPictureIsToldByTheAttachmentsName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("truncated PNG") << QStringLiteral("halb.png") << hostile::truncatedPng();
    QTest::newRow("GIF bomb") << QStringLiteral("bombe.gif") << hostile::gifBomb();
}

void TestOutsideFiles::aDamagedPictureIsToldByTheAttachmentsName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const long id = storePicture(name, bytes);
    QVERIFY(id != 0);
    const QByteArray stored = storedBytes(id);

    auto control = controltest::makeControl(m_db.get());
    control->SetValue(qlonglong(id));
    QTRY_COMPARE(m_boxes->shown.size(), 1);
    const QString told = m_boxes->lastText();
    QVERIFY2(told.contains(QStringLiteral("Anhang Nr. %1").arg(id)) && !told.contains(QLatin1String("tmp")), qPrintable(told));
    auto *card = control->hWnd()->findChild<QLabel *>(QStringLiteral("lblKeineVorschau"));
    QVERIFY(card && card->isVisible());
    QVERIFY(isCard(card->pixmap().toImage()));
    QVERIFY(isCard(control->PictureWithin(true, QSize(300, 200))));

    control->SetChanged(true);
    QVERIFY(control->Save());
    QCOMPARE(storedBytes(id), stored);
}

void TestOutsideFiles::theSecondShowingAsksNoChild()
{
    // Made once: a PDF writer stamps the time into each file.
    const QByteArray pdf = oletest::pdfBytes(QColor(20, 160, 60));
    const long id = storeDocument(QStringLiteral("Gutachten.pdf"), pdf);
    QVERIFY(id != 0);
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const auto show = [&] {
        auto control = controltest::makeControl(m_db.get());
        control->SetValue(qlonglong(id));
        auto *container = control->hWnd()->findChild<ole::OleContainer *>(QStringLiteral("OLE1"));
        const auto centre = [container] {
            const QImage shown = container->grab().toImage();
            return QColor(shown.pixel(shown.width() / 2, shown.height() / 2));
        };
        QTRY_COMPARE(centre(), QColor(20, 160, 60));
    };
    const int before = previews->requestsSent();
    show();
    QCOMPARE(previews->requestsSent(), before + 1);
    show();
    QCOMPARE(previews->requestsSent(), before + 1);

    // The next start of the program finds it in the user's cache folder.
    const QString folder = sandbox::PreviewCache::userFolder();
    QVERIFY(folder.startsWith(m_dir.path()));
    QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions()); // owner-only
    sandbox::PreviewCache nextStart(folder, 1 << 30, 1 << 20);
    const auto foundOnDisk = [&] {
        for (const QString &file : QDir(folder).entryList(QDir::Files)) {
            const QString name = file.section(QLatin1Char('.'), 0, 0);
            const QByteArray key = name.toLatin1();
            const QString side = name.section(QLatin1Char('-'), 2);
            const QSize size(side.section(QLatin1Char('x'), 0, 0).toInt(), side.section(QLatin1Char('x'), 1).toInt());
            const sandbox::PreviewRequest request{sandbox::PreviewMode::Fit, size, pdf};
            if (sandbox::PreviewCache::keyOf(request) == key && nextStart.find(key, request))
                return true;
        }
        return false;
    };
    QTRY_VERIFY2(foundOnDisk(), qPrintable(QDir(folder).entryList(QDir::Files).join(QLatin1Char(' '))));

    // Kept under its size limit, the least recently used going first.
    sandbox::PreviewCache small(folder, 1, 1 << 20);
    small.insert("1-x-1x1", sandbox::PreviewResult{QImage(1, 1, QImage::Format_ARGB32_Premultiplied), {}, {}});
    small.waitForWrites();
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
}

void TestOutsideFiles::aWebpPhotoIsShownUprightByItsExifOrientation()
{
    // Stored 64 x 32, red left, blue right; the camera says "turn a quarter clockwise".
    QImage stored(64, 32, QImage::Format_RGB32);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 32; ++y)
            stored.setPixel(x, y, x < 32 ? qRgb(220, 20, 20) : qRgb(20, 20, 220));
    const QByteArray webp = hostile::webpWithOrientation(testpictures::encoded(stored, "webp"), 64, 32, 6);
    QVERIFY(!webp.isEmpty());
    const sandbox::PreviewResult result
        = sandbox::Previews::ofApplication()->make({sandbox::PreviewMode::Fit, QSize(100, 100), webp});
    QVERIFY(result.ok());
    QCOMPARE(result.image.size(), QSize(50, 100));
    QVERIFY(qRed(result.image.pixel(25, 10)) > 180);  // red on top
    QVERIFY(qBlue(result.image.pixel(25, 90)) > 180); // blue below
}

void TestOutsideFiles::aPhotosPixelsComeFromThePreviewProgram_data()
{
    QTest::addColumn<QString>("program"); // a stand-in's script; "" the real one
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("bound");
    QTest::addColumn<QSize>("decoded"); // empty: not decoded
    QTest::addColumn<sandbox::PreviewFailure>("failure");
    const QSize photo(400, 300);
    const QSize wide(9000, 60); // wider than the preview program answers
    const auto None = sandbox::PreviewFailure::None;
    QTest::newRow("fitted") << QString() << 10'000 << photo << QSize(100, 100) << QSize(100, 75) << None;
    QTest::newRow("whole, wider than answered") << QString() << 10'000 << wide << QSize() << wide << None;
    QTest::newRow("child crashes") << QStringLiteral("kill -SEGV $$") << 10'000 << photo << QSize(100, 100) << QSize()
                                   << sandbox::PreviewFailure::Crashed;
    QTest::newRow("child crashes, wider than answered")
        << QStringLiteral("kill -SEGV $$") << 10'000 << wide << QSize() << QSize() << sandbox::PreviewFailure::Crashed;
    QTest::newRow("child hangs") << QStringLiteral("exec sleep 60") << 1000 << photo << QSize(100, 100) << QSize()
                                 << sandbox::PreviewFailure::TimedOut;
}

void TestOutsideFiles::aPhotosPixelsComeFromThePreviewProgram()
{
    QFETCH(QString, program);
    QFETCH(int, timeoutMs);
    QFETCH(QSize, size);
    QFETCH(QSize, bound);
    QFETCH(QSize, decoded);
    QFETCH(sandbox::PreviewFailure, failure);
    usePreviewProgram(program.isEmpty() ? QString() : hostile::standIn(m_dir.path(), QStringLiteral("stand-in-%1.sh").arg(++m_nextId), program.toUtf8()),
                      timeoutMs);
    // A photo of its own in each row: results are kept by content.
    QImage picture = testpictures::marked(size.width(), size.height());
    QPainter(&picture).fillRect(0, 0, 16, 16, QColor(int(++m_nextId * 40 % 256), 0, 0));
    const QByteArray jpeg = testpictures::encoded(picture, "jpg");
    quarvik::PictureReader reader(jpeg, QStringLiteral("Foto.jpg"));
    QVERIFY(reader.probe()); // the header is read here
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const int asked = previews->requestsSent();
    const QImage image = reader.read(bound);
    QCOMPARE(previews->requestsSent(), asked + 1);
    if (decoded.isEmpty()) {
        QVERIFY(image.isNull());
        QVERIFY2(reader.errorString().contains(QLatin1String("Foto.jpg"))
                     && reader.errorString().contains(sandbox::failureText(failure)),
                 qPrintable(reader.errorString()));
        return;
    }
    QCOMPARE(image.size(), decoded);
    QVERIFY(qRed(image.pixel(2, image.height() - 2)) > 180);
    QVERIFY(qBlue(image.pixel(image.width() - 3, image.height() - 2)) > 180);
}

QTEST_MAIN(TestOutsideFiles)
#include "tst_outsidefiles.moc"
