#pragma once

#include <QLayout>
#include <QList>

namespace kelvane::editor {

// The editor's toolbars side by side, in their order, going on in a new row
// where the window is too narrow for them, so that no button is ever covered
// by the next toolbar.
class ToolbarFlow : public QLayout {
public:
    explicit ToolbarFlow(int spacing);
    ~ToolbarFlow() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items (when `place`) and gives the height they take.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
    int m_gap;
};

} // namespace kelvane::editor
