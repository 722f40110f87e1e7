#include "OleTestFiles.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "report/ControlPictureSource.h"
#include "report/PageItems.h"
#include "report/PageRenderer.h"

#include "kelvane/ObjectStorage.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "sendral/OverlayGraphic.h"

#include <QTemporaryDir>
#include <QTest>

// The pictures of a report as the preview's attachment control gives them.
class TestPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        qputenv("Temp", m_dir.path().toLocal8Bit());
        dao::OpenOptions create;
        create.create = true;
        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("pictures.db"), create);
        varnholt::createSchema(*m_db);
    }

    void cleanupTestCase() { m_db.reset(); }

    void annotatedPicturesPrintWithTheirOverlay()
    {
        auto overlay = std::make_shared<sendral::OverlayGraphic>();
        QPainter *p = overlay->BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(80, 96),
                                         sendral::OverlayGraphic::HimetricFromPixels(60, 96), QString());
        p->fillRect(QRect(5, 30, 20, 20), Qt::green);
        overlay->EndDraw();
        store(1, testpictures::encoded(testpictures::marked(80, 60), "png"), "png", overlay.get());

        core::RecordingMessageService boxes;
        report::ControlPictureSource pictures(*m_db);
        QVERIFY2(pictures.hasControl(), qPrintable(boxes.lastText()));
        QCOMPARE(QColor(pictures.picture(1, true).pixel(10, 40)), QColor(Qt::green));
        QCOMPARE(QColor(pictures.picture(1, false).pixel(10, 40)), QColor(Qt::red));
        // Over a smaller copy for printing the overlay is drawn to scale.
        const QImage small = pictures.printPicture(1, true, QSize(40, 30));
        QCOMPARE(small.size(), QSize(40, 30));
        QCOMPARE(QColor(small.pixel(7, 20)), QColor(Qt::green));
        QCOMPARE(QColor(small.pixel(7, 10)), QColor(Qt::red));
        QVERIFY(pictures.picture(2, true).isNull());
        QVERIFY(pictures.picture(0, true).isNull());
        QVERIFY(boxes.shown.isEmpty());
    }

    void turnedPhotosPrintUpright()
    {
        // Stored 80 x 40 with the camera's note "turn a quarter clockwise".
        store(3, testpictures::jpegWithOrientation(testpictures::marked(80, 40), 6), "jpg");
        report::ControlPictureSource pictures(*m_db);
        const QImage upright = pictures.picture(3, true);
        QCOMPARE(upright.size(), QSize(40, 80));
        // The black top edge of the stored picture is now its right edge.
        QVERIFY(qGray(upright.pixel(38, 40)) < 60);
        const QColor left = upright.pixel(1, 40);
        QVERIFY(left.red() + left.blue() > 150);
    }

    void largePhotosPrintAtMost300DotsPerInch()
    {
        const QImage large = testpictures::marked(8000, 6000);
        store(4, testpictures::encoded(large, "jpg"), "jpg");
        report::ControlPictureSource pictures(*m_db);
        const QImage full = pictures.picture(4, true);
        QCOMPARE(full.size(), QSize(8000, 6000));
        // A box 5.4 cm wide takes 638 dots at 300 dpi.
        const QSizeF printed(5.4 / 2.54 * 1440, 4.05 / 2.54 * 1440);
        const QImage onPaper = report::PageRenderer::printedPicture(full, printed);
        QVERIFY2(onPaper.width() <= 638 && onPaper.width() >= 637, qPrintable(QString::number(onPaper.width())));
        QVERIFY(onPaper.height() <= 479);
        QCOMPARE(QColor(onPaper.pixel(100, 300)).red() > 200, true);
        // For printing it is decoded no larger than asked, and keeps its size on paper.
        const QImage within = pictures.printPicture(4, true, QSize(638, 479));
        QVERIFY(within.width() <= 638 && within.height() <= 479 && within.width() >= 600);
        const auto inches = [](const QImage &image) {
            return image.width() / ((image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 3780) * 0.0254);
        };
        QVERIFY(std::abs(inches(within) - inches(full)) < 0.05 * inches(full));
        // A small picture goes as it is.
        const QImage small = testpictures::marked(100, 75);
        QCOMPARE(report::PageRenderer::printedPicture(small, printed).size(), small.size());
    }

    void aPagesPicturesAreDecodedForTheirLargestBox()
    {
        store(6, testpictures::encoded(testpictures::marked(8000, 6000), "jpg"), "jpg");
        report::ControlPictureSource control(*m_db);
        report::PageItemList items;
        report::ReportElement item;
        item.kind = report::ElementKind::Picture;
        item.text = QStringLiteral("6");
        // A small box first, then a 5.4 cm one whose right edge is measured
        // from the paper's right side: the larger box counts.
        item.x1 = 1;
        item.y1 = 1;
        item.x2 = 3;
        item.y2 = 5.05;
        items.append(item);
        item.x2 = -14.6;
        items.append(item);
        report::PageRenderer renderer(items, 1, QSizeF(21, 29.7));
        report::PagePictures page(&control);
        page.prepare(items, 0, items.count(), 1,
                     [&](const report::ReportElement &element) { return renderer.pictureBound(element); });
        const QImage prepared = page.printPicture(6, true, QSize());
        QVERIFY2(prepared.width() <= 638 && prepared.width() >= 600, qPrintable(QString::number(prepared.width())));
        QVERIFY(prepared.height() <= 479);
        QCOMPARE(page.preparedPage(), 1);
    }

    void documentsPrintAsTheirPicture()
    {
        // A PDF estimate stored as the control stores a document.
        const QString pdf = testpictures::write(m_dir.filePath(QStringLiteral("Kostenvoranschlag.pdf")),
                                                oletest::pdfBytes(QColor(200, 30, 30)));
        const QString stored = m_dir.filePath(QStringLiteral("tmp5.OLE"));
        QFile file(stored);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(ole::writeDocument(file, ole::documentFromFile(pdf)));
        file.close();
        kelvane::ObjectStorage storage(m_db.get());
        QVERIFY(storage.SaveObject(5, stored, nullptr, QString()));

        core::RecordingMessageService boxes;
        report::ControlPictureSource pictures(*m_db);
        // Its first page, upright, on the preview and drawn for the printed box.
        const QImage page = pictures.picture(5, true);
        QVERIFY(page.height() > page.width());
        QCOMPARE(QColor(page.pixel(page.width() / 2, page.height() / 2)), QColor(200, 30, 30));
        const QImage printed = pictures.printPicture(5, true, QSize(600, 400));
        QCOMPARE(printed.height(), 400);
        QVERIFY(printed.width() < 300);
        QCOMPARE(QColor(printed.pixel(printed.width() / 2, 200)), QColor(200, 30, 30));
        QVERIFY(boxes.shown.isEmpty());
    }

private:
    void store(long id, const QByteArray &bytes, const char *extension, const sendral::OverlayGraphic *overlay = nullptr)
    {
        kelvane::ObjectStorage storage(m_db.get());
        QVERIFY(storage.SaveObject(id, testpictures::write(m_dir.filePath(QStringLiteral("in%1.%2").arg(id).arg(QLatin1String(extension))), bytes),
                                   overlay, QStringLiteral("S")));
    }

    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
