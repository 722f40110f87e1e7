#include "editor/frmMain.h"

#include "editor/EditCommand.h"
#include "editor/EditorIcons.h"
#include "editor/Rounding.h"
#include "editor/ScriptBuilder.h"
#include "editor/ToolbarState.h"

#include <kelvane/OLELangTrans.h>
#include <kelvane/Scrollbars.h>
#include <sendral/OverlayGraphic.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QHBoxLayout>
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
};

constexpr Command kMainCommands[] = {
    {"Line", "Line einfügen"},        {"Arrow", "Pfeil einfügen"},
    {"DblArrow", "Doppelpfeil einfügen"}, {"Rect", "Rechteck einfügen"},
    {"Circle", "Ellipse einfügen"},   {"Text", "Text einfügen"},
    {"Copy", "Objekt kopieren"},      {"Paste", "Objekt einfügen"},
    {"Delete", "Objekt löschen"},     {"ZOrderFore", "In den Vordergrund"},
    {"ZOrderBack", "In den Hintergrund"},
};

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.02;
constexpr double kMaxZoom = 8.0;

int kindOf(const QString &key)
{
    static const QList<QPair<QString, int>> kinds{
        {QStringLiteral("line"), ShapeStyle::Line},     {QStringLiteral("arrow"), ShapeStyle::Arrow},
        {QStringLiteral("dblarrow"), ShapeStyle::DblArrow}, {QStringLiteral("rect"), ShapeStyle::Rect},
        {QStringLiteral("circle"), ShapeStyle::Circle}, {QStringLiteral("text"), ShapeStyle::Text}};
    for (const auto &[name, kind] : kinds) {
        if (name == key)
            return kind;
    }
    return std::numeric_limits<int>::min();
}

// The screen fonts in the order the system lists them, read once per
// process: the font database is slow to ask on machines with many fonts.
const QStringList &ScreenFonts()
{
    static const QStringList fonts = QFontDatabase::families();
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

frmMain::frmMain(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Objektgrafik"));
    // 10740 x 1755 twips at 15 twips a pixel.
    setMinimumSize(716, 117);
    resize(900, 640);
    buildToolbars();
    buildDrawingArea();
    connect(&m_shapes, &ShapeSlots::ShapeAdded, this, &frmMain::wireShape);
    wireShape(0);
    UpdateColorButton(QStringLiteral("Linecolor"), m_penColor);
    UpdateColorButton(QStringLiteral("Fillcolor"), m_fillColor);
    const OLELangTrans translation;
    translation.TranslateToolbar(tbMain);
    translation.TranslateToolbar(tbOKCancel);
}

frmMain::~frmMain() = default;

void frmMain::buildToolbars()
{
    tbMain = new QToolBar(this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    for (const Command &command : kMainCommands) {
        const QString key = QString::fromLatin1(command.key);
        QAction *action = addKey(tbMain, key, QString::fromUtf8(command.tooltip));
        connect(action, &QAction::triggered, this, [this, key] { DoCommand(key); });
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
    ComboFont->setCurrentIndex(0);
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
        m_penColor = PickColor(m_penColor);
        UpdateColorButton(QStringLiteral("Linecolor"), m_penColor);
        if (const int index = m_shapes.Selected(); index >= 0)
            recorded(QStringLiteral("Linienfarbe"), [&] { m_shapes.Shape(index).SetPenColor(m_penColor); });
    });
    connect(fill, &QAction::triggered, this, [this] {
        m_fillColor = PickColor(m_fillColor);
        ApplyFill();
    });

    cboPenWidth = new QComboBox(this);
    cboPenWidth->setObjectName(QStringLiteral("cboPenWidth"));
    for (int width = 1; width <= 10; ++width)
        cboPenWidth->addItem(QString::number(width));
    connect(cboPenWidth, &QComboBox::activated, this, [this](int entry) {
        if (const int index = m_shapes.Selected(); index >= 0)
            recorded(QStringLiteral("Linienbreite"), [&] { m_shapes.Shape(index).SetPenWidth(entry + 1); });
    });
    chkTransparent = new QCheckBox(QStringLiteral("Transparent "), this);
    chkTransparent->setObjectName(QStringLiteral("chkTransparent"));
    connect(chkTransparent, &QCheckBox::toggled, this, [this, fill](bool checked) {
        if (!m_updatingToolbars)
            ApplyFill();
        fill->setEnabled(!checked);
    });

    tbOKCancel = new QToolBar(this);
    tbOKCancel->setObjectName(QStringLiteral("tbOKCancel"));
    tbOKCancel->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *cancel = addKey(tbOKCancel, QStringLiteral("Cancel"), QString::fromUtf8("Änderungen verwerfen und beenden"),
                             QStringLiteral("Abbrechen "));
    QAction *ok = addKey(tbOKCancel, QStringLiteral("Ok"), QStringLiteral("Speichern und beenden"),
                         QStringLiteral("OK      "));
    connect(cancel, &QAction::triggered, this, [this] {
        m_cancelled = true;
        reject();
    });
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

    auto *bars = new QHBoxLayout;
    bars->setContentsMargins(0, 0, 0, 0);
    bars->setSpacing(4);
    for (QWidget *widget : {static_cast<QWidget *>(tbMain), static_cast<QWidget *>(tbTextProps),
                            static_cast<QWidget *>(ComboFont), static_cast<QWidget *>(ComboSize),
                            static_cast<QWidget *>(tbObjProps), static_cast<QWidget *>(cboPenWidth),
                            static_cast<QWidget *>(chkTransparent)})
        bars->addWidget(widget);
    bars->addStretch();
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

void frmMain::SetEditPictureFile(const QString &file)
{
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    m_pictureSize = picture.size();
    Image1->setPixmap(QPixmap::fromImage(picture));
    m_scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(m_pictureSize)));
    layoutScrollBars();
}

std::unique_ptr<sendral::OverlayGraphic> frmMain::TakeEditOverlay()
{
    return std::move(m_overlay);
}

EditResult frmMain::Edit(const QString &pictureFile, const QString &script, QWidget *parent)
{
    frmMain editor(parent);
    editor.SetEditPictureFile(pictureFile);
    editor.SetEditScript(script);
    editor.exec();
    EditResult result;
    result.cancelled = editor.EditCancelled();
    if (!result.cancelled) {
        result.script = editor.EditScript();
        result.overlay = editor.TakeEditOverlay();
        result.changed = editor.EditChanged();
    }
    return result;
}

void frmMain::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QApplication::restoreOverrideCursor();
    if (!m_scriptLoaded) {
        m_shapes.LoadScript(m_script, {});
        m_scriptLoaded = true;
        // A photo larger than the drawing area opens whole.
        layoutScrollBars();
        ZoomToFit();
    }
    layoutScrollBars();
}

void frmMain::SetZoom(double zoom, QPoint anchor)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    EndTextEdit();
    const QPointF under = m_view->mapToScene(anchor);
    m_zoom = zoom;
    m_view->setTransform(QTransform::fromScale(zoom, zoom));
    layoutScrollBars();
    ScrollTo(qRound(under.x() * zoom - anchor.x()), qRound(under.y() * zoom - anchor.y()));
    StatusBar1->showMessage(QStringLiteral("%1 %").arg(qRound(zoom * 100)));
}

void frmMain::ZoomToFit()
{
    if (m_pictureSize.isEmpty())
        return;
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 1;
    const QSize area = m_view->size() + QSize(FrameVS->isVisible() ? extent : 0, FrameHS->isVisible() ? extent : 0);
    const double fit = std::min(double(area.width()) / m_pictureSize.width(), double(area.height()) / m_pictureSize.height());
    SetZoom(std::min(1.0, fit));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (result() != QDialog::Accepted)
        m_cancelled = true;
    QDialog::closeEvent(event);
}

void frmMain::save()
{
    EndTextEdit();
    if (!m_scriptLoaded) {
        m_shapes.LoadScript(m_script, {});
        m_scriptLoaded = true;
    }
    m_cancelled = false;
    SaveResult result = Save(m_shapes, m_pictureSize, m_script);
    m_overlay = std::move(result.overlay);
    m_script = result.script;
    m_changed = result.changed;
    accept();
}

QPoint frmMain::visibleTopLeft() const
{
    return m_view->mapToScene(QPoint(0, 0)).toPoint();
}

NewShapeStyle frmMain::newShapeStyle() const
{
    return {m_fillColor, m_penColor, cboPenWidth->currentIndex() + 1};
}

void frmMain::DoCommand(const QString &key)
{
    const QString k = key.toLower();
    EndTextEdit();
    const int selected = m_shapes.Selected();
    if (const int kind = kindOf(k); kind != std::numeric_limits<int>::min()) {
        recorded(QStringLiteral("Neues Objekt"), [&] {
            // 200 x 200 on screen, whatever the zoom.
            const int index = m_shapes.CreateShape(kind, newShapeStyle(), visibleTopLeft(), qRound(200 / m_zoom));
            m_shapes.SelectShape(index);
        });
    } else if (k == u"zorderfore" && selected >= 0) {
        recorded(QStringLiteral("In den Vordergrund"), [&] { m_shapes.SetStacking(selected, Stacking::Front); });
    } else if (k == u"zorderback" && selected >= 0) {
        recorded(QStringLiteral("In den Hintergrund"), [&] { m_shapes.SetStacking(selected, Stacking::Back); });
    } else if (k == u"delete" && selected >= 0) {
        recorded(QString::fromUtf8("Löschen"), [&] { m_shapes.DeleteShape(selected); });
    } else if (k == u"copy" && selected >= 0) {
        m_copyBuffer = m_shapes.CopySelected();
        tbMain->findChild<QAction *>(QStringLiteral("Paste"))->setEnabled(!m_copyBuffer.isEmpty());
    } else if (k == u"paste" && !m_copyBuffer.isEmpty()) {
        // At the window's left edge and the picture's top, as the copy was made at (0, 0).
        recorded(QString::fromUtf8("Einfügen"), [&] { m_shapes.Paste(m_copyBuffer, QPoint(visibleTopLeft().x(), 0)); });
    } else if (k == u"undo") {
        m_undo.undo();
    } else if (k == u"redo") {
        m_undo.redo();
    }
}

template <typename Operation>
void frmMain::recorded(const QString &text, Operation operation, int mergeKey)
{
    const QList<SlotState> before = m_shapes.States();
    operation();
    pushStep(text, before, mergeKey);
}

void frmMain::pushStep(const QString &text, const QList<SlotState> &before, int mergeKey)
{
    auto step = std::make_unique<EditCommand>(m_shapes, text, before, mergeKey);
    if (mergeKey == 0)
        ++m_nudgeRun;
    if (step->Changed())
        m_undo.push(step.release());
}

void frmMain::nudge(int dx, int dy)
{
    const int index = m_shapes.Selected();
    if (index < 0)
        return;
    recorded(QStringLiteral("Verschieben"), [&] {
        GraficObj &shape = m_shapes.Shape(index);
        const QPoint at = shape.Placement().topLeft();
        shape.Move(at.x() + dx, at.y() + dy);
    }, m_nudgeRun);
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
    const ToolbarState state = ReadToolbarState(shape, ScreenFonts());
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
    const ToolbarState state = ReadToolbarState(shape, ScreenFonts());
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
    UpdateColorButton(QStringLiteral("Fillcolor"), m_fillColor);
    if (const int index = m_shapes.Selected(); index >= 0) {
        recorded(QString::fromUtf8("Füllung"), [&] {
            m_shapes.Shape(index).SetFillColor(m_fillColor);
            m_shapes.Shape(index).SetTransparenz(chkTransparent->isChecked());
        });
    }
}

void frmMain::ApplyTextFormat()
{
    if (m_updatingToolbars)
        return;
    const int index = m_shapes.Selected();
    if (index < 0 || m_shapes.Shape(index).Style() != ShapeStyle::Text)
        return;
    TextElement &label = m_shapes.Shape(index).Label();
    recorded(QStringLiteral("Schrift"), [&] {
        label.FontName = ComboFont->currentText();
        label.FontSize = ComboSize->currentText().toFloat();
        label.Bold = tbTextProps->findChild<QAction *>(QStringLiteral("FontBold"))->isChecked();
        label.Italic = tbTextProps->findChild<QAction *>(QStringLiteral("FontItalic"))->isChecked();
        label.Underline = tbTextProps->findChild<QAction *>(QStringLiteral("FontUnderline"))->isChecked();
        m_shapes.Shape(index).Repaint();
    });
    if (m_text->isVisible())
        m_text->setFont(QFont(label.FontName, qRound(label.FontSize), label.Bold ? QFont::Bold : QFont::Normal, label.Italic));
}

void frmMain::BeginTextEdit(int index)
{
    GraficObj &shape = m_shapes.Shape(index);
    const TextElement &label = shape.Label();
    const QRect onScreen = m_view->mapFromScene(QRectF(shape.Placement())).boundingRect();
    m_text->setGeometry(onScreen);
    QFont font(label.FontName, qRound(label.FontSize), label.Bold ? QFont::Bold : QFont::Normal, label.Italic);
    font.setPointSizeF(label.FontSize * m_zoom);
    font.setUnderline(label.Underline);
    m_text->setFont(font);
    QPalette colours = m_text->palette();
    colours.setColor(QPalette::Text, toQColor(label.ForeColor));
    m_text->setPalette(colours);
    m_text->setPlainText(label.Caption);
    m_beforeText = m_shapes.States();
    shape.setVisible(false);
    m_text->show();
    m_text->moveCursor(QTextCursor::End);
    m_text->setFocus();
    m_editingTextIndex = index;
}

void frmMain::EndTextEdit()
{
    if (!m_text->isVisible())
        return;
    m_text->hide();
    GraficObj &shape = m_shapes.Shape(m_editingTextIndex);
    shape.Label().Caption = m_text->toPlainText();
    shape.setVisible(true);
    shape.Repaint();
    pushStep(QStringLiteral("Text"), m_beforeText);
    m_view->setFocus();
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(*event))
        QDialog::keyPressEvent(event);
}

bool frmMain::handleKey(const QKeyEvent &event)
{
    if (m_text->isVisible()) {
        // Keys belong to the text, except Escape, which ends the editing.
        if (event.key() != Qt::Key_Escape)
            return false;
        EndTextEdit();
        return true;
    }
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event.modifiers().testFlag(Qt::ShiftModifier);
    const int step = shift ? 10 : 1;
    switch (event.key()) {
    case Qt::Key_Delete:
        DoCommand(QStringLiteral("Delete"));
        return true;
    case Qt::Key_Left:
        nudge(-step, 0);
        return true;
    case Qt::Key_Right:
        nudge(step, 0);
        return true;
    case Qt::Key_Up:
        nudge(0, -step);
        return true;
    case Qt::Key_Down:
        nudge(0, step);
        return true;
    case Qt::Key_Z:
        if (!control)
            return false;
        DoCommand(shift ? QStringLiteral("Redo") : QStringLiteral("Undo"));
        return true;
    case Qt::Key_Y:
    case Qt::Key_C:
    case Qt::Key_V:
        if (!control)
            return false;
        DoCommand(event.key() == Qt::Key_Y ? QStringLiteral("Redo")
                  : event.key() == Qt::Key_C ? QStringLiteral("Copy") : QStringLiteral("Paste"));
        return true;
    case Qt::Key_Escape:
        // Clears the selection; never closes the window unsaved.
        m_shapes.DeselectAll();
        return true;
    default:
        return false;
    }
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto under = m_view->items(mouse->position().toPoint());
        const bool onShape = std::any_of(under.begin(), under.end(), [](QGraphicsItem *item) {
            return dynamic_cast<GraficObj *>(item) != nullptr;
        });
        if (!onShape) {
            EndTextEdit();
            m_shapes.DeselectAll();
        }
        m_beforeMouse = m_shapes.States();
        ++m_nudgeRun;
    } else if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // A whole drag, of the body or of a grip, is one step; the shape
        // finishes a grip drag when it gets this release, after this filter.
        QTimer::singleShot(0, this, [this, before = m_beforeMouse] { pushStep(QStringLiteral("Verschieben"), before); });
    } else if ((watched == m_view || watched == m_text) && event->type() == QEvent::KeyPress) {
        if (handleKey(*static_cast<QKeyEvent *>(event)))
            return true;
    } else if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers().testFlag(Qt::ControlModifier)) {
            const double steps = wheel->angleDelta().y() / 120.0;
            SetZoom(m_zoom * std::pow(kZoomStep, steps), wheel->position().toPoint());
            return true;
        }
        if (Scrollbar *bar = VS->VScroll(); bar && FrameVS->isVisible())
            bar->SetValue(bar->Value() - wheel->angleDelta().y() / 2);
        return true;
    } else if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        layoutScrollBars();
    }
    return QDialog::eventFilter(watched, event);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutScrollBars();
}

void frmMain::layoutScrollBars()
{
    if (m_layingOut || !HS || !VS)
        return;
    QScopedValueRollback<bool> busy(m_layingOut, true);
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 1;
    // The drawing area with both bars hidden.
    const QSize area = m_view->size() + QSize(FrameVS->isVisible() ? extent : 0, FrameHS->isVisible() ? extent : 0);
    const QSize shown(qCeil(m_pictureSize.width() * m_zoom), qCeil(m_pictureSize.height() * m_zoom));
    bool horizontal = false;
    bool vertical = false;
    // Showing one bar takes room from the other direction: repeat until stable.
    for (int round = 0; round < 3; ++round) {
        const int width = area.width() - (vertical ? extent : 0);
        const int height = area.height() - (horizontal ? extent : 0);
        const bool h = shown.width() > width;
        const bool v = shown.height() > height;
        if (h == horizontal && v == vertical)
            break;
        horizontal = h;
        vertical = v;
    }
    const int width = area.width() - (vertical ? extent : 0);
    const int height = area.height() - (horizontal ? extent : 0);
    HS->HScroll()->SetRange(0, shown.width(), width + 1);
    VS->VScroll()->SetRange(0, shown.height(), height + 1);
    FrameHS->setVisible(horizontal);
    FrameVS->setVisible(vertical);
    if (!horizontal)
        HS->HScroll()->SetValue(0);
    if (!vertical)
        VS->VScroll()->SetValue(0);
    scrolled(0, HS->HScroll()->Value());
    scrolled(1, VS->VScroll()->Value());
}

void frmMain::scrolled(int scrollbar, int value)
{
    QScrollBar *bar = scrollbar == 0 ? m_view->horizontalScrollBar() : m_view->verticalScrollBar();
    bar->setValue(value);
    if (m_text->isVisible())
        EndTextEdit();
}

void frmMain::ScrollTo(int x, int y)
{
    HS->HScroll()->SetValue(x);
    VS->VScroll()->SetValue(y);
}

} // namespace kelvane::editor
