#include "ListDatabase.h"
#include "SheetReader.h"

#include "export/CsvWriter.h"
#include "export/ExportAction.h"
#include "export/ListExport.h"
#include "export/RowSource.h"
#include "export/XlsxWriter.h"

#include "list/ListReport.h"
#include "list/ListStatement.h"
#include "list/SortState.h"
#include "list/frmMain.h"

#include "varnholt/Globals.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

using namespace exporter;

namespace {

QVariant euros(qint64 cents)
{
    return QVariant::fromValue(dao::Currency::fromUnits(cents * 100));
}

// The open cases ordered by date, "Bilder" hidden: what the list window shows
// with status "Nicht erledigt" after a click on "Datum" and "Datum" again.
list::ListStatement openCasesByDate()
{
    list::FilterInput filter;
    filter.statusIndex = 2;
    return list::buildListStatement(filter, list::SortState(QStringLiteral("Datum"), true));
}

list::ColumnWidths widthsWithoutPictures()
{
    list::ColumnWidths widths = list::parseColumnWidths(list::DefaultColumnWidthsText);
    widths[7] = 0;
    return widths;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(fehlt)");
}

// Real CSV writing that fails after `rows` rows, as a full disk would.
class FailingCsv : public CsvWriter {
public:
    explicit FailingCsv(int rows) : m_rows(rows) {}
    bool writeRow(const std::vector<QVariant> &values, QString *message) override
    {
        if (m_rows-- == 0) {
            *message = QStringLiteral("Auf dem Datenträger ist kein Platz mehr.");
            return false;
        }
        return CsvWriter::writeRow(values, message);
    }

private:
    int m_rows;
};

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ListDatabase> data;
    std::unique_ptr<QTemporaryDir> files;   // where the exports go

    std::unique_ptr<RowSource> source()
    {
        const list::ListStatement statement = openCasesByDate();
        return std::make_unique<RowSource>(*data->db, list::withAmounts(statement.text), statement.params,
                                           list::exportColumns(widthsWithoutPictures()));
    }

    QStringList folderEntries() const
    {
        return QDir(files->path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void initTestCase() { VARNHOLT_REQUIRE_TEST_ENGINE(); }

    void init()
    {
        data = std::make_unique<ListDatabase>();
        files = std::make_unique<QTemporaryDir>();
        TestCase c;
        c.id = 1;
        c.plate = QStringLiteral("AB-C 12");
        c.datum = QDate(2009, 1, 31);
        c.customer = QStringLiteral("Jörg Müßig");
        c.description = QStringLiteral("Kratzer; \"tief\"\r\nam Heck");
        c.repair = QStringLiteral("offen");
        data->add(c);
        c = {};
        c.id = 2;
        c.plate = QStringLiteral("XY-Z 9");
        c.datum = QDate(2009, 2, 15);
        c.customer = QStringLiteral("Änne Özdemir");
        c.description = QStringLiteral("=SUMME(A1:A9)");
        data->add(c);
        c = {};
        c.id = 3;
        c.plate = QStringLiteral("AB-C 12");
        c.datum = QDate(2009, 1, 1);
        c.customer = QStringLiteral("Zorn");
        c.done = true;
        data->add(c);
        const QString amounts = QStringLiteral("UPDATE Schaden SET Schadenbetrag=?, Selbstbeteiligung=? WHERE ID=?");
        data->db->Execute(amounts, {euros(123450), euros(30000), 1});
        data->db->Execute(amounts, {QVariant(), euros(-1205), 2});
        data->db->Execute(QStringLiteral("UPDATE Schaden SET Datum=? WHERE ID=2"),
                          {QDateTime(QDate(2009, 2, 15), QTime(14, 30))});
    }
    void cleanup()
    {
        data.reset();
        files.reset();
    }

    // What German spreadsheet programs open without a question, byte for
    // byte: the filtered list in its order, the shown columns and the amounts.
    void csvOfAFilteredSortedList()
    {
        const QString target = files->filePath(QStringLiteral("liste.csv"));
        auto rows = source();
        CsvWriter writer;
        const ExportOutcome outcome = exportRows(*rows, writer, target);
        QCOMPARE(outcome.kind, ExportOutcome::Done);
        QCOMPARE(outcome.rows, 2);
        const QByteArray expected =
            "\xEF\xBB\xBFNr;Auto;Datum;Kunde;Schaden;Erledigt;Reparatur;Schadenbetrag;Selbstbeteiligung\r\n"
            "09/001;AB-C 12;31.01.2009;J\xC3\xB6rg M\xC3\xBC\xC3\x9Fig;\"Kratzer; \"\"tief\"\"\r\nam Heck\";-;offen;1234,50;300,00\r\n"
            "09/002;XY-Z 9;15.02.2009 14:30:00;\xC3\x84nne \xC3\x96zdemir;'=SUMME(A1:A9);-;;;-12,05\r\n";
        QCOMPARE(readAll(target), expected);
        QCOMPARE(folderEntries().filter(QStringLiteral("liste")), QStringList{QStringLiteral("liste.csv")});
    }

    // Read back as a spreadsheet program reads it: texts, dates as dates,
    // amounts as numbers in euros, the header frozen and filtered.
    void xlsxReadBack()
    {
        const QString target = files->filePath(QStringLiteral("liste.xlsx"));
        auto rows = source();
        XlsxWriter writer;
        QCOMPARE(exportRows(*rows, writer, target).kind, ExportOutcome::Done);
        const Sheet sheet = readSheet(target);
        QVERIFY(sheet.read);
        QCOMPARE(sheet.frozen, QStringLiteral("frozen 1"));
        QCOMPARE(sheet.autoFilter, QStringLiteral("A1:I3"));
        QCOMPARE(sheet.cells.value(QStringLiteral("A1")).value, QStringLiteral("Nr"));
        QCOMPARE(sheet.cells.value(QStringLiteral("I1")).value, QStringLiteral("Selbstbeteiligung"));
        QCOMPARE(sheet.cells.value(QStringLiteral("D2")).value, QStringLiteral("Jörg Müßig"));
        QCOMPARE(sheet.cells.value(QStringLiteral("E2")).value, QStringLiteral("Kratzer; \"tief\"\r\nam Heck"));
        // A text stays a text, whatever it starts with.
        QCOMPARE(sheet.cells.value(QStringLiteral("E3")).type, QStringLiteral("inlineStr"));
        QCOMPARE(sheet.cells.value(QStringLiteral("E3")).value, QStringLiteral("=SUMME(A1:A9)"));
        const SheetCell date = sheet.cells.value(QStringLiteral("C2"));
        QCOMPARE(date.type, QString());
        QCOMPARE(date.value, QStringLiteral("39844"));   // 31.01.2009 as the sheet counts days
        QCOMPARE(date.format, QStringLiteral("dd.mm.yyyy"));
        const SheetCell moment = sheet.cells.value(QStringLiteral("C3"));
        QCOMPARE(moment.value.toDouble(), 39859 + 14.5 / 24);
        QCOMPARE(moment.format, QStringLiteral("dd.mm.yyyy hh:mm:ss"));
        const SheetCell amount = sheet.cells.value(QStringLiteral("H2"));
        QCOMPARE(amount.type, QString());
        QCOMPARE(amount.value.toDouble(), 1234.5);
        QCOMPARE(amount.format, QStringLiteral("#,##0.00\\ \"€\""));
        QCOMPARE(sheet.cells.value(QStringLiteral("I3")).value.toDouble(), -12.05);
        QVERIFY(!sheet.cells.contains(QStringLiteral("H3")));   // no amount: an empty cell
        // As wide as the list shows them; a date never narrower than it needs.
        QCOMPARE(sheet.widths.size(), 9);
        QVERIFY(qAbs(sheet.widths[4] - XlsxWriter::characterWidth(6500, CellKind::Text)) < 1);
        QVERIFY(sheet.widths[4] > 5 * sheet.widths[0]);
        QVERIFY(sheet.widths[2] >= 11);
    }

    // A cancelled or failed export leaves the file of that name as it was,
    // and nothing beside it.
    void cancelOrFailureKeepsTheFile_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("xlsx");
        QTest::newRow("cancelled csv") << true << false;
        QTest::newRow("cancelled xlsx") << true << true;
        QTest::newRow("failed csv") << false << false;
    }
    void cancelOrFailureKeepsTheFile()
    {
        QFETCH(bool, cancel);
        QFETCH(bool, xlsx);
        {
            dao::Transaction transaction(*data->db);
            for (long id = 10; id < 1300; ++id) {
                TestCase c;
                c.id = id;
                c.datum = QDate(2009, 3, 1);
                data->add(c);
            }
            transaction.commit();
        }
        const QString target = files->filePath(xlsx ? QStringLiteral("liste.xlsx") : QStringLiteral("liste.csv"));
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("die Liste von gestern");
        }
        const QStringList before = folderEntries();
        auto rows = source();
        std::unique_ptr<SheetWriter> writer;
        if (cancel)
            writer = writerFor(target);
        else
            writer = std::make_unique<FailingCsv>(700);
        QList<long> told;
        const ExportOutcome outcome = exportRows(*rows, *writer, target, [&](long written, long) {
            told.append(written);
            return !cancel || written < 1000;
        });
        QCOMPARE(outcome.kind, cancel ? ExportOutcome::Cancelled : ExportOutcome::Failed);
        QCOMPARE(told.first(), 0);
        QCOMPARE(told.size(), cancel ? 3 : 2);
        if (!cancel)
            QCOMPARE(outcome.message, QStringLiteral("Auf dem Datenträger ist kein Platz mehr."));
        QCOMPARE(readAll(target), QByteArray("die Liste von gestern"));
        QCOMPARE(folderEntries(), before);
    }

    // "Exportieren ..." in the list window: the list as it is shown, asked
    // for and written with the progress dialog, whose "Abbrechen" stops it.
    void exportFromTheListWindow()
    {
        varnholt::gAppPath = files->path() + u'/';
        varnholt::gIniFile = files->filePath(QStringLiteral("Varnholt.ini"));
        varnholt::gDbPath = data->path();
        core::UserSettings::useFolder(files->filePath(QStringLiteral("user")));
        core::RecordingMessageService messages;
        frmMain window(*data->db);
        window.findChild<QComboBox *>(QStringLiteral("cboStatus"))->setCurrentIndex(2);
        window.ApplyFilter(false);
        const QString target = files->filePath(QStringLiteral("fenster.csv"));
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(target);
            static_cast<QDialog *>(dialog)->accept();
        });
        poll.start();
        window.ButtonClick(QStringLiteral("Export"));
        poll.stop();
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.value(0).text));
        const QList<QByteArray> lines = readAll(target).split('\n');
        QCOMPARE(lines.size(), 5);   // header, two cases (one over two lines), the end
        QVERIFY(lines[0].startsWith("\xEF\xBB\xBFNr;Auto;Datum;Kunde;Schaden;Erledigt;Reparatur;Bilder;Schadenbetrag"));
        // The list's own order: newest first.
        QVERIFY(lines[1].startsWith("09/002;"));
        QVERIFY(lines[2].startsWith("09/001;"));

        // The dialog's "Abbrechen" as soon as it is asked.
        auto rows = source();
        CsvWriter writer;
        const QString cancelled = files->filePath(QStringLiteral("abgebrochen.csv"));
        QTimer::singleShot(0, &window, [&window] {
            if (auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("dlgExportProgress")))
                progress->cancel();
        });
        QCOMPARE(exportWithProgress(&window, *rows, writer, cancelled).kind, ExportOutcome::Cancelled);
        QVERIFY(!QFile::exists(cancelled));
    }
};

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
