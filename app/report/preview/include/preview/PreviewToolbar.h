#pragma once

#include <QObject>
#include <QString>

class QAction;
class QLineEdit;
class QToolBar;
class QWidget;

namespace report {

class PageNavigation;

// The preview's toolbar: the zoom box with its arrows, the four paging
// buttons around the page boxes, and the commands "Clip", "Print", "PDF",
// "Mail" and "Ende", each a QAction named by its key.
class PreviewToolbar : public QObject {
    Q_OBJECT
public:
    explicit PreviewToolbar(QWidget *window);

    QToolBar *bar() const { return m_toolbar; }

    void showZoom(const QString &percentText);
    // The page shown and whether the paging buttons lead anywhere.
    void showNavigation(const PageNavigation &navigation);
    void showPage(const QString &text);
    void showTotal(const QString &text);
    // Printing, saving and copying take the whole report, once it is there.
    void setLaying(bool laying);

Q_SIGNALS:
    void triggered(const QString &key);
    // One zoom step up (1) or down (-1).
    void zoomStep(int steps);

private:
    QAction *addButton(const QString &key, const QString &tooltip);
    QAction *addPlaceholder(int widthTwips, const QList<QWidget *> &content = {});

    QToolBar *m_toolbar;
    QAction *m_first = nullptr;
    QAction *m_back = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QLineEdit *m_txtScale = nullptr;
    QLineEdit *m_txtPage = nullptr;
    QLineEdit *m_txtPages = nullptr;
};

} // namespace report
