#include "kelvane/AttachmentWriter.h"

#include "kelvane/ObjectStorage.h"

#include "editor/GraficGeometry.h"
#include "editor/GraficPainter.h"
#include "editor/OverlayScript.h"
#include "editor/ScriptBuilder.h"
#include "editor/frmMain.h"

#include "sendral/OverlayGraphic.h"

#include <QFontMetrics>
#include <QPainter>

namespace kelvane {
namespace {

using namespace kelvane::editor;

constexpr ColorRef kRed = 0x0000FF;
constexpr int kMargin = 8;
// An arrow's line runs between the centres of its first and last grip, this
// far inside the shape on every side.
constexpr int kLineInset = ArrowInset + GripSize / 2;

// value kept between low and high, low winning on a picture too small for both.
int within(int low, int value, int high)
{
    return qMax(low, qMin(value, high));
}

GraficGeometry wordShape(const QString &word, QSize picture)
{
    GraficGeometry text;
    text.SetStyle(ShapeStyle::Text);
    TextElement &label = text.Label();
    label.Caption = word;
    label.FontName = QStringLiteral("Arial");
    // An even size, as the editor's list offers them: 36 pt on a photo 960 high.
    label.FontSize = float(2 * qBound(4, qRound(picture.height() / 54.0), 37));
    label.Bold = true;
    text.SetPenColor(kRed);
    return text;
}

Annotation markDamage(QSize picture, QPointF centre, qreal radius, const QString &word)
{
    Annotation result;
    result.overlay = std::make_unique<sendral::OverlayGraphic>();
    QPainter *painter = result.overlay->BeginDraw(nullptr, HimetricFromPixels(picture.width()),
                                                  HimetricFromPixels(picture.height()), QString());
    if (!painter)
        return result;

    GraficGeometry text = wordShape(word, picture);
    const QFontMetrics metrics(GraficPainter::FontToLogFont(text.Label(), *painter->device()));
    // A character's width to spare, so that the word is never wrapped.
    const QSize textSize(metrics.horizontalAdvance(word) + metrics.averageCharWidth(), metrics.height() + 4);

    // The head touches the dent's rim on the way from its centre up to the left;
    // the arrow is shortened where the picture's edge leaves no room for it and the word.
    const QPointF upLeft(0.6, 0.8);
    const QPointF rim = centre - upLeft * radius;
    const int tipX = within(kMargin, qRound(rim.x()), picture.width() - kMargin);
    const int tipY = within(kMargin, qRound(rim.y()), picture.height() - kMargin);
    const double length = qMax(60.0, picture.height() * 0.22);
    const int dx = qMax(0, qMin(qRound(length * upLeft.x()), tipX - kMargin));
    const int dy = qMax(0, qMin(qRound(length * upLeft.y()), tipY - kMargin - textSize.height()));

    GraficGeometry arrow;
    arrow.SetStyle(ShapeStyle::Arrow);
    arrow.SetPenWidth(qBound(1, qRound(picture.width() / 256.0), 10));
    arrow.SetPenColor(kRed);
    const int width = dx + 2 * kLineInset;
    const int height = dy + 2 * kLineInset;
    arrow.Place(tipX - (width - kLineInset), tipY - (height - kLineInset), width, height);

    const int tailX = tipX - dx;
    const int tailY = tipY - dy;
    text.Place(within(kMargin, tailX - textSize.width() / 2, picture.width() - kMargin - textSize.width()),
               qMax(kMargin, tailY - textSize.height() - 2), textSize.width(), textSize.height());

    const QPoint arrowAt = arrow.Geometry().topLeft();
    const QPoint textAt = text.Geometry().topLeft();
    result.script = OverlayScript::Write({{&arrow, arrowAt.x(), arrowAt.y()}, {&text, textAt.x(), textAt.y()}});
    GraficPainter::DrawToDC(arrow, *painter, arrowAt.x(), arrowAt.y());
    GraficPainter::DrawToDC(text, *painter, textAt.x(), textAt.y());
    result.overlay->EndDraw();
    return result;
}

class AttachmentWriter final : public IAttachmentWriter {
public:
    explicit AttachmentWriter(dao::Database *database) : m_storage(database) {}

    bool SaveObject(long id, const QString &filePath, const sendral::OverlayGraphic *overlay,
                    const QString &scriptText) override
    {
        return m_storage.SaveObject(id, filePath, overlay, scriptText);
    }

    Annotation MarkDamage(QSize picture, QPointF centre, qreal radius, const QString &word) const override
    {
        return markDamage(picture, centre, radius, word);
    }

    bool LoadObject(long id, QString &tempFile, bool &isBitmap, QString &scriptText,
                    std::shared_ptr<sendral::OverlayGraphic> &overlay) override
    {
        return m_storage.LoadObject(id, tempFile, isBitmap, overlay, scriptText);
    }

    void DeleteObjectRecord(long id) override { m_storage.DeleteObjectRecord(id); }

    std::optional<Annotation> EditAnnotation(const QString &pictureFile, const QString &script,
                                             QWidget *parent) const override
    {
        editor::EditResult result = editor::frmMain::Edit(pictureFile, script, parent);
        if (result.cancelled || !result.changed)
            return std::nullopt;
        return Annotation{result.script, std::move(result.overlay)};
    }

private:
    ObjectStorage m_storage;
};

} // namespace
} // namespace kelvane

extern "C" __attribute__((visibility("default"))) kelvane::IAttachmentWriter *KelvaneAttachmentWriter(dao::Database *database)
{
    return new kelvane::AttachmentWriter(database);
}
