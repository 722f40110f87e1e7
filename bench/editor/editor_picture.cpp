// Opens the annotation editor over a made-up photo with the six kinds of
// shape, selects one (or edits the text in place) and writes the window as
// PNG, to look at.
//
// editor_picture OUTPUT.png [select|text|big|bigtext|bigdrawing|bigdrawn]
// bigdrawing: on the fitted 12 MP photo, a thick arrow dragged with the
// mouse and a text being typed where the mouse clicked; bigdrawn: the same
// with the typing ended.

#include "CarPhoto.h"

#include "editor/frmMain.h"

#include "core/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QToolBar>
#include <QGraphicsView>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace kelvane::editor;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: editor_picture OUTPUT.png [select|text|big|bigtext|bigdrawing|bigdrawn]\n");
        return 2;
    }
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("select");
    const bool big = mode.startsWith(u"big");
    QTemporaryDir dir;
    // The styles chosen here are not the user's.
    core::UserSettings::useFolder(dir.path());
    const QString file = dir.filePath(QStringLiteral("foto.jpg"));
    carPhoto(big ? 4000 : 1000, big ? 3000 : 700).save(file);
    // The same six shapes, four times as large on the 12 MP photo.
    const QString script = big ? QStringLiteral(
        "RECT;320;1200;960;640;8;16711680;16777215;1#"
        "LINE;1680;480;800;440;4;4;796;436;12;255#"
        "ARROW;2400;1320;800;558;34;524;766;34;16;255;2;6#"
        "DBLARROW;1200;2080;1040;320;34;160;1006;160;12;0#"
        "CIRCLE;2800;320;720;480;12;32768;65535;0#"
        "TEXT;2240;1920;880;240;Delle an der Tür;Arial;64;True;False;False;False;255#")
                               : QStringLiteral(
        "RECT;80;300;240;160;2;16711680;16777215;1#"
        "LINE;420;120;200;110;4;4;196;106;3;255#"
        "ARROW;600;330;200;140;34;104;166;34;4;255;2;6#"
        "DBLARROW;300;520;260;80;20;40;240;40;3;0#"
        "CIRCLE;700;80;180;120;3;32768;65535;0#"
        "TEXT;560;480;220;60;Delle an der Tür;Arial;16;True;False;False;False;255#");
    frmMain editor;
    editor.SetEditPictureFile(file);
    editor.SetEditScript(script);
    editor.resize(1100, 760);
    editor.show();
    QTest::qWait(200);
    if (mode.startsWith(u"bigdraw")) {
        // As a user does it: the tool's button, then a drag or a click on the photo.
        const auto tool = [&editor](const char *key) {
            auto *bar = editor.findChild<QToolBar *>(QStringLiteral("tbMain"));
            QTest::mouseClick(bar->widgetForAction(bar->findChild<QAction *>(QLatin1String(key))), Qt::LeftButton);
        };
        QWidget *viewport = editor.DrawingArea()->viewport();
        auto *widths = editor.findChild<QComboBox *>(QStringLiteral("cboPenWidth"));
        widths->setCurrentIndex(7);
        tool("Arrow");
        const QPoint from(620, 120);
        const QPoint to(430, 330);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 8; ++step) {
            const QPointF at = from + (to - from) * step / 8;
            QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(viewport, &move);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        tool("Text");
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(640, 90));
        QTest::keyClicks(editor.TextEditor(), QStringLiteral("Delle 3 cm"));
        if (mode == u"bigdrawn")
            QTest::keyClick(editor.TextEditor(), Qt::Key_Escape);
    } else if (mode.endsWith(u"text")) {
        editor.Shapes().SelectShape(5);
        editor.BeginTextEdit(5);
        QTest::keyClicks(editor.TextEditor(), QStringLiteral(" hinten"));
    } else if (big) {
        // A new shape at the fitted zoom is 200 x 200 on screen; the arrow's
        // grips are selected as at 100 %.
        editor.DoCommand(QStringLiteral("Circle"));
        editor.Shapes().SelectShape(2);
    } else {
        editor.Shapes().SelectShape(2);
    }
    QTest::qWait(200);
    return editor.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
