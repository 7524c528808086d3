// quillmere-batch: converts workbooks into web pages from the command line, by the window's
// rules and with the same host.

#include "app/ClockRandom.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRun.h"
#include "batch/HostMeter.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-batch"));

    QTextStream errors(stderr);
    const batch::ParsedCommandLine command = batch::ParseCommandLine(application.arguments());
    switch (command.outcome) {
    case batch::ParsedCommandLine::Help: {
        QTextStream out(stdout);
        out << batch::HelpText();
        return batch::AllConverted;
    }
    case batch::ParsedCommandLine::Version: {
        QTextStream out(stdout);
        out << batch::VersionText();
        return batch::AllConverted;
    }
    case batch::ParsedCommandLine::UsageError:
        errors << QStringLiteral("quillmere-batch: ") << command.message << Qt::endl
               << QStringLiteral("Try 'quillmere-batch --help' for more information.") << Qt::endl;
        return batch::UsageFailed;
    case batch::ParsedCommandLine::Run:
        break;
    }

    batch::MeteredHostFactory hosts(QCoreApplication::applicationDirPath());
    app::ClockRandom random;
    const bool progress = !command.options.quiet && ::isatty(STDERR_FILENO) == 1;
    return batch::RunBatch(command.options, hosts, random, errors, progress);
}
