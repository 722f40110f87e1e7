#include "OleTestFiles.h"
#include "ControlHost.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "kelvane/ObjectStorage.h"
#include "kelvane/RAZOleCtrl.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "ole/OleContainer.h"
#include "sendral/OverlayGraphic.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDirIterator>
#include <QFileDialog>
#include <QFrame>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace kelvane;
using controltest::Host;

// Documents in the attachment control: embedded, stored, loaded, opened in
// their application on a private desktop (oletest::PrivateDesktop) and
// printed as their picture.
namespace {

// Answers the next "Objekt einfügen" with `answer`.
void answerInsertDialog(std::function<void(QFileDialog *)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->windowTitle() != QStringLiteral("Objekt einfügen"))
            qFatal("the insert-object dialog is not shown");
        answer(dialog);
    });
}

} // namespace

class TestControlDocs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void documentsAreStoredAndComeBackAsTheyWere();
    void aDocumentSavedInItsApplicationIsStoredNext();
    void aPictureEditedOutsideIsReloadedUnderItsOverlay();
    void theInsertDialogCancelledChangesNothingAndAPictureGoesToTheViewer();
    void aDoubleClickOpensOnlyWhenAppStartIsAllowed();
    void aFileTheContainerCannotTakeKeepsTheStoredRow();
    void aFailingDocumentSaveReportsFalseAndKeepsTheChange();
    void closingWhileOpenOutsideKeepsTheCopy();
    void aPendingChangeIsHandedOutAndTakenBackAsItWas();

private:
    std::unique_ptr<_RAZOleCtrl> makeControl(QVariantMap properties = {});
    QString file(const QString &name, const QByteArray &bytes) { return testpictures::write(m_dir.filePath(name), bytes); }
    static ole::OleContainer &container(_RAZOleCtrl &control);
    static QWidget &child(_RAZOleCtrl &control, const QString &name);
    QAction *action(_RAZOleCtrl &control, const QString &key);
    // The document stored in row id, read back as the container's file.
    ole::Document storedDocument(long id);
    QByteArray storedBytes(long id);
    QStringList leftTempFiles(const QString &pattern) const;

    oletest::PrivateDesktop m_desktop{{QStringLiteral("text/plain"), QStringLiteral("image/png")}};
    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<core::RecordingMessageService> m_boxes;
    int m_count = 0;
};

void TestControlDocs::initTestCase()
{
    QVERIFY(m_desktop.isValid() && m_dir.isValid());
    QDir().mkpath(m_dir.filePath(QStringLiteral("temp")));
    qputenv("Temp", m_dir.filePath(QStringLiteral("temp")).toLocal8Bit());
}

void TestControlDocs::init()
{
    dao::OpenOptions create;
    create.create = true;
    m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(
        m_databases.path(QStringLiteral("docs%1.db").arg(++m_count)), create);
    varnholt::createSchema(*m_db);
    m_boxes = std::make_unique<core::RecordingMessageService>();
}

void TestControlDocs::cleanup()
{
    m_boxes.reset();
    m_db.reset();
}

std::unique_ptr<_RAZOleCtrl> TestControlDocs::makeControl(QVariantMap properties)
{
    auto control = controltest::makeControl(m_db.get(), std::move(properties));
    container(*control).setSettleTime(150);
    return control;
}

ole::OleContainer &TestControlDocs::container(_RAZOleCtrl &control)
{
    auto *found = control.hWnd()->findChild<ole::OleContainer *>(QStringLiteral("OLE1"));
    if (!found)
        qFatal("no OLE1");
    return *found;
}

QWidget &TestControlDocs::child(_RAZOleCtrl &control, const QString &name)
{
    auto *found = control.hWnd()->findChild<QWidget *>(name);
    if (!found)
        qFatal("no %s", qPrintable(name));
    return *found;
}

QAction *TestControlDocs::action(_RAZOleCtrl &control, const QString &key)
{
    auto *found = control.hWnd()->findChild<QAction *>(key);
    if (!found)
        qFatal("no action %s", qPrintable(key));
    return found;
}

QByteArray TestControlDocs::storedBytes(long id)
{
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt FROM Objekt WHERE ID = ?"),
                                  dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(id)});
    return rs->IsEOF() ? QByteArray() : rs->Value(QStringLiteral("lbObjekt")).toByteArray();
}

ole::Document TestControlDocs::storedDocument(long id)
{
    QByteArray bytes = storedBytes(id);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QString error;
    const std::optional<ole::Document> document = ole::readDocument(buffer, &error);
    if (!document)
        qFatal("row %ld holds no document: %s", id, qPrintable(error));
    return *document;
}

QStringList TestControlDocs::leftTempFiles(const QString &pattern) const
{
    QStringList found;
    QDirIterator files(m_dir.filePath(QStringLiteral("temp")), {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        found << files.next();
    return found;
}

void TestControlDocs::documentsAreStoredAndComeBackAsTheyWere()
{
    const QString text = file(QStringLiteral("Schadensmeldung.txt"), "Beule hinten links\n");
    const QByteArray pdf = oletest::pdfBytes(QColor(200, 30, 30));
    const QString estimate = file(QStringLiteral("Kostenvoranschlag.pdf"), pdf);
    Host host;
    {
        auto control = makeControl();
        control->Advise(&host);
        // A dropped text document is embedded and shown in the container area.
        QVERIFY(testpictures::drop(*control->hWnd(), {text}));
        QCOMPARE(container(*control).className(), QStringLiteral("text/plain"));
        QVERIFY(child(*control, "Frame1").isVisible());
        QVERIFY(!child(*control, "PictureView1").isVisible());
        QTRY_VERIFY(!child(*control, "tbPicture").isVisible());
        QVERIFY(action(*control, "Edit")->isEnabled() && action(*control, "Delete")->isEnabled());
        QVERIFY(!action(*control, "New")->isEnabled());
        QVERIFY(control->Changed());
        host.answer = 5;
        QVERIFY(control->Save());

        // The PDF comes through "Objekt einfügen" of the New menu.
        control->SetValue(QVariant());
        answerInsertDialog([estimate](QFileDialog *dialog) {
            dialog->selectFile(estimate);
            static_cast<QDialog *>(dialog)->accept();
        });
        action(*control, "Obj")->trigger();
        QCOMPARE(container(*control).className(), QStringLiteral("application/pdf"));
        QVERIFY(control->Changed());
        host.answer = 6;
        QVERIFY(control->Save());
    }
    QVERIFY(m_boxes->shown.isEmpty());

    // Stored in the container's own format, as no picture and without a script.
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT ID, fBitmap, tClass, mScript FROM Objekt ORDER BY ID"),
                                  dao::RecordsetType::Snapshot);
    for (long id : {5, 6}) {
        QCOMPARE(rs->Value(QStringLiteral("ID")).toLongLong(), id);
        QVERIFY(!rs->Value(QStringLiteral("fBitmap")).toBool());
        QCOMPARE(rs->Value(QStringLiteral("tClass")).toString(), QStringLiteral("OLE"));
        QVERIFY(dao::isNull(rs->Value(QStringLiteral("mScript"))));
        rs->MoveNext();
    }
    rs.reset();
    QCOMPARE(storedDocument(5).bytes, QByteArray("Beule hinten links\n"));
    QCOMPARE(storedDocument(6).bytes, pdf);
    QVERIFY(leftTempFiles(QStringLiteral("*.OLE")).isEmpty());

    // Loaded back into a new control: the same document, shown in its area.
    auto control = makeControl();
    control->SetValue(5);
    QTRY_VERIFY(!container(*control).className().isEmpty());
    QCOMPARE(container(*control).document().bytes, QByteArray("Beule hinten links\n"));
    QCOMPARE(container(*control).document().fileName, QStringLiteral("Schadensmeldung.txt"));
    QCOMPARE(container(*control).className(), QStringLiteral("text/plain"));
    QVERIFY(child(*control, "Frame1").isVisible() && !child(*control, "PictureView1").isVisible());
    QVERIFY(!control->Changed());
    control->SetValue(6);
    QTRY_COMPARE(container(*control).className(), QStringLiteral("application/pdf"));
    QCOMPARE(container(*control).document().bytes, pdf);
    QCOMPARE(container(*control).document().fileName, QStringLiteral("Kostenvoranschlag.pdf"));
    // The container read the loaded file; it is gone.
    QVERIFY(leftTempFiles(QStringLiteral("*.OLE")).isEmpty());

    // Its picture is the PDF's first page (red inside a white margin), for
    // the screen and for printing.
    const QImage page = control->Picture(false);
    QVERIFY(!page.isNull());
    QVERIFY(page.height() > page.width());
    QCOMPARE(QColor(page.pixel(page.width() / 2, page.height() / 2)), QColor(200, 30, 30));
    QCOMPARE(QColor(page.pixel(2, 2)), QColor(Qt::white));
    const QImage printed = control->PictureWithin(true, QSize(300, 300));
    QVERIFY(printed.width() <= 300 && printed.height() == 300);
    QCOMPARE(QColor(printed.pixel(printed.width() / 2, 150)), QColor(200, 30, 30));
    QVERIFY(!container(*control).appIsRunning());
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestControlDocs::aDocumentSavedInItsApplicationIsStoredNext()
{
    const QString text = file(QStringLiteral("Zeugenaussage.txt"), "Zeuge: Herr Brandt\n");
    Host host;
    host.answer = 8;
    {
        auto control = makeControl();
        control->Advise(&host);
        testpictures::drop(*control->hWnd(), {text});
        QVERIFY(control->Save());
    }
    auto control = makeControl();
    control->SetValue(8);
    QTRY_VERIFY(!container(*control).className().isEmpty());
    QVERIFY(!control->Changed());
    QVERIFY(m_desktop.setReplacement("Zeuge: Herr Brandt, Zeugin: Frau Lenz\n"));
    QSignalSpy updated(&container(*control), &ole::OleContainer::Updated);
    action(*control, "Edit")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(updated.count(), 1, 15000);
    QCOMPARE(updated.first().first().toInt(), 0);
    QVERIFY(m_desktop.opened().contains(QStringLiteral("/Zeugenaussage.txt")));
    QVERIFY(control->Changed());
    QVERIFY(control->Save());
    QVERIFY(!control->Changed());
    QCOMPARE(storedDocument(8).bytes, QByteArray("Zeuge: Herr Brandt, Zeugin: Frau Lenz\n"));
    QCOMPARE(storedDocument(8).fileName, QStringLiteral("Zeugenaussage.txt"));
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestControlDocs::aPictureEditedOutsideIsReloadedUnderItsOverlay()
{
    auto overlay = std::make_shared<sendral::OverlayGraphic>();
    QPainter *p = overlay->BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(80, 96),
                                     sendral::OverlayGraphic::HimetricFromPixels(60, 96), QString());
    p->fillRect(QRect(5, 30, 20, 20), Qt::blue);
    overlay->EndDraw();
    ObjectStorage storage(m_db.get());
    QVERIFY(storage.SaveObject(9, file(QStringLiteral("Foto.png"), testpictures::png(Qt::red, 80, 60)), overlay.get(),
                               QStringLiteral("S")));
    const QByteArray edited = testpictures::png(Qt::green, 80, 60);
    QVERIFY(m_desktop.setReplacement(edited));

    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(9);
    QCOMPARE(QColor(control->Picture(false).pixel(60, 10)), QColor(Qt::red));
    QVERIFY(control->DoAction(razEdit));
    // The picture's own file was opened; its change is shown and is a change.
    QTRY_VERIFY_WITH_TIMEOUT(control->Changed(), 15000);
    QTRY_COMPARE(QColor(control->Picture(false).pixel(60, 10)), QColor(Qt::green));
    const QImage annotated = control->Picture(true);
    QCOMPARE(QColor(annotated.pixel(10, 40)), QColor(Qt::blue));
    QCOMPARE(QColor(annotated.pixel(60, 10)), QColor(Qt::green));
    QVERIFY(child(*control, "PictureView1").isVisible() && !child(*control, "Frame1").isVisible());
    QVERIFY(control->Save());
    QCOMPARE(storedBytes(9), edited);
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT fBitmap, mScript FROM Objekt WHERE ID = 9"),
                                  dao::RecordsetType::Snapshot);
    QVERIFY(rs->Value(QStringLiteral("fBitmap")).toBool());
    QVERIFY(rs->Value(QStringLiteral("mScript")).toString().endsWith(QLatin1String("[CAQOSCRIPT]S")));
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestControlDocs::theInsertDialogCancelledChangesNothingAndAPictureGoesToTheViewer()
{
    auto control = makeControl();
    answerInsertDialog([](QFileDialog *dialog) { dialog->reject(); });
    QVERIFY(control->DoAction(razCreateOle));
    QVERIFY(!control->Changed());
    QVERIFY(container(*control).className().isEmpty());
    QVERIFY(control->Picture(false).isNull());
    QVERIFY(action(*control, "New")->isEnabled() && !action(*control, "Edit")->isEnabled());

    const QString photo = file(QStringLiteral("Delle.png"), testpictures::png(Qt::yellow, 40, 30));
    answerInsertDialog([photo](QFileDialog *dialog) {
        dialog->selectFile(photo);
        static_cast<QDialog *>(dialog)->accept();
    });
    QVERIFY(control->DoAction(razCreateOle));
    QCOMPARE(child(*control, "PictureView1").property("fileName").toString(), photo);
    QVERIFY(container(*control).className().isEmpty());
    QVERIFY(child(*control, "PictureView1").isVisible() && !child(*control, "Frame1").isVisible());
    QTRY_VERIFY(child(*control, "tbPicture").isVisible());
    QVERIFY(control->Changed());
    QCOMPARE(QColor(control->Picture(false).pixel(5, 5)), QColor(Qt::yellow));
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestControlDocs::aDoubleClickOpensOnlyWhenAppStartIsAllowed()
{
    const QString text = file(QStringLiteral("Notiz.txt"), "Kratzer Tür\n");
    auto control = makeControl({{"AllowAppStart", false}});
    Host host;
    control->Advise(&host);
    testpictures::drop(*control->hWnd(), {text});
    QVERIFY(QTest::qWaitForWindowExposed(control->hWnd()));
    ole::OleContainer &ole1 = container(*control);
    const auto doubleClick = [&](Qt::MouseButton button) {
        QTest::mousePress(&ole1, button);
        QTest::mouseRelease(&ole1, button);
        QTest::mouseDClick(&ole1, button);
    };
    doubleClick(Qt::RightButton);
    QCOMPARE(host.doubleClicks, 0);
    doubleClick(Qt::LeftButton);
    QCOMPARE(host.doubleClicks, 1);
    QVERIFY(ole1.editFolder().isEmpty());
    QVERIFY(!ole1.appIsRunning());
    QVERIFY(!m_desktop.opened().contains(QStringLiteral("/Notiz.txt")));

    // Allowed, the same double-click opens the document instead.
    control->SetAllowAppStart(true);
    QVERIFY(m_desktop.setReplacement("Kratzer Tür\n"));
    doubleClick(Qt::LeftButton);
    QCOMPARE(host.doubleClicks, 1);
    QVERIFY(!ole1.editFolder().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(m_desktop.opened().contains(QStringLiteral("/Notiz.txt")), 15000);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestControlDocs::aFileTheContainerCannotTakeKeepsTheStoredRow()
{
    ObjectStorage storage(m_db.get());
    QVERIFY(storage.SaveObject(10, file(QStringLiteral("Alt.png"), testpictures::png(Qt::red)), nullptr, QString()));
    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(10);
    QVERIFY(!child(*control, "PictureView1").property("fileName").toString().isEmpty());

    // A file named as a stored document that is none: told, and the
    // picture stays shown and stored as it was.
    const QString shown = child(*control, "PictureView1").property("fileName").toString();
    testpictures::drop(*control->hWnd(), {file(QStringLiteral("kaputt.ole"), "KELVANE-DOKUMENT\nnein")});
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown.first().title, QStringLiteral("SetOleFile"));
    QCOMPARE(m_boxes->shown.first().icon, core::MsgIcon::Exclamation);
    QCOMPARE(child(*control, "PictureView1").property("fileName").toString(), shown);
    QVERIFY(child(*control, "PictureView1").isVisible() && !child(*control, "Frame1").isVisible());
    QVERIFY(container(*control).className().isEmpty());
    QVERIFY(!control->Changed());
    QVERIFY(control->Save());
    QCOMPARE(storedBytes(10), testpictures::png(Qt::red));
}

void TestControlDocs::aFailingDocumentSaveReportsFalseAndKeepsTheChange()
{
    auto control = makeControl();
    Host host;
    host.answer = 12;
    control->Advise(&host);
    testpictures::drop(*control->hWnd(), {file(QStringLiteral("Brief.txt"), "Sehr geehrte Damen und Herren\n")});
    testengine::refuseWrites(*m_db, QStringLiteral("no_new_objekt"), QStringLiteral("BEFORE INSERT"),
                             QStringLiteral("Objekt"), QStringLiteral("gesperrt"));
    QVERIFY(!control->Save());
    QCOMPARE(m_boxes->shown.last().title, QStringLiteral("Kelvane: SaveObject"));
    QVERIFY(control->Changed());
    QVERIFY(dao::isNull(control->Value()));
    QVERIFY(storedBytes(12).isEmpty());
    QVERIFY(leftTempFiles(QStringLiteral("*.OLE")).isEmpty());
    testengine::allowWrites(*m_db, QStringLiteral("no_new_objekt"), QStringLiteral("Objekt"));
    QVERIFY(control->Save());
    QCOMPARE(control->Value().toLongLong(), 12);
    QCOMPARE(storedDocument(12).bytes, QByteArray("Sehr geehrte Damen und Herren\n"));
}

void TestControlDocs::closingWhileOpenOutsideKeepsTheCopy()
{
    QVERIFY(m_desktop.setReplacement("Polizeibericht, zweite Fassung\n"));
    QString folder;
    {
        auto control = makeControl();
        Host host;
        host.answer = 14;
        control->Advise(&host);
        testpictures::drop(*control->hWnd(), {file(QStringLiteral("Polizeibericht.txt"), "Polizeibericht\n")});
        QVERIFY(control->Save());
        QVERIFY(control->DoAction(razEdit));
        folder = container(*control).editFolder();
        QTRY_VERIFY_WITH_TIMEOUT(m_desktop.opened().contains(QStringLiteral("/Polizeibericht.txt")), 15000);
    }
    // The application may still save into its copy; the program's end removes it.
    QVERIFY(QFileInfo(folder).isDir());
    QObject *keeper = qApp->findChild<QObject *>(folder, Qt::FindDirectChildrenOnly);
    QVERIFY(keeper);
    delete keeper;
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(storedDocument(14).bytes, QByteArray("Polizeibericht\n"));
}

QTEST_MAIN(TestControlDocs)
#include "tst_controldocs.moc"

void TestControlDocs::aPendingChangeIsHandedOutAndTakenBackAsItWas()
{
    Host host;
    auto first = makeControl();
    first->Advise(&host);
    QCOMPARE(first->PendingContent().kind, int(PendingAttachment::None));

    // A document, handed out whatever the lock, comes back in another control.
    QVERIFY(testpictures::drop(*first->hWnd(), {file(QStringLiteral("Brief.txt"), "Sehr geehrte Damen und Herren\n")}));
    first->SetLocked(true);
    const PendingAttachment document = first->PendingContent();
    first->SetLocked(false);
    QCOMPARE(document.kind, int(PendingAttachment::Document));
    auto second = makeControl();
    second->Advise(&host);
    QVERIFY(second->RestorePendingContent(document));
    QCOMPARE(container(*second).document().bytes, QByteArray("Sehr geehrte Damen und Herren\n"));
    QCOMPARE(container(*second).document().fileName, QStringLiteral("Brief.txt"));
    QVERIFY(second->Changed());
    host.answer = 7;
    QVERIFY(second->Save());

    // A picture with its overlay and script.
    sendral::OverlayGraphic overlay;
    QPainter *painter = overlay.BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(64, 96),
                                          sendral::OverlayGraphic::HimetricFromPixels(48, 96), QString());
    painter->fillRect(QRect(10, 10, 20, 20), Qt::green);
    overlay.EndDraw();
    PendingAttachment picture;
    picture.kind = PendingAttachment::Picture;
    picture.fileName = QStringLiteral("Foto.png");
    picture.bytes = testpictures::png(Qt::red);
    picture.overlay = overlay.Data().value_or(QByteArray());
    picture.script = QStringLiteral("RECT;10;10;20;20;1;0;65280;1#");
    auto third = makeControl();
    QVERIFY(third->RestorePendingContent(picture));
    QVERIFY(third->Changed());
    const PendingAttachment again = third->PendingContent();
    QCOMPARE(again.kind, int(PendingAttachment::Picture));
    QCOMPARE(again.bytes, picture.bytes);
    QCOMPARE(again.script, picture.script);
    QCOMPARE(QColor(third->Picture(true).pixel(15, 15)), QColor(Qt::green));
    QCOMPARE(QColor(third->Picture(false).pixel(15, 15)), QColor(Qt::red));

    // The removal of a stored document, over the row loaded first.
    auto fourth = makeControl();
    fourth->SetValue(7);
    QTRY_VERIFY(!container(*fourth).className().isEmpty());
    action(*fourth, "Delete")->trigger();
    const PendingAttachment removed = fourth->PendingContent();
    QCOMPARE(removed.kind, int(PendingAttachment::Removed));
    auto fifth = makeControl();
    fifth->SetValue(7);
    QVERIFY(fifth->RestorePendingContent(removed));
    QVERIFY(container(*fifth).className().isEmpty());
    QVERIFY(fifth->Changed());
    QVERIFY(fifth->Save());
    QVERIFY(storedBytes(7).isEmpty());

    // Bytes that are no picture are refused and said so; the control stays empty.
    m_boxes->clear();
    picture.bytes = "kein Bild";
    auto sixth = makeControl();
    QVERIFY(!sixth->RestorePendingContent(picture));
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY(!sixth->Changed());
    QVERIFY(sixth->Picture(false).isNull());
}
