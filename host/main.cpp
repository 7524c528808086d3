// quillmere-host: the spreadsheet automation host. One JSON request per line on standard
// input, one reply per line on standard output; it ends on Quit, at the end of its input, and
// when the process that started it is gone.

#include "host/Session.h"

#include <cstdio>
#include <iostream>
#include <signal.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// A request line longer than this is not from our client: it is read to its end but kept
// empty, so the session answers it as a request it cannot understand.
constexpr std::size_t maxRequestBytes = 16 * 1024 * 1024;

// The next line of standard input without its newline; false at the end of input.
bool readLine(std::string& line) {
    line.clear();
    bool tooLong = false;
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
        if (line.size() < maxRequestBytes)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    if (tooLong)
        line.clear();
    return c != EOF || !line.empty();
}

} // namespace

int main() {
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        return 1; // the parent went away before we could watch it

    host::Session session;
    std::string line;
    while (readLine(line)) {
        const std::string reply = session.handle(line);
        std::fwrite(reply.data(), 1, static_cast<std::size_t>(reply.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        if (session.finished())
            break;
    }
    return 0;
}
