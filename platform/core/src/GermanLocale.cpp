#include "core/GermanLocale.h"

#include <QLocale>

namespace core {

void applyGermanLocaleDefault()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C || system.name() == QLatin1String("C")
        || system.name() == QLatin1String("en_US_POSIX"))
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

} // namespace core
