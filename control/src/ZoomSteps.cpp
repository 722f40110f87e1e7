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

bool captionsDropped(int innerWidthTwips, int pictureBarWidthTwips)
{
    return innerWidthTwips < pictureBarWidthTwips + 4800;
}

} // namespace kelvane
