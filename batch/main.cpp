// quillmere-batch: converts workbooks into web pages from the command line, by the window's
// rules and with the same host.

#include "app/ClockRandom.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRun.h"
#include "batch/HostMeter.h"
#include "batch/PathText.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The folder of this program as the system resolved it, links followed: the host is beside it.
std::string programFolder() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return ".";
    path.resize(static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
}

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

} // namespace

int main(int argc, char* argv[]) {
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

    batch::MeteredHostFactory hosts(programFolder());
    app::ClockRandom random;
    const bool progress = !command.options.quiet && ::isatty(STDERR_FILENO) == 1;
    return batch::RunBatch(command.options, hosts, random, printLine, progress);
}
