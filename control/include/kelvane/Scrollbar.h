#pragma once

#include <QAbstractScrollArea>
#include <QObject>
#include <QPointer>


namespace kelvane {

// One scroll bar of a window (horizontal or vertical bar of a
// QAbstractScrollArea). Range, page and position are not kept here: each is
// read from and written to the window's bar every time.
class Scrollbar : public QObject {
    Q_OBJECT
public:
    explicit Scrollbar(QObject *parent = nullptr);
    // Hides the bar.
    ~Scrollbar() override;

    // Binds to a window's bar (0 horizontal, 1 vertical), shown and enabled.
    void Init(QAbstractScrollArea *window, int style);

    int Style() const { return m_style; }
    int Min() const;
    void SetMin(int value);
    int Max() const;
    void SetMax(int value);
    int PageSize() const;
    void SetPageSize(int value);
    int Value() const;
    // Clamped to the range; Scroll when the position changed.
    void SetValue(int value);
    // Range and page together, applied twice when the maximum did not take.
    void SetRange(int newMin, int newMax, int newPageSize);
    // 0 line up, 1 line down, 2 page up, 3 page down, 6 top, 7 bottom;
    // other codes do nothing.
    void MoveThumb(int motion);

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    int SingleStep() const { return m_singleStep; }
    void SetSingleStep(int step) { m_singleStep = step; }
    // True when the range's maximum is at least the page.
    bool CurrentlyDisplayed() const;
    // Where the thumb is while it is dragged.
    int TrackPos() const;

Q_SIGNALS:
    // A write moved the position: the new one and new minus old.
    void Scroll(int value, int change);

private:
    struct Record;
    Record read(unsigned mask) const;
    void apply(const Record &record);

    QPointer<QAbstractScrollArea> m_window;
    int m_style = 0;
    bool m_visible = false;
    bool m_enabled = false;
    int m_singleStep = 1;
};

} // namespace kelvane
