#pragma once

#include <QList>
#include <QString>

#include <optional>

class QToolBar;

namespace kelvane {

// One translatable text of the library's toolbars and its translation.
struct MessageEntry {
    QString source;
    std::optional<QString> translation;   // none: the text stays as it is

    friend bool operator==(const MessageEntry &, const MessageEntry &) = default;
};
using MessageTable = QList<MessageEntry>;

// Translates the library's toolbar texts through one table shared by every
// object: the 32 built-in German texts, each with an optional translation.
// A host reads the table, fills in the translations it wants and writes it
// back; every control and editor created afterwards uses it.
class OLELangTrans {
public:
    // Builds the built-in table when the shared one is empty; a table written
    // earlier stays as it is.
    OLELangTrans();

    // A copy of the whole shared table.
    MessageTable Messages() const;
    // Replaces the whole shared table, unchecked.
    void SetMessages(const MessageTable &table);

    // The translation of Text, or Text. Every entry whose source equals Text
    // without regard to case is looked at, and the last such entry decides.
    QString Translate(const QString &text) const;
    // Translates in place: the bar's button texts and tool tips, the entries
    // of their drop-down menus, check boxes on the bar and, through them,
    // tool bars placed on it.
    void TranslateToolbar(QToolBar *bar) const;

    // The built-in source texts in entry order.
    static QList<QString> BuiltInTexts();
};

// The library's global object: the shared table, reachable before any
// control exists.
MessageTable Messages();
void SetMessages(const MessageTable &table);

} // namespace kelvane
