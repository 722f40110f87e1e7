#include "ControlToolbars.h"

#include "ZoomSteps.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace kelvane {
namespace {

constexpr const char *TagProperty = "tag";
const QColor kInk(0x30, 0x40, 0x58);
const QColor kAccent(0x2f, 0x6d, 0xb5);

// The bars' images, drawn so that they stay sharp at any screen scale.
QIcon drawnIcon(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw(p);
    return QIcon(pixmap);
}

void drawPage(QPainter &p)
{
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(19, 3);
    page.lineTo(25, 9);
    page.lineTo(25, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.drawPath(page);
}

void drawLens(QPainter &p, bool plus, bool minus)
{
    p.setBrush(QColor(0xe8, 0xf0, 0xfa));
    p.drawEllipse(QPointF(13, 13), 8.5, 8.5);
    p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 19.5), QPointF(27, 27));
    p.setPen(QPen(kAccent, 2.4, Qt::SolidLine, Qt::RoundCap));
    if (plus || minus)
        p.drawLine(QPointF(9, 13), QPointF(17, 13));
    if (plus)
        p.drawLine(QPointF(13, 9), QPointF(13, 17));
}

QAction *addButton(QToolBar &bar, const QString &key, const QString &caption, const QString &tip, const QIcon &icon)
{
    auto *action = bar.addAction(icon, caption);
    action->setObjectName(key);
    action->setToolTip(tip);
    if (QWidget *button = bar.widgetForAction(action))
        button->setObjectName(QStringLiteral("btn") + key);
    return action;
}

QAction *addMenuEntry(QMenu &menu, const QString &key, const QString &text)
{
    auto *entry = menu.addAction(text);
    entry->setObjectName(key);
    return entry;
}

} // namespace

ControlToolbars ControlToolbars::build(QWidget &owner)
{
    ControlToolbars bars;
    bars.Toolbar = new QToolBar(&owner);
    bars.Toolbar->setObjectName(QStringLiteral("Toolbar"));
    bars.Toolbar->setIconSize(QSize(16, 16));
    bars.Toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    QAction *newButton = addButton(*bars.Toolbar, QStringLiteral("New"), QStringLiteral("Neu anlegen "),
                                   QStringLiteral("Objekt anlegen"), drawnIcon([](QPainter &p) {
                                       drawPage(p);
                                       p.setPen(QPen(kAccent, 2.6, Qt::SolidLine, Qt::RoundCap));
                                       p.drawLine(QPointF(16, 12), QPointF(16, 24));
                                       p.drawLine(QPointF(10, 18), QPointF(22, 18));
                                   }));
    bars.newMenu = new QMenu(&owner);
    bars.newMenu->setObjectName(QStringLiteral("mnuNew"));
    addMenuEntry(*bars.newMenu, QStringLiteral("Obj"), QStringLiteral("Objekt einfügen..."));
    addMenuEntry(*bars.newMenu, QStringLiteral("Scanner"), QStringLiteral("Von Scanner einfügen..."));
    addMenuEntry(*bars.newMenu, QStringLiteral("Bmp"), QStringLiteral("Bilddatei einfügen..."));
    addMenuEntry(*bars.newMenu, QStringLiteral("Phone"), QStringLiteral("Vom Handy ..."));
    newButton->setMenu(bars.newMenu);
    if (auto *button = qobject_cast<QToolButton *>(bars.Toolbar->widgetForAction(newButton)))
        button->setPopupMode(QToolButton::MenuButtonPopup);

    addButton(*bars.Toolbar, QStringLiteral("Edit"), QStringLiteral("Bearbeiten "), QStringLiteral("Objekt bearbeiten"),
              drawnIcon([](QPainter &p) {
                  drawPage(p);
                  p.setPen(QPen(kAccent, 3.2, Qt::SolidLine, Qt::RoundCap));
                  p.drawLine(QPointF(12, 24), QPointF(27, 9));
              }));
    addButton(*bars.Toolbar, QStringLiteral("Delete"), QStringLiteral("Löschen     "), QStringLiteral("Objekt löschen"),
              drawnIcon([](QPainter &p) {
                  p.setPen(QPen(QColor(0xb0, 0x28, 0x28), 3.4, Qt::SolidLine, Qt::RoundCap));
                  p.drawLine(QPointF(8, 8), QPointF(24, 24));
                  p.drawLine(QPointF(24, 8), QPointF(8, 24));
              }));

    auto *spacer = new QWidget(bars.Toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bars.Toolbar->addWidget(spacer);

    bars.tbPicture = new QToolBar(bars.Toolbar);
    bars.tbPicture->setObjectName(QStringLiteral("tbPicture"));
    bars.tbPicture->setIconSize(QSize(16, 16));
    bars.tbPicture->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addButton(*bars.tbPicture, QStringLiteral("ZoomOut"), {}, QStringLiteral("Darstellung verkleinern"),
              drawnIcon([](QPainter &p) { drawLens(p, false, true); }));
    addButton(*bars.tbPicture, QStringLiteral("ZoomIn"), {}, QStringLiteral("Darstellung vergrößern"),
              drawnIcon([](QPainter &p) { drawLens(p, true, true); }));
    bars.cboZoom = new QComboBox(bars.tbPicture);
    bars.cboZoom->setObjectName(QStringLiteral("cboZoom"));
    bars.cboZoom->addItems(ZoomSteps::Entries());
    bars.m_zoomList = bars.tbPicture->addWidget(bars.cboZoom);
    bars.tZoomFaktor = new QLineEdit(bars.tbPicture);
    bars.tZoomFaktor->setObjectName(QStringLiteral("tZoomFaktor"));
    bars.tZoomFaktor->setReadOnly(true);
    bars.tZoomFaktor->setAlignment(Qt::AlignRight);
    bars.tZoomFaktor->setFixedWidth(bars.cboZoom->sizeHint().width());
    bars.m_zoomText = bars.tbPicture->addWidget(bars.tZoomFaktor);
    bars.m_zoomText->setVisible(false);
    QAction *fit = addButton(*bars.tbPicture, QStringLiteral("SizeToFit"), {}, QStringLiteral("Optimale Größe"),
                             drawnIcon([](QPainter &p) {
                                 p.drawRect(QRectF(5, 7, 22, 18));
                                 p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                                 p.drawPolyline(QPolygonF({{9, 15}, {9, 11}, {13, 11}}));
                                 p.drawPolyline(QPolygonF({{23, 17}, {23, 21}, {19, 21}}));
                             }));
    fit->setCheckable(true);
    QAction *overlay = addButton(*bars.tbPicture, QStringLiteral("Overlay"), {}, QStringLiteral("Objekt-Grafik anzeigen"),
                                 drawnIcon([](QPainter &p) {
                                     p.drawRect(QRectF(5, 7, 22, 18));
                                     p.setPen(QPen(QColor(0xd0, 0x30, 0x30), 2.4, Qt::SolidLine, Qt::RoundCap));
                                     p.drawLine(QPointF(9, 21), QPointF(21, 11));
                                     p.drawLine(QPointF(21, 11), QPointF(16, 12));
                                     p.drawLine(QPointF(21, 11), QPointF(20, 16));
                                 }));
    overlay->setCheckable(true);
    overlay->setChecked(true);
    addButton(*bars.tbPicture, QStringLiteral("ObjGrafic"), {}, QStringLiteral("Objekt-Grafik bearbeiten"),
              drawnIcon([](QPainter &p) {
                  p.drawRect(QRectF(4, 9, 18, 16));
                  p.setPen(QPen(kAccent, 3.2, Qt::SolidLine, Qt::RoundCap));
                  p.drawLine(QPointF(14, 20), QPointF(28, 6));
              }));
    bars.m_pictureBar = bars.Toolbar->addWidget(bars.tbPicture);
    return bars;
}

QAction *ControlToolbars::action(const QString &key) const
{
    for (QToolBar *bar : {Toolbar, tbPicture})
        for (QAction *candidate : bar->actions())
            if (candidate->objectName().compare(key, Qt::CaseInsensitive) == 0)
                return candidate;
    for (QAction *entry : newMenu->actions())
        if (entry->objectName().compare(key, Qt::CaseInsensitive) == 0)
            return entry;
    return nullptr;
}

void ControlToolbars::setPictureBarVisible(bool visible)
{
    m_pictureBar->setVisible(visible);
}

bool ControlToolbars::pictureBarVisible() const
{
    return m_pictureBar->isVisible();
}

void ControlToolbars::showZoomText(bool text)
{
    m_zoomList->setVisible(!text);
    m_zoomText->setVisible(text);
}

bool ControlToolbars::zoomTextShown() const
{
    return m_zoomText->isVisible();
}

int ControlToolbars::pictureBarWidth() const
{
    return tbPicture->sizeHint().width();
}

void ControlToolbars::fitCaptions(bool dropped)
{
    for (QAction *button : Toolbar->actions()) {
        if (button == m_pictureBar || button->isSeparator() || button->objectName().isEmpty())
            continue;
        if (dropped && !button->text().isEmpty()) {
            button->setProperty(TagProperty, button->text());
            button->setText(QString());
        } else if (!dropped && !button->property(TagProperty).toString().isEmpty()) {
            button->setText(button->property(TagProperty).toString());
            button->setProperty(TagProperty, QString());
        }
    }
    Toolbar->setToolButtonStyle(dropped ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
    Toolbar->update();
}

} // namespace kelvane
