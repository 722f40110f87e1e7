#include "ReportTestData.h"

#include "report/GridSource.h"
#include "report/ReportJob.h"

#include <QFile>
#include <QTest>

using namespace report;

class ClipTextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useGermanLocale(); }
    void listIsOneLinePerCase();
    void caseIsOneLinePerPrintedField();
};

void ClipTextTest::listIsOneLinePerCase()
{
    ReportDatabase base;
    base.addCase(1, {{QStringLiteral("Schadennummer"), QStringLiteral("09/001")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("O'NEIL 1")},
                     {QStringLiteral("Schadenbeschreibung"), QStringLiteral("Delle\tvorn\r\nund Kratzer\nhinten")}});
    base.addCase(2, {{QStringLiteral("Schadennummer"), QStringLiteral("09/002")}});
    QueryGridSource grid(*base.db,
                         QStringLiteral("Select ID, Schadennummer as Nr, EigenKZ as Auto, Schadenbeschreibung as Schaden "
                                        "From Schaden order by ID"),
                         {},
                         {{QStringLiteral("ID"), 0, 0}, {QStringLiteral("Nr"), 1000, 0},
                          {QStringLiteral("Auto"), 0, 0}, {QStringLiteral("Schaden"), 3000, 0}});
    const PrintRequest request{PrintKindList, grid.rowCount(), QStringLiteral("Fahrzeug: Alle"), false, &grid};
    ReportJob job(base.db.get(), request, *ReportJob::definitionText(request, QString(), nullptr));
    QVERIFY(job.layout());

    // Hidden columns stay out; a value's tabs and line breaks cannot split
    // its line or its cell. Asking twice gives the same text.
    const QString expected = QStringLiteral("Nr\tSchaden\n"
                                            "09/001\tDelle vorn und Kratzer hinten\n"
                                            "09/002\t\n");
    QCOMPARE(job.clipText(), expected);
    QCOMPARE(job.clipText(), expected);
}

void ClipTextTest::caseIsOneLinePerPrintedField()
{
    ReportDatabase base;
    QString description;
    for (int i = 1; i <= 300; ++i)
        description += QStringLiteral("Satz%1 über den Schaden.\n").arg(i);
    base.addCase(5, {{QStringLiteral("Schadennummer"), QStringLiteral("09/017")},
                     {QStringLiteral("EigenKZ"), QStringLiteral("O'NEIL 1")},
                     {QStringLiteral("fFremdSchaden"), true},
                     {QStringLiteral("Schadenbetrag"), QVariant::fromValue(dao::Currency::fromDouble(1234.5))},
                     {QStringLiteral("Schadenbeschreibung"), description}});
    QFile::copy(QStringLiteral(VARNHOLT_SOURCE_DIR "/data/Protokoll.def"), base.dir.filePath(QStringLiteral("Protokoll.def")));
    const PrintRequest request{PrintKindCase, 5, {}, false, nullptr};
    ReportJob job(base.db.get(), request, *ReportJob::definitionText(request, base.dir.path(), nullptr));
    QVERIFY(job.layout());
    QVERIFY(job.totalPages() >= 2);

    const QStringList lines = job.clipText().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("Schadennummer: 09/017"));
    QVERIFY(lines.contains(QStringLiteral("Kennzeichen: O'NEIL 1")));
    QVERIFY(lines.contains(QStringLiteral("Beschädigt: Fremdfahrzeug")));
    QVERIFY(lines.contains(QStringLiteral("Bearbeitung: In Bearbeitung")));
    QVERIFY(lines.contains(QStringLiteral("Schadenbetrag: 1.234,50 €")));
    QVERIFY(lines.contains(QStringLiteral("Fahrzeugtyp: ")));
    // The description, though printed over several pages, is one whole line.
    const QStringList memo = lines.filter(QStringLiteral("Schadenbeschreibung: "));
    QCOMPARE(memo.size(), 1);
    QVERIFY(memo.first().startsWith(QStringLiteral("Schadenbeschreibung: Satz1 über den Schaden. Satz2")));
    QVERIFY(memo.first().endsWith(QStringLiteral("Satz300 über den Schaden.")));
    // Remarks are not printed when there are none, so they are not copied.
    QVERIFY(lines.filter(QStringLiteral("Anmerkungen")).isEmpty());
    // Every field once: the number in the page header is not repeated.
    QCOMPARE(lines.filter(QStringLiteral("09/017")).size(), 1);
}

QTEST_MAIN(ClipTextTest)
#include "tst_cliptext.moc"
