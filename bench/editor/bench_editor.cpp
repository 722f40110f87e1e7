// The annotation editor on a 12 MP photo (4000 x 3000 JPEG) whose script
// holds 200 shapes, against plain Qt doing the same work in the same run:
//  1. opening the editor until its drawing area is first painted, against a
//     plain QImageReader decode of the photo;
//  2. "OK": the script and the overlay at the picture's full size with the
//     overlay's PNG bytes as the control stores them, against plain QPainter
//     drawing the same 200 shapes into a 12 MP transparent image and
//     encoding it as PNG.
// Prints the best of five runs of each and their ratios.
//
// bench_editor [SHAPES]

#include "BestOf.h"
#include "CarPhoto.h"
#include "ShapeScripts.h"

#include "editor/frmMain.h"

#include <sendral/OverlayGraphic.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QToolBar>

#include <cstdio>
#include <memory>

using kelvane::editor::frmMain;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

std::unique_ptr<frmMain> openEditor(const QString &file, const QString &script)
{
    auto editor = std::make_unique<frmMain>();
    editor->SetEditPictureFile(file);
    editor->SetEditScript(script);
    editor->resize(1100, 760);
    PaintWatch watch(editor->DrawingArea()->viewport());
    editor->show();
    for (int round = 0; round < 1000 && !watch.painted; ++round)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!watch.painted)
        std::fprintf(stderr, "the editor was not painted\n");
    return editor;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "PNG").write(image);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int shapes = argc > 1 ? std::atoi(argv[1]) : 200;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("foto.jpg"));
    QImageWriter writer(file, "jpg");
    writer.setQuality(92);
    writer.write(carPhoto(kWidth, kHeight));
    const QString script = bench::makeScript(shapes, kWidth, kHeight);
    std::printf("photo %d x %d, %.2f MB; script %d shapes, %lld characters\n", kWidth, kHeight,
                QFileInfo(file).size() / 1048576.0, shapes, static_cast<long long>(script.size()));

    // The screen fonts are read once per process; the first opening pays for that.
    openEditor(file, script);

    double open = 1e300, decode = 1e300, ok = 1e300, plain = 1e300;
    qsizetype ourBytes = 0, plainBytes = 0;
    QString saved;
    for (int round = 0; round < 5; ++round) {
        decode = std::min(decode, timed([&] {
            QImageReader reader(file);
            reader.setAutoTransform(true);
            if (reader.read().isNull())
                std::fprintf(stderr, "plain decode failed\n");
        }));
        std::unique_ptr<frmMain> editor;
        open = std::min(open, timed([&] { editor = openEditor(file, script); }));

        // "OK" on a drawing with one change, so that the script is new.
        editor->DoCommand(QStringLiteral("Rect"));
        QAction *okKey = editor->findChild<QToolBar *>(QStringLiteral("tbOKCancel"))->findChild<QAction *>(QStringLiteral("Ok"));
        ok = std::min(ok, timed([&] {
            okKey->trigger();
            saved = editor->EditScript();
            ourBytes = editor->TakeEditOverlay()->Data()->size();
        }));
        editor.reset();

        plain = std::min(plain, timed([&] {
            QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            bench::plainDraw(painter, script);
            painter.end();
            plainBytes = pngOf(image).size();
        }));
    }
    std::printf("open until painted:             %8.1f ms\n", open);
    std::printf("plain QImageReader decode:      %8.1f ms\n", decode);
    std::printf("ratio: %.2f (target at most 1.5)\n", open / decode);
    std::printf("OK (script, overlay, PNG %.2f MB): %6.1f ms\n", ourBytes / 1048576.0, ok);
    std::printf("plain QPainter + PNG (%.2f MB):    %6.1f ms\n", plainBytes / 1048576.0, plain);
    std::printf("ratio: %.2f (target at most 1.3)\n", ok / plain);
    return saved.count(u'#') == shapes + 1 ? 0 : 1;
}
