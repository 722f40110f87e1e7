#include "ControlHost.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "kelvane/ClassRegistry.h"
#include "kelvane/ErrorMessage.h"
#include "kelvane/MapPropertyBag.h"
#include "kelvane/ObjectStorage.h"
#include "kelvane/RAZOleCtrl.h"

#include "varnholt/ControlLibrary.h"
#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "dao/Dao.h"
#include "sendral/OverlayGraphic.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

using namespace kelvane;
using controltest::Host;
using controltest::factory;

namespace {

// Leaves the annotation editor, once it is shown, through its "OK" or
// "Abbrechen" after drawing a rectangle when asked to.
void leaveEditor(const char *key, bool drawRectangle)
{
    QTimer::singleShot(0, [key, drawRectangle] {
        QWidget *editor = QApplication::activeModalWidget();
        if (!editor || editor->objectName() != QLatin1String("frmMain"))
            qFatal("the editor is not shown");
        const auto bar = [editor](const char *name) {
            return editor->findChild<QToolBar *>(QLatin1String(name));
        };
        if (drawRectangle)
            bar("tbMain")->findChild<QAction *>(QStringLiteral("Rect"))->trigger();
        bar("tbOKCancel")->findChild<QAction *>(QLatin1String(key))->trigger();
    });
}

} // namespace

class TestControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void entryPointsRegisterAndHandOutTheFactory();
    void missingOrBrokenLibraryIsToldOnceByName();
    void propertiesAreReadAndWrittenInTheirOrder();
    void designTimeRefusesValue();
    void sameValueDoesNotReloadAndNullClears();
    void optimizeLoadWaitsUntilShown();
    void newPictureAsksForItsNumberOnce();
    void deleteThenSaveRemovesTheRow();
    void lockedControlReportsNoChangeAndSavesNothing();
    void actionsOutsideTheListChangeNothing();
    void insertedFilesAreCheckedByNameAndContent();
    void zoomButtonsStopAtTheListsEnds();
    void captionsGiveWayToANarrowControl();
    void onlyALeftDoubleClickIsReported();
    void aDropInsertsItsFirstFileOnly();
    void aFailingSaveReportsFalseAndKeepsTheChange();
    void pictureCarriesItsOverlayWhenAsked();
    void aScanFromTheTestDeviceIsInsertedAndSaved();
    void theEditorsOverlayIsTakenBackOrTheOldOneKept();

private:
    std::unique_ptr<_RAZOleCtrl> makeControl(QVariantMap properties = {}, bool userMode = true);
    QString pictureFile(const QString &name, const QByteArray &bytes) { return testpictures::write(m_dir.filePath(name), bytes); }
    QString viewerFile(_RAZOleCtrl &control);
    QAction *action(_RAZOleCtrl &control, const QString &key);
    long storePicture(long id, const QByteArray &bytes, const sendral::OverlayGraphic *overlay = nullptr);
    bool rowExists(long id);

    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<core::RecordingMessageService> m_boxes;
    int m_count = 0;
};

void TestControl::initTestCase()
{
    VARNHOLT_REQUIRE_TEST_ENGINE();
    QVERIFY(m_dir.isValid());
    qputenv("Temp", m_dir.filePath(QStringLiteral("temp")).toLocal8Bit());
    QDir().mkpath(m_dir.filePath(QStringLiteral("temp")));
}

void TestControl::init()
{
    dao::OpenOptions create;
    create.create = true;
    m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(
        m_databases.path(QStringLiteral("control%1.db").arg(++m_count)), create);
    varnholt::createSchema(*m_db);
    m_boxes = std::make_unique<core::RecordingMessageService>();
}

void TestControl::cleanup()
{
    m_boxes.reset();
    m_db.reset();
}

std::unique_ptr<_RAZOleCtrl> TestControl::makeControl(QVariantMap properties, bool userMode)
{
    return controltest::makeControl(m_db.get(), std::move(properties), userMode);
}

QString TestControl::viewerFile(_RAZOleCtrl &control)
{
    return control.hWnd()->findChild<QWidget *>(QStringLiteral("PictureView1"))->property("fileName").toString();
}

QAction *TestControl::action(_RAZOleCtrl &control, const QString &key)
{
    auto *found = control.hWnd()->findChild<QAction *>(key);
    if (!found)
        qFatal("no action %s", qPrintable(key));
    return found;
}

long TestControl::storePicture(long id, const QByteArray &bytes, const sendral::OverlayGraphic *overlay)
{
    ObjectStorage storage(m_db.get());
    if (!storage.SaveObject(id, pictureFile(QStringLiteral("stored%1.png").arg(id), bytes), overlay, QStringLiteral("S")))
        qFatal("cannot store %ld", id);
    return id;
}

bool TestControl::rowExists(long id)
{
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT ID FROM Objekt WHERE ID = ?"), dao::RecordsetType::Snapshot,
                                  dao::RecordsetOption::None, {qlonglong(id)});
    return !rs->IsEOF();
}

void TestControl::entryPointsRegisterAndHandOutTheFactory()
{
    QCOMPARE(DllRegisterServer(), long(S_OK));
    const QString library = registry::libraryOf(QLatin1String(ProgID_RAZOleCtrl));
    QVERIFY2(library.endsWith(QLatin1String("/libkelvane.so")), qPrintable(library));
    QVERIFY(QFileInfo::exists(library));
    QCOMPARE(registry::classIdOf(QLatin1String(ProgID_RAZOleCtrl)), QLatin1String(CLSID_RAZOleCtrl));

    int anything = 0;
    void *object = &anything;
    QCOMPARE(DllGetClassObject(CLSID_OLELangTrans, IID_IClassFactory, &object), long(CLASS_E_CLASSNOTAVAILABLE));
    QCOMPARE(object, nullptr);
    QCOMPARE(DllGetClassObject(CLSID_RAZOleCtrl, IID__RAZOleCtrl, &object), long(E_NOINTERFACE));
    QCOMPARE(DllGetClassObject(CLSID_RAZOleCtrl, IID_IClassFactory, nullptr), long(E_POINTER));
    // Class ids are compared without regard to case.
    QCOMPARE(DllGetClassObject("{38f1f6f5-c70c-4718-be2a-571dbd91c41e}", IID_IClassFactory, &object), long(S_OK));

    QCOMPARE(DllCanUnloadNow(), long(S_OK));
    {
        auto control = makeControl();
        QCOMPARE(DllCanUnloadNow(), long(S_FALSE));
    }
    QCOMPARE(DllCanUnloadNow(), long(S_OK));

    // The program's loader finds the library beside it and makes controls.
    varnholt::ControlLibrary beside(QCoreApplication::applicationDirPath());
    std::unique_ptr<_RAZOleCtrl> made(beside.create(nullptr));
    QVERIFY(made);
    QVERIFY(made->OptimizeLoad());
    QVERIFY(m_boxes->shown.isEmpty());

    QCOMPARE(DllUnregisterServer(), long(S_OK));
    QVERIFY(registry::libraryOf(QLatin1String(ProgID_RAZOleCtrl)).isEmpty());
}

void TestControl::missingOrBrokenLibraryIsToldOnceByName()
{
    QTemporaryDir empty;
    varnholt::ControlLibrary missing(empty.path());
    QCOMPARE(missing.create(nullptr), nullptr);
    QCOMPARE(missing.create(nullptr), nullptr);
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY2(m_boxes->lastText().contains(empty.filePath(QStringLiteral("libkelvane.so"))), qPrintable(m_boxes->lastText()));
    QVERIFY(m_boxes->lastText().contains(QStringLiteral("nicht gefunden")));

    m_boxes->clear();
    testpictures::write(empty.filePath(QStringLiteral("libkelvane.so")), "kein ELF");
    varnholt::ControlLibrary broken(empty.path());
    QCOMPARE(broken.create(nullptr), nullptr);
    QCOMPARE(broken.create(nullptr), nullptr);
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY(m_boxes->lastText().contains(QStringLiteral("kann nicht geladen werden")));
    QVERIFY(m_boxes->lastText().contains(empty.filePath(QStringLiteral("libkelvane.so"))));
}

void TestControl::propertiesAreReadAndWrittenInTheirOrder()
{
    MapPropertyBag placed;
    std::unique_ptr<_RAZOleCtrl> fresh(factory().CreateInstance(nullptr, &placed, true));
    QCOMPARE(placed.readOrder(), QStringList({"Enabled", "Locked", "HasButtons", "OptimizeLoad", "DataField", "Tag",
                                              "AllowAppStart"}));
    QVERIFY(fresh->Enabled() && fresh->HasButtons() && !fresh->Locked() && fresh->OptimizeLoad() && fresh->AllowAppStart());
    QVERIFY(dao::isNull(fresh->Value()) && dao::isNull(fresh->Tag()) && fresh->DataField().isEmpty());

    auto control = makeControl({{"Enabled", false}, {"Locked", true}, {"HasButtons", false}, {"OptimizeLoad", false},
                                {"DataField", "Objekt_ID_2"}, {"Tag", 7}, {"AllowAppStart", false}});
    QVERIFY(!control->Enabled() && control->Locked() && !control->HasButtons() && !control->OptimizeLoad());
    QVERIFY(!control->AllowAppStart());
    QCOMPARE(control->DataField(), QStringLiteral("Objekt_ID_2"));
    QCOMPARE(control->Tag().toInt(), 7);
    QVERIFY(!control->hWnd()->isEnabled());
    QVERIFY(!control->hWnd()->acceptDrops());
    QVERIFY(control->hWnd()->findChild<QToolBar *>(QStringLiteral("Toolbar"))->isHidden());

    MapPropertyBag written;
    control->WriteProperties(written);
    QCOMPARE(written.writeOrder(), QStringList({"Enabled", "Locked", "HasButtons", "DataField", "OptimizeLoad", "Tag",
                                                "AllowAppStart"}));
    QCOMPARE(written.values().value("DataField").toString(), QStringLiteral("Objekt_ID_2"));
    QCOMPARE(written.values().value("Locked").toBool(), true);
}

void TestControl::designTimeRefusesValue()
{
    auto control = makeControl({}, false);
    try {
        control->SetValue(5);
        QFAIL("a Value at design time was taken");
    } catch (const KelvaneError &error) {
        QCOMPARE(error.error().Number, 382L);
    }
    QVERIFY(dao::isNull(control->Value()));
}

void TestControl::sameValueDoesNotReloadAndNullClears()
{
    storePicture(3, testpictures::encoded(testpictures::marked(40, 30), "png"));
    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(3);
    QCOMPARE(control->Value().toLongLong(), 3);
    const QString shown = viewerFile(*control);
    QVERIFY(QFileInfo::exists(shown));
    QVERIFY(!control->Changed());

    // The row goes; the same number again is no reason to read it.
    m_db->Execute(QStringLiteral("DELETE FROM Objekt WHERE ID = 3"));
    control->SetValue(3.0);
    QCOMPARE(viewerFile(*control), shown);
    QCOMPARE(control->Value().toLongLong(), 3);
    // With a change pending it is read again, and now it is missing.
    control->SetChanged(true);
    control->SetValue(3);
    QVERIFY(dao::isNull(control->Value()));
    QVERIFY(viewerFile(*control).isEmpty());

    storePicture(4, testpictures::encoded(testpictures::marked(40, 30), "png"));
    control->SetValue(4);
    const QString temp = viewerFile(*control);
    QVERIFY(QFileInfo::exists(temp));
    control->SetValue(QVariant());
    QVERIFY(dao::isNull(control->Value()));
    QVERIFY(viewerFile(*control).isEmpty());
    QVERIFY2(!QFileInfo::exists(temp), "the temporary file outlived its picture");
    QVERIFY(control->Save());
    QVERIFY(rowExists(4));

    // The control's end takes its temporary file with it.
    control->SetValue(4);
    const QString last = viewerFile(*control);
    control.reset();
    QVERIFY(!QFileInfo::exists(last));
}

void TestControl::optimizeLoadWaitsUntilShown()
{
    storePicture(8, testpictures::encoded(testpictures::marked(40, 30), "png"));
    QWidget form;
    form.resize(800, 600);
    MapPropertyBag placed;
    std::unique_ptr<_RAZOleCtrl> lazy(factory().CreateInstance(&form, &placed, true));
    lazy->SetDatabase(m_db.get());
    lazy->hWnd()->setGeometry(0, 0, 400, 300);
    lazy->SetValue(8);
    QCOMPARE(lazy->Value().toLongLong(), 8);
    QVERIFY(viewerFile(*lazy).isEmpty());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(QFileInfo::exists(viewerFile(*lazy)));

    QWidget hidden;
    MapPropertyBag eager({{QStringLiteral("OptimizeLoad"), false}});
    std::unique_ptr<_RAZOleCtrl> atOnce(factory().CreateInstance(&hidden, &eager, true));
    atOnce->SetDatabase(m_db.get());
    atOnce->SetValue(8);
    QVERIFY(!hidden.isVisible());
    QVERIFY(QFileInfo::exists(viewerFile(*atOnce)));
}

void TestControl::newPictureAsksForItsNumberOnce()
{
    const QByteArray bytes = testpictures::encoded(testpictures::marked(64, 48), "jpg");
    auto control = makeControl();
    Host host;
    host.answer = 17;
    control->Advise(&host);
    QVERIFY(testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("photo.jpg"), bytes)}));
    QVERIFY(control->Changed());
    QVERIFY(!action(*control, "New")->isEnabled());
    QVERIFY(action(*control, "Delete")->isEnabled() && action(*control, "Edit")->isEnabled());

    QVERIFY(control->Save());
    QCOMPARE(host.asked, 1);
    QCOMPARE(control->Value().toLongLong(), 17);
    QVERIFY(!control->Changed());
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt, fBitmap, tClass FROM Objekt WHERE ID = 17"),
                                  dao::RecordsetType::Snapshot);
    QCOMPARE(rs->Value(QStringLiteral("lbObjekt")).toByteArray(), bytes);
    QCOMPARE(rs->Value(QStringLiteral("tClass")).toString(), QStringLiteral("jpg"));
    QVERIFY(control->Save());
    QCOMPARE(host.asked, 1);

    // A host that gives no number gets no silent success: the picture stays to be saved.
    auto unanswered = makeControl();
    Host silent;
    unanswered->Advise(&silent);
    testpictures::drop(*unanswered->hWnd(), {pictureFile(QStringLiteral("photo2.jpg"), bytes)});
    QVERIFY(!unanswered->Save());
    QVERIFY(unanswered->Changed());
    QVERIFY(dao::isNull(unanswered->Value()));
}

void TestControl::deleteThenSaveRemovesTheRow()
{
    storePicture(5, testpictures::encoded(testpictures::marked(40, 30), "png"));
    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(5);
    QVERIFY(action(*control, "Delete")->isEnabled());
    action(*control, "Delete")->trigger();
    QVERIFY(m_boxes->shown.isEmpty());   // no question
    QVERIFY(control->Changed());
    QVERIFY(viewerFile(*control).isEmpty());
    QVERIFY(!action(*control, "Delete")->isEnabled() && !action(*control, "Edit")->isEnabled());
    QVERIFY(action(*control, "New")->isEnabled());
    QVERIFY(rowExists(5));
    QVERIFY(control->Save());
    QVERIFY(!rowExists(5));
    QVERIFY(dao::isNull(control->Value()));
    QVERIFY(!control->Changed());
}

void TestControl::lockedControlReportsNoChangeAndSavesNothing()
{
    auto control = makeControl();
    Host host;
    host.answer = 9;
    control->Advise(&host);
    testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("locked.png"),
                                                      testpictures::encoded(testpictures::marked(40, 30), "png"))});
    control->SetLocked(true);
    QVERIFY(!control->Changed());
    QVERIFY(!control->Save());
    QCOMPARE(host.asked, 0);
    QVERIFY(!rowExists(9));
    for (const char *key : {"New", "Edit", "Delete", "ObjGrafic"})
        QVERIFY2(!action(*control, key)->isEnabled(), key);
    QVERIFY(!control->hWnd()->acceptDrops());
    control->SetLocked(false);
    QVERIFY(control->Changed());
    QVERIFY(control->hWnd()->acceptDrops());

    // The lock hides no change from the host's record: it writes it all the same.
    control->SetLocked(true);
    QCOMPARE(control->PendingChange(), int(ChangeInserted));
    QVERIFY(control->SavePending());
    QCOMPARE(host.asked, 1);
    QVERIFY(rowExists(9));
    QCOMPARE(control->PendingChange(), 0);
}

void TestControl::actionsOutsideTheListChangeNothing()
{
    storePicture(6, testpictures::encoded(testpictures::marked(40, 30), "png"));
    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(6);
    const QString shown = viewerFile(*control);
    for (int cmd : {0, 6, -1}) {
        QVERIFY(!control->DoAction(cmd));
        QCOMPARE(viewerFile(*control), shown);
        QVERIFY(!control->Changed());
        QCOMPARE(control->Value().toLongLong(), 6);
    }
    QVERIFY(m_boxes->shown.isEmpty());
    QVERIFY(control->DoAction(razDelete));
    QVERIFY(control->Changed());
}

void TestControl::insertedFilesAreCheckedByNameAndContent()
{
    auto control = makeControl();
    QWidget *window = control->hWnd();
    QVERIFY(testpictures::drop(*window, {pictureFile(QStringLiteral("small.gif"), testpictures::gif())}));
    QVERIFY(viewerFile(*control).endsWith(QLatin1String("small.gif")));
    QVERIFY(action(*control, "SizeToFit")->isChecked());
    auto *factor = window->findChild<QLineEdit *>(QStringLiteral("tZoomFaktor"));
    auto *zoom = window->findChild<QComboBox *>(QStringLiteral("cboZoom"));
    QTRY_VERIFY(factor->isVisible());
    QVERIFY(!zoom->isVisible());
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ %$")).match(factor->text()).hasMatch(), qPrintable(factor->text()));

    // A refused file changes nothing shown.
    const QString before = viewerFile(*control);
    testpictures::drop(*window, {pictureFile(QStringLiteral("fake.jpg"), "Nur ein Text, kein Bild.\n")});
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(viewerFile(*control), before);

    // Any other file is a document: the picture area gives way to the container.
    testpictures::drop(*window, {pictureFile(QStringLiteral("notes.txt"), "Nur ein Text, kein Bild.\n")});
    QCOMPARE(viewerFile(*control), QString());
    QVERIFY(window->findChild<QWidget *>(QStringLiteral("Frame1"))->isVisible());
    QTRY_VERIFY(!window->findChild<QWidget *>(QStringLiteral("tbPicture"))->isVisible());
    QVERIFY(control->Changed());
}

void TestControl::zoomButtonsStopAtTheListsEnds()
{
    auto control = makeControl();
    testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("zoom.jpg"),
                                                      testpictures::encoded(testpictures::marked(3000, 2000), "jpg"))});
    auto *zoom = control->hWnd()->findChild<QComboBox *>(QStringLiteral("cboZoom"));
    auto *view = control->hWnd()->findChild<QAbstractScrollArea *>(QStringLiteral("PictureView1"));
    // Fitted between two entries, each button leaves size-to-fit for the entry next to it.
    QVERIFY(action(*control, "SizeToFit")->isChecked());
    const double fitted = view->property("zoom").toDouble();
    QVERIFY2(fitted > 10 && fitted < 100, qPrintable(QString::number(fitted)));
    QVERIFY(action(*control, "ZoomIn")->isEnabled() && action(*control, "ZoomOut")->isEnabled());
    action(*control, "ZoomIn")->trigger();
    QVERIFY(!action(*control, "SizeToFit")->isChecked());
    QVERIFY(!view->property("sizeToFit").toBool());
    const QList<double> steps = {500, 200, 150, 100, 75, 50, 25, 10};
    const auto entryAbove = [&] {
        return *std::find_if(steps.rbegin(), steps.rend(), [&](double step) { return step > fitted; });
    };
    const auto entryBelow = [&] { return *std::find_if(steps.begin(), steps.end(), [&](double step) { return step < fitted; }); };
    QCOMPARE(view->property("zoom").toDouble(), entryAbove());
    QCOMPARE(zoom->currentText(), QStringLiteral("%1 %").arg(entryAbove()));
    action(*control, "SizeToFit")->trigger();
    QCOMPARE(view->property("zoom").toDouble(), fitted);
    action(*control, "ZoomOut")->trigger();
    QCOMPARE(view->property("zoom").toDouble(), entryBelow());

    for (int i = 0; i < 9; ++i)
        action(*control, "ZoomIn")->trigger();
    QCOMPARE(zoom->currentIndex(), 0);
    QCOMPARE(view->property("zoom").toDouble(), 500.0);
    QVERIFY(!action(*control, "ZoomIn")->isEnabled());
    QVERIFY(action(*control, "ZoomOut")->isEnabled());
    for (int i = 0; i < 9; ++i)
        action(*control, "ZoomOut")->trigger();
    QCOMPARE(zoom->currentText(), QStringLiteral("10 %"));
    QCOMPARE(view->property("zoom").toDouble(), 10.0);
    QVERIFY(!action(*control, "ZoomOut")->isEnabled());
    QVERIFY(action(*control, "ZoomIn")->isEnabled());
    zoom->setCurrentIndex(4);
    QCOMPARE(view->property("zoom").toDouble(), 75.0);

    // Ctrl+wheel takes a step too: two notches up from 75 % is 150 %.
    const QPointF mouse(10, 10);
    QWheelEvent notches(mouse, view->viewport()->mapToGlobal(mouse), {}, {0, 240}, Qt::NoButton, Qt::ControlModifier,
                        Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &notches);
    QCOMPARE(zoom->currentText(), QStringLiteral("150 %"));
    QCOMPARE(view->property("zoom").toDouble(), 150.0);

    // A right click on the picture offers the drop-down menu's entries; a locked control does not.
    auto *menu = control->hWnd()->findChild<QMenu *>(QStringLiteral("mnuNew"));
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), view->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(view->viewport(), &click);
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    control->SetLocked(true);
    QApplication::sendEvent(view->viewport(), &click);
    QTest::qWait(20);
    QVERIFY(!menu->isVisible());
}

void TestControl::captionsGiveWayToANarrowControl()
{
    auto control = makeControl();
    const auto captionsShown = [&] { return !action(*control, "New")->text().isEmpty(); };
    QVERIFY(captionsShown());
    control->hWnd()->resize(4700 / 15, 300);
    QVERIFY(!captionsShown());
    control->hWnd()->resize(900, 300);
    QVERIFY(captionsShown());
    // With the picture toolbar shown the edit buttons need its width more.
    testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("cap.png"), testpictures::png(Qt::red))});
    control->hWnd()->resize(5000 / 15, 300);
    QVERIFY(!captionsShown());
}

void TestControl::onlyALeftDoubleClickIsReported()
{
    auto control = makeControl({{"AllowAppStart", false}});
    Host host;
    control->Advise(&host);
    testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("click.png"),
                                                      testpictures::encoded(testpictures::marked(40, 30), "png"))});
    auto *view = control->hWnd()->findChild<QAbstractScrollArea *>(QStringLiteral("PictureView1"));
    control->hWnd()->show();
    QVERIFY(QTest::qWaitForWindowExposed(control->hWnd()));
    // A double-click as the window system gives it: a press, then the double-click.
    const auto doubleClick = [&](Qt::MouseButton button) {
        QTest::mousePress(view->viewport(), button);
        QTest::mouseRelease(view->viewport(), button);
        QTest::mouseDClick(view->viewport(), button);
    };
    doubleClick(Qt::RightButton);
    QCOMPARE(host.doubleClicks, 0);
    doubleClick(Qt::LeftButton);
    QCOMPARE(host.doubleClicks, 1);
    // A right press before a double-click of the left spoils it.
    QTest::mousePress(view->viewport(), Qt::RightButton);
    QTest::mouseRelease(view->viewport(), Qt::RightButton);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton);
    QCOMPARE(host.doubleClicks, 1);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestControl::aDropInsertsItsFirstFileOnly()
{
    const QStringList files = {pictureFile(QStringLiteral("first.png"), testpictures::encoded(testpictures::marked(40, 30), "png")),
                               pictureFile(QStringLiteral("second.png"), testpictures::encoded(testpictures::marked(30, 40), "png")),
                               pictureFile(QStringLiteral("third.gif"), testpictures::gif())};
    for (bool asText : {false, true}) {
        auto control = makeControl();
        Host host;
        host.answer = asText ? 31 : 30;
        control->Advise(&host);
        QVERIFY(testpictures::drop(*control->hWnd(), files, asText));
        QCOMPARE(viewerFile(*control), files.first());
        QVERIFY(control->Save());
        QCOMPARE(host.asked, 1);
    }
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT Count(*) AS n FROM Objekt"), dao::RecordsetType::Snapshot);
    QCOMPARE(rs->Value(QStringLiteral("n")).toInt(), 2);
}

void TestControl::aFailingSaveReportsFalseAndKeepsTheChange()
{
    auto control = makeControl();
    Host host;
    host.answer = 12;
    control->Advise(&host);
    testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("fail.png"),
                                                      testpictures::encoded(testpictures::marked(40, 30), "png"))});
    testengine::refuseWrites(*m_db, QStringLiteral("no_objekt"), QStringLiteral("BEFORE UPDATE"),
                             QStringLiteral("Objekt"), QStringLiteral("gesperrt"));
    testengine::refuseWrites(*m_db, QStringLiteral("no_new_objekt"), QStringLiteral("BEFORE INSERT"),
                             QStringLiteral("Objekt"), QStringLiteral("gesperrt"));
    QVERIFY(!control->Save());
    QCOMPARE(m_boxes->shown.last().title, QStringLiteral("Kelvane: SaveObject"));
    QVERIFY(control->Changed());
    QVERIFY(dao::isNull(control->Value()));
    QVERIFY(!rowExists(12));
    testengine::allowWrites(*m_db, QStringLiteral("no_objekt"), QStringLiteral("Objekt"));
    testengine::allowWrites(*m_db, QStringLiteral("no_new_objekt"), QStringLiteral("Objekt"));
    host.answer = 13;
    QVERIFY(control->Save());
    QCOMPARE(control->Value().toLongLong(), 13);

    // A row that cannot be deleted stays marked for deletion.
    control->DoAction(razDelete);
    testengine::refuseWrites(*m_db, QStringLiteral("keep_objekt"), QStringLiteral("BEFORE DELETE"),
                             QStringLiteral("Objekt"), QStringLiteral("gesperrt"));
    m_boxes->clear();
    QVERIFY(!control->Save());
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown.first().title, QStringLiteral("Save"));
    QVERIFY(control->Changed());
    QVERIFY(rowExists(13));
    testengine::allowWrites(*m_db, QStringLiteral("keep_objekt"), QStringLiteral("Objekt"));
    QVERIFY(control->Save());
    QVERIFY(!rowExists(13));
}

void TestControl::pictureCarriesItsOverlayWhenAsked()
{
    const QImage picture = testpictures::marked(80, 60);
    auto overlay = std::make_shared<sendral::OverlayGraphic>();
    QPainter *p = overlay->BeginDraw(nullptr, sendral::OverlayGraphic::HimetricFromPixels(80, 96),
                                     sendral::OverlayGraphic::HimetricFromPixels(60, 96), QString());
    p->fillRect(QRect(10, 30, 20, 20), Qt::green);
    overlay->EndDraw();
    storePicture(21, testpictures::encoded(picture, "png"), overlay.get());

    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(21);
    const QImage plain = control->Picture(false);
    QCOMPARE(plain.size(), QSize(80, 60));
    QCOMPARE(QColor(plain.pixel(15, 35)), QColor(Qt::red));
    const QImage annotated = control->Picture(true);
    QCOMPARE(QColor(annotated.pixel(15, 35)), QColor(Qt::green));
    QCOMPARE(QColor(annotated.pixel(70, 35)), QColor(Qt::blue));
    // The picture the caller got is its own: asking again gives the plain one.
    QCOMPARE(QColor(control->Picture(false).pixel(15, 35)), QColor(Qt::red));

    // Printing draws nothing.
    QImage canvas(50, 50, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    control->PrintOut(&painter, 0, 0, 50, 50, true);
    painter.end();
    QCOMPARE(QColor(canvas.pixel(25, 25)), QColor(Qt::white));

    control->SetValue(QVariant());
    QVERIFY(control->Picture(true).isNull());
}

void TestControl::aScanFromTheTestDeviceIsInsertedAndSaved()
{
    // SANE's test backend alone, in a folder of our own: no real scanner is asked.
    const QString sane = m_dir.filePath(QStringLiteral("sane"));
    QDir().mkpath(sane);
    testpictures::write(sane + QStringLiteral("/dll.conf"), "test\n");
    testpictures::write(sane + QStringLiteral("/test.conf"),
                        "number_of_devices 1\nmode Color\ntest-picture \"Color pattern\"\nresolution 50\n");
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(sane));
    auto control = makeControl();
    Host host;
    host.answer = 40;
    control->Advise(&host);
    QVERIFY2(control->DoAction(razCreateScanner), qPrintable(m_boxes->lastText()));
    const QString scanned = viewerFile(*control);
    QVERIFY(QFileInfo::exists(scanned));
    QVERIFY(control->Changed());
    QVERIFY(control->Save());
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt, fBitmap FROM Objekt WHERE ID = 40"),
                                  dao::RecordsetType::Snapshot);
    QCOMPARE(rs->Value(QStringLiteral("lbObjekt")).toByteArray(), testpictures::read(scanned));
    QVERIFY(rs->Value(QStringLiteral("fBitmap")).toBool());
    // The scan was the control's own file: it goes with the control.
    control.reset();
    QVERIFY(!QFileInfo::exists(scanned));

    // A host that loads another row while the scan runs gets none of it.
    storePicture(41, testpictures::png(Qt::red));
    auto other = makeControl({{"OptimizeLoad", false}});
    bool busyWhileScanning = false;
    QTimer::singleShot(0, [&] {
        busyWhileScanning = other->Busy();
        other->SetValue(41);
    });
    m_boxes->clear();
    QVERIFY(other->DoAction(razCreateScanner));
    QVERIFY(busyWhileScanning);
    QVERIFY(!other->Busy());
    QCOMPARE(m_boxes->lastText(), QStringLiteral("Das eingefügte Bild gehört zu einem Vorgang, der nicht mehr "
                                                 "angezeigt wird; es wurde verworfen."));
    QVERIFY(!other->Changed());
    QCOMPARE(testpictures::read(viewerFile(*other)), testpictures::png(Qt::red));
}


void TestControl::theEditorsOverlayIsTakenBackOrTheOldOneKept()
{
    const QByteArray first = testpictures::encoded(testpictures::marked(80, 60), "png");
    const QByteArray second = testpictures::encoded(testpictures::marked(64, 48), "png");
    storePicture(31, first);
    auto control = makeControl({{"OptimizeLoad", false}});
    control->SetValue(31);

    // A rectangle drawn and kept: script, overlay and the change taken back.
    leaveEditor("Ok", true);
    action(*control, "ObjGrafic")->trigger();
    QVERIFY(control->Changed());
    QVERIFY(control->Save());
    auto rs = m_db->OpenRecordset(QStringLiteral("SELECT mScript FROM Objekt WHERE ID = 31"), dao::RecordsetType::Snapshot);
    const QString script = rs->Value(QStringLiteral("mScript")).toString();
    rs->Close();
    QVERIFY2(script.contains(QStringLiteral("RECT")), qPrintable(script));
    const QImage annotated = control->Picture(true);

    // Cancelled after drawing: the old overlay and script stay, nothing to save.
    leaveEditor("Cancel", true);
    action(*control, "ObjGrafic")->trigger();
    QVERIFY(!control->Changed());
    QCOMPARE(control->Picture(true), annotated);

    // A new photo, then the editor left with "OK" without drawing: the photo
    // is still to be saved.
    QVERIFY(testpictures::drop(*control->hWnd(), {pictureFile(QStringLiteral("new.png"), second)}));
    QVERIFY(control->Changed());
    leaveEditor("Ok", false);
    action(*control, "ObjGrafic")->trigger();
    QVERIFY(control->Changed());
    QVERIFY(control->Save());
    rs = m_db->OpenRecordset(QStringLiteral("SELECT lbObjekt FROM Objekt WHERE ID = 31"), dao::RecordsetType::Snapshot);
    QCOMPARE(rs->Value(QStringLiteral("lbObjekt")).toByteArray(), second);
}

QTEST_MAIN(TestControl)
#include "tst_control.moc"
