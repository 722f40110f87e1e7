#include "varnholt/CommandLine.h"
#include "varnholt/Globals.h"
#include "varnholt/Shutdown.h"
#include "varnholt/modMain.h"

#include "core/GermanLocale.h"
#include "core/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>

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

// Stands in for the case list until it is part of the program; closing it
// saves the settings as the list will.
class EmptyListWindow : public QMainWindow {
public:
    EmptyListWindow()
    {
        setWindowTitle(QStringLiteral("Varnholt"));
        resize(800, 500);
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        using varnholt::ReadIniValue;
        const QString daten = QStringLiteral("Daten");
        varnholt::shutdown(*this, {ReadIniValue(daten, QStringLiteral("Tage"), QStringLiteral("60")),
                                   ReadIniValue(daten, QStringLiteral("SortSpalte"), QStringLiteral("Datum")),
                                   core::leadingNumber(ReadIniValue(daten, QStringLiteral("SortDesc"), QStringLiteral("0"))) != 0,
                                   {600, 1000, 900, 2000, 6500, 700, 1200, 600}});
        event->accept();
    }
};

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

    const std::unique_ptr<QWidget> listWindow =
        varnholt::Main([](dao::Database &) { return std::make_unique<EmptyListWindow>(); });
    if (!listWindow)
        return 1;
    return QApplication::exec();
}
