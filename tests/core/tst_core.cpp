#include "core/FontFaces.h"
#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace core;

class TestCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber_readsLikeTheClassicVal()
    {
        QCOMPARE(core::leadingNumber("12ab"), 12.0);
        QCOMPARE(core::leadingNumber("abc"), 0.0);
        QCOMPARE(core::leadingNumber("  -3"), -3.0);
        QCOMPARE(core::leadingNumber("1.5x"), 1.5);
        QCOMPARE(core::leadingNumber("3,5"), 3.0);
        QCOMPARE(core::leadingNumber(""), 0.0);
        QCOMPARE(core::leadingNumber("-"), 0.0);
        QCOMPARE(core::shortestText(1440), QStringLiteral("1440"));
    }

    void placement_survivesARoundTripInTwips()
    {
        QTemporaryDir dir;
        UserSettings::useFolder(dir.path());
        QWidget w;
        w.setGeometry(100, 120, 640, 480);
        UserSettings::savePlacement(&w, "Main");
        QCOMPARE(UserSettings::value("Main", "Width"), QStringLiteral("9600"));
        QWidget other;
        other.setGeometry(0, 0, 200, 200);
        UserSettings::restorePlacement(&other, "Main");
        QCOMPARE(other.size(), QSize(640, 480));
        QCOMPARE(UserSettings::number("Main", "Missing", 7), 7.0);

        // A damaged setting beyond any screen reads as 0, like an unreadable one.
        UserSettings::setValue("Main", "Left", QString(30, u'9'));
        UserSettings::setValue("Main", "Width", QString(30, u'9'));
        UserSettings::restorePlacement(&other, "Main");
        QCOMPARE(other.width(), 1);
        QCOMPARE(twipsToPixels(-22.5), -2);
        QCOMPARE(twipsToPixels(1e300), 0);
        UserSettings::useFolder({});
    }

    void fileDialogs_startInThePicturesFolderUntilAFileWasChosen()
    {
        QTemporaryDir dir;
        UserSettings::useFolder(dir.path());
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        QDir(dir.path()).mkpath(QStringLiteral("home/Bilder"));
        QDir(dir.path()).mkpath(QStringLiteral("config"));
        const QString homePath = dir.filePath(QStringLiteral("home"));
        qputenv("HOME", homePath.toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());

        // No list of the user's folders: the home folder.
        QCOMPARE(UserSettings::startFolder("Bildanzeige", "Bildordner"), homePath);
        QFile list(dir.filePath(QStringLiteral("config/user-dirs.dirs")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
        list.close();
        QCOMPARE(UserSettings::startFolder("Bildanzeige", "Bildordner"), homePath + QStringLiteral("/Bilder"));
        // The folder last chosen wins while it exists.
        UserSettings::setValue("Bildanzeige", "Bildordner", dir.path());
        QCOMPARE(UserSettings::startFolder("Bildanzeige", "Bildordner"), dir.path());
        UserSettings::setValue("Bildanzeige", "Bildordner", dir.filePath(QStringLiteral("weg")));
        QCOMPARE(UserSettings::startFolder("Bildanzeige", "Bildordner"), homePath + QStringLiteral("/Bilder"));

        qputenv("HOME", home);
        if (config.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", config);
        UserSettings::useFolder({});
    }

    void fontFaces_resolveWindowsFacesToTheirMetricTwins_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("Arial") << QStringLiteral("Arial") << QStringLiteral("Liberation Sans");
        QTest::newRow("old editor default") << QStringLiteral("MS Sans Serif") << QStringLiteral("Liberation Sans");
        QTest::newRow("Times New Roman") << QStringLiteral("Times New Roman") << QStringLiteral("Liberation Serif");
        QTest::newRow("Courier New") << QStringLiteral("courier new") << QStringLiteral("Liberation Mono");
        QTest::newRow("installed, any case") << QStringLiteral("dejavu sans") << QStringLiteral("DejaVu Sans");
        QTest::newRow("foundry tag") << QStringLiteral("Liberation Sans [UKWN]") << QStringLiteral("Liberation Sans");
        QTest::newRow("unknown") << QStringLiteral("Gibt es nicht") << QStringLiteral("");
        QTest::newRow("empty") << QStringLiteral(" ") << QStringLiteral("");
    }

    void fontFaces_resolveWindowsFacesToTheirMetricTwins()
    {
        QFETCH(QString, written);
        QFETCH(QString, drawn);
        QCOMPARE(FontFaces::resolve(written), drawn);
        const QStringList names = FontFaces::familyNames();
        QVERIFY(drawn.isEmpty() || names.contains(drawn));
        // What the font list offers are plain family names, each once.
        QVERIFY(!names.filter(QStringLiteral("[")).size());
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }

    void qtDialogs_speakGermanUnderAGermanLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        installQtTranslation(*QCoreApplication::instance());
        QLocale::setDefault(QLocale::c());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    }
};

QTEST_MAIN(TestCore)
#include "tst_core.moc"
