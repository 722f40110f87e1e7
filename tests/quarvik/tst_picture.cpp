#include "TestPictures.h"

#include "quarvik/PictureImport.h"
#include "quarvik/PictureReader.h"
#include "quarvik/PictureView.h"
#include "quarvik/ViewGeometry.h"
#include "sendral/OverlayGraphic.h"

#include "core/UserSettings.h"

#include <QApplication>
#include <QBuffer>
#include <QFileDialog>
#include <QImageReader>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quarvik;
using namespace testpictures;

namespace {

// Left half red, right half blue: which way up it is shows at a glance.
QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(0, 0, 255));
    QPainter(&image).fillRect(0, 0, width / 2, height, QColor(255, 0, 0));
    return image;
}

bool isReddish(QRgb c) { return qRed(c) > 180 && qBlue(c) < 90; }
bool isBluish(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90; }

QByteArray jpegBytes(const QImage &image) { return encoded(image, "jpg"); }

// The JPEG with `tail` put after its EXIF directory, as an embedded thumbnail lies.
QByteArray withThumbnail(const QByteArray &jpeg, const QByteArray &tail)
{
    QByteArray exif = jpegWithOrientation(halves(2, 2), 1).mid(2);
    exif = exif.left(((quint8(exif[2]) << 8) | quint8(exif[3])) + 2) + tail;   // the APP1 segment, longer
    exif[2] = char((exif.size() - 2) >> 8);
    exif[3] = char((exif.size() - 2) & 0xff);
    return jpeg.left(2) + exif + jpeg.mid(2);
}

// A PNG whose header declares the size but that carries no picture data.
QByteArray pngDeclaring(int width, int height)
{
    const auto big32 = [](quint32 v) -> QByteArray { return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v); };
    const auto chunk = [&](const QByteArray &type, const QByteArray &data) -> QByteArray {
        quint32 crc = 0xFFFFFFFFu;
        for (char c : QByteArray(type + data)) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return big32(quint32(data.size())) + type + data + big32(~crc);
    };
    const QByteArray header = big32(quint32(width)) + big32(quint32(height)) + QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", {}) + chunk("IEND", {});
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The view as a user sees it, painted.
    static QImage shown(PictureView &view)
    {
        return view.viewport()->grab().toImage();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        core::UserSettings::useFolder(m_dir.filePath(QStringLiteral("user")));
    }

    void exifRotatedPhotoIsUpright()
    {
        // Stored lying 40 x 20, red left; orientation 6 turns it clockwise.
        const QString file = path(QStringLiteral("Hochkant.jpg"));
        write(file, jpegWithOrientation(halves(40, 20), 6));

        PictureReader reader(file);
        QVERIFY(reader.probe());
        QCOMPARE(reader.uprightSize(), QSize(20, 40));
        const QImage full = reader.read();
        QCOMPARE(full.size(), QSize(20, 40));
        QVERIFY(isReddish(full.pixel(10, 5)));
        QVERIFY(isBluish(full.pixel(10, 35)));
        // Decoded straight at a smaller size, still upright.
        const QImage small = reader.read(QSize(10, 10));
        QCOMPARE(small.size(), QSize(5, 10));
        QVERIFY(isReddish(small.pixel(2, 1)));

        PictureView view;
        view.resize(200, 400);
        view.setSizeToFit(true);
        QVERIFY(view.setFileName(file));
        QCOMPARE(view.pictureSize(), QSize(20, 40));
        QCOMPARE(view.picture().size(), QSize(20, 40));
        QCOMPARE(view.pictureScaled(QSize(8, 8)).size(), QSize(4, 8));
        QCOMPARE(view.zoom(), 1000.0);
        const QImage screen = shown(view);
        QVERIFY(isReddish(screen.pixel(100, 50)));
        QVERIFY(isBluish(screen.pixel(100, 350)));
    }

    void largePhotoDecodesAtTheSizeShown()
    {
        // 48 MP: 192 MB decoded, past Qt's default limit of 128 MB.
        const QString file = path(QStringLiteral("48MP.jpg"));
        {
            write(file, jpegBytes(halves(8000, 6000)));
        }
        PictureView view;
        view.resize(800, 600);
        view.setSizeToFit(true);
        QVERIFY(view.setFileName(file));
        QCOMPARE(view.pictureSize(), QSize(8000, 6000));
        QVERIFY(view.decodedSize().isEmpty()); // nothing decoded before it is painted
        QImage screen = shown(view);
        QCOMPARE(view.zoom(), 10.0);
        QCOMPARE(view.decodedSize(), QSize(800, 600));
        QVERIFY(isReddish(screen.pixel(200, 300)));
        QVERIFY(isBluish(screen.pixel(600, 300)));

        // Zoomed to 100 % the full picture is needed and shown.
        view.setSizeToFit(false);
        view.setZoom(100);
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        screen = shown(view);
        QCOMPARE(view.decodedSize(), QSize(8000, 6000));
        QVERIFY(isBluish(screen.pixel(100, 100)));

        // Hidden, it lets the full picture go; back to fitted, it decodes small.
        view.releaseMemory();
        QVERIFY(view.decodedSize().width() <= 800);
        view.setSizeToFit(true);
        shown(view);
        QCOMPARE(view.decodedSize(), QSize(800, 600));

        // For printing: an upright copy at a bounded size, and the full one.
        QCOMPARE(view.pictureScaled(QSize(2000, 2000)).size(), QSize(2000, 1500));
        QCOMPARE(view.picture().size(), QSize(8000, 6000));
        QCOMPARE(view.decodedSize(), QSize(800, 600)); // printing did not keep the full copy
    }

    void gifFittedReportsItsZoom()
    {
        PictureView view;
        view.resize(320, 240);
        QSignalSpy zoomed(&view, &PictureView::zoomChanged);
        view.setZoom(75);
        view.setSizeToFit(true);
        QVERIFY(view.setFileName(QFINDTESTDATA("data/Streifen.gif")));
        QCOMPARE(view.pictureSize(), QSize(64, 48));
        QCOMPARE(view.zoom(), 500.0);
        QVERIFY(!zoomed.isEmpty());
        QCOMPARE(zoomed.last().at(0).toDouble(), 500.0);
        const QImage screen = shown(view);
        QCOMPARE(QColor(screen.pixel(40, 120)), QColor(0xc0, 0x20, 0x20));
        QCOMPARE(QColor(screen.pixel(280, 120)), QColor(0x20, 0x80, 0x40));
        // Size-to-fit off brings back the zoom chosen before.
        view.setSizeToFit(false);
        QCOMPARE(view.zoom(), 75.0);
        // Emptied, it shows only its background.
        view.setBackgroundColor(QColor(1, 2, 3));
        QVERIFY(view.setFileName(QString()));
        QCOMPARE(view.pictureSize(), QSize());
        QVERIFY(view.picture().isNull());
        QCOMPARE(QColor(shown(view).pixel(40, 120)), QColor(1, 2, 3));
    }

    void picturesAreKnownByContentNotByName()
    {
        const QByteArray jpeg = jpegBytes(halves(30, 20));
        write(path(QStringLiteral("Foto.jpg.txt")), jpeg);
        QVERIFY(PictureImport::isPictureFile(path(QStringLiteral("Foto.jpg.txt"))));
        const PreparedPicture named = PictureImport::prepare(path(QStringLiteral("Foto.jpg.txt")));
        QVERIFY(named.ok());
        QCOMPARE(named.path, path(QStringLiteral("Foto.jpg.txt")));
        QVERIFY(!named.temporary);

        write(path(QStringLiteral("Notiz.jpg")), "Kratzer an der Stossstange\n");
        QVERIFY(!PictureImport::isPictureFile(path(QStringLiteral("Notiz.jpg"))));
        const PreparedPicture text = PictureImport::prepare(path(QStringLiteral("Notiz.jpg")));
        QVERIFY(!text.ok());
        QVERIFY(text.path.isEmpty());
        QCOMPARE(text.error, QStringLiteral("Die Datei \"Notiz.jpg\" ist kein lesbares Bild oder sie ist beschädigt."));

        // A PNG called .jpg is still the picture it is.
        QImage png(12, 8, QImage::Format_RGB32);
        png.fill(Qt::green);
        QVERIFY(png.save(path(QStringLiteral("Falsch.jpg")), "png"));
        QVERIFY(PictureImport::prepare(path(QStringLiteral("Falsch.jpg"))).ok());
        PictureView view;
        QVERIFY(view.setFileName(path(QStringLiteral("Falsch.jpg"))));
        QCOMPARE(view.picture().pixel(3, 3), QColor(Qt::green).rgb());
    }

    // A picture decoded smaller for print stands for the whole one on paper,
    // whatever the format does with its resolution; from a file or from bytes.
    void aSmallerDecodeKeepsThePaperSize_data()
    {
        QTest::addColumn<QByteArray>("format");
        for (const char *format : {"png", "jpg", "bmp"})
            QTest::newRow(format) << QByteArray(format);
    }

    void aSmallerDecodeKeepsThePaperSize()
    {
        QFETCH(QByteArray, format);
        QImage picture = halves(400, 200);
        picture.setDotsPerMeterX(11811);   // 300 dpi
        picture.setDotsPerMeterY(11811);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, format.constData()));
        const QString file = path(QStringLiteral("druck.") + QString::fromLatin1(format));
        write(file, bytes);
        const QImage whole = PictureReader(bytes, QStringLiteral("ganz")).read();
        const auto metres = [](const QImage &image) { return double(image.width()) / image.dotsPerMeterX(); };
        for (PictureReader reader : {PictureReader(bytes, QStringLiteral("Bild")),
                                     PictureReader(file)}) {
            const QImage smaller = reader.read(QSize(100, 100));
            QCOMPARE(smaller.size(), QSize(100, 50));
            QVERIFY2(qAbs(metres(smaller) - metres(whole)) < 0.0005, qPrintable(QString::number(smaller.dotsPerMeterX())));
        }
    }

    // The one rule of picture or document: content, then the file name's last extension.
    void theNameRuleLooksAtTheLastExtensionOnly()
    {
        QVERIFY(PictureImport::hasPictureExtension(QStringLiteral("/srv/Foto.JPEG")));
        QVERIFY(!PictureImport::hasPictureExtension(QStringLiteral("a.gif.txt")));
        QVERIFY(!PictureImport::hasPictureExtension(QStringLiteral("/home/bilder.png/")));
        QVERIFY(!PictureImport::hasPictureExtension(QStringLiteral("/home/bilder.png/liste")));
        write(path(QStringLiteral("Foto.dat")), jpegBytes(halves(30, 20)));
        QVERIFY(PictureImport::countsAsPicture(path(QStringLiteral("Foto.dat"))));
        write(path(QStringLiteral("Kaputt.png")), "kein Bild");
        QVERIFY(PictureImport::countsAsPicture(path(QStringLiteral("Kaputt.png"))));
        write(path(QStringLiteral("Notiz.txt")), "Text");
        QVERIFY(!PictureImport::countsAsPicture(path(QStringLiteral("Notiz.txt"))));
    }

    void damagedFilesAreRefusedInGerman()
    {
        write(path(QStringLiteral("Leer.jpg")), {});
        QCOMPARE(PictureImport::prepare(path(QStringLiteral("Leer.jpg"))).error,
                 QStringLiteral("Die Datei \"Leer.jpg\" ist leer."));
        QCOMPARE(PictureImport::prepare(path(QStringLiteral("Fehlt.jpg"))).error,
                 QStringLiteral("Die Datei \"Fehlt.jpg\" wurde nicht gefunden."));

        // Cut in half: Qt alone would show a grey lower half without a word.
        const QByteArray jpeg = jpegBytes(halves(200, 200));
        write(path(QStringLiteral("Halb.jpg")), jpeg.left(jpeg.size() / 2));
        QImageReader qt(path(QStringLiteral("Halb.jpg")));
        QVERIFY(!qt.read().isNull());
        const QString cut = QStringLiteral("Die Bilddatei \"Halb.jpg\" ist unvollständig oder beschädigt.");
        QCOMPARE(PictureImport::prepare(path(QStringLiteral("Halb.jpg"))).error, cut);
        // An embedded thumbnail's end marker does not make a cut file whole.
        const QByteArray thumb = QByteArray("\xFF\xD8\xFF\xD9", 4);
        write(path(QStringLiteral("Daumen.jpg")), withThumbnail(jpeg, thumb).left(jpeg.size() / 2));
        QVERIFY(!PictureImport::prepare(path(QStringLiteral("Daumen.jpg"))).ok());
        // Whole, with the thumbnail and bytes after the end, it is fine.
        write(path(QStringLiteral("Ganz.jpg")), withThumbnail(jpeg, thumb) + "Nachspann");
        QVERIFY(PictureImport::prepare(path(QStringLiteral("Ganz.jpg"))).ok());

        // A PNG cut short fails when its data is decoded.
        QImage noisy(300, 300, QImage::Format_RGB32);
        for (int y = 0; y < noisy.height(); ++y)
            for (int x = 0; x < noisy.width(); ++x)
                noisy.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && noisy.save(&buffer, "png"));
        write(path(QStringLiteral("Halb.png")), png.left(png.size() / 2));
        QVERIFY(PictureImport::prepare(path(QStringLiteral("Halb.png"))).error.startsWith(
            QStringLiteral("Das Bild \"Halb.png\" ist beschädigt und kann nicht gelesen werden")));

        write(path(QStringLiteral("Riesig.png")), pngDeclaring(30000, 30000));
        QCOMPARE(PictureImport::prepare(path(QStringLiteral("Riesig.png"))).error,
                 QStringLiteral("Das Bild \"Riesig.png\" ist mit 30000 x 30000 Bildpunkten zu groß; es werden "
                                "höchstens 120 Millionen Bildpunkte gezeigt."));
        // Declaring a fair size but holding no picture data.
        write(path(QStringLiteral("Hohl.png")), pngDeclaring(300, 200));
        const PreparedPicture hollow = PictureImport::prepare(path(QStringLiteral("Hohl.png")));
        QVERIFY(hollow.error.startsWith(QStringLiteral("Das Bild \"Hohl.png\" ist beschädigt")));

        // The view refuses the same and says why.
        PictureView view;
        QVERIFY(!view.setFileName(path(QStringLiteral("Halb.jpg"))));
        QCOMPARE(view.errorString(), cut);
        QCOMPARE(view.pictureSize(), QSize());
        QCOMPARE(view.fileName(), path(QStringLiteral("Halb.jpg")));
        // A header promising what the data does not hold is found out when
        // the picture is painted, and the view then knows why it is empty.
        view.resize(300, 200);
        QVERIFY(view.setFileName(path(QStringLiteral("Hohl.png"))));
        QVERIFY(view.errorString().isEmpty());
        shown(view);
        QVERIFY(view.errorString().startsWith(QStringLiteral("Das Bild \"Hohl.png\" ist beschädigt")));
        QVERIFY(view.decodedSize().isEmpty());
    }

    void geometryFitsZoomsAndScrolls()
    {
        ViewGeometry g;
        g.setPictureSize(QSize(4000, 3000));
        g.setViewportSize(QSize(500, 500));
        g.setZoom(50);
        QCOMPARE(g.zoom(), 50.0);
        QCOMPARE(g.shownSize(), QSize(2000, 1500));
        QCOMPARE(g.scrollRange(), QSize(1500, 1000));
        QCOMPARE(g.pictureRect(QPoint(100, 5000)), QRect(-100, -1000, 2000, 1500));
        QCOMPARE(g.decodeSize(1.0), QSize(2000, 1500));
        QCOMPARE(g.decodeSize(2.0), QSize(4000, 3000)); // never more than the picture

        g.setSizeToFit(true);
        QCOMPARE(g.zoom(), 12.5);
        QCOMPARE(g.shownSize(), QSize(500, 375));
        QCOMPARE(g.scrollRange(), QSize(0, 0));
        QCOMPARE(g.pictureRect(QPoint(100, 100)), QRect(0, 62, 500, 375)); // centred
        QCOMPARE(g.decodeSize(1.5), QSize(750, 563));
        // An odd fit never rounds past the viewport.
        g.setPictureSize(QSize(3, 3));
        g.setViewportSize(QSize(100, 100));
        QCOMPARE(g.shownSize(), QSize(100, 100));
        QCOMPARE(g.scrollRange(), QSize(0, 0));

        // Zooming keeps the point at the centre in the centre.
        g.setPictureSize(QSize(4000, 3000));
        g.setViewportSize(QSize(500, 500));
        g.setSizeToFit(false);
        QCOMPARE(g.zoom(), 50.0);
        const QPointF centre = g.pointAt(QPoint(750, 500), g.viewportCentre());
        QCOMPARE(centre, QPointF(0.5, 0.5));
        QCOMPARE(g.pointAt(QPoint(0, 0), g.viewportCentre()), QPointF(0.125, 250.0 / 1500));
        // The mouse's point: 100 px into the viewport at scroll 500 is picture x 600 of 2000.
        const QPointF mouse = g.pointAt(QPoint(500, 0), QPointF(100, 0));
        QCOMPARE(mouse.x(), 0.3);
        g.setZoom(100);
        QCOMPARE(g.scrollToPut(centre, g.viewportCentre()), QPoint(1750, 1250));
        QCOMPARE(g.scrollToPut(mouse, QPointF(100, 0)).x(), 1100); // 1200 of 4000 stays 100 px in
        QCOMPARE(g.scrollToPut(QPointF(0, 1), g.viewportCentre()), QPoint(0, 2500)); // clamped to the range
        g.setZoom(0);
        QCOMPARE(g.zoom(), ViewGeometry::kMinZoom);
        g.setZoom(1e9);
        QCOMPARE(g.zoom(), ViewGeometry::kMaxZoom);
        g.setZoom(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(g.zoom(), ViewGeometry::kMaxZoom);
    }

    void zoomKeepsThePointLookedAt()
    {
        const QString file = path(QStringLiteral("Halbe.png"));
        QVERIFY(halves(2000, 1000).save(file));
        PictureView view;
        view.resize(400, 300);
        view.setSizeToFit(true);
        QVERIFY(view.setFileName(file));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // The picture point at the viewport's centre, in picture pixels.
        const auto pictureAt = [&](QPointF place) {
            const double f = view.zoom() / 100.0;
            return QPointF((view.horizontalScrollBar()->value() + place.x()) / f,
                           (view.verticalScrollBar()->value() + place.y()) / f);
        };
        view.setZoom(100);
        view.setSizeToFit(false);
        const QPointF middle(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0);
        view.horizontalScrollBar()->setValue(300);
        view.verticalScrollBar()->setValue(200);
        const QPointF looked = pictureAt(middle);
        for (double zoom : {200.0, 75.0, 150.0}) {
            view.setZoom(zoom);
            QVERIFY2((pictureAt(middle) - looked).manhattanLength() <= 2.0, qPrintable(QString::number(zoom)));
        }
        // Ctrl+wheel asks for a step at the mouse; zoomAt keeps that point under it.
        QSignalSpy wheel(&view, &PictureView::zoomWheel);
        const QPointF mouse(60, 40);
        QWheelEvent notch(mouse, view.viewport()->mapToGlobal(mouse), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &notch);
        QCOMPARE(wheel.size(), 1);
        QCOMPARE(wheel.at(0).at(0).toInt(), 1);
        QCOMPARE(wheel.at(0).at(1).toPointF(), mouse);
        const QPointF under = pictureAt(mouse);
        view.zoomAt(200, mouse);
        QVERIFY((pictureAt(mouse) - under).manhattanLength() <= 2.0);
        // From the fitted view too: it leaves size-to-fit at that point.
        view.setSizeToFit(true);
        const QRect fitted = QRect(QPoint(), view.viewport()->size());
        const double fitZoom = view.zoom();
        const QPointF corner(fitted.width() * 0.25, fitted.height() / 2.0);
        const double top = (view.viewport()->height() - 1000 * fitZoom / 100) / 2;
        const QPointF before((corner.x()) / (fitZoom / 100), (corner.y() - top) / (fitZoom / 100));
        view.zoomAt(100, corner);
        QVERIFY(!view.sizeToFit());
        QVERIFY2((pictureAt(corner) - before).manhattanLength() <= 3.0, qPrintable(QString::number(pictureAt(corner).x())));
    }

    void mouseOverlayAndBackground()
    {
        const QString file = path(QStringLiteral("Blau.png"));
        QImage blue(100, 100, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(file));

        PictureView view;
        view.resize(200, 200);
        view.setSizeToFit(true);
        QVERIFY(view.setFileName(file));
        QSignalSpy down(&view, &PictureView::mouseDown);
        QSignalSpy twice(&view, &PictureView::doubleClicked);
        QTest::mousePress(view.viewport(), Qt::RightButton, {}, QPoint(50, 50));
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mousePress(view.viewport(), Qt::MiddleButton, {}, QPoint(50, 50));
        QCOMPARE(down.size(), 3);
        QCOMPARE(down.at(0).at(0).toInt(), 2);
        QCOMPARE(down.at(1).at(0).toInt(), 1);
        QCOMPARE(down.at(2).at(0).toInt(), 4);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(twice.size(), 1);

        // The overlay lies in picture pixels: its square at 10..29 shows at
        // 20..59 in a view that fits the picture at 200 %.
        auto overlay = std::make_shared<sendral::OverlayGraphic>();
        QPainter *p = overlay->BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(100, 96),
                                         sendral::OverlayGraphic::HimetricFromPixels(100, 96), QString());
        p->fillRect(10, 10, 20, 20, Qt::red);
        overlay->EndDraw();
        view.setOverlay(overlay);
        QCOMPARE(view.overlay(), overlay);
        view.setOverlayVisible(true);
        QImage screen = shown(view);
        QVERIFY(isReddish(screen.pixel(40, 40)));
        QVERIFY(isBluish(screen.pixel(80, 80)));
        view.setOverlayVisible(false);
        QVERIFY(isBluish(shown(view).pixel(40, 40)));

        // Leaving size-to-fit for 500 % keeps the middle in view.
        view.setZoom(500);
        view.setSizeToFit(false);
        QVERIFY(view.horizontalScrollBar()->maximum() > 0);
        QVERIFY(qAbs(view.horizontalScrollBar()->value() - view.horizontalScrollBar()->maximum() / 2) <= 2);
        QVERIFY(qAbs(view.verticalScrollBar()->value() - view.verticalScrollBar()->maximum() / 2) <= 2);
        // The picture itself never carries the overlay.
        QVERIFY(isBluish(view.picture().pixel(15, 15)));
    }

    void filePickRemembersItsFolder()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("Fotos"));
        const QString file = path(QStringLiteral("Fotos/Delle.png"));
        QImage(4, 4, QImage::Format_RGB32).save(file);
        PictureView view;
        QString seenFolder;
        QStringList seenFilters;
        const auto answer = [&](const QString &choice) {
            QTimer::singleShot(0, [&, choice] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                seenFolder = dialog->directory().absolutePath();
                seenFilters = dialog->nameFilters();
                if (choice.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->selectFile(choice);
                    static_cast<QDialog *>(dialog)->accept();
                }
            });
        };
        answer(file);
        QCOMPARE(view.selectPictureFile(), file);
        QVERIFY(seenFilters.value(0).startsWith(QStringLiteral("Bilddateien (")));
        QVERIFY(seenFilters.value(0).contains(QStringLiteral("*.heic")));
        QVERIFY(seenFilters.value(0).contains(QStringLiteral("*.JPG")));
        answer(QString());
        QCOMPARE(view.selectPictureFile(), QString());
        QCOMPARE(seenFolder, QFileInfo(file).absolutePath());
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
