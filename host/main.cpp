// quillmere-host: the spreadsheet automation host. One JSON request per line on standard
// input, one reply per line on standard output; it ends on Quit, at the end of its input, and
// when the process that started it is gone.

#include "host/RequestReader.h"
#include "host/Session.h"

#include <cstdio>
#include <signal.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

int main() {
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        return 1; // the parent went away before we could watch it

    host::Session session;
    host::RequestReader input(STDIN_FILENO);
    std::string line;
    while (input.next(line)) {
        const std::string reply = session.handle(line);
        std::fwrite(reply.data(), 1, static_cast<std::size_t>(reply.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        if (session.finished())
            break;
    }
    return 0;
}
