// The recovery copy of an unsaved case: its bytes, its file, and a form
// killed without warning whose case comes back at the next start.

#include "TestEngine.h"
#include "TestPictures.h"

#include "form/RecoveryCopy.h"
#include "form/frmSchaden.h"

#include "varnholt/CaseList.h"
#include "varnholt/Schema.h"

#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class ListSide : public varnholt::CaseList {
public:
    void RefreshGrid(long) override {}
    void addVehicle(const QString &) override {}
};

form::RecoveredCase sampleCopy()
{
    form::RecoveredCase copy;
    copy.database = form::RecoveredCase::databaseKey(QStringLiteral("/srv/varnholt/Varnholt.db"));
    copy.caseId = 17;
    copy.stamp = {QDateTime(QDate(2010, 3, 1), QTime(8, 0)), QVariant()};
    copy.fields = {{QStringLiteral("cboAuto"), QStringLiteral("B-XY 9")},
                   {QStringLiteral("txtFeld_2"), QStringLiteral("Delle\nhinten; links #1")}};
    kelvane::PendingAttachment picture;
    picture.kind = kelvane::PendingAttachment::Picture;
    picture.fileName = QStringLiteral("Foto.jpg");
    picture.bytes = QByteArray(5000, 'x');
    picture.overlay = QByteArray("\x89PNG", 4);
    picture.script = QStringLiteral("RECT;1;2;3;4;1;0;0;0#");
    kelvane::PendingAttachment removed;
    removed.kind = kelvane::PendingAttachment::Removed;
    copy.attachments = {{QStringLiteral("Objekt_ID_1"), picture}, {QStringLiteral("Objekt_ID_3"), removed}};
    return copy;
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    ListSide m_list;

    QString settingsFolder() const { return m_dir.filePath(QStringLiteral("user")); }

    QVariant stored(long id, const QString &column)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT * FROM Schaden WHERE ID = ?"), dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {qlonglong(id)});
        return rs->IsEOF() ? QVariant() : rs->Value(column);
    }

    // Runs the child until its copy is written, then kills it.
    void typeAndCrash(const QString &picture, long caseId)
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/form_crash_child"),
                    {m_databases.path(QStringLiteral("r.db")), settingsFolder(), picture, QString::number(caseId)});
        QVERIFY(child.waitForStarted());
        QDeadlineTimer deadline(120000);
        while (!child.readAllStandardOutput().contains("bereit")) {
            QVERIFY2(child.state() == QProcess::Running, "the child ended before its copy was written");
            QVERIFY2(!deadline.hasExpired(), "no recovery copy within two minutes");
            child.waitForReadyRead(500);
        }
        child.kill();   // SIGKILL: nothing of the child's runs any more
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    }

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init()
    {
        core::UserSettings::useFolder(settingsFolder());
        m_databases.remove(QStringLiteral("r.db"));
        dao::OpenOptions create;
        create.create = true;
        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path(QStringLiteral("r.db")), create);
        varnholt::createSchema(*m_db);
    }

    void cleanup()
    {
        form::RecoveryCopy().discard();
        m_db.reset();
    }

    void copyKeepsEverythingAndRefusesWhatItDidNotWrite()
    {
        const form::RecoveredCase copy = sampleCopy();
        const QByteArray bytes = form::encodeRecoveredCase(copy);
        QVERIFY(form::decodeRecoveredCase(bytes) == copy);
        // Cut anywhere, grown, or another file: no copy.
        for (qsizetype length : {qsizetype(0), qsizetype(3), qsizetype(20), bytes.size() / 2, bytes.size() - 1})
            QVERIFY2(!form::decodeRecoveredCase(bytes.left(length)), qPrintable(QString::number(length)));
        QVERIFY(!form::decodeRecoveredCase(bytes + '\0'));
        QVERIFY(!form::decodeRecoveredCase(QByteArray("[Datenbank]\nPfad=x\n")));
        // Fuzzing starts from a copy the program takes.
        QFile seed(QStringLiteral(VARNHOLT_SOURCE_DIR "/fuzz/corpus/fuzz_recovery_copy/new_case.bin"));
        QVERIFY(seed.open(QIODevice::ReadOnly));
        const std::optional<form::RecoveredCase> seeded = form::decodeRecoveredCase(seed.readAll());
        QVERIFY(seeded && seeded->fields.size() == 4 && seeded->attachments.size() == 2);
        QByteArray claims = bytes;
        claims.replace(claims.size() - 4, 4, QByteArray::fromHex("7ffffff0"));   // a script longer than the file
        QVERIFY(!form::decodeRecoveredCase(claims));
        // A stamp in a time zone that has no name would be written back as
        // another one: only what this program writes, byte for byte, is taken.
        QVERIFY(!form::decodeRecoveredCase(QByteArray::fromHex(
            "56524b3100010000000000fdffffffffffffff00000000fe5e00000000000027000000000000000000")));

        // The file: owner-only, read back as written, gone when removed.
        form::RecoveryCopy file(m_dir.filePath(QStringLiteral("kopie/wiederherstellung.bin")));
        QString error;
        QVERIFY2(file.write(copy, &error), qPrintable(error));
        QVERIFY((QFile::permissions(file.path()) & ~(QFile::ReadUser | QFile::WriteUser))
                == (QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(file.read() == copy);
        file.remove();
        QVERIFY(!QFile::exists(file.path()));
        // One it did not write, it leaves; declined, it goes.
        QVERIFY(form::RecoveryCopy(file.path()).write(copy));
        file.remove();
        QVERIFY(QFile::exists(file.path()));
        file.discard();
        QVERIFY(!file.read());
    }

    void aKilledFormsCaseComesBack_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new case") << false;
        QTest::newRow("stored case changed elsewhere meanwhile") << true;
    }

    void aKilledFormsCaseComesBack()
    {
        QFETCH(bool, existing);
        long id = 0;
        if (existing) {
            id = 1;
            m_db->Execute(QStringLiteral("INSERT INTO Schaden (ID, EigenKZ, Schadennummer, Schadenart, Name) "
                                         "VALUES (1, 'B-AB 1', '10/001', 'Einzelschaden', 'alt')"));
        }
        const QByteArray photo = testpictures::encoded(testpictures::marked(80, 60), "jpg");
        const QString picture = testpictures::write(m_dir.filePath(QStringLiteral("Foto.jpg")), photo);
        typeAndCrash(picture, id);
        const form::RecoveryCopy copy;
        QVERIFY(QFile::exists(copy.path()));
        QVERIFY(!(QFile::permissions(copy.path()) & (QFile::ReadGroup | QFile::ReadOther)));
        if (existing)
            m_db->Execute(QStringLiteral("UPDATE Schaden SET Name = 'anderswo', [tsGeändert] = ? WHERE ID = 1"),
                          {QDateTime(QDate(2010, 3, 6), QTime(10, 0))});

        // The next start: the form offers the case and, on "Ja", shows it as it was.
        core::RecordingMessageService messages;
        messages.answers = {core::MsgAnswer::Yes};
        QWidget owner;
        auto *form = static_cast<frmSchaden *>(caseFormFactory(*m_db)(m_list, &owner));
        QTRY_COMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].text, QStringLiteral("Ein nicht gespeicherter Vorgang wurde gefunden. Wiederherstellen?"));
        QCOMPARE(messages.shown[0].icon, core::MsgIcon::Question);
        QVERIFY(form->isVisible());
        QCOMPARE(form->CaseID(), id);
        QCOMPARE(form->findChild<QComboBox *>(QStringLiteral("cboAuto"))->currentText(), QStringLiteral("B-XY 9"));
        QCOMPARE(form->findChild<QLineEdit *>(QStringLiteral("txtFeld_1"))->text(), QStringLiteral("Gegner Schmidt"));
        QCOMPARE(form->findChild<QPlainTextEdit *>(QStringLiteral("txtFeld_2"))->toPlainText(),
                 QStringLiteral("Delle\nhinten links"));
        QWidget *view = form->findChild<QWidget *>(QStringLiteral("Ole_0"))->findChild<QWidget *>(QStringLiteral("PictureView1"));
        QCOMPARE(testpictures::read(view->property("fileName").toString()), photo);
        QVERIFY(form->FormChanged());

        messages.answers = {core::MsgAnswer::Yes};
        QVERIFY(form->SaveCase());
        if (existing)
            QVERIFY(messages.shown.last().text.startsWith(
                QStringLiteral("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz geändert")));
        const long saved = form->CaseID();
        QCOMPARE(saved, 1L);
        QCOMPARE(stored(saved, QStringLiteral("Name")).toString(), QStringLiteral("Gegner Schmidt"));
        QCOMPARE(stored(saved, QStringLiteral("EigenKZ")).toString(), QStringLiteral("B-XY 9"));
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt FROM Objekt WHERE ID = ?"),
                                      dao::RecordsetType::Snapshot, dao::RecordsetOption::None,
                                      {stored(saved, QStringLiteral("Objekt_ID_1"))});
        QVERIFY(!rs->IsEOF());
        QCOMPARE(rs->Value(QStringLiteral("lbObjekt")).toByteArray(), photo);
        QVERIFY(!QFile::exists(copy.path()));
    }

    void refusedCopyIsGoneAndAnotherDatabaseIsNotOffered()
    {
        form::RecoveredCase other = sampleCopy();
        QVERIFY(form::RecoveryCopy().write(other));
        core::RecordingMessageService messages;
        {
            QWidget owner;
            caseFormFactory(*m_db)(m_list, &owner);
            QTest::qWait(50);
            QVERIFY(messages.shown.isEmpty());
        }
        QVERIFY(form::RecoveryCopy().read() == other);
        // The form's own database: offered once, and "Nein" drops it.
        other.database = form::RecoveredCase::databaseKey(m_db->Name());
        other.caseId = 0;
        QVERIFY(form::RecoveryCopy().write(other));
        messages.answers = {core::MsgAnswer::No};
        QWidget owner;
        auto *form = static_cast<frmSchaden *>(caseFormFactory(*m_db)(m_list, &owner));
        QTRY_COMPARE(messages.shown.size(), 1);
        QVERIFY(!form->isVisible());
        QVERIFY(!QFile::exists(form::RecoveryCopy().path()));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
