#include "ControlToolbars.h"
#include "ZoomSteps.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QtTest>

using namespace kelvane;

// The attachment control's toolbars, built on a plain widget.
class TestControlToolbars : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void droppedCaptionsComeBackExactly()
    {
        QWidget owner;
        ControlToolbars bars = ControlToolbars::build(owner);
        QStringList captions;
        for (const char *key : {"New", "Edit", "Delete"})
            captions << bars.action(QLatin1String(key))->text();
        bars.fitCaptions(true);
        bars.fitCaptions(true);   // twice dropped is still dropped, the captions kept
        for (const char *key : {"New", "Edit", "Delete"})
            QVERIFY(bars.action(QLatin1String(key))->text().isEmpty());
        QCOMPARE(bars.Toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        bars.fitCaptions(false);
        QStringList back;
        for (const char *key : {"New", "Edit", "Delete"})
            back << bars.action(QLatin1String(key))->text();
        QCOMPARE(back, captions);
        QCOMPARE(bars.Toolbar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    }

    void onlyOneOfZoomListAndZoomTextIsShown()
    {
        QWidget owner;
        ControlToolbars bars = ControlToolbars::build(owner);
        owner.resize(1200, 100);
        bars.Toolbar->setGeometry(0, 50, 1200, 50);
        owner.show();
        bars.setPictureBarVisible(true);
        QVERIFY(bars.pictureBarVisible());
        for (const bool text : {true, false, true}) {
            bars.showZoomText(text);
            QCOMPARE(bars.zoomTextShown(), text);
            QTRY_COMPARE(bars.tZoomFaktor->isVisibleTo(&owner), text);
            QTRY_COMPARE(bars.cboZoom->isVisibleTo(&owner), !text);
        }
        // Narrow enough to drop the captions only beside a shown picture bar.
        const int bar = bars.pictureBarWidth();
        QVERIFY(bar > 0);
        QVERIFY(captionsDropped(4799 + bar, bar));
        QVERIFY(!captionsDropped(4800 + bar, bar));
        bars.setPictureBarVisible(false);
        QVERIFY(!bars.pictureBarVisible());
    }
};

QTEST_MAIN(TestControlToolbars)
#include "tst_controltoolbars.moc"
