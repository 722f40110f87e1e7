#include "kelvane/Scrollbar.h"

#include "WindowScrollBars.h"

#include <QAbstractScrollArea>

#include <limits>

namespace kelvane {

struct Scrollbar::Record : ScrollInfo {};

namespace {

int clampToInt(qint64 value)
{
    return int(qBound<qint64>(qint64(std::numeric_limits<int>::min()), value, qint64(std::numeric_limits<int>::max())));
}

} // namespace

Scrollbar::Scrollbar(QObject *parent) : QObject(parent) {}

Scrollbar::~Scrollbar()
{
    if (m_window)
        SetVisible(false);
}

void Scrollbar::Init(QAbstractScrollArea *window, int style)
{
    m_window = window;
    m_style = style;
    SetVisible(true);
    SetEnabled(true);
}

Scrollbar::Record Scrollbar::read(unsigned mask) const
{
    Record record;
    record.fMask = mask;
    GetScrollInfo(m_window, m_style, record);
    return record;
}

void Scrollbar::apply(const Record &record)
{
    const int old = read(SIF_RANGE | SIF_PAGE | SIF_POS).nPos;
    const int now = SetScrollInfo(m_window, m_style, record, true);
    if (now != old)
        Q_EMIT Scroll(now, now - old);
}

int Scrollbar::Min() const { return read(SIF_RANGE).nMin; }
int Scrollbar::Max() const { return read(SIF_RANGE).nMax; }
int Scrollbar::PageSize() const { return int(read(SIF_PAGE).nPage); }
int Scrollbar::Value() const { return read(SIF_POS).nPos; }
int Scrollbar::TrackPos() const { return read(SIF_TRACKPOS).nTrackPos; }

void Scrollbar::SetMin(int value)
{
    Record record = read(SIF_RANGE);
    record.nMin = value;
    apply(record);
}

void Scrollbar::SetMax(int value)
{
    Record record = read(SIF_RANGE);
    record.nMax = value;
    apply(record);
}

void Scrollbar::SetPageSize(int value)
{
    Record record;
    record.fMask = SIF_PAGE;
    record.nPage = std::uint32_t(qMax(0, value));
    apply(record);
}

void Scrollbar::SetValue(int value)
{
    Record record;
    record.fMask = SIF_POS;
    record.nPos = value;
    apply(record);
}

void Scrollbar::SetRange(int newMin, int newMax, int newPageSize)
{
    Record record;
    record.fMask = SIF_RANGE | SIF_PAGE;
    record.nMin = newMin;
    record.nMax = newMax;
    record.nPage = std::uint32_t(qMax(0, newPageSize));
    apply(record);
    if (Max() != newMax)
        apply(record);
}

void Scrollbar::MoveThumb(int motion)
{
    switch (motion) {
    case 0: SetValue(clampToInt(qint64(Value()) - m_singleStep)); break;
    case 1: SetValue(clampToInt(qint64(Value()) + m_singleStep)); break;
    case 2: SetValue(clampToInt(qint64(Value()) - PageSize())); break;
    case 3: SetValue(clampToInt(qint64(Value()) + PageSize())); break;
    case 6: SetValue(Min()); break;
    case 7: SetValue(Max()); break;
    default: break;
    }
}

void Scrollbar::SetVisible(bool visible)
{
    m_visible = visible;
    ShowScrollBar(m_window, m_style, visible);
}

void Scrollbar::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    EnableScrollBar(m_window, m_style, enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

bool Scrollbar::CurrentlyDisplayed() const
{
    const Record record = read(SIF_RANGE | SIF_PAGE);
    return qint64(record.nMax) >= qint64(record.nPage);
}

} // namespace kelvane
