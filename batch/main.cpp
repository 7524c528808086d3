// quillmere-batch: converts workbooks into web pages from the command line, by the window's
// rules and with the same host.

#include "app/ClockRandom.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRun.h"
#include "batch/HostMeter.h"
#include "batch/PathText.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-batch"));

    // As the system gives them: a path that is not UTF-8 keeps its bytes.
    const std::vector<std::string> arguments(argv, argv + argc);
    const batch::ParsedCommandLine command = batch::ParseCommandLine(arguments);
    switch (command.outcome) {
    case batch::ParsedCommandLine::Help:
        std::fputs(batch::HelpText().c_str(), stdout);
        return batch::AllConverted;
    case batch::ParsedCommandLine::Version:
        std::fputs(batch::VersionText().c_str(), stdout);
        return batch::AllConverted;
    case batch::ParsedCommandLine::UsageError:
        std::fprintf(stderr,
                     "quillmere-batch: %s\nTry 'quillmere-batch --help' for more information.\n",
                     batch::Printable(command.message).c_str());
        return batch::UsageFailed;
    case batch::ParsedCommandLine::Run:
        break;
    }

    QTextStream errors(stderr);
    batch::MeteredHostFactory hosts(QCoreApplication::applicationDirPath());
    app::ClockRandom random;
    const bool progress = !command.options.quiet && ::isatty(STDERR_FILENO) == 1;
    return batch::RunBatch(command.options, hosts, random, errors, progress);
}
