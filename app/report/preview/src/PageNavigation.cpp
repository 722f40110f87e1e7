#include "preview/PageNavigation.h"

namespace report {

int PageNavigation::target(const QString &key) const
{
    if (key == u"Erste")
        return m_shown != 1 ? 1 : 0;
    if (key == u"Zurueck")
        return m_shown > 1 ? m_shown - 1 : 0;
    if (key == u"Vor")
        return forwardEnabled() ? m_shown + 1 : 0;
    if (key == u"Letzte") {
        if (m_growing)
            return m_shown >= 1 ? LastPage : 0;
        return m_shown != m_total && m_total > 0 ? m_total : 0;
    }
    return 0;
}

QString PageNavigation::totalText() const
{
    return QString::number(m_total) + (m_growing ? QStringLiteral("+") : QString());
}

} // namespace report
