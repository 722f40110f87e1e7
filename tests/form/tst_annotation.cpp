#include "FormFixture.h"
#include "TestPictures.h"

#include "form/frmSchaden.h"
#include "report/ControlPictureSource.h"
#include "report/PrintRequest.h"
#include "report/ReportJob.h"

#include "varnholt/CaseList.h"
#include "varnholt/Schema.h"

#include "editor/OverlayScript.h"
#include "editor/frmMain.h"
#include "kelvane/ObjectStorage.h"

#include "core/Clock.h"
#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"
#include "quarvik/PictureView.h"
#include "sendral/OverlayGraphic.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <functional>

using kelvane::editor::frmMain;

namespace {

// A colour the test photo has nowhere: what is green on a page is the overlay.
const QColor kOverlayColour(0, 200, 0);

bool isOverlayGreen(QRgb pixel)
{
    return qGreen(pixel) > 150 && qRed(pixel) < 90 && qBlue(pixel) < 90;
}

QAction *editorKey(frmMain &editor, const char *bar, const char *key)
{
    return control<QAction>(*control<QToolBar>(editor, QLatin1String(bar)), QLatin1String(key));
}

// Once the annotation editor is shown: `work` in it, then "OK" or
// "Abbrechen" as a user presses them, then `after` on the closed window.
void inEditor(const char *key, std::function<void(frmMain &)> work, std::function<void(frmMain &)> after = {})
{
    QTimer::singleShot(0, [key, work = std::move(work), after = std::move(after)] {
        auto *editor = qobject_cast<frmMain *>(QApplication::activeModalWidget());
        if (!editor)
            qFatal("the editor is not shown");
        work(*editor);
        editorKey(*editor, "tbOKCancel", key)->trigger();
        if (after)
            after(*editor);
    });
}

// The pen colour picked in the colour dialog, as a user picks it.
void pickPenColour(frmMain &editor, const QColor &colour)
{
    QTimer::singleShot(0, [colour] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            qFatal("the colour dialog is not shown");
        dialog->setCurrentColor(colour);
        dialog->accept();
    });
    editorKey(editor, "tbObjProps", "Pencolor")->trigger();
}

// A thick green arrow and the word "Delle" beside it.
void drawArrowAndWord(frmMain &editor)
{
    pickPenColour(editor, kOverlayColour);
    control<QComboBox>(editor, QStringLiteral("cboPenWidth"))->setCurrentIndex(5);
    editor.DoCommand(QStringLiteral("Arrow"));
    editor.DoCommand(QStringLiteral("Text"));
    kelvane::editor::GraficObj &word = editor.Shapes().Shape(editor.Shapes().Selected());
    // A new text is typed over.
    QTest::keyClicks(editor.TextEditor(), QStringLiteral("Delle"));
    editor.EndTextEdit();
    word.Place(210, 20, 100, 40);
}

// The arrow of a script, its line in picture pixels.
QLineF arrowOf(const QString &script)
{
    for (const kelvane::editor::GraficGeometry &shape : kelvane::editor::OverlayScript::Read(script).shapes) {
        if (shape.Style() == kelvane::editor::ShapeStyle::Arrow) {
            const QPointF at = shape.Geometry().topLeft();
            return {at + QPointF(shape.Line().X1, shape.Line().Y1), at + QPointF(shape.Line().X2, shape.Line().Y2)};
        }
    }
    return {};
}

// The first page of the case's damage report, drawn as it is printed, at
// 50 pixels a centimetre.
QImage printedReport(dao::Database &db, long caseId)
{
    const report::PrintRequest request{report::PrintKindCase, caseId, {}, false, nullptr};
    QString message;
    const std::optional<QString> definition =
        report::ReportJob::definitionText(request, QStringLiteral(VARNHOLT_SOURCE_DIR "/data"), &message);
    if (!definition)
        qFatal("%s", qPrintable(message));
    report::ControlPictureSource pictures(db);
    report::ReportJob job(&db, request, *definition, QPageSize(QPageSize::A4), &pictures);
    job.layout();
    QImage page(1050, 1485, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    job.renderPage(painter, 1, QRectF(0, 0, page.width(), page.height()));
    return page;
}

// Where a printed picture of the test photo (red left, blue right) lies on the page.
QRect printedPhoto(const QImage &page, QSize photo)
{
    QRect colours;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            const bool red = qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            const bool blue = qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
            if (red || blue)
                colours = colours.united(QRect(x, y, 1, 1));
        }
    }
    // Its black top rows are left out above; its shape gives them back.
    const int height = qRound(colours.width() * double(photo.height()) / photo.width());
    return QRect(colours.left(), colours.bottom() + 1 - height, colours.width(), height);
}

} // namespace

class TestAnnotation : public QObject, FormFixture {
    Q_OBJECT

private:
    QWidget &attachment() { return *control<QWidget>(*m_form, QStringLiteral("Ole_0")); }
    quarvik::PictureView &viewer()
    {
        return *control<quarvik::PictureView>(attachment(), QStringLiteral("PictureView1"));
    }
    void editOverlay() { control<QAction>(attachment(), QStringLiteral("ObjGrafic"))->trigger(); }

    QVariant objectColumn(const QString &column)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT Objekt_ID_1 FROM Schaden WHERE ID = ?"),
                                      dao::RecordsetType::Snapshot, dao::RecordsetOption::None,
                                      {qlonglong(m_form->CaseID())});
        const QVariant object = rs->Value(QStringLiteral("Objekt_ID_1"));
        rs = m_db->OpenRecordset(QStringLiteral("SELECT %1 FROM Objekt WHERE ID = ?").arg(column),
                                 dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {object});
        return rs->IsEOF() ? QVariant() : rs->Value(column);
    }

    // The case as the list window opens it again, its first picture tab shown.
    void reopen()
    {
        const long id = m_form->CaseID();
        m_form->FillSchaden(0);
        m_form->FillSchaden(id);
        control<QTabWidget>(*m_form, QStringLiteral("tabSchaden"))->setCurrentIndex(1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
        qputenv("Temp", m_dir.filePath(QStringLiteral("temp")).toLocal8Bit());
        QDir().mkpath(m_dir.filePath(QStringLiteral("temp")));
    }

    void init()
    {
        openDatabase();
        makeForm();
    }

    void cleanup() { closeDatabase(); }

    void anAnnotatedPhotoIsSavedReopenedAndPrintedWithItsOverlay()
    {
        const QSize photo(320, 240);
        const QByteArray bytes = testpictures::encoded(testpictures::marked(photo.width(), photo.height()), "png");
        const QString file = testpictures::write(m_dir.filePath(QStringLiteral("schaden.png")), bytes);
        m_form->FillSchaden(0);
        control<QComboBox>(*m_form, QStringLiteral("cboAuto"))->setEditText(QStringLiteral("B-AB 1"));
        control<QComboBox>(*m_form, QStringLiteral("cboSchadenart"))->setCurrentIndex(0);
        control<QTabWidget>(*m_form, QStringLiteral("tabSchaden"))->setCurrentIndex(1);
        QVERIFY(testpictures::drop(attachment(), {file}));

        // Annotated in the editor, kept with "OK".
        QString drawnScript;
        inEditor("Ok", drawArrowAndWord, [&drawnScript](frmMain &editor) { drawnScript = editor.EditScript(); });
        editOverlay();
        QVERIFY2(drawnScript.startsWith(QStringLiteral("ARROW;")), qPrintable(drawnScript));
        QVERIFY(drawnScript.contains(QStringLiteral("TEXT;")) && drawnScript.contains(QStringLiteral(";Delle;")));
        const QLineF arrow = arrowOf(drawnScript);
        QVERIFY(arrow.length() > 100);
        QVERIFY(viewer().overlay());
        const QImage drawn = viewer().overlay()->Image();
        QCOMPARE(drawn.size(), photo);
        QVERIFY(isOverlayGreen(drawn.pixel(arrow.pointAt(0.5).toPoint())));
        QVERIFY(m_form->SaveCase());

        // Stored with the case, and back the same when the case is opened again.
        QString tempFile;
        bool isBitmap = false;
        std::shared_ptr<sendral::OverlayGraphic> stored;
        QString storedScript;
        QVERIFY(kelvane::ObjectStorage(m_db.get()).LoadObject(objectColumn(QStringLiteral("ID")).toLongLong(), tempFile,
                                                              isBitmap, stored, storedScript));
        QFile::remove(tempFile);
        QCOMPARE(storedScript, drawnScript);
        reopen();
        QVERIFY(viewer().overlay());
        QCOMPARE(viewer().overlay()->Image(), drawn);

        // The printed report shows the photo with the arrow over it.
        const QImage page = printedReport(*m_db, m_form->CaseID());
        const QRect printed = printedPhoto(page, photo);
        QVERIFY2(printed.width() > 150, qPrintable(QString::number(printed.width())));
        const double scale = double(printed.width()) / photo.width();
        const QPoint middle = printed.topLeft() + (arrow.pointAt(0.5) * scale).toPoint();
        QVERIFY2(isOverlayGreen(page.pixel(middle)), qPrintable(QColor(page.pixel(middle)).name()));
        int green = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                green += isOverlayGreen(page.pixel(x, y)) && !printed.contains(x, y);
        QCOMPARE(green, 0);

        // Drawn on and cancelled: the reopened overlay and script stay, nothing to save.
        QString givenScript;
        inEditor("Cancel", [&givenScript](frmMain &editor) {
            givenScript = editor.EditScript();
            editor.DoCommand(QStringLiteral("Rect"));
        });
        editOverlay();
        QCOMPARE(givenScript, drawnScript);
        QCOMPARE(viewer().overlay()->Image(), drawn);
        QVERIFY(!m_form->FormChanged());
    }

    void aNewPhotoLeftInTheEditorWithoutDrawingIsStillSaved()
    {
        const QByteArray first = testpictures::encoded(testpictures::marked(200, 150), "png");
        const QByteArray second = testpictures::encoded(testpictures::marked(120, 90), "jpg");
        m_form->FillSchaden(0);
        control<QComboBox>(*m_form, QStringLiteral("cboAuto"))->setEditText(QStringLiteral("B-AB 1"));
        control<QComboBox>(*m_form, QStringLiteral("cboSchadenart"))->setCurrentIndex(0);
        control<QTabWidget>(*m_form, QStringLiteral("tabSchaden"))->setCurrentIndex(1);
        QVERIFY(testpictures::drop(attachment(), {testpictures::write(m_dir.filePath("alt.png"), first)}));
        inEditor("Ok", drawArrowAndWord);
        editOverlay();
        QVERIFY(m_form->SaveCase());
        QCOMPARE(objectColumn(QStringLiteral("lbObjekt")).toByteArray(), first);

        // The photo replaced, then the editor opened and left with "OK" unchanged.
        reopen();
        QVERIFY(testpictures::drop(attachment(), {testpictures::write(m_dir.filePath("neu.jpg"), second)}));
        QVERIFY(m_form->FormChanged());
        bool changedInEditor = true;
        inEditor("Ok", [](frmMain &) {},
                 [&changedInEditor](frmMain &editor) { changedInEditor = editor.EditChanged(); });
        editOverlay();
        QVERIFY(!changedInEditor);
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        QCOMPARE(objectColumn(QStringLiteral("lbObjekt")).toByteArray(), second);
        QCOMPARE(objectColumn(QStringLiteral("tClass")).toString(), QStringLiteral("jpg"));
    }
};

QTEST_MAIN(TestAnnotation)
#include "tst_annotation.moc"
