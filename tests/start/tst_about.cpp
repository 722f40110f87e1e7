#include "varnholt/Globals.h"
#include "varnholt/frmLogo.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace varnholt;

// Set VARNHOLT_SCREENSHOTS to a folder to keep a picture of the window.
class TestAbout : public QObject {
    Q_OBJECT
private:
    void keepScreenshot(QWidget &window)
    {
        const QString folder = qEnvironmentVariable("VARNHOLT_SCREENSHOTS");
        if (!folder.isEmpty())
            QVERIFY(window.grab().save(folder + QStringLiteral("/frmLogo.png")));
    }

private Q_SLOTS:
    void init()
    {
        gAppPath = QStringLiteral("/opt/varnholt/");
        gDbPath = QStringLiteral("/srv/fuhrpark/Varnholt.db");
    }

    void aboutWindow_showsPathsPictureAndVersion()
    {
        frmLogo window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Info über Varnholt (" VARNHOLT_PROJECT_VERSION ")"));
        QCOMPARE(window.minimumSize(), window.maximumSize());

        QCOMPARE(window.findChild<QLabel *>("lblProgrammpfad")->text(), QStringLiteral("/opt/varnholt"));
        QCOMPARE(window.findChild<QLabel *>("lblDatenbankpfad")->text(), gDbPath);

        const QImage picture = window.findChild<QLabel *>("imgProdukt")->pixmap().toImage();
        QVERIFY(!picture.isNull());
        QVERIFY(picture.pixelColor(picture.width() / 2, picture.height() / 2).alpha() > 0);
        keepScreenshot(window);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
