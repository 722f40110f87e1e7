#include "varnholt/CommandLine.h"

#include "varnholt/DemoData.h"
#include "varnholt/DemoEstimates.h"
#include "varnholt/DemoPictures.h"
#include "varnholt/Globals.h"
#include "varnholt/Schema.h"
#include "varnholt/modMain.h"
#include "vehicle/DemoMarks.h"

#include "history/Journal.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "dao/Dao.h"
#include "dao/ServerAddress.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace varnholt {
namespace {

// A path given on the command line is taken from the current folder; without
// one, the database the settings file names.
QString databaseArgument(const QStringList &args, qsizetype index, const QString &programFolder)
{
    if (index < args.size()) {
        const QString &path = args.at(index);
        return path.startsWith(u"postgresql://", Qt::CaseInsensitive) ? path : QFileInfo(path).absoluteFilePath();
    }
    locateDatabase(programFolder);
    return gDbPath;
}

} // namespace

QString readDatabasePath(const QString &given, CommandIo &io)
{
    locateDatabase(io.programFolder);
    const QString path = databaseArgument(given.isEmpty() ? QStringList() : QStringList{given}, 0, io.programFolder);
    if (!path.startsWith(u"postgresql://", Qt::CaseInsensitive) && !QFileInfo(path).isFile()) {
        io.err << "Die Datenbank liegt nicht im Pfad: " << path << '\n';
        return {};
    }
    return path;
}

QString versionText()
{
    return QStringLiteral("Varnholt %1.%2.%3").arg(VARNHOLT_VERSION_MAJOR).arg(VARNHOLT_VERSION_MINOR).arg(VARNHOLT_VERSION_PATCH);
}

int createDatabaseCommand(const QStringList &args, CommandIo &io)
{
    if (args.size() > 1) {
        io.err << "Aufruf: varnholt --create-database [PFAD]\n";
        return 1;
    }
    const QString path = databaseArgument(args, 0, io.programFolder);
    if (QFileInfo::exists(path)) {
        io.err << "Die Datei " << dao::shownDatabaseName(path) << " besteht bereits und wird nicht überschrieben.\n";
        return 1;
    }
    try {
        dao::OpenOptions options;
        options.create = true;
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path, options);
        createSchema(*db);
        db->Close();
    } catch (const dao::DaoError &error) {
        // Half a database is of no use to anyone.
        QFile::remove(path);
        io.err << "Die Datenbank " << dao::shownDatabaseName(path) << " konnte nicht angelegt werden: "
               << error.description() << '\n';
        return 1;
    }
    io.out << "Neue Datenbank angelegt: " << dao::shownDatabaseName(path)
           << " (Tabellen Schaden und Objekt, noch ohne Einträge).\n";
    return 0;
}

int demoCommand(const QStringList &args, CommandIo &io)
{
    bool ok = false;
    const int count = args.isEmpty() ? 0 : args.first().toInt(&ok);
    if (!ok || count < 1 || args.size() > 2) {
        io.err << "Aufruf: varnholt --demo N [PFAD]  (N: Anzahl der Schadensfälle, mindestens 1)\n";
        return 1;
    }
    const QString path = databaseArgument(args, 1, io.programFolder);
    if (!path.startsWith(u"postgresql://", Qt::CaseInsensitive) && !QFileInfo(path).isFile()) {
        io.err << "Die Datenbank liegt nicht im Pfad: " << path
               << "\nEine neue legt 'varnholt --create-database " << path << "' an.\n";
        return 1;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        const core::StreamMessages messages(io.err);
        auto db = dao::DBEngine::instance().Workspaces(0).OpenDatabase(path);
        upgradeSchema(*db);
        DemoData data;
        DemoPictures pictures(DemoData::DefaultSeed);
        DemoEstimates estimates(DemoData::DefaultSeed);
        data.setAttachmentHook([&pictures, &estimates](dao::Database &target, const QList<long> &ids) {
            pictures.attach(target, ids);
            estimates.attach(target, ids);
            vehicle::addDemoMarks(target, ids);
            history::recordCreatedCases(target, ids, core::Clock::now());
        });
        const QList<long> ids = data.addCases(*db, count);
        db->Close();
        io.out << count << " Demo-Schadensfälle in " << dao::shownDatabaseName(path) << " eingetragen (ID "
               << ids.first() << " bis " << ids.last() << ", " << pictures.stored() << " Bilder ("
               << pictures.annotated() << " beschriftet), "
               << estimates.stored() << " Kostenvoranschläge, "
               << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s).\n";
    } catch (const dao::DaoError &error) {
        io.err << "Die Demo-Schadensfälle konnten nicht eingetragen werden: " << error.description() << '\n';
        return 1;
    }
    return 0;
}

} // namespace varnholt
