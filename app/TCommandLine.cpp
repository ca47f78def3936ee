#include "TCommandLine.h"

#include "BrindlexVersion.h"

#include <QCommandLineParser>
#include <QStringList>

#include <iostream>

namespace bx::app {

TCommandLine::Options TCommandLine::Parse(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Brindlex keeps every clipboard change with all its data formats in collections on disk, and puts clips\n"
        "back by a click, as a run of pastes, or through a pick list on a hot key.\n"
        "  brindlex dump DIR   prints the collection stored in DIR as JSON (brindlex dump --help)");
    // Qt's own options ("-platform offscreen", "-display :1") keep their single dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "Show this help and end.");
    const QCommandLineOption version("version", "Print the version and end.");
    const QCommandLineOption defaultDir("default-data-dir",
                                        "On a first start, or when no data folder of the settings can be used, take "
                                        "the default data folder instead of asking for one.");
    QCommandLineOption bench("bench-exit-when-loaded");
    bench.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(defaultDir);
    parser.addOption(bench);
    for (const char* name : {"platform", "display", "style", "stylesheet", "geometry", "qwindowgeometry",
                             "qwindowtitle", "qwindowicon", "session"}) {
        QCommandLineOption qt(name, "", "value");
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    for (const char* name : {"reverse", "nograb", "dograb", "sync"}) {
        QCommandLineOption qt(name);
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    parser.addPositionalArgument("NOCAPTURE", "Start with capture switched off (any letter case).", "[NOCAPTURE]");

    Options options;
    if (!parser.parse(arguments)) {
        std::cerr << "brindlex: " << parser.errorText().toStdString() << " (brindlex --help tells more)\n";
        options.done = true;
        options.exitCode = ExitUsage;
        return options;
    }
    if (parser.isSet(help)) {
        std::cout << parser.helpText().replace("<executable_name>", "brindlex").toStdString();
        options.done = true;
        return options;
    }
    if (parser.isSet(version)) {
        std::cout << "Brindlex " << platform::BrindlexVersion << '\n';
        options.done = true;
        return options;
    }
    for (const QString& positional : parser.positionalArguments()) {
        if (positional.compare("NOCAPTURE", Qt::CaseInsensitive) != 0) {
            std::cerr << "brindlex: unknown argument: " << positional.toStdString()
                      << " (brindlex --help tells more)\n";
            options.done = true;
            options.exitCode = ExitUsage;
            return options;
        }
        options.startArgs.push_back(positional.toStdString());
    }
    options.defaultDataDir = parser.isSet(defaultDir);
    options.benchExitWhenLoaded = parser.isSet(bench);
    return options;
}

} // namespace bx::app
