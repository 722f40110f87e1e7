#include "Engine.h"

#include <QFile>
#include <QFileInfo>

namespace dao {

DaoError::DaoError(long number, QString description)
    : m_number(number), m_description(std::move(description)),
      m_what(QByteArray::number(qlonglong(number)) + ' ' + m_description.toUtf8())
{
}

DBEngine::DBEngine()
{
    registerValueTypes();
    // With TZ unset the C library looks at the zone file again on every
    // local-time conversion, a system call per date read. Naming the file it
    // reads anyway makes it load the zone once.
    if (!qEnvironmentVariableIsSet("TZ") && QFile::exists(QStringLiteral("/etc/localtime")))
        qputenv("TZ", ":/etc/localtime");
}

DBEngine &DBEngine::instance()
{
    static DBEngine engine;
    return engine;
}

Workspace &DBEngine::Workspaces(int index)
{
    if (index != 0)
        raise(ErrItemNotFound, QStringLiteral("Element in dieser Auflistung nicht gefunden."));
    return m_workspace;
}

void DBEngine::raise(long number, const QString &description, const QList<ErrorEntry> &engineEntries)
{
    m_errors = engineEntries;
    m_errors.append(ErrorEntry{number, description, QStringLiteral("DAO")});
    throw DaoError(number, description);
}

std::unique_ptr<Database> Workspace::OpenDatabase(const QString &name, const OpenOptions &options)
{
    DBEngine &engine = DBEngine::instance();
    engine.clearErrors();
    if (name.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || name.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return std::unique_ptr<Database>(new Database(name, detail::openPostgres(name, options)));
    return std::unique_ptr<Database>(new Database(name, detail::openSqlite(name, options)));
}

} // namespace dao
