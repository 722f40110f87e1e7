#include "varnholt/DemoEstimates.h"

#include "dao/Dao.h"
#include "dao/Error.h"
#include "ole/DocumentFormat.h"
#include "varnholt/ControlLibrary.h"

#include <QFile>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>

namespace varnholt {

namespace {

constexpr int kMostEstimates = 100;
constexpr int kVatPercent = 19;

struct Workshop {
    const char *name;
    const char *address;
};

constexpr Workshop kWorkshops[] = {
    {"Karosseriebau Lehmann GmbH", "Gneisenaustraße 41, 10961 Berlin"},
    {"Autohaus Rieger & Söhne", "Am Tempelhofer Berg 7, 10965 Berlin"},
    {"Lackiererei Özdemir", "Ringbahnstraße 112, 12103 Berlin"},
    {"Kfz-Meisterbetrieb Brandt", "Köpenicker Landstraße 250, 12437 Berlin"},
};

constexpr const char *kWork[] = {
    "Stoßfänger aus- und einbauen",   "Stoßfänger lackieren",        "Kotflügel instand setzen",
    "Tür richten und spachteln",      "Lackierarbeiten Seitenteil",  "Lackmaterial",
    "Scheinwerfer ersetzen",          "Außenspiegel ersetzen",       "Kleinteile, Clips, Dichtungen",
    "Achsvermessung",                 "Karosseriearbeiten",          "Entsorgung der Altteile",
    "Innenraum reinigen",             "Windschutzscheibe ersetzen",  "Radlauf ausbeulen",
};

struct Item {
    QString text;
    qint64 cents = 0;
};

struct CaseFacts {
    QString number;
    QString plate;
    QString type;
    QDate date;
    qint64 grossCents = 0;
    QString freeColumn;
};

// Three to six items whose net amounts add up to the case's amount less VAT.
QList<Item> makeItems(qint64 netCents, QRandomGenerator &rng)
{
    QList<const char *> work(std::begin(kWork), std::end(kWork));
    std::shuffle(work.begin(), work.end(), rng);
    const int count = 3 + rng.bounded(4);
    QList<int> weights;
    int total = 0;
    for (int i = 0; i < count; ++i)
        total += weights.emplace_back(1 + rng.bounded(9));
    QList<Item> items;
    qint64 given = 0;
    for (int i = 0; i < count; ++i) {
        const qint64 cents = i + 1 == count ? netCents - given : netCents * weights.at(i) / total;
        items.append({QString::fromUtf8(work.at(i)), cents});
        given += cents;
    }
    return items;
}

QString money(qint64 cents)
{
    return QLocale(QLocale::German, QLocale::Germany).toString(cents / 100.0, 'f', 2) + QStringLiteral(" €");
}

void drawEstimate(QPdfWriter &writer, const CaseFacts &facts, const Workshop &workshop, const QList<Item> &items,
                  qint64 netCents)
{
    QPainter p(&writer);
    const int dpi = writer.resolution();
    auto mm = [dpi](double v) { return int(v * dpi / 25.4); };
    const int left = mm(20);
    const int right = mm(190);
    QFont font(QStringLiteral("Arial"));
    auto setFont = [&](double points, bool bold) {
        font.setPointSizeF(points);
        font.setBold(bold);
        p.setFont(font);
    };
    // Amounts end at the right margin, on the same line as their label.
    auto drawAmount = [&](int y, const QString &text) {
        p.drawText(right - p.fontMetrics().horizontalAdvance(text), y, text);
    };
    setFont(16, true);
    p.drawText(left, mm(25), QString::fromUtf8(workshop.name));
    setFont(9, false);
    p.drawText(left, mm(31), QString::fromUtf8(workshop.address));
    p.drawLine(left, mm(34), right, mm(34));

    setFont(20, true);
    p.drawText(left, mm(55), QStringLiteral("Kostenvoranschlag"));
    setFont(10, false);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QStringList factLines = {
        QStringLiteral("Schadennummer: %1").arg(facts.number),
        QStringLiteral("Fahrzeug: %1, %2").arg(facts.plate, facts.type),
        QStringLiteral("Datum: %1").arg(german.toString(facts.date.addDays(3), QStringLiteral("dd.MM.yyyy"))),
    };
    for (int i = 0; i < factLines.size(); ++i)
        p.drawText(left, mm(65 + 6 * i), factLines.at(i));

    int y = mm(92);
    setFont(10, true);
    p.drawText(left, y, QStringLiteral("Pos."));
    p.drawText(left + mm(15), y, QStringLiteral("Leistung"));
    drawAmount(y, QStringLiteral("Betrag"));
    p.drawLine(left, y + mm(2), right, y + mm(2));
    setFont(10, false);
    for (int i = 0; i < items.size(); ++i) {
        y += mm(8);
        p.drawText(left, y, QString::number(i + 1));
        p.drawText(left + mm(15), y, items.at(i).text);
        drawAmount(y, money(items.at(i).cents));
    }
    y += mm(4);
    p.drawLine(left, y, right, y);
    const QList<std::pair<QString, qint64>> sums = {
        {QStringLiteral("Summe netto"), netCents},
        {QStringLiteral("zzgl. %1 % MwSt.").arg(kVatPercent), facts.grossCents - netCents},
        {QStringLiteral("Gesamtbetrag"), facts.grossCents},
    };
    for (const auto &[label, cents] : sums) {
        y += mm(7);
        setFont(10, label == QLatin1String("Gesamtbetrag"));
        p.drawText(right - mm(90), y, label);
        drawAmount(y, money(cents));
    }
    setFont(8, false);
    p.drawText(left, mm(270), QStringLiteral("Dieser Kostenvoranschlag ist vier Wochen gültig. Preise in Euro."));
}

std::optional<CaseFacts> factsOf(dao::Database &db, long caseId)
{
    auto row = db.OpenRecordset(QStringLiteral("Select Schadennummer, EigenKZ, Fahrzeugtyp, Datum, Schadenbetrag, "
                                               "Objekt_ID_1, Objekt_ID_2, Objekt_ID_3 From Schaden Where ID = ?"),
                                dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(caseId)});
    if (row->IsEOF() || dao::isNull(row->Value(QStringLiteral("Schadenbetrag"))))
        return std::nullopt;
    CaseFacts facts;
    for (const QString &column : {QStringLiteral("Objekt_ID_1"), QStringLiteral("Objekt_ID_2"), QStringLiteral("Objekt_ID_3")}) {
        if (dao::isNull(row->Value(column))) {
            facts.freeColumn = column;
            break;
        }
    }
    if (facts.freeColumn.isEmpty())
        return std::nullopt;
    facts.number = row->Value(QStringLiteral("Schadennummer")).toString();
    facts.plate = row->Value(QStringLiteral("EigenKZ")).toString();
    facts.type = row->Value(QStringLiteral("Fahrzeugtyp")).toString();
    facts.date = row->Value(QStringLiteral("Datum")).toDate();
    facts.grossCents = qRound64(row->Value(QStringLiteral("Schadenbetrag")).toDouble() * 100);
    return facts;
}

void writeContainerFile(const QString &documentPath, const QString &containerPath)
{
    QFile file(containerPath);
    QString error = QStringLiteral("Die Datei kann nicht angelegt werden.");
    try {
        if (file.open(QIODevice::WriteOnly) && ole::writeDocument(file, ole::documentFromFile(documentPath), &error))
            return;
    } catch (const ole::OleError &failure) {
        error = failure.description();
    }
    throw dao::DaoError(0, QStringLiteral("Demo-Kostenvoranschlag nicht geschrieben: ") + error);
}

} // namespace

DemoEstimates::DemoEstimates(quint32 seed) : m_seed(seed) {}

void DemoEstimates::attach(dao::Database &db, const QList<long> &caseIds)
{
    if (caseIds.isEmpty())
        return;
    QTemporaryDir folder;
    if (!folder.isValid())
        throw dao::DaoError(0, QStringLiteral("Kein temporärer Ordner für die Demo-Kostenvoranschläge: ")
                                   + folder.errorString());
    auto highest = db.OpenRecordset(QStringLiteral("Select Max(ID) as M From Objekt"), dao::RecordsetType::Snapshot);
    long nextId = highest->Value(QStringLiteral("M")).toLongLong() + 1;
    highest.reset();

    const std::unique_ptr<kelvane::IAttachmentWriter> storage = ControlLibrary::program().attachmentWriter(&db);
    if (!storage)
        throw dao::DaoError(0, QStringLiteral("Demo-Kostenvoranschläge ohne die Bibliothek %1 nicht speicherbar.")
                                   .arg(QLatin1String(ControlLibrary::FileName)));
    QRandomGenerator rng(m_seed ^ static_cast<quint32>(caseIds.first() * 69069u));
    const double share = std::min(0.25, double(kMostEstimates) / caseIds.size());
    for (const long caseId : caseIds) {
        if (m_stored == kMostEstimates || rng.generateDouble() >= share)
            continue;
        const std::optional<CaseFacts> facts = factsOf(db, caseId);
        if (!facts)
            continue;
        const qint64 net = facts->grossCents * 100 / (100 + kVatPercent);
        const Workshop &workshop = kWorkshops[rng.bounded(int(std::size(kWorkshops)))];
        const QString pdfPath = folder.filePath(QStringLiteral("Kostenvoranschlag %1.pdf")
                                                    .arg(QString(facts->number).replace(u'/', u'-')));
        {
            QPdfWriter writer(pdfPath);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setResolution(150);
            writer.setTitle(QStringLiteral("Kostenvoranschlag ") + facts->number);
            writer.setCreator(QStringLiteral("Varnholt"));
            drawEstimate(writer, *facts, workshop, makeItems(net, rng), net);
        }
        // Stored the way the attachment control stores a document: the
        // container's own file "tmp<ID>.OLE", no script.
        const QString stored = folder.filePath(QStringLiteral("tmp%1.OLE").arg(nextId));
        writeContainerFile(pdfPath, stored);
        if (!storage->SaveObject(nextId, stored, nullptr, {}))
            throw dao::DaoError(0, QStringLiteral("Demo-Kostenvoranschlag nicht gespeichert: ") + stored);
        QFile::remove(stored);
        QFile::remove(pdfPath);
        db.Execute(QStringLiteral("Update Schaden Set %1 = ?, Schadenbilder = True Where ID = ?").arg(facts->freeColumn),
                   {qlonglong(nextId++), qlonglong(caseId)});
        ++m_stored;
    }
}

} // namespace varnholt
