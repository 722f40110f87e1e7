#include "kelvane/ErrorMessage.h"
#include "kelvane/FileRoutines.h"
#include "core/PrivateTempFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace kelvane;

// Temporary attachment files on a machine shared by several users.
class TestTempFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_shared.isValid());
        qputenv("Temp", m_shared.path().toLocal8Bit());
    }
    void cleanup() { qunsetenv("Temp"); }

    void privateFolderIsOwnerOnlyUnguessableAndGoesWithItsOwner()
    {
        QString path;
        {
            core::PrivateTempFolders folders;
            path = folders.inside(m_shared.path());
            QVERIFY(!path.isEmpty());
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_shared.path()).absoluteFilePath());
            QCOMPARE(folders.inside(m_shared.path() + u'/'), path);
            struct stat entry {};
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &entry), 0);
            QVERIFY(S_ISDIR(entry.st_mode));
            QCOMPARE(entry.st_mode & 07777, mode_t(0700));

            core::PrivateTempFolders other;
            QVERIFY(other.inside(m_shared.path()) != path);
            QFile left(path + QStringLiteral("/tmp1.jpg"));
            QVERIFY(left.open(QIODevice::WriteOnly));
        }
        QVERIFY(!QFileInfo::exists(path));
        core::PrivateTempFolders folders;
        QCOMPARE(folders.inside(m_shared.filePath(QStringLiteral("fehlt"))), QString());
    }

    void namesLieInTheApplicationsPrivateFolder()
    {
        core::PrivateTempFolders *folders = core::PrivateTempFolders::ofApplication();
        QVERIFY(folders);
        QCOMPARE(core::PrivateTempFolders::ofApplication(), folders);
        QCOMPARE(folders->parent(), QCoreApplication::instance());
        const QString name = MakeTempFileName(QStringLiteral("tmp42"), QStringLiteral("jpg"));
        // Before, the name lay open in the shared folder: <Temp>/tmp42.jpg.
        QCOMPARE(name, folders->inside(m_shared.path()) + QStringLiteral("/tmp42.jpg"));
        QVERIFY(!QFileInfo::exists(m_shared.filePath(QStringLiteral("tmp42.jpg"))));
        WriteFileBytes(name, "abc");
        QCOMPARE(QFileInfo(name).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
    }

    void aLinkIsNeverWrittenThrough()
    {
        const QString folder = core::PrivateTempFolders::ofApplication()->inside(m_shared.path());
        const QString victim = m_shared.filePath(QStringLiteral("opfer.txt"));
        const QString planted = folder + QStringLiteral("/tmp5.jpg");
        QVERIFY(QFile::link(victim, planted));
        // A dangling link takes its name: writing there would create the target.
        QCOMPARE(MakeTempFileName(QStringLiteral("tmp5"), QStringLiteral("jpg")), folder + QStringLiteral("/tmp5(1).jpg"));
        QCOMPARE(errorNumberOfWriting(planted), long(ErrPathAccess));
        QVERIFY(!QFileInfo::exists(victim));

        // Nor through a link to a file that exists.
        QFile existing(victim);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("bleibt");
        existing.close();
        QCOMPARE(errorNumberOfWriting(planted), long(ErrPathAccess));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("bleibt"));
    }

private:
    static long errorNumberOfWriting(const QString &path)
    {
        try {
            WriteFileBytes(path, "fremd");
        } catch (const KelvaneError &e) {
            return e.error().Number;
        }
        return 0;
    }

    QTemporaryDir m_shared;
};

QTEST_MAIN(TestTempFiles)
#include "tst_tempfiles.moc"
