#include "quarvik/PictureImport.h"
#include "quarvik/PictureReader.h"
#include "quarvik/PictureView.h"

#include <QFile>
#include <QtEndian>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <libheif/heif.h>

#include "../support/HeicFiles.h"

using namespace quarvik;
using heicfiles::writeHeic;

namespace {

// A HEIC as recent phones write it with an HDR gain map: besides the
// primary picture (64 x 32, red left, blue right) an auxiliary picture that
// libheif 1.15 refuses, and with it the whole file (here its "auxl"
// reference names two pictures and it has no type property). Made from a
// file with two thumbnails whose two "thmb" references are rewritten in
// place into one such "auxl" reference and a reference of no known type.
QString writeHeicWithGainMap(const QString &path)
{
    const QString why = writeHeic(path, 64, 32, heif_orientation_normal, 2);
    if (!why.isEmpty())
        return why;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return QStringLiteral("no file");
    QByteArray bytes = file.readAll();
    // "iref" (version 0) holds 14-byte references: a thumbnail's "thmb"
    // among others. Its children are written again in the same room: the
    // others, one "auxl" from the first thumbnail to the primary picture and
    // the second thumbnail, and an empty reference of no known type.
    const qsizetype iref = bytes.indexOf("iref");
    if (iref < 4 || bytes.at(iref + 4) != 0)
        return QStringLiteral("no iref");
    const qsizetype refs = iref + 8;
    const qsizetype end = iref - 4 + qFromBigEndian<quint32>(reinterpret_cast<const uchar *>(bytes.constData()) + iref - 4);
    QByteArray others;
    QList<QByteArray> thumbnails; // from, to
    for (qsizetype at = refs; at + 14 <= end; at += 14) {
        const QByteArray box = bytes.mid(at, 14);
        if (box.left(4) != QByteArray("\0\0\0\x0e", 4))
            return QStringLiteral("references of another size");
        if (box.mid(4, 4) == "thmb")
            thumbnails << box.mid(8, 2) + box.mid(12, 2);
        else
            others += box;
    }
    if (thumbnails.size() != 2)
        return QStringLiteral("not two thumbnails");
    const QByteArray rewritten = others + QByteArray("\0\0\0\x10" "auxl", 8) + thumbnails[0].left(2)
        + QByteArray("\0\x02", 2) + thumbnails[0].mid(2) + thumbnails[1].left(2)
        + QByteArray("\0\0\0\x0c" "xxxx", 8) + thumbnails[1].left(2) + QByteArray("\0\0", 2);
    bytes.replace(refs, rewritten.size(), rewritten);
    file.seek(0);
    file.write(bytes);
    return {};
}

bool reddish(QRgb c) { return qRed(c) > 180 && qBlue(c) < 90; }
bool bluish(QRgb c) { return qBlue(c) > 180 && qRed(c) < 90; }

} // namespace

class TestHeic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void heicBecomesAnUprightJpeg()
    {
        QTemporaryDir dir;
        const QString heic = dir.filePath(QStringLiteral("IMG_0815.HEIC"));
        // Stored 64 x 32 lying on its side, shown turned clockwise: red on top.
        const QString why = writeHeic(heic, 64, 32, heif_orientation_rotate_90_cw);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));

        QVERIFY(PictureImport::isPictureFile(heic));
        PictureReader reader(heic);
        QVERIFY(reader.probe());
        QVERIFY(reader.isHeif());
        QCOMPARE(reader.uprightSize(), QSize(32, 64));

        const PreparedPicture prepared = PictureImport::prepare(heic);
        QVERIFY2(prepared.ok(), qPrintable(prepared.error));
        QVERIFY(prepared.temporary);
        QVERIFY(prepared.path.endsWith(QStringLiteral(".jpg")));
        QImageReader jpeg(prepared.path);
        QCOMPARE(jpeg.format(), QByteArray("jpeg"));
        jpeg.setAutoTransform(true);
        const QImage stored = jpeg.read();
        QCOMPARE(stored.size(), QSize(32, 64));
        QVERIFY(reddish(stored.pixel(16, 8)));
        QVERIFY(bluish(stored.pixel(16, 56)));

        // The view shows a HEIC file directly, upright, at any size asked.
        PictureView view;
        QVERIFY(view.setFileName(heic));
        QCOMPARE(view.pictureSize(), QSize(32, 64));
        const QImage small = view.pictureScaled(QSize(16, 16));
        QCOMPARE(small.size(), QSize(8, 16));
        QVERIFY(reddish(small.pixel(4, 2)));
        QVERIFY(QFile::remove(prepared.path));
    }

    void aHeicWithAGainMapReadsItsPrimaryPicture()
    {
        QTemporaryDir dir;
        const QString heic = dir.filePath(QStringLiteral("IMG_4711.HEIC"));
        const QString why = writeHeicWithGainMap(heic);
        if (why.startsWith(QLatin1String("libheif has no")))
            QSKIP(qPrintable(why));
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // libheif itself refuses it as a whole.
        heif_context *context = heif_context_alloc();
        const QByteArray refused(heif_context_read_from_file(context, QFile::encodeName(heic).constData(), nullptr).message);
        heif_context_free(context); // which owns the message
        QVERIFY2(refused.contains("auxiliary image"), refused.constData());

        const PreparedPicture prepared = PictureImport::prepare(heic);
        QVERIFY2(prepared.ok(), qPrintable(prepared.error));
        const QImage stored(prepared.path);
        QCOMPARE(stored.size(), QSize(64, 32));
        QVERIFY(reddish(stored.pixel(8, 16)));
        QVERIFY(bluish(stored.pixel(56, 16)));
        QVERIFY(QFile::remove(prepared.path));
    }

    void brokenHeicIsRefused()
    {
        QTemporaryDir dir;
        const QString heic = dir.filePath(QStringLiteral("Kaputt.heic"));
        const QString why = writeHeic(heic, 64, 64, heif_orientation_normal);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        QFile file(heic);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(file.size() / 3));
        file.close();
        const PreparedPicture prepared = PictureImport::prepare(heic);
        QVERIFY(!prepared.ok());
        QVERIFY(prepared.path.isEmpty());
        QVERIFY2(prepared.error.startsWith(QStringLiteral("Das HEIC-Bild \"Kaputt.heic\" kann nicht gelesen werden")),
                 qPrintable(prepared.error));
    }
};

QTEST_MAIN(TestHeic)
#include "tst_heic.moc"
