#pragma once
// The late-bound call interface behind every automation Object: the host process in
// production, an in-process fake in tests.

#include "wire/Value.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace automation {

enum class Op { Get, Set, Call };

// One member access of a sequence: on the object `handle`, or, when `onResult` is set (not
// below 0), on the object that call `onResult` of the same sequence yielded.
struct Call {
    int handle = 0;
    int onResult = -1;
    Op op = Op::Call;
    std::string member;
    wire::Arguments args;
    wire::NamedArguments named;
};

// A sequence on its way to the host (Dispatch::startSequence).
class PendingSequence {
public:
    virtual ~PendingSequence() = default;
    // Waits for the sequence's results: returns them, or throws the Error of its first failed
    // call, with `completed` set as invokeSequence sets it.
    virtual wire::Value::List finish(std::size_t& completed) = 0;
};

class Dispatch {
public:
    virtual ~Dispatch() = default;

    // Performs one member access on the object `handle` (1 is the application). `member` is
    // matched ignoring letter case. For Set, `args` holds the one new value. Returns the value,
    // a wire::ObjectRef for an object, or a null Value for none. Throws automation::Error.
    virtual wire::Value invoke(int handle, Op op, const std::string& member,
                               const wire::Arguments& args, const wire::NamedArguments& named) = 0;

    // Performs `calls` in order, exactly as one invoke() after another would, and returns their
    // results. At the first call that fails, no later one is made: its Error is thrown with
    // `completed` set to the number of calls done before it. A host process sends them in one
    // request, so that a run of small calls does not wait for a reply after each.
    virtual wire::Value::List invokeSequence(const std::vector<Call>& calls,
                                             std::size_t& completed);

    // Starts `calls` and returns before their results are there, so that the caller can
    // prepare its next sequence while the host works. When `after` is given (a sequence
    // started earlier on this Dispatch and not finished yet), the calls are made only if that
    // one completes without a failure; otherwise none of them is, and finishing it throws.
    // The default makes them at once.
    virtual std::unique_ptr<PendingSequence> startSequence(const std::vector<Call>& calls,
                                                           PendingSequence* after);
};

} // namespace automation
