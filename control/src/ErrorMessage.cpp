#include "kelvane/ErrorMessage.h"

#include "dao/Dao.h"

namespace kelvane {

KelvaneError::KelvaneError(long number, QString description)
    : m_error{number, std::move(description)},
      m_what(QByteArray::number(qlonglong(number)) + ' ' + m_error.Description.toUtf8())
{
}

QString ErrorMessageText(const ErrObject &error, const QString &prefix, const QList<dao::ErrorEntry> &engineErrors)
{
    // A line break as the message box here shows one (a lone carriage return is not).
    const QChar lineBreak(u'\n');
    QString text;
    if (!prefix.isEmpty())
        text = prefix + lineBreak + lineBreak;
    if (error.Number == 0)
        return text + QStringLiteral("Keine Fehler!");
    text += QStringLiteral("Fehlermeldung:") + lineBreak + QString::number(error.Number) + QStringLiteral(": ")
        + error.Description;
    if (engineErrors.size() > 1) {
        text += lineBreak + lineBreak + QStringLiteral("Zusätzliche Datenbank-Fehlermeldungen:");
        for (qsizetype i = 0; i + 1 < engineErrors.size(); ++i)
            text += lineBreak + QStringLiteral("DBErr ") + QString::number(engineErrors[i].number) + QStringLiteral(": ")
                + engineErrors[i].description;
    }
    return text;
}

core::MsgAnswer ShowErrorMessage(const ErrObject &error, const QString &prefix, long buttons, const QString &title,
                                 const QList<dao::ErrorEntry> &engineErrors)
{
    const long style = error.Number == 0 ? 0 : buttons;
    return core::showMessage(ErrorMessageText(error, prefix, engineErrors), core::iconFromStyle(style),
                             core::buttonsFromStyle(style), title);
}

core::MsgAnswer ShowErrorMessage(const ErrObject &error, const QString &prefix, long buttons, const QString &title)
{
    return ShowErrorMessage(error, prefix, buttons, title, dao::DBEngine::instance().Errors());
}

} // namespace kelvane
