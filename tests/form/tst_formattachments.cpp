#include "FormFixture.h"
#include "OleTestFiles.h"

#include "kelvane/ObjectStorage.h"
#include "ole/DocumentFormat.h"
#include "ole/OleContainer.h"
#include "sandbox/Previews.h"

// The case form's pictures and documents: saved with the case, never lost on a
// refused, locked, cancelled or failing road.
class TestFormAttachments : public QObject, FormFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init() { openDatabase(); }
    void cleanup() { closeDatabase(); }

    void workstationsSavingAtOnceGetUniqueNumbersAndKeepTheirPictures()
    {
        m_db->Close();
        const QString saver = QCoreApplication::applicationDirPath() + "/case_saver";
        // Four workstations, each saving its cases with a picture as fast as it can.
        constexpr int each = 250;
        const QStringList plates = {"A", "B", "C", "D"};
        std::vector<std::unique_ptr<QProcess>> savers;
        for (const QString &plate : plates) {
            savers.push_back(std::make_unique<QProcess>());
            savers.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            savers.back()->start(saver, {m_databases.path("f.db"), QString::number(each), plate, m_dir.path()});
        }
        for (auto &process : savers) {
            QVERIFY(process->waitForFinished(300000));
            QCOMPARE(process->exitCode(), 0);
        }
        const int total = each * int(plates.size());

        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("f.db"));
        auto rs = m_db->OpenRecordset("SELECT ID, Schadennummer, Schadenbeschreibung, Objekt_ID_1, Schadenbilder "
                                      "FROM Schaden ORDER BY ID", dao::RecordsetType::Snapshot);
        QSet<QString> numbers;
        QSet<qlonglong> objects;
        QHash<qlonglong, QString> owner;
        long expected = 1;
        for (; !rs->IsEOF(); rs->MoveNext(), ++expected) {
            QCOMPARE(rs->Value("ID").toLongLong(), qlonglong(expected));
            numbers.insert(rs->Value("Schadennummer").toString());
            QVERIFY(rs->Value("Schadenbilder").toBool());
            const qlonglong object = rs->Value("Objekt_ID_1").toLongLong();
            objects.insert(object);
            owner.insert(object, rs->Value("Schadenbeschreibung").toString());
        }
        QCOMPARE(expected - 1, long(total));
        QCOMPARE(objects.size(), total);
        for (int n = 1; n <= total; ++n)
            QVERIFY2(numbers.contains(QStringLiteral("10/%1").arg(n, 3, 10, QLatin1Char('0'))), qPrintable(QString::number(n)));

        // Every attachment row holds the picture of the case that refers to it.
        auto pictures = m_db->OpenRecordset("SELECT ID, lbObjekt, fBitmap, tClass FROM Objekt", dao::RecordsetType::Snapshot);
        long rows = 0;
        for (; !pictures->IsEOF(); pictures->MoveNext(), ++rows) {
            const qlonglong id = pictures->Value("ID").toLongLong();
            QVERIFY(owner.contains(id));
            QCOMPARE(pictures->Value("lbObjekt").toByteArray(), attachmentBytes(owner.value(id)));
            QVERIFY(pictures->Value("fBitmap").toBool());
            QCOMPARE(pictures->Value("tClass").toString(), QString("png"));
        }
        QCOMPARE(rows, long(total));
    }

    void picturesSaveWithTheCaseAndComeBackByteIdentical()
    {
        QTemporaryDir files;
        QList<QByteArray> bytes;
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        for (int i = 0; i < 3; ++i) {
            bytes.append(testpictures::encoded(testpictures::marked(60 + 10 * i, 40), i == 1 ? "png" : "jpg"));
            const QString file = testpictures::write(files.filePath(QStringLiteral("bild%1.%2").arg(i).arg(i == 1 ? "png" : "jpg")),
                                                     bytes.last());
            QWidget *ole = control<QWidget>(*m_form, QStringLiteral("Ole_%1").arg(i));
            QVERIFY2(ole->findChild<QWidget *>("PictureView1"), "Ole is no attachment control");
            QVERIFY(testpictures::drop(*ole, {file}));
        }
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        QVERIFY(!m_form->FormChanged());
        const long id = m_form->CaseID();
        QVERIFY(stored(id, "Schadenbilder").toBool());
        QList<qlonglong> objects;
        for (int i = 0; i < 3; ++i) {
            objects.append(stored(id, QStringLiteral("Objekt_ID_%1").arg(i + 1)).toLongLong());
            auto rs = m_db->OpenRecordset("SELECT lbObjekt FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                          dao::RecordsetOption::None, {objects.last()});
            QVERIFY(!rs->IsEOF());
            QCOMPARE(rs->Value("lbObjekt").toByteArray(), bytes[i]);
        }
        QCOMPARE(QSet<qlonglong>(objects.begin(), objects.end()).size(), 3);

        // Loaded back, each tab shows its picture when it is first shown.
        m_form->FillSchaden(0);
        m_form->FillSchaden(id);
        QCOMPARE(label("lblBilder")->text(), QString("3"));
        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        for (int i = 0; i < 3; ++i) {
            tabs->setCurrentIndex(i + 1);
            QWidget *view = control<QWidget>(*m_form, QStringLiteral("Ole_%1").arg(i))->findChild<QWidget *>("PictureView1");
            QCOMPARE(testpictures::read(view->property("fileName").toString()), bytes[i]);
        }
        QVERIFY(!m_form->FormChanged());

        // Removing the second picture empties its column and deletes its row;
        // "Schadenbilder" follows at once, before the case is saved.
        control<QWidget>(*m_form, "Ole_1")->findChild<QAction *>("Delete")->trigger();
        QCOMPARE(label("lblBilder")->text(), QString("2"));
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        QVERIFY(dao::isNull(stored(id, "Objekt_ID_2")));
        QCOMPARE(stored(id, "Objekt_ID_3").toLongLong(), objects[2]);
        auto gone = m_db->OpenRecordset("SELECT ID FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                        dao::RecordsetOption::None, {objects[1]});
        QVERIFY(gone->IsEOF());
        QCOMPARE(label("lblBilder")->text(), QString("2"));

        // A settled case locks its pictures.
        check("chkVorgang")->click();
        for (const char *key : {"New", "Delete"})
            QVERIFY(!control<QWidget>(*m_form, "Ole_0")->findChild<QAction *>(key)->isEnabled());
        tabs->setCurrentIndex(0);
    }

    void aFailingPictureSaveKeepsTheCaseUnsavedAndOpen()
    {
        QTemporaryDir files;
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        const QString file = testpictures::write(files.filePath("bild.png"),
                                                 testpictures::encoded(testpictures::marked(40, 30), "png"));
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_0"), {file}));
        testengine::refuseWrites(*m_db, "no_picture", "BEFORE UPDATE", "Objekt", "gesperrt");
        m_messages->clear();
        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(m_form->isVisible());
        QCOMPARE(caseCount(), 0L);
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->DataChanged());
        QCOMPARE(m_messages->shown.last().text,
                 QString("Folgender Fehler ist aufgetreten: Die Anlage konnte nicht gespeichert werden (4711)."));
        QCOMPARE(m_messages->shown.last().icon, core::MsgIcon::Critical);

        testengine::allowWrites(*m_db, "no_picture", "Objekt");
        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(caseCount(), 1L);
        const QVariant object = stored(m_form->CaseID(), "Objekt_ID_1");
        QVERIFY(!dao::isNull(object));
        auto rs = m_db->OpenRecordset("SELECT lbObjekt FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {object});
        QCOMPARE(rs->Value("lbObjekt").toByteArray(), testpictures::read(file));
    }

    // A stored photo, maybe a second photo dropped over it, then a drop the
    // control refuses, then OK: the row keeps the stored photo or takes the
    // second one, and the refusal is told.
    void aRefusedDropLosesNeitherTheStoredNorThePendingPhoto_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<bool>("pending");
        for (const char *refused : {"folder", "damaged container file", "empty file", "text named as picture"}) {
            QTest::addRow("%s over a pending photo", refused) << QString::fromLatin1(refused) << true;
            QTest::addRow("%s over the stored photo", refused) << QString::fromLatin1(refused) << false;
        }
    }

    void aRefusedDropLosesNeitherTheStoredNorThePendingPhoto()
    {
        QFETCH(QString, refused);
        QFETCH(bool, pending);
        QTemporaryDir files;
        const QByteArray first = testpictures::encoded(testpictures::marked(60, 40), "jpg");
        const QByteArray second = testpictures::png(Qt::green);
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_0"),
                                   {testpictures::write(files.filePath("erstes.jpg"), first)}));
        QVERIFY(m_form->SaveCase());
        const long id = m_form->CaseID();
        const QVariant object = stored(id, "Objekt_ID_1");

        m_form->FillSchaden(id);
        control<QTabWidget>(*m_form, "tabSchaden")->setCurrentIndex(1);
        QWidget *ole = control<QWidget>(*m_form, "Ole_0");
        if (pending)
            QVERIFY(testpictures::drop(*ole, {testpictures::write(files.filePath("zweites.png"), second)}));
        QString path;
        if (refused == "folder") {
            path = files.filePath("Fotos");
            QDir().mkpath(path);
        } else if (refused == "damaged container file") {
            path = testpictures::write(files.filePath("alt.ole"), "KELVANE-DOKUMENT\nabgeschnitten");
        } else if (refused == "empty file") {
            path = testpictures::write(files.filePath("leer.pdf"), {});
        } else {
            path = testpictures::write(files.filePath("fake.jpg"), "Nur ein Text.\n");
        }
        m_messages->clear();
        testpictures::drop(*ole, {path});
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(m_messages->shown.first().icon, core::MsgIcon::Exclamation);
        QCOMPARE(m_form->FormChanged(), pending);

        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QCOMPARE(stored(id, "Objekt_ID_1"), object);
        QVERIFY(stored(id, "Schadenbilder").toBool());
        QCOMPARE(objektBytes(object), pending ? second : first);
    }

    // A photo dropped on Bild 1, then "Vorgang erledigt" ticked: the settled
    // case is saved with the photo, and the save question counts it.
    void aPhotoDroppedBeforeSettlingIsSavedWithTheCase()
    {
        QTemporaryDir files;
        const long id = insertCase("B-AB 1", "10/001");
        const QByteArray photo = testpictures::png(Qt::blue);
        makeForm();
        m_form->FillSchaden(id);
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_0"),
                                   {testpictures::write(files.filePath("foto.png"), photo)}));
        check("chkVorgang")->click();
        QVERIFY(m_form->FormChanged());

        // Asked on leaving, "Nein" keeps nothing and asks nothing more.
        m_messages->answers = {core::MsgAnswer::Cancel};
        control<QPushButton>(*m_form, "cmdCancel")->click();
        QCOMPARE(m_messages->shown.size(), 1);
        QVERIFY(m_form->isVisible());

        control<QPushButton>(*m_form, "cmdOK")->click();
        QVERIFY(!m_form->isVisible());
        QVERIFY(stored(id, "fErledigt").toBool());
        const QVariant object = stored(id, "Objekt_ID_1");
        QVERIFY(!dao::isNull(object));
        QCOMPARE(objektBytes(object), photo);
        QVERIFY(!m_form->FormChanged());
    }

    // "Löschen" on Bild 2, "Abbrechen" and "Nein": the case opened again
    // shows the stored picture, in the same form window.
    void aDroppedChangeIsGoneWhenTheCaseIsOpenedAgain()
    {
        QTemporaryDir files;
        const QByteArray photo = testpictures::png(Qt::red);
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        QVERIFY(testpictures::drop(*control<QWidget>(*m_form, "Ole_1"),
                                   {testpictures::write(files.filePath("foto.png"), photo)}));
        QVERIFY(m_form->SaveCase());
        const long id = m_form->CaseID();

        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        for (const bool deleting : {true, false}) {
            m_form->FillSchaden(id);
            tabs->setCurrentIndex(2);
            QWidget *ole = control<QWidget>(*m_form, "Ole_1");
            if (deleting)
                ole->findChild<QAction *>("Delete")->trigger();
            else
                QVERIFY(testpictures::drop(*ole, {testpictures::write(files.filePath("anders.png"), testpictures::png(Qt::cyan))}));
            m_messages->answers = {core::MsgAnswer::No};
            control<QPushButton>(*m_form, "cmdCancel")->click();
            QVERIFY(!m_form->isVisible());

            m_form->show();
            m_form->FillSchaden(id);
            tabs->setCurrentIndex(0);
            tabs->setCurrentIndex(2);
            QWidget *view = ole->findChild<QWidget *>("PictureView1");
            QTRY_COMPARE(testpictures::read(view->property("fileName").toString()), photo);
            QVERIFY(!m_form->FormChanged());
        }
    }

    // While a picture is being chosen (or scanned) for Bild 1, the list
    // cannot load another case into the form: the picture would land there.
    void theCaseStaysWhileAPictureIsBeingInserted()
    {
        const long first = insertCase("B-AB 1", "10/001");
        const long second = insertCase("B-CD 2", "10/002");
        makeForm();
        m_form->FillSchaden(first);
        std::function<void()> answer = [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog) {
                QTimer::singleShot(10, answer);
                return;
            }
            m_form->FillSchaden(second);
            // Nor does the form close under it.
            m_form->close();
            static_cast<QDialog *>(dialog)->reject();
        };
        QTimer::singleShot(0, answer);
        control<QWidget>(*m_form, "Ole_0")->findChild<QAction *>("Bmp")->trigger();
        QCOMPARE(m_messages->shown.size(), 2);
        QCOMPARE(m_messages->lastText(), QString("Bitte warten Sie, bis das Einfügen in diesen Vorgang beendet ist."));
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->CaseID(), first);
        QCOMPARE(label("lblNr")->text(), QString("10/001"));
        m_form->FillSchaden(second);
        QCOMPARE(m_form->CaseID(), second);
    }

    // A case's three PDF estimates are made while the first tab is read, at
    // the size their tabs show them, each once; the controls still load
    // their objects only when their tabs are shown.
    void aCasesDocumentsAreMadeBeforeTheirTabsAreShown()
    {
        const QList<QColor> colours{QColor(200, 30, 30), QColor(30, 160, 30), QColor(30, 30, 200)};
        QVariantMap objects;
        for (int i = 0; i < 3; ++i) {
            const QString pdf = testpictures::write(m_dir.filePath(QStringLiteral("KV%1.pdf").arg(i)), oletest::pdfBytes(colours[i]));
            const QString stored = m_dir.filePath(QStringLiteral("tmp%1.OLE").arg(i));
            QFile file(stored);
            QVERIFY(file.open(QIODevice::WriteOnly) && ole::writeDocument(file, ole::documentFromFile(pdf)));
            file.close();
            QVERIFY(kelvane::ObjectStorage(m_db.get()).SaveObject(50 + i, stored, nullptr, QString()));
            objects.insert(QStringLiteral("Objekt_ID_%1").arg(i + 1), 50 + i);
        }
        objects.insert(QStringLiteral("Schadenbilder"), -1);
        const long id = insertCase("B-KV 1", "10/050", objects);
        makeForm();
        sandbox::Previews *previews = sandbox::Previews::ofApplication();
        const int before = previews->requestsSent();
        m_form->FillSchaden(id);
        QTRY_COMPARE(previews->requestsSent(), before + 3);
        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        QCOMPARE(tabs->currentIndex(), 0);
        const auto containerOf = [this](int i) {
            return control<QWidget>(*m_form, QStringLiteral("Ole_%1").arg(i))->findChild<ole::OleContainer *>("OLE1");
        };
        for (int i = 0; i < 3; ++i)
            QVERIFY(containerOf(i)->document().isEmpty());
        for (int i = 0; i < 3; ++i) {
            tabs->setCurrentIndex(i + 1);
            ole::OleContainer *container = containerOf(i);
            QTRY_VERIFY(!container->shownImage().isNull() && !container->isMakingPreview());
            const QImage shown = container->shownImage();
            QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)), colours[i]);
        }
        QCOMPARE(previews->requestsSent(), before + 3);
        QVERIFY(m_messages->shown.isEmpty());
        tabs->setCurrentIndex(0);
    }
};

QTEST_MAIN(TestFormAttachments)
#include "tst_formattachments.moc"
