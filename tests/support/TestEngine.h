#pragma once

// The database engine a test program runs against. CTest runs the suites
// that work on databases once per engine: VARNHOLT_TEST_ENGINE=postgresql
// picks the server that scripts/services.sh started (VARNHOLT_TEST_PG),
// anything else SQLite files. The same test code makes its databases here.

#include "dao/Dao.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace testengine {

inline bool onServer() { return qEnvironmentVariable("VARNHOLT_TEST_ENGINE") == QLatin1String("postgresql"); }

inline QString serverAddress() { return qEnvironmentVariable("VARNHOLT_TEST_PG"); }

// In initTestCase: a server suite without a server fails where the services
// should be running (CI, scripts/test.sh) and is skipped, said aloud, elsewhere.
#define VARNHOLT_REQUIRE_TEST_ENGINE()                                                                              \
    do {                                                                                                           \
        if (testengine::onServer() && testengine::serverAddress().isEmpty()) {                                     \
            if (!qEnvironmentVariableIsEmpty("CI"))                                                                \
                QFAIL("VARNHOLT_TEST_PG is not set: the PostgreSQL server of scripts/services.sh is missing");     \
            QSKIP("no PostgreSQL server (VARNHOLT_TEST_PG): start it with scripts/services.sh start_postgres");    \
        }                                                                                                          \
    } while (false)

// A trigger that makes `when` ("BEFORE DELETE", "BEFORE UPDATE OF mScript" ...)
// on table fail with message, in the engine's own trigger language.
inline void refuseWrites(dao::Database &db, const QString &name, const QString &when, const QString &table,
                         const QString &message)
{
    if (onServer()) {
        db.Execute(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS "
                                  "$$BEGIN RAISE EXCEPTION '%2'; END$$").arg(name, message));
        db.Execute(QStringLiteral("CREATE TRIGGER %1 %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()").arg(name, when, table));
    } else {
        db.Execute(QStringLiteral("CREATE TRIGGER %1 %2 ON %3 BEGIN SELECT RAISE(ABORT, '%4'); END")
                       .arg(name, when, table, message));
    }
}

inline void allowWrites(dao::Database &db, const QString &name, const QString &table)
{
    db.Execute(onServer() ? QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table)
                          : QStringLiteral("DROP TRIGGER %1").arg(name));
}

// Names of databases that do not exist yet: files in a temporary folder, or
// databases on the test server, which the layer makes when opened with
// OpenOptions::create. Server databases are dropped again at the end.
class Databases {
public:
    Databases() = default;
    ~Databases()
    {
        if (m_made.isEmpty())
            return;
        try {
            for (const QString &name : std::as_const(m_made))
                drop(name);
        } catch (const dao::DaoError &) {
            // The server's own folder goes with the services anyway.
        }
    }
    Databases(const Databases &) = delete;
    Databases &operator=(const Databases &) = delete;

    // "t.db" -> a path in the folder, or the address of database vt_<pid>_t_db.
    QString path(const QString &name)
    {
        return onServer() ? serverPath(name) : m_dir.filePath(name);
    }

    // A database on the test server, whatever engine the suite runs on.
    QString serverPath(const QString &name)
    {
        const QString database = serverName(name);
        if (!m_made.contains(database))
            m_made.append(database);
        QString address = serverAddress();
        const qsizetype slash = address.lastIndexOf(u'/');
        const qsizetype query = address.indexOf(u'?', slash);
        return address.left(slash + 1) + database + (query >= 0 ? address.mid(query) : QString());
    }

    // Gone, so that the next create starts empty.
    void remove(const QString &name)
    {
        if (!onServer()) {
            QFile::remove(m_dir.filePath(name));
            return;
        }
        drop(serverName(name));
    }

    QString folder() const { return m_dir.path(); }

private:
    static QString serverName(const QString &name)
    {
        QString database = QStringLiteral("vt_%1_").arg(QCoreApplication::applicationPid()) + name.toLower();
        for (QChar &c : database)
            if (!(c.isLetterOrNumber() && c.unicode() < 128))
                c = u'_';
        return database;
    }

    static void drop(const QString &database)
    {
        auto server = dao::DBEngine::instance().Workspaces().OpenDatabase(serverAddress());
        server->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + database + QStringLiteral(" WITH (FORCE)"));
        server->Close();
    }

    QTemporaryDir m_dir;
    QStringList m_made;
};

} // namespace testengine
