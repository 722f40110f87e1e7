#include "sendral/MessageHook.h"
#include "sendral/OverlayGraphic.h"
#include "sendral/PictureCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTest>

using namespace sendral;

namespace {

// HIMETRIC for a number of pixels at 96 dpi, as a picture reports its size.
int himetric(int pixels) { return OverlayGraphic::HimetricFromPixels(pixels, 96); }

void drawSample(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 0, 0), 3));
    p.drawLine(5, 5, 150, 90);
    p.setBrush(QColor(0, 0, 255, 90));
    p.drawEllipse(QRect(40, 20, 100, 60));
    p.setPen(QColor(0, 128, 0, 200));
    p.drawText(QPoint(10, 110), QStringLiteral("Kratzer vorn links"));
}

// Logs its own mouse presses and takes them.
class Probe : public QWidget {
public:
    Probe(QString name, QStringList &log, QWidget *parent = nullptr)
        : QWidget(parent), m_name(std::move(name)), m_log(log) {}

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        m_log.append(m_name);
        event->accept();
    }

private:
    QString m_name;
    QStringList &m_log;
};

void press(QWidget *w)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace

class TestSendral : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void overlaySurvivesItsByteImage();
    void damagedBytesAreRefusedBeforeDecoding();
    void overlaySizeFollowsTheReferenceResolution();
    void overlayDrawsOverWhatIsThere();
    void canvasDrawsIntoTheAttachedPicture();
    void hookReportsSelectedEventsFirstAndCanSwallowThem();
};

void TestSendral::overlaySurvivesItsByteImage()
{
    OverlayGraphic drawn;
    QPainter *painter = drawn.BeginDraw(nullptr, himetric(160), himetric(120), QStringLiteral("Bild 1"));
    QVERIFY(painter);
    QCOMPARE(drawn.Painter(), painter);
    drawSample(*painter);
    drawn.EndDraw();
    QVERIFY(!drawn.Painter());
    QCOMPARE(drawn.Width(), 160);
    QCOMPARE(drawn.Height(), 120);

    const QByteArray bytes = drawn.Data().value_or(QByteArray());
    QVERIFY(bytes.startsWith("\x89PNG"));
    OverlayGraphic restored;
    QVERIFY(restored.SetData(bytes));
    QCOMPARE(restored.Width(), 160);
    QCOMPARE(restored.Height(), 120);
    QCOMPARE(restored.Text(), QStringLiteral("Bild 1"));
    int differing = 0;
    int painted = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            differing += restored.Image().pixel(x, y) != drawn.Image().pixel(x, y);
            painted += qAlpha(drawn.Image().pixel(x, y)) != 0;
        }
    QCOMPARE(differing, 0);
    QVERIFY(painted > 500);
    // Half-transparent pixels keep their exact colour, not a premultiplied rounding of it.
    QCOMPARE(restored.Image().pixel(90, 50), drawn.Image().pixel(90, 50));
    QCOMPARE(qAlpha(drawn.Image().pixel(90, 50)), 90);
    QCOMPARE(restored.Data().value_or(QByteArray()), bytes);

    // Empty bytes are an empty overlay; bytes that are no picture are refused.
    OverlayGraphic empty;
    QVERIFY(empty.Data() && empty.Data()->isEmpty());
    QVERIFY(restored.SetData(QByteArray()));
    QVERIFY(!restored.SetData(QByteArray("not a picture")));
    QVERIFY(restored.IsEmpty());

    // A drawing wider than PNG writers take is no byte image, and says why.
    OverlayGraphic tooWide;
    tooWide.BeginDraw(nullptr, himetric(1000001), himetric(1), QString());
    tooWide.EndDraw();
    QCOMPARE(tooWide.Width(), 1000001);
    QString reason;
    QVERIFY(!tooWide.Data(&reason));
    QVERIFY(!reason.isEmpty());
}

void TestSendral::damagedBytesAreRefusedBeforeDecoding()
{
    OverlayGraphic drawn;
    drawSample(*drawn.BeginDraw(nullptr, himetric(40), himetric(30), QStringLiteral("Pfeil")));
    drawn.EndDraw();
    const QByteArray bytes = drawn.Data().value_or(QByteArray());

    // Found by fuzzing: a text chunk whose length claims 2 GB that are not
    // there had the decoder reserve and clear them before failing.
    QByteArray claim = bytes.left(8 + 25);   // signature and IHDR
    claim += QByteArray::fromHex("7ffffff0") + "tEXtDescription";
    claim += bytes.mid(8 + 25);
    OverlayGraphic restored;
    QVERIFY(!restored.SetData(claim));
    QVERIFY(restored.IsEmpty());
    QVERIFY(!restored.SetData(bytes.left(bytes.size() / 2)));
    QVERIFY(!restored.SetData(bytes.left(20)));

    // What follows the end chunk does not matter, as before.
    QVERIFY(restored.SetData(bytes + "Rest"));
    QCOMPARE(restored.Text(), QStringLiteral("Pfeil"));
    QCOMPARE(restored.Image(), drawn.Image());
}

void TestSendral::overlaySizeFollowsTheReferenceResolution()
{
    QImage printer(10, 10, QImage::Format_RGB32);
    printer.setDotsPerMeterX(qRound(300 / 0.0254));
    printer.setDotsPerMeterY(qRound(150 / 0.0254));
    OverlayGraphic overlay;
    QVERIFY(overlay.BeginDraw(&printer, 2540, 5080, QString()));
    overlay.EndDraw();
    QCOMPARE(overlay.Width(), 300);
    QCOMPARE(overlay.Height(), 300);
    QVERIFY(!overlay.BeginDraw(nullptr, 0, 2540, QString()));
    QVERIFY(overlay.IsEmpty());
}

void TestSendral::overlayDrawsOverWhatIsThere()
{
    OverlayGraphic overlay;
    QPainter *p = overlay.BeginDraw(nullptr, himetric(40), himetric(20), QString());
    p->fillRect(QRect(0, 0, 10, 20), QColor(255, 0, 0));
    p->fillRect(QRect(10, 0, 10, 20), QColor(0, 0, 255, 128));
    overlay.EndDraw();

    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter onPicture(&picture);
    overlay.Draw(onPicture, 10, 10, 80, 40);   // twice the overlay's size
    onPicture.end();

    QCOMPARE(picture.pixel(5, 5), qRgb(255, 255, 255));      // outside
    QCOMPARE(picture.pixel(20, 30), qRgb(255, 0, 0));        // opaque part, scaled
    const QRgb mixed = picture.pixel(40, 30);                // half-transparent part over white
    QVERIFY(qAbs(qRed(mixed) - 127) <= 2 && qBlue(mixed) == 255);
    QCOMPARE(picture.pixel(70, 30), qRgb(255, 255, 255));    // transparent part keeps the picture
}

void TestSendral::canvasDrawsIntoTheAttachedPicture()
{
    QImage picture(30, 20, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    {
        PictureCanvas canvas;
        canvas.Attach(picture);
        canvas.FillRect(QRect(0, 0, 10, 10), QColor(0, 255, 0));
        const QImage result = canvas.Picture();
        QCOMPARE(result.pixel(5, 5), qRgb(0, 255, 0));
        QCOMPARE(result.pixel(15, 5), qRgb(255, 255, 255));
    }
    QCOMPARE(picture.pixel(5, 5), qRgb(0, 255, 0));

    PictureCanvas blank;
    QImage screen(5, 5, QImage::Format_RGB32);
    blank.CreateCompatible(&screen, QSize(64, 48));
    QCOMPARE(blank.Bitmap()->size(), QSize(64, 48));
    QCOMPARE(blank.Bitmap()->format(), QImage::Format_RGB32);
    QCOMPARE(blank.Bitmap()->pixel(3, 3), qRgb(0, 0, 0));
    blank.CreateCompatible(nullptr, QSize(8, 8));
    QVERIFY(blank.Bitmap()->hasAlphaChannel());
    QCOMPARE(qAlpha(blank.Bitmap()->pixel(3, 3)), 0);
    blank.FillRect(QRect(2, 2, 2, 2), QBrush(Qt::blue));
    QCOMPARE(blank.Picture().pixel(3, 3), qRgb(0, 0, 255));
}

void TestSendral::hookReportsSelectedEventsFirstAndCanSwallowThem()
{
    QStringList log;
    Probe parent(QStringLiteral("parent"), log);
    Probe *child = new Probe(QStringLiteral("child"), log, &parent);
    parent.resize(50, 50);
    child->setGeometry(0, 0, 20, 20);

    MessageHook hook;
    hook.Attach(child);
    hook.SelectMessage(QEvent::MouseButtonPress);
    QVERIFY(hook.IsSelected(QEvent::MouseButtonPress));
    bool swallow = false;
    qintptr answerResult = -1;
    QObject::connect(&hook, &MessageHook::WndProc, &hook,
                     [&](QWidget *window, QEvent *event, HookAnswer &answer) {
                         log.append(QStringLiteral("hook %1 %2").arg(window == child).arg(int(event->type())));
                         if (swallow)
                             answer.CallWndProc = false;
                         if (answerResult >= 0)
                             answer.lResult = answerResult;
                     });

    press(child);   // switched off
    QCOMPARE(log, QStringList{QStringLiteral("child")});

    hook.SetHooked(true);
    log.clear();
    press(child);
    const QString reported = QStringLiteral("hook 1 %1").arg(int(QEvent::MouseButtonPress));
    QCOMPARE(log, (QStringList{reported, QStringLiteral("child")}));

    // Kept from the widget and left accepted: nobody else sees it.
    swallow = true;
    log.clear();
    press(child);
    QCOMPARE(log, QStringList{reported});

    // Kept from the widget with the result 0: it counts as unhandled and goes on to the parent.
    answerResult = 0;
    log.clear();
    press(child);
    QCOMPARE(log, (QStringList{reported, QStringLiteral("parent")}));

    // Kinds not selected pass unreported.
    log.clear();
    QEvent hide(QEvent::Hide);
    QCoreApplication::sendEvent(child, &hide);
    QVERIFY(log.isEmpty());

    hook.DeselectMessage(QEvent::MouseButtonPress);
    press(child);
    QCOMPARE(log, QStringList{QStringLiteral("child")});

    // A hook outliving its widget does not touch it.
    hook.SelectMessage(QEvent::MouseButtonPress);
    delete child;
    QVERIFY(!hook.Window());
    hook.Detach();
}

QTEST_MAIN(TestSendral)
#include "tst_sendral.moc"
