#include "form/SchadenPage.h"

#include "form/CaseBinding.h"

#include "core/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace form {
namespace {

// The rows are given as the form's tops; the page starts below the tab bar.
constexpr int PageTop = 300;
constexpr int LeftLabel = 120;
constexpr int LeftColumn = 1320;
constexpr int LeftWidth = 2040;
constexpr int RightLabel = 3480;
constexpr int RightColumn = 4800;
constexpr int RightWidth = 2760;
constexpr int BoxHeight = 315;
constexpr int FullWidth = RightColumn + RightWidth - LeftColumn;

void place(QWidget *widget, int left, int top, int width, int height = BoxHeight)
{
    widget->setGeometry(core::twipsToPixels(left), core::twipsToPixels(top - PageTop), core::twipsToPixels(width),
                        core::twipsToPixels(height));
}

template <typename T>
T *make(QWidget &page, const QString &name, const QString &tag = {})
{
    auto *widget = new T(&page);
    widget->setObjectName(name);
    if (!tag.isEmpty())
        widget->setProperty(CaseBinding::TagProperty, tag);
    return widget;
}

QLabel *label(QWidget &page, const QString &text, int left, int top, int width = LeftColumn - LeftLabel - 60)
{
    auto *l = new QLabel(text, &page);
    place(l, left, top, width);
    return l;
}

QComboBox *combo(QWidget &page, const QString &name, const QString &tag, const QStringList &fixed = {})
{
    auto *box = make<QComboBox>(page, name, tag);
    if (fixed.isEmpty()) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
    } else {
        box->addItems(fixed);
    }
    box->setCurrentIndex(-1);
    return box;
}

QLineEdit *line(QWidget &page, const QString &name, const QString &tag)
{
    return make<QLineEdit>(page, name, tag);
}

QCheckBox *check(QWidget &page, const QString &name, const QString &tag, const QString &text)
{
    auto *box = make<QCheckBox>(page, name, tag);
    box->setText(text);
    return box;
}

QPushButton *button(QWidget &page, const QString &name, const QString &text)
{
    auto *b = make<QPushButton>(page, name);
    b->setText(text);
    return b;
}

} // namespace

SchadenPage SchadenPage::build(QWidget &page)
{
    SchadenPage p;
    const auto left = [](QWidget *w, int top, int width = LeftWidth) { place(w, LeftColumn, top, width); };
    const auto right = [](QWidget *w, int top, int width = RightWidth) { place(w, RightColumn, top, width); };
    const auto rightLabel = [&page](const QString &text, int top) {
        return label(page, text, RightLabel, top, RightColumn - RightLabel - 60);
    };

    label(page, QStringLiteral("Nr."), LeftLabel, 420, 300);
    p.lblNr = make<QLabel>(page, QStringLiteral("lblNr"), QStringLiteral("Schadennummer"));
    place(p.lblNr, 480, 420, 800);
    p.cmdNow = button(page, QStringLiteral("cmdNow"), QStringLiteral("vom"));
    place(p.cmdNow, LeftColumn, 420, 500);
    p.txtVom = line(page, QStringLiteral("txtVom"), QStringLiteral("Datum"));
    place(p.txtVom, LeftColumn + 560, 420, LeftWidth - 560);
    p.txtVom->setProperty(CaseBinding::LabelProperty, QStringLiteral("Datum"));
    QLabel *kind = rightLabel(QStringLiteral("Schadenart"), 420);
    p.cboSchadenart = combo(page, QStringLiteral("cboSchadenart"), QStringLiteral("Schadenart"),
                            {QStringLiteral("Einzelschaden"), QStringLiteral("Kleinstschäden")});
    kind->setBuddy(p.cboSchadenart);
    right(p.cboSchadenart, 420);

    QLabel *vehicle = label(page, QStringLiteral("Fahrzeug"), LeftLabel, 780);
    p.cboAuto = combo(page, QStringLiteral("cboAuto"), QStringLiteral("EigenKZ"));
    vehicle->setBuddy(p.cboAuto);
    left(p.cboAuto, 780);
    rightLabel(QStringLiteral("Fahrzeugtyp"), 780)->setBuddy(p.cboTyp = combo(page, QStringLiteral("cboTyp"), QStringLiteral("Fahrzeugtyp")));
    right(p.cboTyp, 780);

    label(page, QStringLiteral("Stellplatz"), LeftLabel, 1200)
        ->setBuddy(p.cboStellplatz = combo(page, QStringLiteral("cboStellplatz"), QStringLiteral("Stellplatz")));
    left(p.cboStellplatz, 1200);
    QLabel *customer = rightLabel(QStringLiteral("Kunde"), 1200);
    p.txtKndNr = line(page, QStringLiteral("txtKndNr"), QStringLiteral("Kundennummer"));
    place(p.txtKndNr, RightColumn, 1200, 735);
    p.txtKndNr->setProperty(CaseBinding::LabelProperty, QStringLiteral("Kundennummer"));
    p.cboKunde = combo(page, QStringLiteral("cboKunde"), QStringLiteral("Kundenname"));
    customer->setBuddy(p.cboKunde);
    place(p.cboKunde, 5550, 1200, RightColumn + RightWidth - 5550);

    QLabel *report = label(page, QStringLiteral("Unfallbericht"), LeftLabel, 1590);
    p.cboBericht = combo(page, QStringLiteral("cboBericht"), QStringLiteral("Unfallbericht"),
                         {QStringLiteral("liegt vor"), QStringLiteral("nicht notwendig"), QStringLiteral("wurde verschickt")});
    report->setBuddy(p.cboBericht);
    left(p.cboBericht, 1590);
    p.cmdMelder = button(page, QStringLiteral("cmdMelder"), QStringLiteral("= Melder"));
    place(p.cmdMelder, RightLabel, 1590, RightColumn - RightLabel - 60);
    p.cboMelder = combo(page, QStringLiteral("cboMelder"), QStringLiteral("Melder"));
    right(p.cboMelder, 1590);

    p.Frame1 = make<QGroupBox>(page, QStringLiteral("Frame1"));
    p.Frame1->setTitle(QStringLiteral("Schaden an"));
    place(p.Frame1, LeftLabel, 1950, 7245, 1515);
    const QStringList damage = {QStringLiteral("Unserem Fahrzeug"), QStringLiteral("Fremdfahrzeug"),
                                QStringLiteral("Weiteren Gegenständen"), QStringLiteral("Personen")};
    const QStringList damageColumns = {QStringLiteral("fEigenSchaden"), QStringLiteral("fFremdSchaden"),
                                       QStringLiteral("fSonstigerSchaden"), QStringLiteral("fPersonenSchaden")};
    for (int i = 0; i < 4; ++i) {
        p.chkSchaden[size_t(i)] = check(*p.Frame1, QStringLiteral("chkSchaden_%1").arg(i), damageColumns[i], damage[i]);
        p.chkSchaden[size_t(i)]->setGeometry(core::twipsToPixels(120), core::twipsToPixels(270 + i * 285),
                                             core::twipsToPixels(2300), core::twipsToPixels(270));
    }
    p.txtFeld_2 = make<QPlainTextEdit>(*p.Frame1, QStringLiteral("txtFeld_2"), QStringLiteral("Schadenbeschreibung"));
    p.txtFeld_2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    p.txtFeld_2->setProperty(CaseBinding::LabelProperty, QStringLiteral("Schadenbeschreibung"));
    p.txtFeld_2->setGeometry(core::twipsToPixels(2520), core::twipsToPixels(240), core::twipsToPixels(7245 - 2640),
                             core::twipsToPixels(1515 - 330));

    QLabel *fault = label(page, QStringLiteral("Schuld"), LeftLabel, 3510);
    p.cboSchuld = combo(page, QStringLiteral("cboSchuld"), QStringLiteral("Schuldfrage"),
                        {QStringLiteral("Kundenverantwortung"), QStringLiteral("Unfallgegner"), QStringLiteral("ungeklärt"),
                         QStringLiteral("Unser Kunde")});
    fault->setBuddy(p.cboSchuld);
    left(p.cboSchuld, 3510);
    QLabel *repair = rightLabel(QStringLiteral("Reparaturstat."), 3510);
    p.cboReparatur = combo(page, QStringLiteral("cboReparatur"), QStringLiteral("Reparaturstatus"),
                           {QStringLiteral("bei Rückgabe"), QStringLiteral("erfolgt"), QStringLiteral("nicht erfolgt")});
    repair->setBuddy(p.cboReparatur);
    right(p.cboReparatur, 3510);

    QLabel *reported = label(page, QStringLiteral("Versicherungsmeldung am"), LeftLabel, 3990, 3000);
    const QStringList fieldColumns = {{}, QStringLiteral("Name"), {}, QStringLiteral("am"), QStringLiteral("Adresse"),
                                      QStringLiteral("tsKundeninfo"), QStringLiteral("tsPMLErstellt"),
                                      QStringLiteral("GegnerKZ"), {}, QStringLiteral("Versicherungsnr")};
    for (int i : {1, 3, 4, 5, 6, 7, 9})
        p.txtFeld[size_t(i)] = line(page, QStringLiteral("txtFeld_%1").arg(i), fieldColumns[i]);
    place(p.txtFeld[3], 3150, 3990, 1300);
    reported->setBuddy(p.txtFeld[3]);

    label(page, QStringLiteral("Schadenbetrag"), LeftLabel, 4320)
        ->setBuddy(p.txtKosten[1] = line(page, QStringLiteral("txtKosten_1"), QStringLiteral("Schadenbetrag")));
    left(p.txtKosten[1], 4320, 1300);
    label(page, QStringLiteral("€"), LeftColumn + 1360, 4320, 300);
    rightLabel(QStringLiteral("Vers.-Nummer"), 4320)->setBuddy(p.txtFeld[9]);
    right(p.txtFeld[9], 4320);

    QLabel *assessment = label(page, QStringLiteral("Schadenbew."), LeftLabel, 4680);
    p.cboBewertung = combo(page, QStringLiteral("cboBewertung"), QStringLiteral("Begutachtung"),
                           {QStringLiteral("Gutachten"), QStringLiteral("Kostenschätzung"),
                            QStringLiteral("Kostenvoranschlag"), QStringLiteral("Rechnung")});
    assessment->setBuddy(p.cboBewertung);
    left(p.cboBewertung, 4680);
    rightLabel(QStringLiteral("durch"), 4680)
        ->setBuddy(p.cboBewerter = combo(page, QStringLiteral("cboBewerter"), QStringLiteral("Begutachter")));
    right(p.cboBewerter, 4680);

    label(page, QStringLiteral("Unfallgegner"), LeftLabel, 5070)->setBuddy(p.txtFeld[1]);
    left(p.txtFeld[1], 5070);
    rightLabel(QStringLiteral("KZ gegner Fzg"), 5070)->setBuddy(p.txtFeld[7]);
    right(p.txtFeld[7], 5070);

    label(page, QStringLiteral("Adresse"), LeftLabel, 5430)->setBuddy(p.txtFeld[4]);
    left(p.txtFeld[4], 5430, FullWidth);

    label(page, QStringLiteral("Anmerkung"), LeftLabel, 5790)
        ->setBuddy(p.txtFeld_8 = make<QPlainTextEdit>(page, QStringLiteral("txtFeld_8"), QStringLiteral("Anmerkung")));
    p.txtFeld_8->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(p.txtFeld_8, LeftColumn, 5790, FullWidth, 780);

    label(page, QStringLiteral("Selbstbeteiligung Kunde"), LeftLabel, 6630, 3000)
        ->setBuddy(p.txtKosten[0] = line(page, QStringLiteral("txtKosten_0"), QStringLiteral("Selbstbeteiligung")));
    place(p.txtKosten[0], 3150, 6630, 1100);
    label(page, QStringLiteral("€"), 3150 + 1160, 6630, 300);
    label(page, QStringLiteral("Schadenbilder"), RightColumn, 6630, 1200);
    p.lblBilder = make<QLabel>(page, QStringLiteral("lblBilder"), QStringLiteral("Schadennummer"));
    place(p.lblBilder, RightColumn + 1260, 6630, 800);

    // Longer than the label column is wide: two lines beside its date box,
    // instead of one that runs out of the form on the left.
    QLabel *informed = label(page, QStringLiteral("Kunde über Selbstbeteiligung informiert am"), LeftLabel, 6880,
                             3150 - LeftLabel - 60);
    informed->setWordWrap(true);
    place(informed, LeftLabel, 6880, 3150 - LeftLabel - 60, 420);
    informed->setBuddy(p.txtFeld[5]);
    place(p.txtFeld[5], 3150, 6930, 1100);
    p.chkSicherheit = check(page, QStringLiteral("chkSicherheit"), QStringLiteral("Sicherheitspaket"),
                            QStringLiteral("Sicherheitspaket"));
    right(p.chkSicherheit, 6930);

    label(page, QStringLiteral("PML erstellt am"), LeftLabel, 7260, 3000)->setBuddy(p.txtFeld[6]);
    place(p.txtFeld[6], 3150, 7260, 1100);
    p.chkSchaden[4] = check(page, QStringLiteral("chkSchaden_4"), QStringLiteral("fAstabuskunde"),
                            QStringLiteral("AStA-Bus-Kunde"));
    right(p.chkSchaden[4], 7260);

    p.chkVorgang = check(page, QStringLiteral("chkVorgang"), QStringLiteral("fErledigt"), QStringLiteral("Vorgang erledigt"));
    place(p.chkVorgang, LeftLabel, 7650, 2200, 360);
    p.cmdPrint = button(page, QStringLiteral("cmdPrint"), QStringLiteral("Drucken"));
    place(p.cmdPrint, 3480, 7650, 1200, 360);
    p.cmdCancel = button(page, QStringLiteral("cmdCancel"), QStringLiteral("Abbrechen"));
    place(p.cmdCancel, 4800, 7650, 1200, 360);
    p.cmdOK = button(page, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    place(p.cmdOK, 6360, 7650, 1200, 360);

    label(page, QStringLiteral("Erstellt:"), LeftLabel, 8050, 700);
    p.Label25 = make<QLabel>(page, QStringLiteral("Label25"), QStringLiteral("tsErstellt"));
    place(p.Label25, 840, 8050, 2500);
    label(page, QStringLiteral("Geändert:"), RightLabel, 8050, 1000);
    p.lblGeaendert = make<QLabel>(page, QStringLiteral("lblGeändert"), QStringLiteral("tsGeändert"));
    place(p.lblGeaendert, 4500, 8050, 2500);
    return p;
}

} // namespace form
