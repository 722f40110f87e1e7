#include "form/CaseBinding.h"

#include "form/Attachment.h"
#include "form/FieldText.h"
#include "form/Lookups.h"

#include "core/DateText.h"
#include "dao/Dao.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>

#include <algorithm>

namespace form {
namespace {

// Columns whose box holds a date or an amount; compared without regard to case.
bool isDateColumn(const QString &column)
{
    static const QSet<QString> dates = {QStringLiteral("datum"), QStringLiteral("am"), QStringLiteral("tskundeninfo"),
                                        QStringLiteral("tspmlerstellt")};
    return dates.contains(column.toLower());
}

bool isAmountColumn(const QString &column)
{
    return column.compare(QLatin1String("Schadenbetrag"), Qt::CaseInsensitive) == 0
        || column.compare(QLatin1String("Selbstbeteiligung"), Qt::CaseInsensitive) == 0;
}

// Columns whose typed values join the pick list of their box.
bool growsPickList(const QString &upperColumn)
{
    static const QSet<QString> columns = {QStringLiteral("EIGENKZ"), QStringLiteral("STELLPLATZ"),
                                          QStringLiteral("FAHRZEUGTYP"), QStringLiteral("KUNDENNAME"),
                                          QStringLiteral("MELDER"), QStringLiteral("BEGUTACHTER")};
    return columns.contains(upperColumn);
}

constexpr int ForeignRole = Qt::UserRole + 1;

QString textOf(const QWidget &box)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(&box))
        return line->text();
    return static_cast<const QPlainTextEdit &>(box).toPlainText();
}

void setTextOf(QWidget &box, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(&box))
        line->setText(text);
    else
        static_cast<QPlainTextEdit &>(box).setPlainText(text);
}

void removeForeignEntries(QComboBox &combo)
{
    for (int i = combo.count() - 1; i >= 0; --i)
        if (combo.itemData(i, ForeignRole).toBool())
            combo.removeItem(i);
}

QVariant textValue(const QString &column, const QString &text)
{
    if (text.isEmpty())
        return dao::Null();
    if (isDateColumn(column))
        return *core::readDate(text);   // checked by firstInvalidDate before anything is written
    if (isAmountColumn(column)) {
        // Comma or point, whatever the locale; anything else the engine refuses.
        if (const auto amount = dao::Currency::fromText(text))
            return QVariant::fromValue(*amount);
    }
    return text;
}

// Swallows the input of a locked combo box, so it keeps its text and entry.
class ComboLock : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            return key != Qt::Key_Tab && key != Qt::Key_Backtab;
        }
        default:
            return false;
        }
    }
};

} // namespace

QString AttachmentSaveFailed::description() const
{
    return QStringLiteral("Die Anlage konnte nicht gespeichert werden (%1).").arg(Number);
}

QString CaseBinding::tagOf(const QObject &control) { return control.property(TagProperty).toString(); }

CaseBinding::CaseBinding(QWidget &root)
{
    for (QWidget *control : root.findChildren<QWidget *>()) {
        if (tagOf(*control).isEmpty())
            continue;
        if (auto *combo = qobject_cast<QComboBox *>(control))
            m_combos.append(combo);
        else if (auto *check = qobject_cast<QCheckBox *>(control))
            m_checks.append(check);
        else if (qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control))
            m_texts.append(control);
        else if (auto *label = qobject_cast<QLabel *>(control))
            m_labels.append(label);
        else if (auto *attachment = dynamic_cast<Attachment *>(control))
            m_attachments.append(attachment);
    }
}

QList<QPair<QString, QString>> CaseBinding::fieldLabels(QWidget &root) const
{
    QHash<const QWidget *, QString> buddies;
    for (const QLabel *label : root.findChildren<QLabel *>())
        if (label->buddy())
            buddies.insert(label->buddy(), label->text());
    QList<QPair<QString, QString>> labels;
    const auto add = [&](const QWidget *control, const QString &own) {
        QString text = control->property(LabelProperty).toString();
        if (text.isEmpty())
            text = own.isEmpty() ? buddies.value(control, tagOf(*control)) : own;
        labels.append({tagOf(*control), text});
    };
    for (const QComboBox *combo : m_combos)
        add(combo, {});
    for (const QCheckBox *check : m_checks)
        add(check, check->text());
    for (const QWidget *text : m_texts)
        add(text, {});
    return labels;
}

void CaseBinding::clear()
{
    for (QComboBox *combo : std::as_const(m_combos)) {
        removeForeignEntries(*combo);
        combo->setCurrentIndex(-1);
        if (combo->isEditable())
            combo->clearEditText();
    }
    for (QCheckBox *check : std::as_const(m_checks))
        check->setChecked(false);
    for (QWidget *text : std::as_const(m_texts))
        setTextOf(*text, {});
    for (Attachment *attachment : std::as_const(m_attachments))
        attachment->setValue(dao::Null());
    for (QLabel *label : std::as_const(m_labels))
        label->clear();
}

int CaseBinding::load(dao::Recordset &row)
{
    for (QComboBox *combo : std::as_const(m_combos))
        selectValue(*combo, row.Value(tagOf(*combo)));
    for (QCheckBox *check : std::as_const(m_checks)) {
        const QVariant value = row.Value(tagOf(*check));
        check->setChecked(!dao::isNull(value) && value.toBool());
    }
    for (QWidget *text : std::as_const(m_texts)) {
        const QString column = tagOf(*text);
        const QVariant value = row.Value(column);
        setTextOf(*text, isAmountColumn(column) ? amountText(value) : displayText(value));
    }
    for (QLabel *label : std::as_const(m_labels))
        label->setText(displayText(row.Value(tagOf(*label))));
    int attached = 0;
    for (Attachment *attachment : std::as_const(m_attachments)) {
        attachment->setValue(row.Value(attachment->dataField()));
        if (!dao::isNull(attachment->value()))
            ++attached;
    }
    return attached;
}

QWidget *CaseBinding::firstInvalidDate() const
{
    for (QWidget *text : m_texts) {
        const QString value = textOf(*text);
        if (isDateColumn(tagOf(*text)) && !value.isEmpty() && !core::readDate(value))
            return text;
    }
    return nullptr;
}

void CaseBinding::write(dao::Recordset &row, const std::function<void(QComboBox &, const QString &)> &typed)
{
    writeAttachments(row);
    for (QCheckBox *check : std::as_const(m_checks))
        row.SetValue(tagOf(*check), check->isChecked());
    for (QWidget *text : std::as_const(m_texts)) {
        const QString column = tagOf(*text);
        row.SetValue(column, textValue(column, textOf(*text)));
    }
    for (QComboBox *combo : std::as_const(m_combos)) {
        const QString column = tagOf(*combo);
        const QString text = combo->currentText();
        if (text.isEmpty()) {
            row.SetValue(column, dao::Null());
            continue;
        }
        row.SetValue(column, text);
        if (selectedEntry(*combo) < 0 && growsPickList(column.toUpper()))
            typed(*combo, column.toUpper());
    }
}

void CaseBinding::writeAttachments(dao::Recordset &row)
{
    QList<Attachment *> saved;
    try {
        for (Attachment *attachment : std::as_const(m_attachments)) {
            if (!attachment->changed())
                continue;
            saved.append(attachment);
            if (!attachment->save())
                throw AttachmentSaveFailed{};
            row.SetValue(attachment->dataField(), attachment->value());
        }
    } catch (...) {
        for (Attachment *attachment : std::as_const(saved))
            attachment->setChanged(true);
        throw;
    }
}

void CaseBinding::setLocked(bool locked)
{
    const QPalette system = QApplication::palette();
    const QColor background = system.color(locked ? QPalette::Button : QPalette::Base);
    for (QComboBox *combo : std::as_const(m_combos)) {
        setComboLocked(*combo, locked);
        setBackground(*combo, background);
    }
    for (QWidget *text : std::as_const(m_texts)) {
        if (auto *line = qobject_cast<QLineEdit *>(text))
            line->setReadOnly(locked);
        else
            static_cast<QPlainTextEdit *>(text)->setReadOnly(locked);
        setBackground(*text, background);
    }
    for (QCheckBox *check : std::as_const(m_checks))
        check->setEnabled(!locked);
    for (Attachment *attachment : std::as_const(m_attachments))
        attachment->setLocked(locked);
}

QList<QPair<QString, QString>> CaseBinding::typedValues() const
{
    QList<QPair<QString, QString>> values;
    for (const QComboBox *combo : m_combos)
        values.append({combo->objectName(), combo->currentText()});
    for (const QCheckBox *check : m_checks)
        values.append({check->objectName(), check->isChecked() ? QStringLiteral("1") : QStringLiteral("0")});
    for (const QWidget *text : m_texts)
        values.append({text->objectName(), textOf(*text)});
    return values;
}

void CaseBinding::putTypedValues(const QList<QPair<QString, QString>> &values)
{
    const auto named = [](const auto &controls, const QString &name) {
        const auto found = std::find_if(controls.begin(), controls.end(),
                                        [&name](const QWidget *control) { return control->objectName() == name; });
        return found == controls.end() ? nullptr : *found;
    };
    for (const auto &[name, text] : values) {
        if (QComboBox *combo = named(m_combos, name))
            selectValue(*combo, text.isEmpty() ? QVariant() : QVariant(text));
        else if (QCheckBox *check = named(m_checks, name))
            check->setChecked(text == u"1");
        else if (QWidget *box = named(m_texts, name))
            setTextOf(*box, text);
    }
}

void selectValue(QComboBox &combo, const QVariant &value)
{
    removeForeignEntries(combo);
    if (dao::isNull(value)) {
        combo.setCurrentIndex(-1);
        if (combo.isEditable())
            combo.clearEditText();
        return;
    }
    const QString text = value.toString();
    const int index = combo.findText(text, Qt::MatchFixedString);
    if (index >= 0) {
        combo.setCurrentIndex(index);
    } else if (combo.isEditable()) {
        combo.setCurrentIndex(-1);
        combo.setEditText(text);
    } else {
        combo.addItem(text);
        combo.setItemData(combo.count() - 1, true, ForeignRole);
        combo.setCurrentIndex(combo.count() - 1);
    }
}

void setComboLocked(QComboBox &combo, bool locked)
{
    static const QString lockName = QStringLiteral("comboLock");
    QObject *lock = combo.findChild<QObject *>(lockName, Qt::FindDirectChildrenOnly);
    if (locked && !lock) {
        lock = new ComboLock(&combo);
        lock->setObjectName(lockName);
        combo.installEventFilter(lock);
        if (combo.lineEdit())
            combo.lineEdit()->installEventFilter(lock);
    } else if (!locked && lock) {
        delete lock;   // removes itself as the filter
    }
    if (combo.lineEdit())
        combo.lineEdit()->setReadOnly(locked);
}

void setBackground(QWidget &control, const QColor &colour)
{
    QPalette palette = control.palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    control.setPalette(palette);
}

} // namespace form
