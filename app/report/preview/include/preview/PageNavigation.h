#pragma once

#include <QString>

namespace report {

// Which page the preview shows and where its four paging buttons lead.
class PageNavigation {
public:
    void setTotal(int total) { m_total = total; }
    void setShown(int page) { m_shown = page; }
    // While the layout goes on, more pages follow the total: going forward
    // stays open, and "Letzte" leads to LastPage, the last once it is known.
    void setGrowing(bool growing) { m_growing = growing; }
    int total() const { return m_total; }
    int shown() const { return m_shown; }
    bool growing() const { return m_growing; }
    static constexpr int LastPage = 2147483647;

    // "Erste" and "Zurueck" from page 2 on, "Vor" and "Letzte" before the last.
    bool backEnabled() const { return m_shown >= 2; }
    bool forwardEnabled() const { return m_shown < m_total || (m_growing && m_shown >= 1); }
    // "56+" while growing, "56" when done.
    QString totalText() const;

    // The page a button key ("Erste", "Zurueck", "Vor", "Letzte") leads
    // to; 0 when it leads nowhere from the page shown.
    int target(const QString &key) const;

private:
    int m_total = 0;
    int m_shown = 0;
    bool m_growing = false;
};

} // namespace report
