// The editor window's toolbars and drawing area, and the controls filled
// from and applied to the selected shape.
#include "editor/frmMain.h"

#include "editor/EditCommand.h"
#include "editor/EditorIcons.h"
#include "editor/Rounding.h"
#include "editor/ScriptBuilder.h"
#include "editor/ToolbarState.h"

#include "ToolbarFlow.h"
#include "core/FontFaces.h"

#include <kelvane/OLELangTrans.h>
#include "core/UserSettings.h"
#include <kelvane/Scrollbars.h>
#include <sendral/OverlayGraphic.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QImageReader>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvane::editor {

namespace {

struct Command {
    const char *key;
    const char *tooltip;
    bool tool;      // a shape, drawn with the mouse
};

constexpr Command kMainCommands[] = {
    {"Line", "Line einfügen", true},        {"Arrow", "Pfeil einfügen", true},
    {"DblArrow", "Doppelpfeil einfügen", true}, {"Rect", "Rechteck einfügen", true},
    {"Circle", "Ellipse einfügen", true},   {"Text", "Text einfügen", true},
    {"Copy", "Objekt kopieren", false},     {"Paste", "Objekt einfügen", false},
    {"Delete", "Objekt löschen", false},    {"ZOrderFore", "In den Vordergrund", false},
    {"ZOrderBack", "In den Hintergrund", false},
};

const QStringList &ScreenFonts()
{
    static const QStringList fonts = core::FontFaces::familyNames();
    return fonts;
}

QAction *addKey(QToolBar *bar, const QString &key, const QString &tooltip, const QString &text = {})
{
    QAction *action = bar->addAction(EditorIcons::ForKey(key), text.isEmpty() ? key : text);
    action->setObjectName(key);
    action->setToolTip(tooltip);
    return action;
}

QAbstractScrollArea *scrollHost(QWidget *parent, const char *name)
{
    auto *host = new QAbstractScrollArea(parent);
    host->setObjectName(QLatin1String(name));
    host->setFrameShape(QFrame::NoFrame);
    return host;
}

} // namespace

void frmMain::buildToolbars()
{
    tbMain = new QToolBar(this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    for (const Command &command : kMainCommands) {
        const QString key = QString::fromLatin1(command.key);
        QAction *action = addKey(tbMain, key, QString::fromUtf8(command.tooltip));
        if (!command.tool) {
            connect(action, &QAction::triggered, this, [this, key] { DoCommand(key); });
            continue;
        }
        // Shown pressed while armed.
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, key] { toolTriggered(key); });
        QWidget *button = tbMain->widgetForAction(action);
        button->setProperty(kToolButton, true);
        button->installEventFilter(this);
    }
    tbMain->findChild<QAction *>(QStringLiteral("Paste"))->setEnabled(false);
    tbMain->addSeparator();
    QAction *undo = addKey(tbMain, QStringLiteral("Undo"), QString::fromUtf8("Rückgängig (Strg+Z)"));
    QAction *redo = addKey(tbMain, QStringLiteral("Redo"), QStringLiteral("Wiederholen (Strg+Y)"));
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(undo, &QAction::triggered, this, [this] { DoCommand(QStringLiteral("Undo")); });
    connect(redo, &QAction::triggered, this, [this] { DoCommand(QStringLiteral("Redo")); });
    connect(&m_undo, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&m_undo, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    tbMain->addSeparator();
    connect(addKey(tbMain, QStringLiteral("ZoomIn"), QString::fromUtf8("Vergrößern (Strg+Mausrad)")), &QAction::triggered,
            this, [this] { SetZoom(m_zoom * kZoomStep); });
    connect(addKey(tbMain, QStringLiteral("ZoomOut"), QStringLiteral("Verkleinern (Strg+Mausrad)")), &QAction::triggered,
            this, [this] { SetZoom(m_zoom / kZoomStep); });
    connect(addKey(tbMain, QStringLiteral("Fit"), QStringLiteral("Ganzes Bild")), &QAction::triggered, this,
            &frmMain::ZoomToFit);

    tbTextProps = new QToolBar(this);
    tbTextProps->setObjectName(QStringLiteral("tbTextProps"));
    for (const auto &[key, tip] : {std::pair{"FontBold", "Fett"}, std::pair{"FontItalic", "Kursiv"},
                                   std::pair{"FontUnderline", "Unterstrichen"}}) {
        QAction *action = addKey(tbTextProps, QLatin1String(key), QString::fromUtf8(tip));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, &frmMain::ApplyTextFormat);
    }

    ComboFont = new QComboBox(this);
    ComboFont->setObjectName(QStringLiteral("ComboFont"));
    ComboFont->addItems(ScreenFonts());
    // A new text's face as it is drawn ("MS Sans Serif" shows as its twin).
    ComboFont->setCurrentIndex(std::max(0, int(ScreenFonts().indexOf(core::FontFaces::resolve(TextElement().FontName)))));
    ComboFont->setMaximumWidth(150);
    ComboSize = new QComboBox(this);
    ComboSize->setObjectName(QStringLiteral("ComboSize"));
    ComboSize->addItems(FontSizeEntries());
    ComboSize->setCurrentIndex(3);
    connect(ComboFont, &QComboBox::activated, this, &frmMain::ApplyTextFormat);
    connect(ComboSize, &QComboBox::activated, this, &frmMain::ApplyTextFormat);

    tbObjProps = new QToolBar(this);
    tbObjProps->setObjectName(QStringLiteral("tbObjProps"));
    QAction *pen = addKey(tbObjProps, QStringLiteral("Pencolor"), QStringLiteral("Linienfarbe einstellen"));
    QAction *fill = addKey(tbObjProps, QStringLiteral("Fillcolor"), QString::fromUtf8("Füllfarbe einstellen"));
    connect(pen, &QAction::triggered, this, [this] {
        m_style.pen = PickColor(m_style.pen);
        rememberStyle();
        UpdateColorButton(QStringLiteral("Linecolor"), m_style.pen);
        if (const int index = m_shapes.Selected(); index >= 0)
            recorded(QStringLiteral("Linienfarbe"), [&] { m_shapes.Shape(index).SetPenColor(m_style.pen); });
    });
    connect(fill, &QAction::triggered, this, [this] {
        m_style.fill = PickColor(m_style.fill);
        rememberStyle();
        ApplyFill();
    });

    cboPenWidth = new QComboBox(this);
    cboPenWidth->setObjectName(QStringLiteral("cboPenWidth"));
    for (int width = 1; width <= 10; ++width)
        cboPenWidth->addItem(QString::number(width));
    connect(cboPenWidth, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (m_updatingToolbars || entry < 0)
            return;
        m_style.penWidth = entry + 1;
        rememberStyle();
    });
    connect(cboPenWidth, &QComboBox::activated, this, [this](int entry) {
        if (const int index = m_shapes.Selected(); index >= 0)
            recorded(QStringLiteral("Linienbreite"), [&] { m_shapes.Shape(index).SetPenWidth(PenWidthAtZoom(entry + 1, m_zoom)); });
    });
    chkTransparent = new QCheckBox(QStringLiteral("Transparent "), this);
    chkTransparent->setObjectName(QStringLiteral("chkTransparent"));
    connect(chkTransparent, &QCheckBox::toggled, this, [this, fill](bool checked) {
        if (!m_updatingToolbars) {
            m_style.transparent = checked;
            rememberStyle();
            ApplyFill();
        }
        fill->setEnabled(!checked);
    });

    tbOKCancel = new QToolBar(this);
    tbOKCancel->setObjectName(QStringLiteral("tbOKCancel"));
    tbOKCancel->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *cancel = addKey(tbOKCancel, QStringLiteral("Cancel"), QString::fromUtf8("Änderungen verwerfen und beenden"),
                             QStringLiteral("Abbrechen "));
    QAction *ok = addKey(tbOKCancel, QStringLiteral("Ok"), QStringLiteral("Speichern und beenden"),
                         QStringLiteral("OK      "));
    connect(cancel, &QAction::triggered, this, &frmMain::reject);
    connect(ok, &QAction::triggered, this, &frmMain::save);
}

void frmMain::buildDrawingArea()
{
    m_view = new QGraphicsView(&m_scene, this);
    m_view->setObjectName(QStringLiteral("Dummy1"));
    m_view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setBackgroundBrush(palette().window());
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);

    Image1 = m_scene.addPixmap(QPixmap());
    Image1->setZValue(std::numeric_limits<double>::lowest());

    FrameHS = scrollHost(this, "FrameHS");
    FrameVS = scrollHost(this, "FrameVS");
    HS = std::make_unique<Scrollbars>();
    HS->setObjectName(QStringLiteral("HS"));
    HS->Setup(FrameHS, 0);
    VS = std::make_unique<Scrollbars>();
    VS->setObjectName(QStringLiteral("VS"));
    VS->Setup(FrameVS, 1);
    connect(HS.get(), &Scrollbars::Scroll, this, [this](int, int value) { scrolled(0, value); });
    connect(VS.get(), &Scrollbars::Scroll, this, [this](int, int value) { scrolled(1, value); });

    m_text = new QPlainTextEdit(m_view->viewport());
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->hide();
    // Transparent over the picture, so that the text is edited where it lies.
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->document()->setDocumentMargin(0);
    m_text->viewport()->setAutoFillBackground(false);
    m_text->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    m_text->installEventFilter(this);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->addPermanentWidget(tbOKCancel);

    auto *bars = new ToolbarFlow(4);
    for (QWidget *widget : {static_cast<QWidget *>(tbMain), static_cast<QWidget *>(tbTextProps),
                            static_cast<QWidget *>(ComboFont), static_cast<QWidget *>(ComboSize),
                            static_cast<QWidget *>(tbObjProps), static_cast<QWidget *>(cboPenWidth),
                            static_cast<QWidget *>(chkTransparent)})
        bars->addWidget(widget);
    // Every button stays in sight; the window's minimum width follows.
    for (QToolBar *bar : {tbMain, tbTextProps, tbObjProps})
        bar->setMinimumWidth(bar->sizeHint().width());
    auto *area = new QGridLayout;
    area->setSpacing(0);
    area->addWidget(m_view, 0, 0);
    area->addWidget(FrameVS, 0, 1);
    area->addWidget(FrameHS, 1, 0);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(bars);
    outer->addLayout(area, 1);
    outer->addWidget(StatusBar1);

    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 1;
    FrameHS->setFixedHeight(extent);
    FrameVS->setFixedWidth(extent);
}

void frmMain::wireShape(int index)
{
    GraficObj *shape = &m_shapes.Shape(index);
    connect(shape, &GraficObj::MouseDown, this, [this, shape](Qt::MouseButton, Qt::KeyboardModifiers, float x, float y) {
        shapeMouseDown(m_shapes.IndexOf(shape), x, y);
    });
    connect(shape, &GraficObj::MouseMove, this, [this, shape](Qt::MouseButtons buttons, Qt::KeyboardModifiers, float x, float y) {
        if (buttons == Qt::NoButton)
            return;
        const QPoint at = shape->Placement().topLeft();
        shape->Move(at.x() + roundHalfEven(x - m_dragOrigin.x()), at.y() + roundHalfEven(y - m_dragOrigin.y()));
    });
    connect(shape, &GraficObj::DblClick, this, [this, shape] {
        QCoreApplication::processEvents();
        if (shape->Style() == ShapeStyle::Text)
            BeginTextEdit(m_shapes.IndexOf(shape));
    });
}

void frmMain::shapeMouseDown(int index, float x, float y)
{
    m_shapes.SelectShape(index);
    EndTextEdit();
    GraficObj &shape = m_shapes.Shape(index);
    const ToolbarState state = ReadToolbarState(shape, ScreenFonts(), m_zoom);
    UpdateColorButton(QStringLiteral("Fillcolor"), state.fill);
    UpdateColorButton(QStringLiteral("Pencolor"), state.pen);
    {
        QScopedValueRollback<bool> updating(m_updatingToolbars, true);
        cboPenWidth->setCurrentIndex(state.penWidthIndex);
        chkTransparent->setChecked(state.transparent);
    }
    showSelectionFormat(index);
    m_dragOrigin = QPoint(roundHalfEven(x), roundHalfEven(y));
}

void frmMain::showSelectionFormat(int index)
{
    GraficObj &shape = m_shapes.Shape(index);
    shape.update();
    const ToolbarState state = ReadToolbarState(shape, ScreenFonts(), m_zoom);
    if (!state.isText)
        return;
    QScopedValueRollback<bool> updating(m_updatingToolbars, true);
    if (state.fontIndex >= 0)
        ComboFont->setCurrentIndex(state.fontIndex);
    ComboSize->setCurrentIndex(state.sizeIndex);
    tbTextProps->findChild<QAction *>(QStringLiteral("FontBold"))->setChecked(state.bold);
    tbTextProps->findChild<QAction *>(QStringLiteral("FontItalic"))->setChecked(state.italic);
    tbTextProps->findChild<QAction *>(QStringLiteral("FontUnderline"))->setChecked(state.underline);
}

void frmMain::UpdateColorButton(const QString &which, ColorRef color)
{
    const bool fill = which.compare(QStringLiteral("Fillcolor"), Qt::CaseInsensitive) == 0;
    QAction *action = tbObjProps->findChild<QAction *>(fill ? QStringLiteral("Fillcolor") : QStringLiteral("Pencolor"));
    action->setIcon(QIcon(QPixmap::fromImage(EditorIcons::ColorButton(fill, toQColor(color)))));
}

ColorRef frmMain::PickColor(ColorRef color)
{
    const QColor chosen = QColorDialog::getColor(toQColor(color), this);
    return chosen.isValid() ? fromQColor(chosen) : color;
}

void frmMain::ApplyFill()
{
    tbObjProps->findChild<QAction *>(QStringLiteral("Fillcolor"))->setEnabled(!chkTransparent->isChecked());
    UpdateColorButton(QStringLiteral("Fillcolor"), m_style.fill);
    if (const int index = m_shapes.Selected(); index >= 0) {
        recorded(QString::fromUtf8("Füllung"), [&] {
            m_shapes.Shape(index).SetFillColor(m_style.fill);
            m_shapes.Shape(index).SetTransparenz(chkTransparent->isChecked());
        });
    }
}

void frmMain::ApplyTextFormat()
{
    if (m_updatingToolbars)
        return;
    // The whole bar is what the user last chose for texts.
    m_style.fontChosen = true;
    m_style.fontName = ComboFont->currentText();
    m_style.fontSize = ComboSize->currentText().toFloat();
    m_style.bold = tbTextProps->findChild<QAction *>(QStringLiteral("FontBold"))->isChecked();
    m_style.italic = tbTextProps->findChild<QAction *>(QStringLiteral("FontItalic"))->isChecked();
    m_style.underline = tbTextProps->findChild<QAction *>(QStringLiteral("FontUnderline"))->isChecked();
    rememberStyle();
    const int index = m_shapes.Selected();
    if (index < 0 || m_shapes.Shape(index).Style() != ShapeStyle::Text)
        return;
    TextElement &label = m_shapes.Shape(index).Label();
    recorded(QStringLiteral("Schrift"), [&] {
        label.FontName = m_style.fontName;
        label.FontSize = FontSizeAtZoom(m_style.fontSize, m_zoom);
        label.Bold = m_style.bold;
        label.Italic = m_style.italic;
        label.Underline = m_style.underline;
        m_shapes.Shape(index).Repaint();
    });
    if (m_text->isVisible())
        fontTextEditor(label);
}

void frmMain::showStyle()
{
    UpdateColorButton(QStringLiteral("Linecolor"), m_style.pen);
    UpdateColorButton(QStringLiteral("Fillcolor"), m_style.fill);
    QScopedValueRollback<bool> updating(m_updatingToolbars, true);
    cboPenWidth->setCurrentIndex(m_style.penWidth - 1);
    chkTransparent->setChecked(m_style.transparent);
    if (!m_style.fontChosen)
        return;
    if (const int font = ComboFont->findText(m_style.fontName, Qt::MatchFixedString); font >= 0)
        ComboFont->setCurrentIndex(font);
    ComboSize->setCurrentIndex(std::clamp(roundHalfEven(m_style.fontSize / 2.0 - 1.0), 0, ComboSize->count() - 1));
    tbTextProps->findChild<QAction *>(QStringLiteral("FontBold"))->setChecked(m_style.bold);
    tbTextProps->findChild<QAction *>(QStringLiteral("FontItalic"))->setChecked(m_style.italic);
    tbTextProps->findChild<QAction *>(QStringLiteral("FontUnderline"))->setChecked(m_style.underline);
}

void frmMain::rememberStyle()
{
    m_style.Write(*core::UserSettings::open());
}

} // namespace kelvane::editor
