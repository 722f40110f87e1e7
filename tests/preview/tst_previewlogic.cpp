#include "preview/CanvasPlacement.h"
#include "preview/PrintChoice.h"
#include "preview/ZoomFactor.h"

#include <QTest>

using namespace report;

class PreviewLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zoomFromSetting();
    void canvasPlacement();
    void windowSizeRule();
    void copiesReading();
    void printPlanOrder();
};

void PreviewLogicTest::zoomFromSetting()
{
    // One decimal of the factor, halves to even.
    QCOMPARE(ZoomFactor::fromSetting(12.5).tenths(), 12);
    QCOMPARE(ZoomFactor::fromSetting(13.5).tenths(), 14);
    QCOMPARE(ZoomFactor::fromSetting(7.4).tenths(), 7);
    // A damaged setting never makes the page vanish or grow without bound.
    QCOMPARE(ZoomFactor::fromSetting(0).factor(), 0.2);
    QCOMPARE(ZoomFactor::fromSetting(-8).factor(), 0.2);
    QCOMPARE(ZoomFactor::fromSetting(500).factor(), 2.0);
    QCOMPARE(ZoomFactor::fromSetting(qQNaN()).factor(), 0.8);
}

void PreviewLogicTest::canvasPlacement()
{
    // Too tall: the vertical bar reaches the canvas's bottom plus 200 twips.
    CanvasPlacement tall = placeCanvas(QSize(800, 600), 40, QSize(400, 1000), 0, 100);
    QVERIFY(tall.vertical.shown && !tall.horizontal.shown);
    QCOMPARE(tall.vertical.maximum, 40 + 1000 + 13 - 600);
    QCOMPARE(tall.vertical.largeChange, 453 / 5);
    QCOMPARE(tall.vertical.smallChange, 453 / 20);
    QCOMPARE(tall.canvasPos, QPoint(200, 40 - 100 + 13));
    // At the end of its way the canvas's bottom meets the window's.
    tall = placeCanvas(QSize(800, 600), 40, QSize(400, 1000), 0, 5000);
    QCOMPARE(tall.vertical.value, tall.vertical.maximum);
    QCOMPARE(tall.canvasPos.y() + 1000, 600);

    // Too wide: the horizontal bar, 300 twips beyond the right edge.
    CanvasPlacement wide = placeCanvas(QSize(800, 600), 40, QSize(1200, 300), 150, 0);
    QVERIFY(wide.horizontal.shown && !wide.vertical.shown);
    QCOMPARE(wide.horizontal.maximum, 1200 + 20 - 800);
    QCOMPARE(wide.canvasPos, QPoint(-150, 40 + (560 - 300) / 2));
    QCOMPARE(placeCanvas(QSize(800, 600), 40, QSize(1200, 300), -30, 0).canvasPos.x(), 0);
}

void PreviewLogicTest::windowSizeRule()
{
    // An upright A4 page on a wide screen: the height decides.
    const QSize upright = previewWindowSize(QSizeF(11906, 16838), QSize(1600, 1000), QSize(500, 50));
    QCOMPARE(upright.height(), 950);
    QCOMPARE(upright.width(), qRound(900 * 11906.0 / 16838));
    // Wide enough for every button, within the screen.
    QCOMPARE(previewWindowSize(QSizeF(11906, 16838), QSize(1600, 1000), QSize(700, 50)).width(), 700);
    QCOMPARE(previewWindowSize(QSizeF(11906, 16838), QSize(600, 1000), QSize(700, 50)).width(), 570);
    // A landscape page on a narrow screen: the width decides.
    const QSize across = previewWindowSize(QSizeF(16838, 11906), QSize(800, 1000), QSize(500, 50));
    QCOMPARE(across.width(), 760);
    QCOMPARE(across.height(), qRound(760 * 11906.0 / 16838) + 50);
    QVERIFY(across.height() <= 950);
}

void PreviewLogicTest::copiesReading()
{
    QCOMPARE(readCopies(QStringLiteral(" 3 Stück")), short(3));
    QCOMPARE(readCopies(QStringLiteral("abc")), short(0));
    QCOMPARE(readCopies(QStringLiteral("2.5")), short(2));
    QCOMPARE(readCopies(QStringLiteral("3.5")), short(4));
    QCOMPARE(readCopies(QStringLiteral("25")), short(25));   // typed beyond the arrows' range: used as typed
    QCOMPARE(readCopies(QStringLiteral("-2")), short(-2));
    // Beyond a 16-bit count: nothing rather than a wrapped number.
    QCOMPARE(readCopies(QStringLiteral("40000")), short(0));
    QCOMPARE(readCopies(QStringLiteral("99999999")), short(0));
}

void PreviewLogicTest::printPlanOrder()
{
    QCOMPARE(printPlan(2, true, 3, 2), (QList<int>{1, 2, 3, 1, 2, 3}));
    QCOMPARE(printPlan(3, false, 3, 2), (QList<int>{2, 2, 2}));
    QCOMPARE(printPlan(2, true, 1, 1), (QList<int>{1, 1}));   // a single page: the page shown
    QVERIFY(printPlan(0, true, 3, 1).isEmpty());
    QVERIFY(printPlan(-1, false, 3, 1).isEmpty());
    QVERIFY(printPlan(1, false, 0, 0).isEmpty());             // nothing laid out
}

QTEST_MAIN(PreviewLogicTest)
#include "tst_previewlogic.moc"
