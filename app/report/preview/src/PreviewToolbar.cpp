#include "preview/PreviewToolbar.h"

#include "preview/PageNavigation.h"
#include "preview/ToolbarIcons.h"
#include "preview/UpDownButtons.h"

#include "core/Twips.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

namespace report {
namespace {

constexpr int kZoomPlaceholderTwips = 1400;
constexpr int kCommandsPlaceholderTwips = 2000;

QLineEdit *readOnlyBox(const QString &name, int width, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(width);
    return box;
}

} // namespace

PreviewToolbar::PreviewToolbar(QWidget *window) : QObject(window), m_toolbar(new QToolBar(window))
{
    m_toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_toolbar->setPalette(QGuiApplication::palette());
    m_toolbar->setAutoFillBackground(true);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);

    auto *lblZoom = new QLabel(QStringLiteral("Zoom :"), m_toolbar);
    lblZoom->setObjectName(QStringLiteral("lblZoom"));
    m_txtScale = readOnlyBox(QStringLiteral("txtScale"), 52, m_toolbar);
    auto *updScale = new UpDownButtons(m_toolbar);
    updScale->setObjectName(QStringLiteral("updScale"));
    connect(updScale, &UpDownButtons::up, this, [this] { Q_EMIT zoomStep(1); });
    connect(updScale, &UpDownButtons::down, this, [this] { Q_EMIT zoomStep(-1); });
    m_txtPage = readOnlyBox(QStringLiteral("txtPage"), 40, m_toolbar);
    m_txtPages = readOnlyBox(QStringLiteral("txtPages"), 40, m_toolbar);

    addPlaceholder(kZoomPlaceholderTwips, {lblZoom, m_txtScale, updScale});
    m_first = addButton(QStringLiteral("Erste"), QStringLiteral("Erste Seite"));
    m_back = addButton(QStringLiteral("Zurueck"), QStringLiteral("Vorherige Seite"));
    addPlaceholder(0, {m_txtPage, m_txtPages});
    m_next = addButton(QStringLiteral("Vor"), QStringLiteral("Nächste Seite"));
    m_last = addButton(QStringLiteral("Letzte"), QStringLiteral("Letzte Seite"));
    addPlaceholder(kCommandsPlaceholderTwips);
    addButton(QStringLiteral("Clip"), QStringLiteral("In die Zwischenablage kopieren"));
    addButton(QStringLiteral("Print"), QStringLiteral("Seite ausdrucken"));
    addButton(QStringLiteral("PDF"), QStringLiteral("Als PDF speichern..."))->setShortcut(QKeySequence::Save);
    addButton(QStringLiteral("Mail"), QStringLiteral("Per E-Mail senden ..."));
    addButton(QStringLiteral("Ende"), QStringLiteral("Druckvorschau beenden"));
}

QAction *PreviewToolbar::addButton(const QString &key, const QString &tooltip)
{
    QAction *action = m_toolbar->addAction(previewIcon(key), tooltip);
    action->setObjectName(key);
    action->setData(key);
    action->setToolTip(tooltip);
    connect(action, &QAction::triggered, this, [this, key] { Q_EMIT triggered(key); });
    return action;
}

QAction *PreviewToolbar::addPlaceholder(int widthTwips, const QList<QWidget *> &content)
{
    auto *holder = new QWidget(m_toolbar);
    auto *row = new QHBoxLayout(holder);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(3);
    for (QWidget *w : content)
        row->addWidget(w);
    holder->setMinimumWidth(std::max(core::twipsToPixels(widthTwips), holder->sizeHint().width()));
    return m_toolbar->addWidget(holder);
}

void PreviewToolbar::showZoom(const QString &percentText)
{
    m_txtScale->setText(percentText);
}

void PreviewToolbar::showNavigation(const PageNavigation &navigation)
{
    if (navigation.shown() >= 1)
        m_txtPage->setText(QString::number(navigation.shown()));
    m_first->setEnabled(navigation.backEnabled());
    m_back->setEnabled(navigation.backEnabled());
    m_next->setEnabled(navigation.forwardEnabled());
    m_last->setEnabled(navigation.forwardEnabled());
}

void PreviewToolbar::showPage(const QString &text)
{
    m_txtPage->setText(text);
}

void PreviewToolbar::showTotal(const QString &text)
{
    m_txtPages->setText(text);
}

void PreviewToolbar::setLaying(bool laying)
{
    for (const char *key : {"Clip", "Print", "PDF", "Mail"}) {
        if (QAction *action = m_toolbar->findChild<QAction *>(QString::fromLatin1(key)))
            action->setEnabled(!laying);
    }
}

} // namespace report
