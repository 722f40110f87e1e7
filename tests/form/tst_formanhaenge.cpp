#include "TestFiles.h"
#include "FormFixture.h"
#include "../phone/PhoneFiles.h"

#include "attachments/AttachmentList.h"
#include "attachments/AttachmentsSection.h"
#include "attachments/Thumbnails.h"
#include "history/ChainCheck.h"
#include "editor/frmMain.h"
#include "preview/frmDruckmenu.h"
#include "preview/frmPrint.h"
#include "report/ControlPictureSource.h"
#include "report/PdfAppendix.h"
#include "report/ReportJob.h"

#include "phone/PhoneDialog.h"

#include <QListWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>

using attachments::AttachmentsSection;
using attachments::IncomingFile;

// The tab "Anhänge": any number of pictures and PDFs written with the case,
// in the user's order, never half and never lost on a refused road.
class TestFormAnhaenge : public QObject, FormFixture {
    Q_OBJECT

    AttachmentsSection *section() { return m_form->section<AttachmentsSection>(); }

    QString picture(const QString &name, const QColor &colour)
    {
        return testpictures::write(m_dir.filePath(name), testpictures::png(colour, 80, 60));
    }

    QString pdf(const QString &name, int pages)
    {
        const QString path = m_dir.filePath(name);
        QPdfWriter writer(path);
        QPainter painter(&writer);
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                writer.newPage();
            painter.drawText(QPointF(200, 400), QStringLiteral("Kostenvoranschlag Seite %1").arg(page));
        }
        return path;
    }

    // name, order and size of the case's stored attachments, as the table holds them.
    QStringList storedNames(long caseId)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT a.Name FROM SchadenAnhang a INNER JOIN Objekt o ON "
                                                     "o.ID = a.Objekt_ID WHERE a.Schaden_ID = ? AND o.lbObjekt IS "
                                                     "NOT NULL ORDER BY a.Reihenfolge"),
                                      dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(caseId)});
        QStringList names;
        for (; !rs->IsEOF(); rs->MoveNext())
            names << rs->Fields(0).Value().toString();
        return names;
    }

    long count(const QString &statement)
    {
        auto rs = m_db->OpenRecordset(statement, dao::RecordsetType::Snapshot);
        return long(rs->Fields(0).Value().toLongLong());
    }

    // The case's damage report as the print entry makes it.
    struct CaseReport {
        report::ControlPictureSource pictures;
        std::unique_ptr<report::ReportJob> job;
        CaseReport(dao::Database &db, long caseId, QPageSize size = QPageSize(QPageSize::A4)) : pictures(db)
        {
            const report::PrintRequest request{report::PrintKindCase, caseId, {}, false, nullptr};
            QString message;
            const std::optional<QString> definition =
                report::ReportJob::definitionText(request, QStringLiteral(VARNHOLT_SOURCE_DIR "/data"), &message);
            if (!definition)
                qFatal("%s", qPrintable(message));
            job = std::make_unique<report::ReportJob>(&db, request, *definition, size, &pictures);
        }
    };

    static QString pdfText(const QString &path, int page)
    {
        QProcess text;
        text.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), path, "-"});
        text.waitForFinished();
        return QString::fromUtf8(text.readAllStandardOutput());
    }

    QStringList shownNames()
    {
        QStringList names;
        for (const attachments::CaseAttachment &item : section()->list().items())
            names << item.name;
        return names;
    }

    // The picture at index opened in the annotation editor, an arrow drawn, "OK".
    void drawArrowOver(int index)
    {
        QTimer::singleShot(0, [] {
            auto *editor = qobject_cast<kelvane::editor::frmMain *>(QApplication::activeModalWidget());
            if (!editor)
                qFatal("the editor is not shown");
            editor->DoCommand(QStringLiteral("Arrow"));
            control<QAction>(*control<QToolBar>(*editor, "tbOKCancel"), "Ok")->trigger();
        });
        section()->open(index);
    }

    // A stored case with the attachments named, opened in the form.
    long caseWith(const QStringList &names)
    {
        const long id = insertCase("B-AB 1", "1/2010");
        makeForm();
        m_form->FillSchaden(id);
        QList<IncomingFile> files;
        for (const QString &name : names)
            files.append({picture(name, Qt::red), name, {}, {}});
        section()->addFiles(files);
        if (!names.isEmpty() && !m_form->SaveCase())
            qFatal("case not saved: %s", qPrintable(m_messages->lastText()));
        return id;
    }

private Q_SLOTS:
    void initTestCase()
    {
        VARNHOLT_REQUIRE_TEST_ENGINE();
        core::applyGermanLocaleDefault();
    }

    void init() { openDatabase(); }
    void cleanup() { closeDatabase(); }

    // A drag's order that is no order of the attachments shown (one twice,
    // one missing) would lose one: it changes nothing.
    void onlyAWholeNewOrderIsTaken_data()
    {
        QTest::addColumn<std::vector<int>>("order");
        QTest::addColumn<QList<long>>("after");
        QTest::addColumn<bool>("changed");
        QTest::newRow("same") << std::vector<int>{0, 1, 2} << QList<long>{7, 8, 9} << false;
        QTest::newRow("moved") << std::vector<int>{2, 0, 1} << QList<long>{9, 7, 8} << true;
        QTest::newRow("one twice") << std::vector<int>{0, 0, 1} << QList<long>{7, 8, 9} << false;
        QTest::newRow("one missing") << std::vector<int>{1, 0} << QList<long>{7, 8, 9} << false;
        QTest::newRow("beyond") << std::vector<int>{0, 1, 3} << QList<long>{7, 8, 9} << false;
    }

    void onlyAWholeNewOrderIsTaken()
    {
        QFETCH(std::vector<int>, order);
        QFETCH(QList<long>, after);
        QFETCH(bool, changed);
        attachments::AttachmentList list;
        std::vector<attachments::CaseAttachment> stored(3);
        for (int i = 0; i < 3; ++i)
            stored[size_t(i)].objectId = 7 + i;
        list.reset(stored);
        list.arrange(order);
        QList<long> ids;
        for (const attachments::CaseAttachment &item : list.items())
            ids << item.objectId;
        QCOMPARE(ids, after);
        QCOMPARE(list.changed(), changed);
        QVERIFY(list.removed().empty());
    }

    void severalAreAddedOrderedDeletedAndSavedWithTheCase()
    {
        makeForm();
        m_form->FillSchaden(0);
        fillMandatory("B-AB 1");
        const QDateTime taken(QDate(2010, 3, 4), QTime(16, 5, 7));
        const QString hash(64, u'a');
        QCOMPARE(section()->addFiles({{picture("a.png", Qt::red), "Front.png", taken, hash},
                                      {picture("b.png", Qt::blue), {}, {}, {}},
                                      {pdf("kv.pdf", 3), "Kostenvoranschlag.pdf", {}, {}}}),
                 3);
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        const long id = m_form->CaseID();
        QCOMPARE(storedNames(id), QStringList({"Front.png", "b.png", "Kostenvoranschlag.pdf"}));
        QVERIFY(stored(id, "Schadenbilder").toBool());
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT Aufnahme, Pruefsumme, Groesse FROM SchadenAnhang WHERE "
                                                     "Name = 'Front.png'"), dao::RecordsetType::Snapshot);
        QCOMPARE(rs->Value("Aufnahme").toDateTime(), taken);
        QCOMPARE(rs->Value("Pruefsumme").toString(), hash);
        QCOMPARE(rs->Value("Groesse").toLongLong(), QFileInfo(m_dir.filePath("a.png")).size());
        QVERIFY(!m_form->FormChanged());

        // Reopened, moved by a drag in the list, one deleted with its row.
        m_form->FillSchaden(id);
        QCOMPARE(shownNames(), QStringList({"Front.png", "b.png", "Kostenvoranschlag.pdf"}));
        auto *view = control<QListWidget>(*m_form, "lstAnhaenge");
        QVERIFY(view->model()->moveRow({}, 2, {}, 0));
        QTRY_COMPARE(shownNames(), QStringList({"Kostenvoranschlag.pdf", "Front.png", "b.png"}));
        view->setCurrentRow(2);
        const long objects = count("SELECT Count(*) FROM Objekt");
        control<QPushButton>(*m_form, "cmdAnhangLoeschen")->click();
        QVERIFY(m_form->FormChanged());
        QVERIFY(m_form->SaveCase());
        QCOMPARE(storedNames(id), QStringList({"Kostenvoranschlag.pdf", "Front.png"}));
        // The deleted one's row lives on as a version its history record names.
        QCOMPARE(count("SELECT Count(*) FROM Objekt"), objects);
        QCOMPARE(count("SELECT Count(*) FROM Verlauf v INNER JOIN Objekt o ON o.ID = v.Objekt_ID WHERE "
                       "v.Feld = 'Anhang \"b.png\"' AND v.NeuerWert = 'gelöscht'"),
                 1L);
        QCOMPARE(count("SELECT Count(*) FROM Verlauf WHERE Feld = 'Anhang \"Front.png\"' AND NeuerWert = 'eingefügt'"),
                 1L);
        QCOMPARE(shownNames(), storedNames(id));
        // The list's "Bilder" mark stays with a save that changed only text.
        control<QPlainTextEdit>(*m_form, "txtFeld_8")->setPlainText("nur Text");
        QVERIFY(m_form->SaveCase());
        QVERIFY(stored(id, "Schadenbilder").toBool());

        // The thumbnails come from the preview program, the PDF's first page too.
        section()->thumbnails().waitForAll();
        QCoreApplication::processEvents();
        for (int row = 0; row < view->count(); ++row)
            QVERIFY(!view->item(row)->icon().isNull());
    }

    // "Vom Handy ..." on the tab: a photo and a PDF join the attachments with
    // the photo's time and the received bytes' hash; a text is refused on the
    // phone's page, not in a box; nothing is stored before the case is saved.
    void filesFromThePhoneJoinTheAttachments()
    {
        const long id = caseWith({"stored.png"});
        section()->addFiles({{picture("pending.png", Qt::blue), {}, {}, {}}});
        const QByteArray photo = phonefiles::photoTakenAt(phonefiles::photo(40, 30, Qt::red), "2026:12:08 11:00:00");
        QList<int> statuses;
        QTimer::singleShot(0, [&] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<phone::PhoneDialog *>(window); dialog && dialog->isVisible()) {
                    const QByteArray page = dialog->receiver().loopbackAddress().path().toLatin1();
                    for (const auto &[name, bytes] : {std::pair<QByteArray, QByteArray>{"IMG_1.jpg", photo},
                                                      {"KV.pdf", phonefiles::pdf(2)},
                                                      {"notiz.txt", "nur Text"}}) {
                        phonefiles::RawClient client(dialog->receiver().port());
                        client.send(phonefiles::upload(page, name, bytes));
                        const bool answered = QTest::qWaitFor([&client] { return client.ended; }, 20000);
                        statuses.append(answered ? client.status() : -1);
                    }
                    dialog->accept();
                }
        });
        control<QPushButton>(*m_form, "cmdAnhangHandy")->click();
        QCOMPARE(statuses, QList<int>({201, 201, 415}));
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(shownNames(), QStringList({"stored.png", "pending.png", "IMG_1.jpg", "KV.pdf"}));
        QCOMPARE(storedNames(id), QStringList({"stored.png"}));
        QVERIFY(m_form->SaveCase());
        QCOMPARE(storedNames(id), shownNames());
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT Aufnahme, Pruefsumme FROM SchadenAnhang WHERE Name = "
                                                     "'IMG_1.jpg'"), dao::RecordsetType::Snapshot);
        QCOMPARE(rs->Value("Aufnahme").toDateTime(), QDateTime(QDate(2026, 12, 8), QTime(11, 0)));
        QCOMPARE(rs->Value("Pruefsumme").toString(),
                 QString::fromLatin1(QCryptographicHash::hash(photo, QCryptographicHash::Sha256).toHex()));
    }

    void filesThatAreNoPictureOrPdfAreRefusedAndTold_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("told");
        QTest::newRow("empty") << QByteArray() << "leer.png" << "ist leer";
        QTest::newRow("text") << QByteArray("nur Text\n") << "notiz.txt" << "weder ein Bild noch";
        QTest::newRow("damaged picture") << QByteArray("\xFF\xD8\xFF\xE0 kaputt", 12) << "kaputt.jpg" << "kaputt.jpg";
        QTest::newRow("damaged pdf") << QByteArray("%PDF-1.4\nkaputt\n") << "kaputt.pdf" << "weder ein Bild noch";
        QTest::newRow("folder") << QByteArray() << "" << "ist ein Ordner";
    }

    void filesThatAreNoPictureOrPdfAreRefusedAndTold()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QString, told);
        const long id = caseWith({"kept.png"});
        const QString path = name.isEmpty() ? m_dir.path() : testpictures::write(m_dir.filePath(name), bytes);
        m_messages->clear();
        QCOMPARE(section()->addFiles({{path, {}, {}, {}}, {picture("neu.png", Qt::green), {}, {}, {}}}), 1);
        QVERIFY2(m_messages->lastText().contains(told), qPrintable(m_messages->lastText()));
        QCOMPARE(shownNames(), QStringList({"kept.png", "neu.png"}));
        QVERIFY(m_form->SaveCase());
        QCOMPARE(storedNames(id), QStringList({"kept.png", "neu.png"}));
    }

    // The save question's three answers with a stored attachment and a pending one.
    void theSaveQuestionKeepsOrDropsWhatIsPending_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("storedAfter");
        QTest::addColumn<QStringList>("shownAfter");
        const QStringList both{"alt.png", "neu.png"};
        QTest::newRow("cancel") << int(core::MsgAnswer::Cancel) << QStringList{"alt.png"} << both;
        QTest::newRow("no") << int(core::MsgAnswer::No) << QStringList{"alt.png"} << QStringList{"alt.png"};
        QTest::newRow("yes") << int(core::MsgAnswer::Yes) << both << both;
    }

    void theSaveQuestionKeepsOrDropsWhatIsPending()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, storedAfter);
        QFETCH(QStringList, shownAfter);
        const long id = caseWith({"alt.png"});
        section()->addFiles({{picture("neu.png", Qt::blue), {}, {}, {}}});
        m_messages->answers = {core::MsgAnswer(answer)};
        QCOMPARE(m_form->FormSaved(), answer != int(core::MsgAnswer::Cancel));
        QCOMPARE(storedNames(id), storedAfter);
        QCOMPARE(shownNames(), shownAfter);
        QCOMPARE(m_form->FormChanged(), answer == int(core::MsgAnswer::Cancel));
    }

    void aCaseSavedElsewhereMeanwhileIsNotOverwrittenUnasked()
    {
        const long id = caseWith({"alt.png"});
        std::unique_ptr<Workstation> other = otherWorkstation();
        other->form->FillSchaden(id);
        control<QPlainTextEdit>(*other->form, "txtFeld_8")->setPlainText("dort geändert");
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 45)));
        QVERIFY(other->form->SaveCase());

        section()->addFiles({{picture("neu.png", Qt::blue), {}, {}, {}}});
        const long objects = count("SELECT Count(*) FROM Objekt");
        m_messages->answers = {core::MsgAnswer::No};
        QVERIFY(!m_form->SaveCase());
        QVERIFY2(m_messages->lastText().contains("anderen Arbeitsplatz geändert"), qPrintable(m_messages->lastText()));
        QCOMPARE(storedNames(id), QStringList({"alt.png"}));
        QCOMPARE(count("SELECT Count(*) FROM Objekt"), objects);
        QCOMPARE(shownNames(), QStringList({"alt.png", "neu.png"}));
        QVERIFY(m_form->FormChanged());
    }

    // Further photos print after "Bilder", two a page; the attached PDF's
    // pages follow the report whole, their text still text.
    void theReportPrintsFurtherPhotosAndAppendsAttachedPdfsWhole()
    {
        const long id = caseWith({"eins.png", "zwei.png", "drei.png"});
        section()->addFiles({{pdf("kv.pdf", 3), "Kostenvoranschlag.pdf", {}, {}}});
        QVERIFY(m_form->SaveCase());

        CaseReport printed(*m_db, id);
        report::ReportJob &job = *printed.job;
        QString message;
        QVERIFY(job.layout());
        // Page one holds the case; the three photos take two more pages.
        QCOMPARE(job.totalPages(), 3);
        int photos = 0;
        const report::PageRenderer renderer(job.keptItems(), 1, job.paperCm());
        for (int i = 0; i < job.keptItems().count(); ++i) {
            const report::ReportElement &item = job.keptItems().at(i);
            if (item.kind != report::ElementKind::Picture || item.page == 1)
                continue;
            ++photos;
            // Half a page of photo at some 170 dpi: twenty of them stay a file to mail.
            const QSize bound = renderer.pictureBound(item);
            QVERIFY2(bound.width() * bound.height() <= 800'000 && bound.width() > 1000,
                     qPrintable(QString::number(bound.width())));
        }
        QCOMPARE(photos, 3);

        const QString path = m_dir.filePath("bericht.pdf");
        QVERIFY2(job.writePdf(path, &message), qPrintable(message));
        QCOMPARE(report::pdfPageCount(testpictures::read(path)), 3 + 3);
        const auto pageText = [&path](int page) { return pdfText(path, page); };
        QVERIFY2(pageText(3).contains("Seite 3 von 3"), qPrintable(pageText(3)));
        QVERIFY2(pageText(3).contains("drei.png"), qPrintable(pageText(3)));
        for (int page = 1; page <= 3; ++page)
            QVERIFY2(pageText(3 + page).contains(QString("Kostenvoranschlag Seite %1").arg(page)),
                     qPrintable(pageText(3 + page)));
    }

    // Opened from the tab, a photo is annotated in the editor and the drawing
    // stored with it as for a Bild slot, when the case is saved.
    void anAnnotationDrawnOverAStoredPhotoIsStoredWithTheCase()
    {
        const long id = caseWith({"delle.png"});
        drawArrowOver(0);
        QVERIFY(m_form->FormChanged());
        const QVariant object = qlonglong(section()->list().at(0).objectId);
        auto script = [&] {
            auto rs = m_db->OpenRecordset("SELECT mScript FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                          dao::RecordsetOption::None, {object});
            return rs->Value("mScript").toString();
        };
        QVERIFY(script().isEmpty());
        QVERIFY(m_form->SaveCase());
        QVERIFY2(script().contains("[CAQOSCRIPT]ARROW;"), qPrintable(script().right(80)));
        QCOMPARE(storedNames(id), QStringList({"delle.png"}));
        QCOMPARE(objektBytes(object), testpictures::read(m_dir.filePath("delle.png")));
    }

    void aSettledCaseTakesNoNewAttachmentsAndLosesNone()
    {
        const long id = caseWith({"alt.png"});
        m_form->SetLocked(true);
        QCOMPARE(section()->addFiles({{picture("neu.png", Qt::blue), {}, {}, {}}}), 0);
        QVERIFY2(m_messages->lastText().contains("erledigt"), qPrintable(m_messages->lastText()));
        control<QListWidget>(*m_form, "lstAnhaenge")->setCurrentRow(0);
        QVERIFY(!control<QPushButton>(*m_form, "cmdAnhangLoeschen")->isEnabled());
        QVERIFY(control<QPushButton>(*m_form, "cmdAnhangOeffnen")->isEnabled());
        section()->remove(0);
        QVERIFY(!m_form->FormChanged());
        QCOMPARE(storedNames(id), QStringList({"alt.png"}));
    }

    // Printed on paper, the report's pages go to the queue and then the
    // attached PDF as one job of its own pages.
    void printingOnPaperSendsTheAttachedPdfToTheQueue()
    {
        const QString queue = qEnvironmentVariable("VARNHOLT_TEST_PRINTER");
        if (queue.isEmpty())
            QSKIP("VARNHOLT_TEST_PRINTER is not set: start the CUPS server of scripts/services.sh");
        const QDir spool(qEnvironmentVariable("VARNHOLT_TEST_PDF_DIR"));
        const QStringList before = spool.entryList({"*.pdf"}, QDir::Files);
        const long id = caseWith({});
        section()->addFiles({{pdf("kv.pdf", 2), "Kostenvoranschlag.pdf", {}, {}}});
        QVERIFY(m_form->SaveCase());

        QPrinter printer(QPrinterInfo::printerInfo(queue), QPrinter::HighResolution);
        QVERIFY(printer.isValid());
        CaseReport printed(*m_db, id, printer.pageLayout().pageSize());
        report::frmPrint window(*printed.job, printer);
        window.show();
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<report::frmDruckmenu *>(QApplication::activeModalWidget());
            if (!dialog)
                qFatal("the print dialog is not shown");
            dialog->findChild<QRadioButton *>("optAlle")->click();
            dialog->findChild<QLineEdit *>("Text1")->setText("1");
            QTest::mouseClick(dialog->findChild<QPushButton *>("cmdDrucken"), Qt::LeftButton);
        });
        control<QAction>(window, "Print")->trigger();

        // cups-pdf names each file after its job's title.
        QString attached;
        for (int wait = 0; wait < 360 && attached.isEmpty(); ++wait) {
            QTest::qWait(250);
            for (const QString &file : spool.entryList({"Anh*.pdf"}, QDir::Files)) {
                if (!before.contains(file))
                    attached = spool.filePath(file);
            }
        }
        QVERIFY2(!attached.isEmpty(), qPrintable(m_messages->lastText()));
        QVERIFY(testfiles::waitForWholePdf(attached));
        QCOMPARE(report::pdfPageCount(testpictures::read(attached)), 2);
    }

    // The versions a redrawn and a deleted attachment left come back from
    // the tab "Verlauf" with the case's save, beside a pending change; a
    // save that fails writes none of it.
    void keptVersionsComeBackWithTheSave()
    {
        const long id = caseWith({"delle.png", "kratzer.png"});
        drawArrowOver(0);
        QVERIFY(m_form->SaveCase());
        section()->remove(1);
        QVERIFY(m_form->SaveCase());
        const auto scriptOf = [&](const QString &name) {
            auto rs = m_db->OpenRecordset(QStringLiteral("SELECT o.mScript FROM SchadenAnhang a INNER JOIN Objekt o ON "
                                                         "o.ID = a.Objekt_ID WHERE a.Name = ?"),
                                          dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {name});
            return rs->Fields(0).Value().toString();
        };
        QVERIFY(scriptOf("delle.png").contains("ARROW"));

        section()->addFiles({{picture("neu.png", Qt::blue), {}, {}, {}}});
        control<QPlainTextEdit>(*m_form, "txtFeld_8")->setPlainText("zurückgeholt");
        const long records = count("SELECT Count(*) FROM Verlauf");
        auto *tabs = control<QTabWidget>(*m_form, "tabSchaden");
        tabs->setCurrentWidget(control<QWidget>(*m_form, "tabVerlauf"));
        auto *grid = control<QTableView>(*m_form, "grdVerlauf");
        const auto restore = [&](const QString &field, const QString &what) {
            const QAbstractItemModel &model = *grid->model();
            for (int row = 0; row < model.rowCount(); ++row)
                if (model.index(row, 3).data().toString() == field && model.index(row, 5).data().toString() == what) {
                    grid->setCurrentIndex(model.index(row, 0));
                    control<QPushButton>(*m_form, "cmdVersionWiederherstellen")->click();
                    return;
                }
            QFAIL(qPrintable("no record " + field));
        };
        restore("Anhang \"kratzer.png\"", "gelöscht");
        restore("Anhang \"delle.png\"", "Anmerkungen geändert");
        QCOMPARE(shownNames(), QStringList({"delle.png", "neu.png", "kratzer.png"}));
        QVERIFY(m_form->FormChanged());
        QCOMPARE(storedNames(id), QStringList({"delle.png"}));
        QCOMPARE(count("SELECT Count(*) FROM Verlauf"), records);

        QVERIFY(QFile::remove(section()->list().at(1).file));
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(storedNames(id), QStringList({"delle.png"}));
        QCOMPARE(count("SELECT Count(*) FROM Verlauf"), records);
        QCOMPARE(shownNames(), QStringList({"delle.png", "neu.png", "kratzer.png"}));

        section()->remove(1);
        QVERIFY(m_form->SaveCase());
        QCOMPARE(storedNames(id), QStringList({"delle.png", "kratzer.png"}));
        QCOMPARE(stored(id, "Anmerkung").toString(), QString("zurückgeholt"));
        QVERIFY(scriptOf("delle.png").isEmpty());
        QVERIFY(scriptOf("kratzer.png").isEmpty());
        QCOMPARE(section()->list().at(1).size, QFileInfo(m_dir.filePath("kratzer.png")).size());
        // The drawn row stays as the version the restore's record names.
        QCOMPARE(count("SELECT Count(*) FROM Verlauf v INNER JOIN Objekt o ON o.ID = v.Objekt_ID WHERE v.NeuerWert = "
                       "'wiederhergestellt' AND o.mScript LIKE '%ARROW%'"),
                 1L);
        QCOMPARE(count("SELECT Count(*) FROM Verlauf WHERE NeuerWert = 'wiederhergestellt'"), 2L);
        const history::ChainReport chain = history::verifyChain(*m_db);
        QVERIFY2(chain.ok(), qPrintable(chain.text()));
        tabs->setCurrentWidget(control<QWidget>(*m_form, "tabVerlauf"));
        grid->setCurrentIndex(grid->model()->index(2, 0));   // the drawn row the restore replaced
        m_form->resize(900, 620);
        screenshot(*m_form, QStringLiteral("verlauf-anhang.png"));
    }

    void aWriteThatFailsUndoesTheWholeSave()
    {
        const long id = caseWith({"alt.png"});
        section()->addFiles({{picture("neu.png", Qt::blue), {}, {}, {}}});
        control<QPlainTextEdit>(*m_form, "txtFeld_8")->setPlainText("mit neuem Anhang");
        // The pending copy vanishes under the program's feet.
        QVERIFY(QFile::remove(section()->list().at(1).file));
        QVERIFY(!m_form->SaveCase());
        QCOMPARE(storedNames(id), QStringList({"alt.png"}));
        QVERIFY(stored(id, "Anmerkung").toString().isEmpty());
        QVERIFY(m_form->FormChanged());
        QCOMPARE(shownNames(), QStringList({"alt.png", "neu.png"}));
    }
};

QTEST_MAIN(TestFormAnhaenge)
#include "tst_formanhaenge.moc"
