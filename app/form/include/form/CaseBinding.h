#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QWidget;

namespace dao {
class Recordset;
}

namespace form {

class Attachment;

// An attachment control whose Save failed; the save is abandoned as a whole.
struct AttachmentSaveFailed {
    static constexpr long Number = 4711;
    QString description() const;
};

// Binds every control that carries a column name in its "tag" property to
// that column, by the control's kind: combo boxes, check boxes, text boxes
// (line and multi-line edits), labels (display only) and attachment controls.
// Controls without a tag take no part.
class CaseBinding {
public:
    static constexpr const char *TagProperty = "tag";
    // What a box is called where no label of its own stands beside it.
    static constexpr const char *LabelProperty = "fieldLabel";

    // Walks the tagged children of root once, in the order they were made.
    explicit CaseBinding(QWidget &root);

    void clear();
    // Puts the current row into the controls; returns how many attachments it has.
    int load(dao::Recordset &row);
    // The first date box whose text is no date, or nullptr when all are fine.
    QWidget *firstInvalidDate() const;
    // Writes the controls into the row being edited. Typed combo texts are
    // handed to typed (combo, upper-case column) before the row is written.
    // Attachments are saved first when changed; one that fails throws
    // AttachmentSaveFailed after every attachment saved in this pass has
    // been marked changed again, as the rows they wrote go with the rollback.
    void write(dao::Recordset &row, const std::function<void(QComboBox &, const QString &)> &typed);
    void setLocked(bool locked);
    // What the combo, check and text boxes hold, by control name, as text
    // ("1"/"0" for a check box), and putting such texts back.
    QList<QPair<QString, QString>> typedValues() const;
    void putTypedValues(const QList<QPair<QString, QString>> &values);

    // An attachment that is no tagged widget of the root (a control made at run time).
    void addAttachment(Attachment *attachment) { m_attachments.append(attachment); }
    const QList<Attachment *> &attachments() const { return m_attachments; }
    static QString tagOf(const QObject &control);
    // Each bound box's column and the text the form shows for it (its
    // label, a check box's own text), in the order of the controls.
    QList<QPair<QString, QString>> fieldLabels(QWidget &root) const;

private:
    void writeAttachments(dao::Recordset &row);

    QList<QComboBox *> m_combos;
    QList<QCheckBox *> m_checks;
    QList<QWidget *> m_texts;
    QList<QLabel *> m_labels;
    QList<Attachment *> m_attachments;
};

// A fixed list shows a stored value that is none of its entries as an extra
// entry for as long as that case is shown, so it is kept when saved again.
void selectValue(QComboBox &combo, const QVariant &value);
// Locked boxes keep their text but take no input.
void setComboLocked(QComboBox &combo, bool locked);
void setBackground(QWidget &control, const QColor &colour);

} // namespace form
