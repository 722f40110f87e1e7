#include "ZoomSteps.h"

#include "core/Twips.h"

namespace kelvane {

const QStringList &ZoomSteps::Entries()
{
    static const QStringList entries = {QStringLiteral("500 %"), QStringLiteral("200 %"), QStringLiteral("150 %"),
                                        QStringLiteral("100 %"), QStringLiteral("75 %"),  QStringLiteral("50 %"),
                                        QStringLiteral("25 %"),  QStringLiteral("10 %")};
    return entries;
}

double ZoomSteps::ZoomOf(const QString &entry)
{
    QString text = entry;
    text.remove(QChar(u'%'), Qt::CaseInsensitive);
    return core::leadingNumber(text);
}

int ZoomSteps::StepFrom(double percent, int direction)
{
    // A step smaller than half a percent would not show.
    constexpr double kSlack = 0.5;
    const QStringList &entries = Entries();
    if (direction > 0) {
        for (int i = int(entries.size()) - 1; i >= 0; --i)
            if (ZoomOf(entries.at(i)) > percent + kSlack)
                return i;
    } else {
        for (int i = 0; i < entries.size(); ++i)
            if (ZoomOf(entries.at(i)) < percent - kSlack)
                return i;
    }
    return -1;
}

bool captionsDropped(int innerWidthTwips, int pictureBarWidthTwips)
{
    return innerWidthTwips < pictureBarWidthTwips + 4800;
}

} // namespace kelvane
