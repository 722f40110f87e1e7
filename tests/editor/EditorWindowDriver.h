#pragma once

// Drives the annotation editor window in tests as a user would: a picture
// to open it on, its toolbar actions, a mouse drag on the drawing area.

#include "editor/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsView>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace editortest {

using kelvane::editor::frmMain;

inline QString writePicture(const QTemporaryDir &dir, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 150));
    const QString file = dir.filePath(QStringLiteral("bild_%1x%2.png").arg(size.width()).arg(size.height()));
    picture.save(file);
    return file;
}

inline QAction *action(frmMain &editor, const char *bar, const char *key)
{
    return editor.findChild<QToolBar *>(QLatin1String(bar))->findChild<QAction *>(QLatin1String(key));
}

// Shown at 100 % unless `fitted`, as a large picture opens.
inline void open(frmMain &editor, const QString &file, const QString &script = {}, bool fitted = false)
{
    editor.SetEditPictureFile(file);
    editor.SetEditScript(script);
    editor.resize(900, 640);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    if (!fitted)
        editor.SetZoom(1.0);
}

// Press, four moves and release with the left button, in view pixels.
inline void drag(QGraphicsView *view, QPoint start, QPoint by, Qt::KeyboardModifiers keys = {})
{
    QWidget *viewport = view->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, keys, start);
    for (int step = 1; step <= 4; ++step) {
        const QPointF at = start + by * step / 4;
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, keys, start + by);
}

} // namespace editortest
