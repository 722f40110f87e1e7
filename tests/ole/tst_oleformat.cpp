#include "OleTestFiles.h"
#include "TestPictures.h"
#include "ole/DocumentFormat.h"
#include "ole/DocumentPicture.h"
#include "ole/OleContainer.h"

#include <QBuffer>
#include <QIcon>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using ole::Document;

namespace {

QByteArray written(const Document &document)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!ole::writeDocument(buffer, document))
        qFatal("writing to memory failed");
    return bytes;
}

std::optional<Document> readBack(const QByteArray &bytes, QString *error)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ole::readDocument(buffer, error);
}

Document textDocument()
{
    return {QStringLiteral("text/plain"), QStringLiteral("/home/büro/Unfallbericht.txt"),
            QStringLiteral("Unfallbericht.txt"), "Der Wagen stand.\n"};
}

// Offset of the length of field `index` (0 class ... 3 content) in written(document).
qsizetype lengthOffset(const QByteArray &bytes, int index)
{
    qsizetype offset = 17 + 4;
    for (int i = 0; i < index; ++i)
        offset += 8 + qsizetype(qFromBigEndian<quint64>(bytes.constData() + offset));
    return offset;
}

QByteArray withLength(QByteArray bytes, int index, quint64 length)
{
    qToBigEndian<quint64>(length, bytes.data() + lengthOffset(bytes, index));
    return bytes;
}

// A device that cannot tell its size, as a pipe.
class SequentialBuffer : public QIODevice {
public:
    explicit SequentialBuffer(const QByteArray &bytes) : m_bytes(bytes) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, qint64(m_bytes.size()) - m_at);
        std::copy_n(m_bytes.constData() + m_at, n, data);
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

bool mostlyColour(const QImage &image, const QColor &colour)
{
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(centre.red() - colour.red()) < 40 && qAbs(centre.green() - colour.green()) < 40
        && qAbs(centre.blue() - colour.blue()) < 40;
}

} // namespace

class OleFormatTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void readsAtTheDevicePositionAndStopsAfterTheDocument();
    void refusesTruncatedWrongMagicAndWrongLengths();
    void refusesUnsafeFileNamesAndBadText();
    void boundsAllocationOnDevicesWithoutSize();
    void classComesFromContentAndName();
    void embeddedDocumentsComeBackIdentical();
    void showsPdfFirstPagePictureAndIcon();
};

void OleFormatTest::roundTrip_data()
{
    QTest::addColumn<Document>("document");
    QTest::newRow("empty container") << Document{};
    QTest::newRow("empty document") << Document{QStringLiteral("text/plain"), {}, QStringLiteral("leer.txt"), {}};
    QTest::newRow("small") << textDocument();
    QTest::newRow("names with a byte order mark")
        << Document{QStringLiteral("text/plain"), QStringLiteral("\uFEFF/tmp/Brief.txt"), QStringLiteral("\uFEFFBrief.txt"), "x"};
    QByteArray large(20 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(17);
    generator.fillRange(reinterpret_cast<quint32 *>(large.data()), large.size() / 4);
    QTest::newRow("20 MB") << Document{QStringLiteral("application/octet-stream"), QStringLiteral("/tmp/gross.bin"),
                                       QStringLiteral("gross.bin"), large};
}

void OleFormatTest::roundTrip()
{
    QFETCH(Document, document);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("tmp1.OLE")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(ole::writeDocument(file, document));
    file.seek(0);
    QString error;
    const std::optional<Document> back = ole::readDocument(file, &error);
    QVERIFY2(back, qPrintable(error));
    QVERIFY(*back == document);
    QVERIFY(file.atEnd());
}

void OleFormatTest::readsAtTheDevicePositionAndStopsAfterTheDocument()
{
    QByteArray bytes = "vorher" + written(textDocument()) + "danach";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    const std::optional<Document> back = ole::readDocument(buffer);
    QVERIFY(back && *back == textDocument());
    QCOMPARE(buffer.read(6), QByteArray("danach"));
}

void OleFormatTest::refusesTruncatedWrongMagicAndWrongLengths()
{
    const QByteArray good = written(textDocument());
    QString error;
    for (qsizetype cut = 0; cut < good.size(); ++cut) {
        error.clear();
        QVERIFY2(!readBack(good.left(cut), &error), qPrintable(QString::number(cut)));
        QVERIFY(!error.isEmpty());
    }

    QVERIFY(!readBack("GIF89a" + good.mid(6), &error));
    QCOMPARE(error, QStringLiteral("Die Datei enthält kein gespeichertes Dokument."));
    QVERIFY(!readBack(QByteArray(), &error));
    QCOMPARE(error, QStringLiteral("Die Datei enthält kein gespeichertes Dokument."));

    QByteArray otherVersion = good;
    otherVersion[20] = 2;
    QVERIFY(!readBack(otherVersion, &error));
    QVERIFY(error.contains(QStringLiteral("Version 2")));

    const quint64 contentLength = quint64(textDocument().bytes.size());
    // Longer than the file, longer or shorter than what was written.
    QVERIFY(!readBack(withLength(good, 3, contentLength + 6), &error));
    QVERIFY2(error.contains(QStringLiteral("Längenangabe")), qPrintable(error));
    for (const quint64 length : {contentLength + 1, contentLength - 1, quint64(0)}) {
        QVERIFY(!readBack(withLength(good, 3, length), &error));
        QVERIFY2(error.contains(QStringLiteral("Ende fehlt")), qPrintable(error));
    }
    QVERIFY(!readBack(withLength(good, 3, std::numeric_limits<quint64>::max()), &error));
    QVERIFY(error.contains(QStringLiteral("Längenangabe")));
    QVERIFY(!readBack(withLength(good, 0, 1'000'000), &error));
    QVERIFY(error.contains(QStringLiteral("Längenangabe")));
}

void OleFormatTest::refusesUnsafeFileNamesAndBadText()
{
    QString error;
    for (const QString &name : {QStringLiteral("../../.profile"), QStringLiteral("/etc/passwd"), QStringLiteral(".."),
                                QStringLiteral("a\\b.txt")}) {
        Document document = textDocument();
        document.fileName = name;
        QVERIFY2(!readBack(written(document), &error), qPrintable(name));
        QVERIFY(error.contains(QStringLiteral("ungültigen Dateinamen")));
    }
    Document document = textDocument();
    document.className = QStringLiteral("xxxx");
    QByteArray bytes = written(document);
    bytes.replace("xxxx", "\xff\xfe\xff\xfe");
    QVERIFY(!readBack(bytes, &error));
    QVERIFY(error.contains(QStringLiteral("kein gültiger Text")));
    // A character cut off at the field's end is no text either.
    bytes = written(document);
    bytes.replace("xxxx", "xxx\xce");
    QVERIFY(!readBack(bytes, &error));
    QVERIFY(error.contains(QStringLiteral("kein gültiger Text")));
}

void OleFormatTest::boundsAllocationOnDevicesWithoutSize()
{
    // A content length of 2^62 on a device that cannot tell its size: the
    // reader takes what arrives and refuses, without asking for 2^62 bytes.
    SequentialBuffer buffer(withLength(written(textDocument()), 3, quint64(1) << 62));
    QString error;
    QVERIFY(!ole::readDocument(buffer, &error));
    QCOMPARE(error, QStringLiteral("Das gespeicherte Dokument ist unvollständig."));

    SequentialBuffer whole(written(textDocument()));
    QVERIFY(ole::readDocument(whole) == textDocument());
}

void OleFormatTest::classComesFromContentAndName()
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("Kostenvoranschlag"));
    const QString text = folder.filePath(QStringLiteral("Notiz.txt"));
    QVERIFY(oletest::writeFile(pdf, oletest::pdfBytes()));
    QVERIFY(oletest::writeFile(text, "Anruf der Versicherung\n"));
    QCOMPARE(ole::documentFromFile(pdf).className, QStringLiteral("application/pdf"));
    const Document notes = ole::documentFromFile(text);
    QCOMPARE(notes.className, QStringLiteral("text/plain"));
    QCOMPARE(notes.fileName, QStringLiteral("Notiz.txt"));
    QCOMPARE(notes.sourceDoc, text);
    QVERIFY_THROWS_EXCEPTION(ole::OleError, ole::documentFromFile(folder.filePath(QStringLiteral("fehlt.pdf"))));
    QVERIFY_THROWS_EXCEPTION(ole::OleError, ole::documentFromFile(folder.path()));
}

void OleFormatTest::embeddedDocumentsComeBackIdentical()
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("Kostenvoranschlag.pdf"));
    const QString text = folder.filePath(QStringLiteral("Unfallbericht.txt"));
    QVERIFY(oletest::writeFile(pdf, oletest::pdfBytes()));
    QVERIFY(oletest::writeFile(text, "Polizeibericht Nr. 4711\n"));
    for (const QString &path : {pdf, text}) {
        ole::OleContainer original;
        original.createEmbed(path);
        QFile file(folder.filePath(QStringLiteral("tmp7.OLE")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        original.saveToFile(file);
        file.close();

        ole::OleContainer loaded;
        QVERIFY(file.open(QIODevice::ReadOnly));
        loaded.readFromFile(file);
        QFile source(path);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QCOMPARE(loaded.document().bytes, source.readAll());
        QCOMPARE(loaded.className(), original.className());
        QCOMPARE(loaded.document().fileName, QFileInfo(path).fileName());
        QCOMPARE(loaded.sourceDoc(), path);
        QVERIFY(!loaded.isLinked());
    }

    // A refused file leaves the container as it was and tells why.
    ole::OleContainer container;
    container.createEmbed(text);
    QByteArray junk("kein Dokument");
    QBuffer buffer(&junk);
    buffer.open(QIODevice::ReadOnly);
    try {
        container.readFromFile(buffer);
        QFAIL("junk was read");
    } catch (const ole::OleError &error) {
        QCOMPARE(error.description(), QStringLiteral("Die Datei enthält kein gespeichertes Dokument."));
    }
    QCOMPARE(container.className(), QStringLiteral("text/plain"));
}

void OleFormatTest::showsPdfFirstPagePictureAndIcon()
{
    const QColor red(200, 30, 30);
    const Document pdf{QStringLiteral("application/pdf"), {}, QStringLiteral("k.pdf"), oletest::pdfBytes(red)};
    const QImage page = ole::documentPicture(pdf, QSize(300, 300));
    QVERIFY(!page.isNull());
    QCOMPARE(page.height(), 300);
    QVERIFY(page.width() < 250); // upright A4 fitted into the square
    QVERIFY2(mostlyColour(page, red), "the first page, not the blue second one");

    const QColor green(20, 160, 60);
    const Document png{QStringLiteral("image/png"), {}, QStringLiteral("f.png"), testpictures::png(green, 64, 48)};
    const QImage picture = ole::documentPicture(png, QSize(320, 320));
    QCOMPARE(picture.size(), QSize(320, 240));
    QVERIFY(mostlyColour(picture, green));

    const QImage card = ole::documentPicture(textDocument(), QSize(200, 150));
    QCOMPARE(card.size(), QSize(200, 150));
    QCOMPARE(card.pixelColor(0, 0).alpha(), 0);
    int inked = 0;
    for (int y = 0; y < card.height(); ++y)
        for (int x = 0; x < card.width(); ++x)
            inked += card.pixelColor(x, y).alpha() > 0;
    QVERIFY2(inked > 500, "icon, name and size are drawn");

    // With a desktop theme the type's icon comes from it instead of the drawn sheet.
    // (The offscreen platform knows no theme folders; a desktop's does.)
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    QVERIFY(!QIcon::fromTheme(QStringLiteral("text-x-generic")).isNull());
    QVERIFY(ole::documentPicture(textDocument(), QSize(200, 150)) != card);
    QIcon::setThemeName(QString());

    const Document broken{QStringLiteral("application/pdf"), {}, QStringLiteral("kaputt.pdf"), "%PDF-1.4 nichts"};
    QCOMPARE(ole::documentPicture(broken, QSize(200, 150)).size(), QSize(200, 150));
    QVERIFY(ole::documentPicture(Document{}, QSize(200, 150)).isNull());
    QVERIFY(ole::documentPicture(pdf, QSize()).isNull());
}

QTEST_MAIN(OleFormatTest)
#include "tst_oleformat.moc"
