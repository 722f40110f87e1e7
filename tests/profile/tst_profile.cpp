#include "TestFiles.h"

#include "profile/Profile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using profile::readProfileString;
using profile::writeProfileString;

using testfiles::readBytes;
using testfiles::writeBytes;

class TestProfile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void reading_ignoresBlanksCaseAndComments()
    {
        const QString ini = file("read.ini");
        writeBytes(ini, "; Einstellungen\r\n"
                        "[Datenbank]\r\n"
                        "  Pfad   =   /daten/Varnholt.db  \r\n"
                        "\r\n"
                        "[ daten ]\r\n"
                        ";Tage=1\r\n"
                        "TAGE\t=\t30\r\n"
                        "Tage=99\r\n"
                        "Leer=\r\n"
                        "Zitat = \"  mit Blanks  \"\r\n"
                        "Halb = 'offen\r\n");
        QCOMPARE(readProfileString(ini, "DATENBANK", "pfad", "x"), QStringLiteral("/daten/Varnholt.db"));
        QCOMPARE(readProfileString(ini, "Daten", "Tage", "60"), QStringLiteral("30"));
        QCOMPARE(readProfileString(ini, "Daten", "Leer", "vorgabe"), QString(""));
        QCOMPARE(readProfileString(ini, "Daten", "Zitat", ""), QStringLiteral("  mit Blanks  "));
        QCOMPARE(readProfileString(ini, "Daten", "Halb", ""), QStringLiteral("'offen"));
        // A key of another section is not found.
        QCOMPARE(readProfileString(ini, "Datenbank", "Tage", "60"), QStringLiteral("60"));
    }

    void reading_givesTheDefaultForWhatIsMissing()
    {
        const QString ini = file("missing.ini");
        writeBytes(ini, "[Daten]\r\nTage=5\r\n");
        QCOMPARE(readProfileString(ini, "Daten", "SortSpalte", "Datum"), QStringLiteral("Datum"));
        QCOMPARE(readProfileString(ini, "Schaden", "Tage", "60"), QStringLiteral("60"));
        QCOMPARE(readProfileString(file("nirgends.ini"), "Daten", "Tage", "60"), QStringLiteral("60"));
        QCOMPARE(readProfileString(ini, "Daten", "Leer", "Datum  "), QStringLiteral("Datum"));
    }

    void reading_cutsLongValuesToTheBuffer()
    {
        const QString ini = file("long.ini");
        const QByteArray longValue(400, 'x');
        writeBytes(ini, "[Datenbank]\r\nPfad=" + longValue + "\r\n");
        QCOMPARE(readProfileString(ini, "Datenbank", "Pfad", "").size(), profile::ProfileBufferSize - 1);
        QCOMPARE(readProfileString(ini, "Datenbank", "Kurz", QString(300, u'd')).size(), 254);
    }

    void writing_aKeyInTheMiddleChangesOnlyItsLine()
    {
        const QString ini = file("middle.ini");
        const QByteArray before = "; Varnholt\r\n"
                                  "[Datenbank]\r\n"
                                  "Pfad = /srv/Varnholt.db\r\n"
                                  "\r\n"
                                  "[Daten]\r\n"
                                  "; Tage bis zur Mahnung\r\n"
                                  "Tage = 60\r\n"
                                  "SortSpalte = Datum\r\n"
                                  "\r\n"
                                  "[Schaden]\r\n";
        writeBytes(ini, before);
        QVERIFY(writeProfileString(ini, "daten", "TAGE", "14"));
        QByteArray expected = before;
        expected.replace("Tage = 60\r\n", "Tage=14\r\n");
        QCOMPARE(readBytes(ini), expected);
        QCOMPARE(readProfileString(ini, "Daten", "Tage", "60"), QStringLiteral("14"));
    }

    void writing_addsKeysAndSectionsWhereTheyBelong()
    {
        const QString ini = file("add.ini");
        writeBytes(ini, "[Daten]\r\nTage=60\r\n\r\n[Schaden]\r\n");
        QVERIFY(writeProfileString(ini, "Daten", "SortDesc", "-1"));
        QVERIFY(writeProfileString(ini, "Print", "Scale", "100"));
        QCOMPARE(readBytes(ini), QByteArray("[Daten]\r\nTage=60\r\nSortDesc=-1\r\n\r\n[Schaden]\r\n"
                                            "[Print]\r\nScale=100\r\n"));

        const QString fresh = file("fresh.ini");
        QVERIFY(writeProfileString(fresh, "Daten", "Tage", "60"));
        QCOMPARE(readBytes(fresh), QByteArray("[Daten]\r\nTage=60\r\n"));
    }

    void writing_keepsTheFilesOwnLineEnds()
    {
        const QString unix = file("unix.ini");
        writeBytes(unix, "[Daten]\nTage=60");
        QVERIFY(writeProfileString(unix, "Daten", "Spalten", "600;"));
        QCOMPARE(readBytes(unix), QByteArray("[Daten]\nTage=60\nSpalten=600;\n"));

        const QString oneLine = file("oneline.ini");
        writeBytes(oneLine, "[Daten]");
        QVERIFY(writeProfileString(oneLine, "Daten", "Tage", "line\r\nbreak"));
        QCOMPARE(readBytes(oneLine), QByteArray("[Daten]\r\nTage=line  break\r\n"));

        // Found by fuzzing: a last line ending in a lone carriage return read
        // as another section than after a write had given it its line end.
        const QString loneCr = file("lonecr.ini");
        writeBytes(loneCr, QByteArray(";\n[Datenbank \r"));
        QVERIFY(writeProfileString(loneCr, "Datenbank", "Pfad", "neu"));
        QCOMPARE(readProfileString(loneCr, "Datenbank", "Pfad", "alt"), QString("neu"));
        QCOMPARE(readBytes(loneCr), QByteArray(";\n[Datenbank \r\nPfad=neu\n"));
        writeBytes(loneCr, QByteArray("[Daten]\nTage=60\r"));
        QCOMPARE(readProfileString(loneCr, "Daten", "Tage", ""), QString("60"));
    }

    void encoding_keepsLatin1FilesAndTheByteOrderMark()
    {
        const QString latin = file("latin1.ini");
        writeBytes(latin, "[Daten]\r\nNotiz=Gr\xFC\xDF" "e\r\nTage=60\r\n");
        QCOMPARE(readProfileString(latin, "Daten", "Notiz", ""), QStringLiteral("Grüße"));
        QVERIFY(writeProfileString(latin, "Daten", "Tage", "Müll"));
        QCOMPARE(readBytes(latin), QByteArray("[Daten]\r\nNotiz=Gr\xFC\xDF" "e\r\nTage=M\xFCll\r\n"));
        // A character Latin-1 cannot hold turns the whole file into UTF-8.
        QVERIFY(writeProfileString(latin, "Daten", "Tage", "5 €"));
        QCOMPARE(readBytes(latin), QByteArray("[Daten]\r\nNotiz=Grüße\r\nTage=5 €\r\n"));

        const QString bom = file("bom.ini");
        writeBytes(bom, "\xEF\xBB\xBF[Datenbank]\r\nPfad=Varnholt.db\r\n");
        QCOMPARE(readProfileString(bom, "Datenbank", "Pfad", ""), QStringLiteral("Varnholt.db"));
        QVERIFY(writeProfileString(bom, "Datenbank", "Pfad", "/x/Schäden.db"));
        QCOMPARE(readBytes(bom), QByteArray("\xEF\xBB\xBF[Datenbank]\r\nPfad=/x/Schäden.db\r\n"));
    }

    void writing_intoAMissingFolderFailsWithoutCreatingAnything()
    {
        QVERIFY(!writeProfileString(file("fehlt/x.ini"), "Daten", "Tage", "1"));
        QVERIFY(!QFile::exists(file("fehlt")));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
