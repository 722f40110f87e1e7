#include "export/CsvWriter.h"

#include "dao/Value.h"

#include <QDateTime>

namespace exporter {
namespace {

QByteArray quoted(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(';') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QString dateText(const QDateTime &moment)
{
    if (moment.time() == QTime(0, 0))
        return moment.toString(QStringLiteral("dd.MM.yyyy"));
    return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString amountText(qint64 cents)
{
    const qint64 whole = cents / 100;
    const qint64 rest = cents < 0 ? -(cents % 100) : cents % 100;
    const QString sign = cents < 0 && whole == 0 ? QStringLiteral("-") : QString();
    return sign + QString::number(whole) + u',' + QStringLiteral("%1").arg(rest, 2, 10, QLatin1Char('0'));
}

bool looksLikeFormula(const QString &text)
{
    if (text.size() < 2)
        return false;
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@';
}

} // namespace

qint64 amountCents(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<dao::Currency>()) {
        const qint64 units = value.value<dao::Currency>().units();
        return (units >= 0 ? units + 50 : units - 50) / 100;
    }
    return qRound64(value.toDouble() * 100);
}

QByteArray CsvWriter::cell(const QVariant &value, CellKind kind)
{
    if (dao::isNull(value))
        return {};
    switch (kind) {
    case CellKind::Date:
        if (value.metaType() == QMetaType::fromType<QDateTime>())
            return dateText(value.toDateTime()).toLatin1();
        break;
    case CellKind::Amount:
        return amountText(amountCents(value)).toLatin1();
    case CellKind::Text:
        break;
    }
    const QString text = value.toString();
    return looksLikeFormula(text) ? quoted(u'\'' + text) : quoted(text);
}

bool CsvWriter::put(const QByteArray &bytes, QString *message)
{
    if (m_file.write(bytes) == bytes.size())
        return true;
    *message = QStringLiteral("Die Datei konnte nicht geschrieben werden: ") + m_file.errorString();
    return false;
}

bool CsvWriter::begin(const QString &path, const ExportColumns &columns, QString *message)
{
    m_columns = columns;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *message = QStringLiteral("Die Datei konnte nicht angelegt werden: ") + m_file.errorString();
        return false;
    }
    m_line = QByteArrayLiteral("\xEF\xBB\xBF");
    for (qsizetype n = 0; n < columns.size(); ++n) {
        if (n > 0)
            m_line += ';';
        m_line += quoted(columns[n].caption);
    }
    m_line += "\r\n";
    return put(m_line, message);
}

bool CsvWriter::writeRow(const std::vector<QVariant> &values, QString *message)
{
    m_line.clear();
    for (qsizetype n = 0; n < m_columns.size(); ++n) {
        if (n > 0)
            m_line += ';';
        if (size_t(n) < values.size())
            m_line += cell(values[size_t(n)], m_columns[n].kind);
    }
    m_line += "\r\n";
    return put(m_line, message);
}

bool CsvWriter::finish(QString *message)
{
    if (!m_file.flush()) {
        *message = QStringLiteral("Die Datei konnte nicht geschrieben werden: ") + m_file.errorString();
        return false;
    }
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        *message = QStringLiteral("Die Datei konnte nicht geschrieben werden: ") + m_file.errorString();
        return false;
    }
    return true;
}

} // namespace exporter
