#pragma once

#include <QString>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QToolBar;
class QWidget;

namespace kelvane {

// The attachment control's two toolbars: the edit toolbar `Toolbar` with
// New (and its drop-down menu), Edit and Delete, and at its right end the
// picture toolbar `tbPicture` with the zoom buttons, `cboZoom`,
// `tZoomFaktor`, SizeToFit, Overlay and ObjGrafic. Buttons and menu entries
// are actions whose objectName is their key.
struct ControlToolbars {
    QToolBar *Toolbar = nullptr;
    QToolBar *tbPicture = nullptr;
    QMenu *newMenu = nullptr;
    QComboBox *cboZoom = nullptr;
    QLineEdit *tZoomFaktor = nullptr;

    // Builds both bars as children of owner.
    static ControlToolbars build(QWidget &owner);

    // The button or menu entry with that key, without regard to case.
    QAction *action(const QString &key) const;

    void setPictureBarVisible(bool visible);
    bool pictureBarVisible() const;
    // Only one of the zoom list and the zoom text is shown.
    void showZoomText(bool text);
    bool zoomTextShown() const;
    int pictureBarWidth() const;

    // Dropped: every edit button's caption moves into its tag and the
    // captions go below the images; otherwise they come back beside them.
    void fitCaptions(bool dropped);

private:
    QAction *m_pictureBar = nullptr;
    QAction *m_zoomList = nullptr;
    QAction *m_zoomText = nullptr;
};

} // namespace kelvane
