#include "ControlHost.h"
#include "TestEngine.h"
#include "../phone/PhoneFiles.h"
#include "../support/HeicFiles.h"

#include "kelvane/ObjectStorage.h"
#include "kelvane/RAZOleCtrl.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "phone/PhoneDialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kelvane;

// The attachment control's "Vom Handy ...": what a phone sends becomes the
// control's content through the same insert as a file, or is refused and
// leaves what is stored and what is pending as it was.
class TestControlPhone : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void arrivalsAreInsertedOrRefusedWithoutLoss();

private:
    QTemporaryDir m_dir;
    testengine::Databases m_databases;
};

void TestControlPhone::initTestCase()
{
    VARNHOLT_REQUIRE_TEST_ENGINE();
    QVERIFY(m_dir.isValid());
    QDir().mkpath(m_dir.filePath(QStringLiteral("temp")));
    qputenv("Temp", m_dir.filePath(QStringLiteral("temp")).toLocal8Bit());
}

void TestControlPhone::arrivalsAreInsertedOrRefusedWithoutLoss()
{
    core::RecordingMessageService boxes;
    dao::OpenOptions create;
    create.create = true;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path(QStringLiteral("phone.db")), create);
    varnholt::createSchema(*db);
    const QString stored = m_dir.filePath(QStringLiteral("stored.jpg"));
    {
        QFile file(stored);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(phonefiles::jpeg(phonefiles::photo(40, 30, Qt::gray)));
    }
    QVERIFY(ObjectStorage(db.get()).SaveObject(8, stored, nullptr, QString()));

    // A stored picture with a change pending over it: a blue photo dropped.
    auto control = controltest::makeControl(db.get(), {{QStringLiteral("OptimizeLoad"), false}});
    control->SetValue(8);
    QVERIFY(control->RestorePendingContent({PendingAttachment::Picture, QStringLiteral("pending.jpg"),
                                            phonefiles::jpeg(phonefiles::photo(40, 30, Qt::blue)), {}, {}}));
    QCOMPARE(control->PendingChange(), int(ChangeReplaced));
    const auto centre = [&control] { return control->Picture().pixelColor(20, 4); };
    QCOMPARE(centre().blue() > 200, true);

    // Complete JPEG segments around no picture at all: the receiver takes
    // it as a JPEG, the insert refuses it.
    const QByteArray broken = QByteArray("\xFF\xD8\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 12) + QByteArray(64, '\x11')
                              + QByteArray("\xFF\xD9", 2);
    const QByteArray red = phonefiles::photoTakenAt(phonefiles::photo(40, 30, Qt::red), "2026:12:08 11:00:00");
    // A phone's HEIC is stored as JPEG, as on any insert.
    const QString heicFile = m_dir.filePath(QStringLiteral("IMG_9.heic"));
    const QString noEncoder = heicfiles::writeHeic(heicFile, 64, 32, heif_orientation_normal);
    const QByteArray heic = phonefiles::RawClient::readFile(heicFile);
    QList<int> statuses;
    QStringList pages;
    // While the dialog is open; a failed check leaves these steps, and the dialog is closed all the same.
    const auto steps = [&](phone::PhoneDialog *dialog) {
        const quint16 port = dialog->receiver().port();
        const QByteArray page = dialog->receiver().loopbackAddress().path().toLatin1();
        const auto send = [&](const QByteArray &name, const QByteArray &bytes) {
            phonefiles::RawClient client(port);
            client.send(phonefiles::upload(page, name, bytes));
            QVERIFY(QTest::qWaitFor([&client] { return client.ended; }, 20000));
            statuses.append(client.status());
            pages.append(client.body());
        };
        send("kaputt.jpg", broken);
        // Refused: the pending photo is still shown and still pending.
        QCOMPARE(control->PendingChange(), int(ChangeReplaced));
        QVERIFY(centre().blue() > 200);
        if (noEncoder.isEmpty()) {
            send("IMG_9.heic", heic);
            QCOMPARE(statuses.last(), 201);
            QVERIFY(control->Picture().pixelColor(4, 16).red() > 180 && control->Picture().pixelColor(60, 16).blue() > 180);
            QVERIFY(control->Save());
            auto rs = db->OpenRecordset(QStringLiteral("SELECT lbObjekt, tClass FROM Objekt WHERE ID = 8"),
                                        dao::RecordsetType::Snapshot);
            QCOMPARE(rs->Value(QStringLiteral("tClass")).toString(), QStringLiteral("jpg"));
            QVERIFY(rs->Value(QStringLiteral("lbObjekt")).toByteArray().startsWith("\xFF\xD8"));
            statuses.removeLast();
            pages.removeLast();
        } else {
            qWarning("HEIC from the phone not tried: %s", qPrintable(noEncoder));
        }
        send("IMG_1.jpg", red);
        QVERIFY(centre().red() > 200);
        // A case settled meanwhile takes nothing more.
        control->SetLocked(true);
        send("IMG_2.jpg", phonefiles::jpeg(phonefiles::photo(40, 30, Qt::green)));
        control->SetLocked(false);
        QCOMPARE(dialog->findChild<QListWidget *>(QStringLiteral("lstEingang"))->count(), noEncoder.isEmpty() ? 4 : 3);
    };
    QTimer::singleShot(0, [&] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<phone::PhoneDialog *>(window); dialog && dialog->isVisible()) {
                steps(dialog);
                dialog->accept();
            }
    });
    control->hWnd()->findChild<QAction *>(QStringLiteral("Phone"))->trigger();

    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(statuses, QList<int>({422, 201, 422}));
    QVERIFY2(pages.at(0).contains(QStringLiteral("kaputt")) || pages.at(0).contains(QStringLiteral("Handy")), qPrintable(pages.at(0)));
    QVERIFY2(pages.at(2).contains(QStringLiteral("abgeschlossen")), qPrintable(pages.at(2)));
    // Refusals go to the phone's page and the dialog's list, not into boxes.
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!control->Busy());
    QVERIFY(centre().red() > 200);
    QVERIFY(control->Save());
    auto rs = db->OpenRecordset(QStringLiteral("SELECT lbObjekt FROM Objekt WHERE ID = 8"), dao::RecordsetType::Snapshot);
    QCOMPARE(rs->Value(QStringLiteral("lbObjekt")).toByteArray(), red);
    // The copy the control took goes with the control.
    control.reset();
    QDirIterator copies(m_dir.filePath(QStringLiteral("temp")), {QStringLiteral("Handy*")}, QDir::Files,
                        QDirIterator::Subdirectories);
    QVERIFY(!copies.hasNext());
}

QTEST_MAIN(TestControlPhone)
#include "tst_controlphone.moc"
