// Storing and reading back one large picture: SaveObject then LoadObject of
// a 20 MB file, against the sqlite3 shell writing the same bytes into the
// same table as a blob and writing them out again, in the same run. Prints
// the best of five runs of each, their ratio, and the peak memory of a save
// and of a load relative to the file's size, each measured in a child
// process of its own. Pages of the database file that SQLite maps for
// reading count as resident memory; they are shown apart as well.
//
// bench_kelvane [MEGABYTES]

#include "kelvane/FileRoutines.h"
#include "kelvane/ObjectStorage.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "sendral/OverlayGraphic.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int kRuns = 5;
constexpr long kId = 1;

double timedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// A line of /proc/self/status in kB.
long statusKilobytes(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(QByteArray(key + ':')))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toLong();
    return 0;
}

// A JPEG-looking file of incompressible bytes.
void makePicture(const QString &path, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(20);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    bytes[0] = char(0xFF);
    bytes[1] = char(0xD8);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
        qFatal("cannot write %s", qPrintable(path));
}

void makeDatabase(const QString &path)
{
    dao::OpenOptions create;
    create.create = true;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(path, create);
    varnholt::createSchema(*db);
    db->Close();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool runShell(const QString &database, const QString &statement)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.start(QStringLiteral("sqlite3"), {database, statement});
    return shell.waitForFinished(-1) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
}

// One save and one load, as the control does them; the temporary file goes afterwards.
bool saveAndLoad(kelvane::ObjectStorage &storage, const QString &picture)
{
    if (!storage.SaveObject(kId, picture, nullptr, QString()))
        return false;
    QString tempFile;
    bool isBitmap = false;
    std::shared_ptr<sendral::OverlayGraphic> overlay;
    QString script;
    const bool loaded = storage.LoadObject(kId, tempFile, isBitmap, overlay, script);
    kelvane::DeleteTempFile(QString(), tempFile);
    return loaded;
}

// Starts a new peak: the kernel's high-water mark of resident memory goes
// back to what is resident now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct Phase {
    long peakKb = 0;      // rise of the resident peak over the phase's start
    long mappedKb = 0;    // of it, pages of the database file SQLite maps for reading
};

Phase measurePhase(const std::function<bool()> &work, bool &ok)
{
    resetPeak();
    const long start = statusKilobytes("VmRSS");
    const long fileStart = statusKilobytes("RssFile");
    ok = work() && ok;
    return {statusKilobytes("VmHWM") - start, statusKilobytes("RssFile") - fileStart};
}

void printPhase(const char *name, const Phase &phase, double size)
{
    std::printf("peak memory, %s: +%6.1f MB = %4.2f x file size; %4.2f x without the mapped database pages "
                "(+%5.1f MB)\n",
                name, phase.peakKb / 1024.0, phase.peakKb * 1024.0 / size,
                (phase.peakKb - phase.mappedKb) * 1024.0 / size, phase.mappedKb / 1024.0);
}

// The child: the peak resident memory of one save or one load in a fresh
// process, so that neither the other phase nor memory the allocator kept
// from it counts.
int measure(const QString &phase, const QString &database, const QString &picture, long id)
{
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(database);
    kelvane::ObjectStorage storage(db.get());
    const double size = double(QFile(picture).size());
    bool ok = true;
    QString tempFile;
    const bool save = phase == QLatin1String("save");
    const Phase measured = measurePhase([&] {
        if (save)
            return storage.SaveObject(id, picture, nullptr, QString());
        bool isBitmap = false;
        std::shared_ptr<sendral::OverlayGraphic> overlay;
        QString script;
        return storage.LoadObject(id, tempFile, isBitmap, overlay, script);
    }, ok);
    kelvane::DeleteTempFile(QString(), tempFile);
    printPhase(save ? "save" : "load", measured, size);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Error boxes would wait for a click; the bench reports failures itself.
    core::RecordingMessageService boxes;
    if (argc > 5 && std::strcmp(argv[1], "--measure") == 0)
        return measure(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       QString::fromLocal8Bit(argv[4]), atol(argv[5]));

    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("schaden.jpg"));
    const QString shellOut = dir.filePath(QStringLiteral("shell.jpg"));
    const QString ours = dir.filePath(QStringLiteral("kelvane.db"));
    const QString theirs = dir.filePath(QStringLiteral("shell.db"));
    makePicture(picture, qint64(megabytes) * 1024 * 1024);
    makeDatabase(ours);
    makeDatabase(theirs);
    qputenv("Temp", dir.path().toLocal8Bit());

    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(ours);
    kelvane::ObjectStorage storage(db.get());
    bool ok = true;
    const QString insert = QStringLiteral("INSERT OR REPLACE INTO Objekt (ID, lbObjekt, fBitmap, tClass) "
                                          "VALUES (1, readfile('%1'), -1, 'jpg');").arg(picture);
    const QString select = QStringLiteral("SELECT writefile('%1', lbObjekt) FROM Objekt WHERE ID = 1;").arg(shellOut);
    // Alternating, so that both meet the same state of the disk cache.
    double kelvaneMs = 1e300;
    double shellMs = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        kelvaneMs = std::min(kelvaneMs, timedMs([&] { ok = saveAndLoad(storage, picture) && ok; }));
        shellMs = std::min(shellMs, timedMs([&] {
            ok = runShell(theirs, insert) && ok;
            ok = runShell(theirs, select) && ok;
        }));
    }
    db->Close();
    if (!ok || boxes.shown.size() > 0 || fileBytes(shellOut) != fileBytes(picture)) {
        std::fprintf(stderr, "a run failed%s%s\n", boxes.shown.isEmpty() ? "" : ": ",
                     boxes.shown.isEmpty() ? "" : qPrintable(boxes.lastText()));
        return 1;
    }

    std::printf("picture: %d MB\n", megabytes);
    std::printf("SaveObject + LoadObject: %8.1f ms\n", kelvaneMs);
    std::printf("sqlite3 shell:           %8.1f ms\n", shellMs);
    std::printf("ratio:                   %8.2f    (target <= 1.5)\n", kelvaneMs / shellMs);
    std::fflush(stdout);

    // A row made anew, then the same row with its picture replaced.
    const QString id = QString::number(kId + 1);
    for (const char *heading : {"a new row:", "the row's picture replaced:"}) {
        std::printf("%s\n", heading);
        std::fflush(stdout);
        for (const QString &phase : {QStringLiteral("save"), QStringLiteral("load")}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), phase, ours, picture, id});
            child.waitForFinished(-1);
            if (child.exitCode() != 0)
                return child.exitCode();
        }
    }
    std::printf("target: peak memory <= 3 x file size\n");
    return 0;
}
