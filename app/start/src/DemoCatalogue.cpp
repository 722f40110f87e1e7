#include "DemoCatalogue.h"

#include <QSet>

namespace varnholt::demo {

QString pick(QRandomGenerator &rng, const QStringList &list)
{
    return list.at(static_cast<qsizetype>(rng.bounded(static_cast<quint32>(list.size()))));
}

QString personName(QRandomGenerator &rng)
{
    const QString first = pick(rng, firstNames());
    return first + u' ' + pick(rng, lastNames());
}

QString randomPlate(QRandomGenerator &rng, const QString &district)
{
    static const QString letters = QStringLiteral("ABCDEFGHKLMNPRSTUVWXYZ");
    QString code;
    const int length = 1 + static_cast<int>(rng.bounded(2u));
    for (int i = 0; i < length; ++i)
        code += letters.at(rng.bounded(static_cast<quint32>(letters.size())));
    return QStringLiteral("%1-%2 %3").arg(district, code).arg(1 + rng.bounded(9999u));
}

QList<Vehicle> makeFleet(QRandomGenerator &rng, int size)
{
    static const QStringList types = {
        QStringLiteral("VW Transporter T6"), QStringLiteral("Mercedes Sprinter"), QStringLiteral("Ford Transit"),
        QStringLiteral("VW Crafter"), QStringLiteral("Opel Vivaro"), QStringLiteral("Fiat Ducato"),
        QStringLiteral("Renault Master"), QStringLiteral("Mercedes Vito"), QStringLiteral("VW Caddy"),
        QStringLiteral("VW Golf"), QStringLiteral("VW Passat Variant"), QStringLiteral("Opel Astra"),
        QStringLiteral("Škoda Octavia Kombi"), QStringLiteral("Ford Tourneo Custom (9 Sitze)"),
        QStringLiteral("Iveco Daily Koffer"), QStringLiteral("Mercedes Sprinter Kühlkoffer"),
    };
    // Most of the fleet carries the rental's own fleet letters.
    static const QStringList fleetLetters = {QStringLiteral("VH"), QStringLiteral("VM"), QStringLiteral("RV")};
    QList<Vehicle> fleet;
    QSet<QString> plates;
    while (fleet.size() < size) {
        const int n = static_cast<int>(fleet.size());
        QString plate = rng.bounded(10u) < 7
            ? QStringLiteral("B-%1 %2").arg(pick(rng, fleetLetters)).arg(100 + rng.bounded(9900u))
            : randomPlate(rng, pick(rng, plateDistricts()));
        if (plates.contains(plate))
            continue;
        plates.insert(plate);
        QString place = n < 60 ? QStringLiteral("Hof A-%1").arg(n + 1, 2, 10, QLatin1Char('0'))
            : n < 110          ? QStringLiteral("Halle 2, Platz %1").arg(n - 59)
                               : QStringLiteral("Tiefgarage Südstraße P%1").arg(n - 109, 2, 10, QLatin1Char('0'));
        fleet.append({plate, pick(rng, types), place});
    }
    return fleet;
}

QList<Customer> makeCustomers(QRandomGenerator &rng, int count)
{
    static const QStringList firms = {
        QStringLiteral("Umzüge %1 GmbH"), QStringLiteral("Bäckerei %1"), QStringLiteral("Elektro %1 KG"),
        QStringLiteral("Gärtnerei %1"), QStringLiteral("Malerbetrieb %1"), QStringLiteral("%1 Veranstaltungstechnik"),
        QStringLiteral("Möbelhaus %1 & Söhne"), QStringLiteral("Kurierdienst %1"),
    };
    static const QStringList unions = {
        QStringLiteral("AStA der Freien Universität"), QStringLiteral("AStA der TU Berlin"),
        QStringLiteral("AStA der Humboldt-Universität"), QStringLiteral("AStA der Universität Potsdam"),
        QStringLiteral("AStA der HTW Berlin"), QStringLiteral("AStA der Beuth-Hochschule"),
    };
    QList<Customer> customers;
    QSet<QString> names;
    int number = 10000;
    for (const QString &name : unions) {
        number += 1 + static_cast<int>(rng.bounded(5u));
        customers.append({number, name, true});
        names.insert(name);
    }
    while (customers.size() < count) {
        const QString name = rng.bounded(10u) < 2
            ? firms.at(rng.bounded(static_cast<quint32>(firms.size()))).arg(pick(rng, lastNames()))
            : personName(rng);
        if (names.contains(name))
            continue;
        names.insert(name);
        number += 1 + static_cast<int>(rng.bounded(5u));
        customers.append({number, name, false});
    }
    return customers;
}

const QStringList &damageKinds()
{
    static const QStringList list = {QStringLiteral("Einzelschaden"), QStringLiteral("Kleinstschäden")};
    return list;
}

const QStringList &faultOptions()
{
    static const QStringList list = {QStringLiteral("Kundenverantwortung"), QStringLiteral("Unfallgegner"),
                                     QStringLiteral("ungeklärt"), QStringLiteral("Unser Kunde")};
    return list;
}

const QStringList &reportOptions()
{
    static const QStringList list = {QStringLiteral("liegt vor"), QStringLiteral("nicht notwendig"),
                                     QStringLiteral("wurde verschickt")};
    return list;
}

const QStringList &assessmentKinds()
{
    static const QStringList list = {QStringLiteral("Gutachten"), QStringLiteral("Kostenschätzung"),
                                     QStringLiteral("Kostenvoranschlag"), QStringLiteral("Rechnung")};
    return list;
}

const QStringList &repairStates()
{
    static const QStringList list = {QStringLiteral("bei Rückgabe"), QStringLiteral("erfolgt"),
                                     QStringLiteral("nicht erfolgt")};
    return list;
}

const QStringList &staff()
{
    static const QStringList list = {
        QStringLiteral("Frau Köhler"), QStringLiteral("Herr Brandt"), QStringLiteral("S. Wagner"),
        QStringLiteral("M. Yılmaz"), QStringLiteral("Fahrdienst"), QStringLiteral("Werkstatt"),
        QStringLiteral("Nachtschicht"), QStringLiteral("Herr Schäfer"), QStringLiteral("Frau Nowak"),
        QStringLiteral("Annahme Hof A"),
    };
    return list;
}

const QStringList &assessors()
{
    static const QStringList list = {
        QStringLiteral("DEKRA Berlin-Tempelhof"), QStringLiteral("TÜV Süd Auto Service"),
        QStringLiteral("GTÜ Prüfstelle Spandau"), QStringLiteral("KÜS Sachverständige"),
        QStringLiteral("Ing.-Büro Krüger & Partner"), QStringLiteral("Sachverständigenbüro Weiß"),
        QStringLiteral("Autohaus Jäger"), QStringLiteral("eigene Werkstatt"), QStringLiteral("Karosserie Öztürk"),
    };
    return list;
}

const QStringList &firstNames()
{
    static const QStringList list = {
        QStringLiteral("Jürgen"), QStringLiteral("Anna"), QStringLiteral("Björn"), QStringLiteral("Lena"),
        QStringLiteral("Mehmet"), QStringLiteral("Sören"), QStringLiteral("Katrin"), QStringLiteral("Lukas"),
        QStringLiteral("Jörg"), QStringLiteral("Marie"), QStringLiteral("Özlem"), QStringLiteral("Thomas"),
        QStringLiteral("Sabine"), QStringLiteral("Felix"), QStringLiteral("Ute"), QStringLiteral("Paul"),
        QStringLiteral("Zoë"), QStringLiteral("Günter"), QStringLiteral("Hannah"), QStringLiteral("Dominik"),
        QStringLiteral("Agnieszka"), QStringLiteral("René"), QStringLiteral("Claudia"), QStringLiteral("Jan"),
    };
    return list;
}

const QStringList &lastNames()
{
    static const QStringList list = {
        QStringLiteral("Müller"), QStringLiteral("Schröder"), QStringLiteral("Weiß"), QStringLiteral("Becker"),
        QStringLiteral("Schäfer"), QStringLiteral("Krüger"), QStringLiteral("Öztürk"), QStringLiteral("Hoffmann"),
        QStringLiteral("Köhler"), QStringLiteral("Jäger"), QStringLiteral("Wagner"), QStringLiteral("Schulz"),
        QStringLiteral("Großmann"), QStringLiteral("Nowak"), QStringLiteral("Lehmann"), QStringLiteral("Bräuer"),
        QStringLiteral("Fischer"), QStringLiteral("Kaya"), QStringLiteral("Hübner"), QStringLiteral("Zimmermann"),
        QStringLiteral("Voß"), QStringLiteral("Meißner"), QStringLiteral("Lange"), QStringLiteral("Dąbrowski"),
        QStringLiteral("Böhm"), QStringLiteral("Kühn"), QStringLiteral("Scholz"), QStringLiteral("Wolff"),
    };
    return list;
}

const QStringList &streets()
{
    static const QStringList list = {
        QStringLiteral("Lindenstraße"), QStringLiteral("Gärtnerweg"), QStringLiteral("Hauptstraße"),
        QStringLiteral("Müllerstraße"), QStringLiteral("Am Südpark"), QStringLiteral("Schönhauser Allee"),
        QStringLiteral("Kastanienweg"), QStringLiteral("Brückenstraße"), QStringLiteral("Fürstenwalder Damm"),
        QStringLiteral("Königsweg"),
    };
    return list;
}

const QStringList &towns()
{
    static const QStringList list = {
        QStringLiteral("10969 Berlin"), QStringLiteral("12043 Berlin"), QStringLiteral("13353 Berlin"),
        QStringLiteral("14467 Potsdam"), QStringLiteral("15232 Frankfurt (Oder)"), QStringLiteral("20095 Hamburg"),
        QStringLiteral("04109 Leipzig"), QStringLiteral("16225 Eberswalde"), QStringLiteral("15517 Fürstenwalde"),
    };
    return list;
}

const QStringList &plateDistricts()
{
    static const QStringList list = {
        QStringLiteral("B"), QStringLiteral("P"), QStringLiteral("HH"), QStringLiteral("M"), QStringLiteral("L"),
        QStringLiteral("DD"), QStringLiteral("LOS"), QStringLiteral("BAR"), QStringLiteral("FF"), QStringLiteral("OHV"),
        QStringLiteral("TF"), QStringLiteral("MOL"),
    };
    return list;
}

const QStringList &minorDamages()
{
    static const QStringList list = {
        QStringLiteral("Kratzer an der Beifahrertür, etwa 15 cm lang, Grundierung sichtbar."),
        QStringLiteral("Steinschlag in der Windschutzscheibe, Durchmesser ungefähr 5 mm, außerhalb des Sichtfelds."),
        QStringLiteral("Außenspiegel links verkratzt, Spiegelglas unbeschädigt."),
        QStringLiteral("Kleine Delle in der Heckklappe, Lack unbeschädigt."),
        QStringLiteral("Felge vorne rechts am Bordstein beschädigt."),
        QStringLiteral("Sitzbezug im Fond stark verschmutzt, Sonderreinigung nötig."),
        QStringLiteral("Kennzeichenhalter hinten abgebrochen."),
        QStringLiteral("Schürfstellen am Stoßfänger vorne, vermutlich beim Einparken."),
        QStringLiteral("Brandloch im Fahrersitz (Zigarette), Rauchverbot missachtet."),
        QStringLiteral("Radkappe hinten links fehlt."),
    };
    return list;
}

const QStringList &situations()
{
    static const QStringList list = {
        QStringLiteral("Beim Rückwärtsausparken auf dem Supermarktparkplatz einen Poller übersehen."),
        QStringLiteral("Auffahrunfall an der Ampel Kreuzung Hauptstraße/Gärtnerweg, der Kunde konnte nicht mehr rechtzeitig bremsen."),
        QStringLiteral("Beim Einfahren in die Tiefgarage an der Säule hängengeblieben."),
        QStringLiteral("Wildunfall auf der B 96 bei Dämmerung (Reh), Polizei und Förster verständigt."),
        QStringLiteral("Der Unfallgegner hat die Vorfahrt missachtet, Zusammenstoß im Kreuzungsbereich."),
        QStringLiteral("Beim Umzug in einer engen Hofeinfahrt gegen das Garagentor gefahren."),
        QStringLiteral("Das Fahrzeug wurde über Nacht am Straßenrand angefahren, Verursacher unbekannt."),
        QStringLiteral("Hagelschaden während der Mietzeit auf einem ungeschützten Parkplatz."),
        QStringLiteral("Beim Spurwechsel auf der A 100 seitlich mit einem Lieferwagen kollidiert."),
        QStringLiteral("Zu niedrige Durchfahrt unterschätzt, mit dem Kofferaufbau an der Brücke angestoßen."),
    };
    return list;
}

const QStringList &damages()
{
    static const QStringList list = {
        QStringLiteral("Stoßfänger hinten links eingedrückt und gerissen"),
        QStringLiteral("Kotflügel vorne rechts verbeult, Scheinwerfer gebrochen"),
        QStringLiteral("Seitenwand mit tiefen Kratzern über die ganze Länge"),
        QStringLiteral("Schiebetür klemmt, Führungsschiene verbogen"),
        QStringLiteral("Dachkante am Kofferaufbau aufgerissen, Wasser dringt ein"),
        QStringLiteral("Heckklappe lässt sich nicht mehr schließen"),
        QStringLiteral("Außenspiegel rechts abgerissen, Blinker defekt"),
        QStringLiteral("Motorhaube und Kühlergrill beschädigt, Kühlwasser läuft aus"),
    };
    return list;
}

const QStringList &details()
{
    static const QStringList list = {
        QStringLiteral("Fotos vom Kunden liegen vor."),
        QStringLiteral("Der Kunde räumt den Schaden ein."),
        QStringLiteral("Die Polizei war vor Ort, das Aktenzeichen wird nachgereicht."),
        QStringLiteral("Das Fahrzeug bleibt fahrbereit."),
        QStringLiteral("Das Fahrzeug ist nicht mehr verkehrssicher und wurde abgeschleppt."),
        QStringLiteral("Zeugen: zwei Passanten, Namen und Telefonnummern sind notiert."),
        QStringLiteral("Die Schadenhöhe muss noch geschätzt werden."),
        QStringLiteral("Die gegnerische Versicherung hat sich bereits gemeldet."),
        QStringLiteral("Bei der Rückgabe gemeinsam mit dem Kunden besichtigt und im Übergabeprotokoll vermerkt."),
    };
    return list;
}

const QStringList &remarks()
{
    static const QStringList list = {
        QStringLiteral("Kunde möchte die Selbstbeteiligung in drei Raten zahlen."),
        QStringLiteral("Rückruf bei Frau Köhler erbeten."),
        QStringLiteral("Rechnung der Werkstatt an die Versicherung weitergeleitet."),
        QStringLiteral("Zahlungserinnerung verschickt, Frist 14 Tage."),
        QStringLiteral("Gutachten angefordert, Termin steht noch aus."),
        QStringLiteral("Ersatzfahrzeug für die Dauer der Reparatur gestellt."),
        QStringLiteral("Kunde bestreitet den Schaden; Übergabeprotokoll liegt der Akte bei."),
    };
    return list;
}

} // namespace varnholt::demo
