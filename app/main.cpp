#include "export/ExportCommand.h"
#include "form/frmSchaden.h"
#include "list/frmMain.h"
#include "print/PrintCommand.h"
#include "print/PrintReport.h"
#include "varnholt/CommandLine.h"
#include "varnholt/modMain.h"

#include "core/GermanLocale.h"
#include "core/MessageService.h"

#include <QApplication>

#include <cstring>
#include <memory>

namespace {

// What an option needs of Qt. Options never show a window, so none of them
// waits for a display: drawing (pictures, PDF pages) goes to the offscreen
// platform, which still finds the system's fonts. Drawing needs the widget
// application, as the report's pictures come through the attachment control.
enum class Needs { Nothing, Core, Painting };

struct ScriptOption {
    const char *name;
    const char *usage;
    const char *meaning;
    Needs needs;
    varnholt::CommandHandler run;
};

int printVersion(const QStringList &, varnholt::CommandIo &io)
{
    io.out << varnholt::versionText() << '\n';
    return 0;
}

int printUsage(const QStringList &, varnholt::CommandIo &io);

constexpr ScriptOption kScriptOptions[] = {
    {"--create-database", "--create-database [PFAD]", "legt eine neue, leere Datenbank an", Needs::Core,
     varnholt::createDatabaseCommand},
    {"--demo", "--demo N [PFAD]", "trägt N Demo-Schadensfälle mit Bildern ein", Needs::Painting,
     varnholt::demoCommand},
    {"--print", "--print list|ID --pdf DATEI [PFAD]",
     "druckt die Liste oder einen Schadensfall in eine PDF-Datei", Needs::Painting,
     [](const QStringList &args, varnholt::CommandIo &io) {
         return report::printCommand(args, io.out, io.err, io.programFolder);
     }},
    {"--export", "--export list --xlsx DATEI|--csv DATEI [PFAD]",
     "schreibt die Liste in eine Excel- oder CSV-Datei", Needs::Core, exporter::exportCommand},
    {"--verify-history", "--verify-history [PFAD]", "prüft die Kette des Verlaufs aller Vorgänge", Needs::Core,
     varnholt::verifyHistoryCommand},
    {"--purge-history", "--purge-history --before DATUM --yes [PFAD]",
     "löscht aufbewahrte Versionen von Anlagen vor DATUM (der Verlauf bleibt)", Needs::Core,
     varnholt::purgeHistoryCommand},
    {"--version", "--version", "zeigt die Versionsnummer", Needs::Nothing, printVersion},
    {"--help", "--help", "zeigt diese Hilfe", Needs::Nothing, printUsage},
};

void writeUsage(QTextStream &stream)
{
    stream << "Aufruf: varnholt\n"
           << "        startet das Programm mit der Liste der Schadensfälle";
    for (const ScriptOption &option : kScriptOptions)
        stream << "\n   oder: varnholt " << option.usage << "\n        " << option.meaning;
    stream << "\n\nPFAD ist die Datenbank (eine Datei oder postgresql://...); ohne ihn die, die\n"
              "Varnholt.ini neben dem Programm nennt. --print list und --export list nehmen\n"
              "die Filter der Liste:\n"
              "--vehicle KENNZEICHEN, --status Erledigt|\"Nicht erledigt\",\n"
              "--kind Einzelschaden|Kleinstschäden, --overdue TAGE.\n";
}

int printUsage(const QStringList &, varnholt::CommandIo &io)
{
    writeUsage(io.out);
    return 0;
}

const ScriptOption *findScriptOption(const char *name)
{
    if (std::strcmp(name, "-h") == 0)
        name = "--help";
    for (const ScriptOption &option : kScriptOptions) {
        if (std::strcmp(option.name, name) == 0)
            return &option;
    }
    return nullptr;
}

std::unique_ptr<QCoreApplication> applicationFor(Needs needs, int &argc, char *argv[])
{
    if (needs == Needs::Painting) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

int runScriptOption(const ScriptOption &option, int argc, char *argv[])
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (option.needs == Needs::Nothing) {
        varnholt::CommandIo io{out, err, QString()};
        return option.run({}, io);
    }
    const std::unique_ptr<QCoreApplication> app = applicationFor(option.needs, argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Varnholt"));
    QCoreApplication::setApplicationName(QStringLiteral("Varnholt"));
    core::applyGermanLocaleDefault();
    // There is no window to show a message box on.
    const core::StreamMessages messages(err);
    varnholt::CommandIo io{out, err, QCoreApplication::applicationDirPath()};
    return option.run(QCoreApplication::arguments().mid(2), io);
}

int refuseArguments(const char *given)
{
    QTextStream err(stderr);
    err << "Unbekannte Option: " << QString::fromLocal8Bit(given) << '\n';
    writeUsage(err);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // The mode is settled before Qt starts, as the desktop program alone
    // needs a display. Qt's own options (-platform, -style ...) have one dash
    // and go to the desktop program.
    if (argc > 1 && (std::strncmp(argv[1], "--", 2) == 0 || findScriptOption(argv[1]))) {
        const ScriptOption *option = findScriptOption(argv[1]);
        return option ? runScriptOption(*option, argc, argv) : refuseArguments(argv[1]);
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Varnholt"));
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    core::applyGermanLocaleDefault();
    core::installQtTranslation(app);
    const QStringList args = QApplication::arguments().mid(1);
    if (!args.isEmpty())
        return refuseArguments(args.first().toLocal8Bit().constData());

    const std::unique_ptr<QWidget> listWindow = varnholt::Main([](dao::Database &db) {
        const varnholt::PrintEntry print = [&db](QWidget *parent) { return report::PrintReport(db, parent); };
        return std::make_unique<frmMain>(db, caseFormFactory(db, print), print);
    });
    if (!listWindow)
        return 1;
    return QApplication::exec();
}
