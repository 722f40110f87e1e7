#include "form/SaveHistory.h"

#include "form/FieldText.h"

#include "history/Journal.h"
#include "history/Versions.h"

#include "dao/Dao.h"
#include "kelvane/RAZOleCtrl.h"

namespace form {
namespace {

const QString CaseField = QStringLiteral("Vorgang");

// Each change an attachment can carry and its word in the history.
const QList<QPair<int, QString>> &changeWords()
{
    static const QList<QPair<int, QString>> words = {
        {kelvane::ChangeInserted, QStringLiteral("eingefügt")},
        {kelvane::ChangeReplaced, QStringLiteral("ersetzt")},
        {kelvane::ChangeDeleted, QStringLiteral("gelöscht")},
        {kelvane::ChangeAnnotated, QStringLiteral("Anmerkungen geändert")},
        {kelvane::ChangeEdited, QStringLiteral("bearbeitet")},
    };
    return words;
}

// Changes that overwrite or delete the stored row.
constexpr int OverwritingChanges =
    kelvane::ChangeReplaced | kelvane::ChangeDeleted | kelvane::ChangeAnnotated | kelvane::ChangeEdited;

} // namespace

QString historyText(const QVariant &value)
{
    if (dao::isNull(value))
        return {};
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    return displayText(value);
}

QString changedElsewhereQuestion(dao::Database &db, long caseId)
{
    QString who;
    try {
        if (history::keepsHistory(db)) {
            const history::Record last = history::lastCaseRecord(db, caseId);
            if (last.id != 0)
                who = QStringLiteral(" (von %1 an %2, %3)")
                          .arg(last.user, last.workstation, last.time.toString(QStringLiteral("dd.MM.yyyy hh:mm")));
        }
    } catch (const dao::DaoError &) {
        // The question is asked all the same, without the name.
    }
    return QStringLiteral("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz geändert%1. Trotzdem speichern?")
        .arg(who);
}

SaveHistory::SaveHistory(QList<QPair<QString, QString>> fields, QHash<QString, QString> attachments)
    : m_fields(std::move(fields)), m_attachments(std::move(attachments))
{
    // The row's values are keyed in lower case; made once, not per save.
    for (auto &field : m_fields)
        field.first = field.first.toLower();
}

void SaveHistory::noteAttachment(dao::Database &db, const QString &dataField, int change, const QVariant &stored)
{
    if (change == 0)
        return;
    QVariant version;
    if ((change & OverwritingChanges) && !dao::isNull(stored)) {
        if (const long kept = history::keepVersion(db, long(stored.toLongLong())))
            version = qlonglong(kept);
    }
    const QString field = m_attachments.value(dataField, dataField);
    for (const auto &[bit, word] : changeWords())
        if (change & bit)
            m_attachmentEntries.append({0, history::kind::Attachment, field, QVariant(), word, version});
}

QList<history::Entry> SaveHistory::fieldEntries(long caseId, const QVariantMap &before, const QVariantMap &after) const
{
    QList<history::Entry> entries;
    if (before.isEmpty()) {
        entries.append({caseId, history::kind::Created, CaseField, QVariant(),
                        after.value(QStringLiteral("schadennummer")).toString(), QVariant()});
        return entries;
    }
    for (const auto &[column, label] : m_fields) {
        const QVariant was = before.value(column);
        const QVariant is = after.value(column);
        // Most fields stay as they were: told apart without making their texts.
        if (dao::isNull(was) ? dao::isNull(is) : (!dao::isNull(is) && was == is))
            continue;
        const QString old = historyText(was);
        const QString now = historyText(is);
        if (old != now)
            entries.append({caseId, history::kind::Field, label, old, now, QVariant()});
    }
    return entries;
}

void SaveHistory::write(dao::Database &db, long caseId, const QVariantMap &before, const QVariantMap &after,
                        const QDateTime &now)
{
    QList<history::Entry> entries = fieldEntries(caseId, before, after);
    for (history::Entry entry : std::as_const(m_attachmentEntries)) {
        entry.caseId = caseId;
        entries.append(entry);
    }
    history::Journal(db).append(entries, now);
}

} // namespace form
