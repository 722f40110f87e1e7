#include "preview/ClipboardCopy.h"

#include "core/MessageService.h"
#include "dao/Error.h"

#include <QClipboard>
#include <QGuiApplication>

#include <exception>

namespace report {

bool ClipboardCopy::copy(const std::function<QString()> &text, QWidget *window)
{
    const auto fail = [window](const QString &reason) {
        core::showMessage(QStringLiteral("Die Auswertung konnte nicht in die Zwischenablage kopiert werden: ") + reason,
                          core::MsgIcon::Exclamation, core::MsgButtons::Ok, {}, window);
        return false;
    };
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return fail(QStringLiteral("Es steht keine Zwischenablage zur Verfügung."));
    QString copied;
    // The text is read from the database: what it holds before stays there.
    try {
        if (text)
            copied = text();
    } catch (const dao::DaoError &error) {
        return fail(error.description());
    } catch (const std::exception &error) {
        return fail(QString::fromLocal8Bit(error.what()));
    }
    clipboard->clear();
    clipboard->setText(copied);
    // The clipboard gives no answer of its own: a text that did not arrive
    // is a failed copy.
    if (clipboard->text() != copied)
        return fail(QStringLiteral("Die Zwischenablage hat den Text nicht angenommen."));
    core::showMessage(QStringLiteral("Auswertung wurde in die Zwischenablage kopiert !"), core::MsgIcon::Information,
                      core::MsgButtons::Ok, {}, window);
    return true;
}

} // namespace report
