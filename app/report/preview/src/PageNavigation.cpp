#include "preview/PageNavigation.h"

namespace report {

int PageNavigation::target(const QString &key) const
{
    if (key == u"Erste")
        return m_shown != 1 ? 1 : 0;
    if (key == u"Zurueck")
        return m_shown > 1 ? m_shown - 1 : 0;
    if (key == u"Vor")
        return m_shown < m_total ? m_shown + 1 : 0;
    if (key == u"Letzte")
        return m_shown != m_total && m_total > 0 ? m_total : 0;
    return 0;
}

} // namespace report
