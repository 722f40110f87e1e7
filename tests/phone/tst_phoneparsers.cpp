#include "PhoneFiles.h"

#include "phone/ExifTime.h"
#include "phone/FileKind.h"
#include "phone/HttpHead.h"

#include <QTest>

using namespace phone;

class TestPhoneParsers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headsAreReadStrictlyInAnyPieces_data();
    void headsAreReadStrictlyInAnyPieces();
    void theBodysStartIsKeptAfterTheHead();
    void photoTimeIsReadFromExif_data();
    void photoTimeIsReadFromExif();
    void onlyPicturesAndPdfsAreKnown_data();
    void onlyPicturesAndPdfsAreKnown();
};

void TestPhoneParsers::headsAreReadStrictlyInAnyPieces_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("refusal"); // 0: read
    QTest::addColumn<qint64>("length");

    const QByteArray host = "Host: 127.0.0.1\r\n";
    QTest::newRow("page") << "GET /abc/ HTTP/1.1\r\n" + host + "\r\n" << 0 << qint64(0);
    QTest::newRow("upload") << "POST /abc/datei HTTP/1.1\r\n" + host + "Content-Length: 42\r\n\r\n" << 0 << qint64(42);
    QTest::newRow("same length twice") << "POST /x HTTP/1.1\r\n" + host + "Content-Length: 7\r\ncontent-length: 7\r\n\r\n" << 0 << qint64(7);
    QTest::newRow("two lengths") << "POST /x HTTP/1.1\r\n" + host + "Content-Length: 7\r\nContent-Length: 8\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("signed length") << "POST /x HTTP/1.1\r\n" + host + "Content-Length: +7\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("huge length") << "POST /x HTTP/1.1\r\n" + host + "Content-Length: 99999999999999999999\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("post without length") << "POST /x HTTP/1.1\r\n" + host + "\r\n" << 411 << qint64(0);
    QTest::newRow("chunked") << "POST /x HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n" << 501 << qint64(0);
    QTest::newRow("other expectation") << "POST /x HTTP/1.1\r\n" + host + "Content-Length: 1\r\nExpect: 200-ok\r\n\r\n" << 417 << qint64(0);
    QTest::newRow("no host") << QByteArray("GET / HTTP/1.1\r\n\r\n") << 400 << qint64(0);
    QTest::newRow("bare LF") << "GET / HTTP/1.1\n" + host + "\r\n" << 400 << qint64(0);
    QTest::newRow("folded field") << "GET / HTTP/1.1\r\n" + host + "X-A: 1\r\n 2\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("blank before colon") << "GET / HTTP/1.1\r\n" + host + "X-A : 1\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("control in value") << "GET / HTTP/1.1\r\n" + host + "X-A: a\x01" "b\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("eight-bit name value") << "GET / HTTP/1.1\r\n" + host + "X-Dateiname: \xC3\xA4.jpg\r\n\r\n" << 400 << qint64(0);
    QTest::newRow("absolute target") << "GET http://a/ HTTP/1.1\r\n" + host + "\r\n" << 400 << qint64(0);
    QTest::newRow("two blanks") << "GET  / HTTP/1.1\r\n" + host + "\r\n" << 400 << qint64(0);
    QTest::newRow("HTTP/2.0") << "GET / HTTP/2.0\r\n" + host + "\r\n" << 505 << qint64(0);
    QTest::newRow("no version") << "GET /\r\n" + host + "\r\n" << 400 << qint64(0);
    QTest::newRow("long target") << "GET /" + QByteArray(3000, 'a') + " HTTP/1.1\r\n" + host + "\r\n" << 414 << qint64(0);
    QTest::newRow("head too large") << "GET / HTTP/1.1\r\n" + host + "X-A: " + QByteArray(20000, 'a') + "\r\n\r\n" << 431 << qint64(0);
    QByteArray many = "GET / HTTP/1.1\r\n" + host;
    for (int i = 0; i < 70; ++i)
        many += "X-" + QByteArray::number(i) + ": 1\r\n";
    QTest::newRow("too many fields") << many + "\r\n" << 431 << qint64(0);
}

void TestPhoneParsers::headsAreReadStrictlyInAnyPieces()
{
    QFETCH(QByteArray, head);
    QFETCH(int, refusal);
    QFETCH(qint64, length);
    // Whole, and byte by byte as a slow phone sends it: the same verdict.
    for (const int piece : {int(head.size()), 1}) {
        HttpHeadParser parser;
        for (qsizetype at = 0; at < head.size() && parser.state() == HttpHeadParser::State::NeedMore; at += piece)
            parser.feed(head.mid(at, piece));
        if (refusal == 0) {
            QCOMPARE(parser.state(), HttpHeadParser::State::Done);
            QCOMPARE(parser.head().contentLength, length);
            QCOMPARE(parser.head().field("host"), QByteArray("127.0.0.1"));
        } else {
            QCOMPARE(parser.state(), HttpHeadParser::State::Refused);
            QCOMPARE(parser.refusal(), refusal);
        }
    }
}

void TestPhoneParsers::theBodysStartIsKeptAfterTheHead()
{
    HttpHeadParser parser;
    QCOMPARE(parser.feed("POST /t/datei HTTP/1.1\r\nHost: h\r\nExpect: 100-Continue\r\nContent-Length: 5\r"),
             HttpHeadParser::State::NeedMore);
    QCOMPARE(parser.feed("\n\r\nabc"), HttpHeadParser::State::Done);
    QCOMPARE(parser.rest(), QByteArray("abc"));
    QVERIFY(parser.head().expectContinue);
    QCOMPARE(parser.head().method, QByteArray("POST"));
    QCOMPARE(parser.head().target, QByteArray("/t/datei"));
    // Once done, more bytes change nothing.
    QCOMPARE(parser.feed("GET / HTTP/1.1\r\n\r\n"), HttpHeadParser::State::Done);
    QCOMPARE(parser.rest(), QByteArray("abc"));
}

void TestPhoneParsers::photoTimeIsReadFromExif_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QDateTime>("expected");

    const QByteArray plain = phonefiles::jpeg(phonefiles::photo(32, 24, Qt::red));
    const QDateTime taken(QDate(2026, 11, 3), QTime(14, 5, 9));
    const QDateTime changed(QDate(2026, 11, 4), QTime(8, 0, 0));
    QTest::newRow("big-endian original") << phonefiles::withExif(plain, phonefiles::exifTiff(false, {}, "2026:11:03 14:05:09")) << taken;
    QTest::newRow("little-endian original") << phonefiles::withExif(plain, phonefiles::exifTiff(true, {}, "2026:11:03 14:05:09")) << taken;
    QTest::newRow("original before DateTime")
        << phonefiles::withExif(plain, phonefiles::exifTiff(true, "2026:11:04 08:00:00", "2026:11:03 14:05:09")) << taken;
    QTest::newRow("only DateTime") << phonefiles::withExif(plain, phonefiles::exifTiff(false, "2026:11:04 08:00:00", {})) << changed;
    QTest::newRow("no Exif") << plain << QDateTime();
    QTest::newRow("blank date") << phonefiles::withExif(plain, phonefiles::exifTiff(false, {}, "    :  :     :  :  ")) << QDateTime();
    QTest::newRow("month 13") << phonefiles::withExif(plain, phonefiles::exifTiff(false, {}, "2026:13:03 14:05:09")) << QDateTime();
    const QByteArray full = phonefiles::withExif(plain, phonefiles::exifTiff(false, {}, "2026:11:03 14:05:09"));
    QTest::newRow("cut in the segment") << full.left(60) << QDateTime();
    QByteArray pointingOut = full;
    pointingOut[12 + 8 + 2 + 8] = '\x7f'; // the Exif IFD's offset far beyond the end
    QTest::newRow("offset beyond the end") << pointingOut << QDateTime();
    QTest::newRow("no JPEG") << QByteArray("Exif\0\0MM\0*", 10) << QDateTime();
}

void TestPhoneParsers::photoTimeIsReadFromExif()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> time = exifTime(bytes);
    QCOMPARE(time.value_or(QDateTime()), expected);
}

void TestPhoneParsers::onlyPicturesAndPdfsAreKnown_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");

    const QImage image = phonefiles::photo(40, 30, Qt::blue);
    const QByteArray jpeg = phonefiles::jpeg(image);
    const auto encoded = [&image](const char *format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    };
    QTest::newRow("JPEG") << jpeg << int(FileKind::Jpeg);
    QTest::newRow("JPEG cut short") << jpeg.left(jpeg.size() / 2) << int(FileKind::None);
    // The end marker is looked for from the back: what follows it (a motion
    // photo's video) does not hide it, and one inside a segment before the
    // picture data does not stand for it.
    QTest::newRow("JPEG with a video after it") << jpeg + QByteArray(5000, '\x42') << int(FileKind::Jpeg);
    const QByteArray markerInSegment = phonefiles::withExif(jpeg, QByteArray("MM\0*\xFF\xD9", 6));
    QTest::newRow("JPEG cut short, end marker in its Exif") << markerInSegment.left(markerInSegment.size() / 2) << int(FileKind::None);
    QTest::newRow("PNG") << encoded("PNG") << int(FileKind::Png);
    QTest::newRow("PNG cut short") << encoded("PNG").chopped(12) << int(FileKind::None);
    // Qt writes no GIF: one pixel, by hand.
    QTest::newRow("GIF") << QByteArray::fromHex("474946383961010001000000002c00000000010001000002024401003b") << int(FileKind::Gif);
    QTest::newRow("TIFF") << encoded("TIFF") << int(FileKind::Tiff);
    QTest::newRow("BMP") << encoded("BMP") << int(FileKind::Bmp);
    QTest::newRow("WebP") << encoded("WEBP") << int(FileKind::WebP);
    QTest::newRow("HEIC") << QByteArray("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24) + QByteArray(64, '\0') << int(FileKind::Heif);
    QTest::newRow("MP4 video") << QByteArray("\0\0\0\x18" "ftypisom\0\0\0\0isomavc1", 24) + QByteArray(64, '\0') << int(FileKind::None);
    QTest::newRow("PDF") << phonefiles::pdf() << int(FileKind::Pdf);
    QTest::newRow("PDF without end") << QByteArray("%PDF-1.7\n1 0 obj\n") << int(FileKind::None);
    QTest::newRow("text") << QByteArray("Kostenvoranschlag\n") << int(FileKind::None);
    QTest::newRow("zip") << QByteArray("PK\x03\x04") + QByteArray(100, 'x') << int(FileKind::None);
    QTest::newRow("program") << QByteArray("\x7f" "ELF\x02\x01\x01") + QByteArray(100, '\0') << int(FileKind::None);
    QTest::newRow("empty") << QByteArray() << int(FileKind::None);
}

void TestPhoneParsers::onlyPicturesAndPdfsAreKnown()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QCOMPARE(int(sniffKind(bytes)), kind);
}

QTEST_MAIN(TestPhoneParsers)
#include "tst_phoneparsers.moc"
