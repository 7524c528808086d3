#pragma once
// A child process spoken to over two pipes: its standard input and its standard output. Its
// diagnostics go nowhere. Plain POSIX: no event-loop object, so any thread may talk to it.

#include <chrono>
#include <string>
#include <sys/types.h>

namespace automation {

class ChildProcess {
public:
    // A started child: its process id, the end of its input we write and the end of its
    // output we read.
    struct Ends {
        pid_t pid = -1;
        int input = -1;
        int output = -1;
    };

    // Starts `executable` with no arguments. The pipes' ends stay with this process only
    // (close-on-exec). Returns an errno value, 0 on success.
    static int start(const std::string& executable, Ends& ends);

    // Takes over `ends`, a child started by start().
    explicit ChildProcess(Ends ends);
    // Closes the pipes and, if the child still runs, kills it and collects it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The child's process id while it runs (it has not been collected), else 0.
    pid_t runningId() const;

    // Writes all of `bytes` unless the child stops reading or `limit` passes first.
    bool write(const char* bytes, std::size_t size, std::chrono::milliseconds limit);
    // Waits up to `limit` for output and appends what there is to `into`. Returns false once
    // the output has ended (the child closed it or is gone).
    bool read(std::string& into, std::chrono::milliseconds limit);
    bool outputEnded() const { return outputEnded_; }

    // Ends the child's input, so that a child that reads to its end finishes.
    void closeInput();
    // Waits up to `limit` for the child to finish; true when it has (and was collected).
    bool waitFinished(std::chrono::milliseconds limit);
    // Ends the child at once.
    void kill();

private:
    // Collects the child if it has ended (or waits for it to, with `block`); true once it is.
    bool collect(bool block) const;

    Ends ends_;
    mutable bool collected_ = false;
    bool outputEnded_ = false;
};

} // namespace automation
