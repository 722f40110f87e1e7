#include "form/frmSchaden.h"
#include "list/frmMain.h"
#include "print/PrintCommand.h"
#include "print/PrintReport.h"
#include "varnholt/CommandLine.h"
#include "varnholt/modMain.h"

#include "core/GermanLocale.h"

#include <QApplication>

#include <cstring>

namespace {

// The options that make the program usable from scripts. Each runs without
// a window and ends the program with its exit code.
struct ScriptOption {
    const char *name;
    const char *usage;
    varnholt::CommandHandler run;
};

constexpr ScriptOption kScriptOptions[] = {
    {"--create-database", "--create-database [PFAD]", varnholt::createDatabaseCommand},
    {"--demo", "--demo N [PFAD]", varnholt::demoCommand},
    {"--print", "--print list|ID --pdf DATEI [PFAD]",
     [](const QStringList &args, varnholt::CommandIo &io) {
         return report::printCommand(args, io.out, io.err, io.programFolder);
     }},
};

const ScriptOption *findScriptOption(const char *name)
{
    for (const ScriptOption &option : kScriptOptions) {
        if (std::strcmp(option.name, name) == 0)
            return &option;
    }
    return nullptr;
}

int runScriptOption(const ScriptOption &option, const QStringList &args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    varnholt::CommandIo io{out, err, QCoreApplication::applicationDirPath()};
    return option.run(args, io);
}

int refuseArguments(const QString &given)
{
    QTextStream err(stderr);
    err << "Unbekannte Option: " << given << "\nAufruf: varnholt";
    for (const ScriptOption &option : kScriptOptions)
        err << "\n   oder: varnholt " << option.usage;
    err << '\n';
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const ScriptOption *option = argc > 1 ? findScriptOption(argv[1]) : nullptr;
    // Script options show no window and so need no display.
    if (option && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Varnholt"));
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    core::applyGermanLocaleDefault();

    const QStringList args = QApplication::arguments().mid(1);
    if (option)
        return runScriptOption(*option, args.mid(1));
    if (!args.isEmpty())
        return refuseArguments(args.first());

    const std::unique_ptr<QWidget> listWindow = varnholt::Main([](dao::Database &db) {
        const varnholt::PrintEntry print = [&db](QWidget *parent) { report::PrintReport(db, parent); };
        return std::make_unique<frmMain>(db, caseFormFactory(db, print), print);
    });
    if (!listWindow)
        return 1;
    return QApplication::exec();
}
