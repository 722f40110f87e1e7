#include "report/ReportData.h"

#include "report/CaseAddition.h"
#include "report/Format.h"

#include "core/DateText.h"
#include "core/NumberText.h"
#include "core/Twips.h"
#include "dao/Dao.h"

#include <QStringList>

#include <cmath>

namespace report {
namespace {

bool flagSet(const QVariant &value) { return !dao::isNull(value) && value.toBool(); }

} // namespace

ReportData::ReportData(dao::Database *db, const PrintRequest &request) : m_db(db), m_request(request) {}

ReportData::~ReportData() { close(); }

void ReportData::PrepareReportData()
{
    close();
    if (m_request.kind == PrintKindCase && m_db) {
        m_case = m_db->OpenRecordset(QStringLiteral("Select * From Schaden where ID=?"),
                                     dao::RecordsetType::Snapshot, dao::RecordsetOption::None,
                                     {QVariant(qlonglong(m_request.record))});
        for (FurtherAttachment &attachment : furtherAttachments(*m_db, m_request.record))
            if (attachment.picture)
                m_pictures.push_back(std::move(attachment));
    }
    m_dataAvailable = true;
}

bool ReportData::hasCase() const { return m_case && m_case->IsOpen() && !m_case->IsEOF(); }

QString ReportData::NextBodySection()
{
    const bool available = m_dataAvailable;
    m_dataAvailable = false;
    if (!available) {
        if (!m_following.isEmpty())
            return m_following.takeFirst();
        if (m_nextPicture >= m_pictures.size())
            return {};
        return m_nextPicture++ == 0 ? QStringLiteral("WEITEREBILDER") : QStringLiteral("ANHANG");
    }
    if (m_request.kind == PrintKindList)
        return QStringLiteral("LISTE");
    if (m_request.kind == PrintKindCase) {
        m_following = m_addition && hasCase() ? m_addition->sections(m_request.record) : QStringList();
        return QStringLiteral("SCHADEN");
    }
    if (m_request.kind == PrintKindVehicle)
        return QStringLiteral("FAHRZEUG");
    return {};
}

QVariant ReportData::fieldValue(const QString &name)
{
    if (m_request.kind != PrintKindCase || !m_case)
        return {};
    try {
        // A case row that went with its database is no empty case.
        if (m_case->IsEOF())
            return {};
        const QString key = name.toUpper();
        if (key == u"ID_1" || key == u"ID_2" || key == u"ID_3")
            return m_case->Value(QStringLiteral("Objekt_") + name);
        if ((key == u"ANHANG" || key == u"ANHANGNAME") && m_nextPicture > 0) {
            const FurtherAttachment &shown = m_pictures[m_nextPicture - 1];
            return key == u"ANHANG" ? QVariant(qlonglong(shown.objectId)) : QVariant(shown.name);
        }
        if (key == u"STATUS")
            return flagSet(m_case->Value(QStringLiteral("fErledigt"))) ? QStringLiteral("Erledigt")
                                                                        : QStringLiteral("In Bearbeitung");
        if (key == u"SCHADEN") {
            static const std::pair<const char *, const char *> kinds[] = {
                {"fEigenSchaden", ", Eigenes Fahrzeug"},
                {"fFremdSchaden", ", Fremdfahrzeug"},
                {"fPersonenSchaden", ", Personen"},
                {"fSonstigerSchaden", ", Gegenstände"},
            };
            QString text;
            for (const auto &[column, label] : kinds) {
                if (flagSet(m_case->Value(QString::fromLatin1(column))))
                    text += QString::fromUtf8(label);
            }
            return text.mid(2);
        }
        if (m_addition) {
            if (std::optional<QVariant> added = m_addition->value(m_request.record, key))
                return *added;
        }
        if (!m_case->HasField(name))
            return {};
        return m_case->Value(name);
    } catch (const dao::DaoError &error) {
        // A column the case table lacks prints empty; a read that fails is the report's failure.
        if (error.number() != dao::ErrItemNotFound)
            throw;
        return {};
    }
}

QString ReportData::CaseFieldValue(const QString &, const QString &name) { return valueText(fieldValue(name)); }

QString ReportData::ResolveField(const QString &placeholder, const QString &format)
{
    const QString upper = placeholder.toUpper();
    const qsizetype underscore = upper.indexOf(u'_');
    if (underscore < 0)
        return {};
    const QString prefix = upper.left(underscore);
    QString name = upper.mid(underscore + 1);
    const qsizetype semicolon = name.indexOf(u';');
    if (semicolon >= 0)
        name.truncate(semicolon);
    name = name.trimmed();

    const QVariant value = fieldValue(name);
    if (format.isEmpty())
        return valueText(value).trimmed();
    const double count = std::nearbyint(core::leadingNumber(format));
    if (count > 0) {
        // A length beyond any text keeps the whole text.
        const QString text = valueText(value).trimmed();
        const auto length = core::roundedInteger<qsizetype>(count);
        return length ? text.left(*length) : text;
    }
    if (format.startsWith(u'D', Qt::CaseInsensitive)) {
        if (dao::isNull(value))
            return {};
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
            return formatDate(value.toDateTime(), format);
        const auto moment = core::readDate(valueText(value));
        return moment ? formatDate(*moment, format) : QString();
    }
    return formatValue(value, format);
}

void ReportData::close()
{
    if (m_case && m_case->IsOpen())
        m_case->Close();
    m_case.reset();
    m_pictures.clear();
    m_nextPicture = 0;
}

} // namespace report
