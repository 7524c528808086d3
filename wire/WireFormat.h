#pragma once
// The protocol's lines as the host reads requests and writes replies: one JSON object each.
//   request: {"id":7,"object":1,"op":"call","member":"Open","args":["/a.xls"],"named":{}}
//   reply:   {"id":7,"value":"16.0"} | {"id":7,"object":5} |
//            {"error":{"description":"...","number":1004},"id":7}
// A sequence of calls travels in one request, its results in one reply, with the error of the
// first call that failed, if one did; "object" may name the object an earlier call yielded:
//   request: {"id":8,"op":"sequence","calls":[{"object":3,"op":"get","member":"Sheets",
//             "args":[2],"named":{}},{"object":{"result":0},"op":"call","member":"Select"}]}
//   reply:   {"id":8,"results":[{"object":9},{"value":null}]} |
//            {"error":{...},"id":8,"results":[...the calls made before the one that failed]}
// A request with "unlessFailed":true is made only if the request before it did not fail: the
// client sends it before that one's reply has come back.
// Arguments travel as JSON values: {"omitted":true} for one left out, {"object":n} for an
// object of the host, arrays for lists. Replies are written with their keys in order and
// numbers as the client has always received them.

#include "wire/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wire {

// One member access.
struct Call {
    int object = 0; // the handle; 0 when missing or not a whole number of int's range
    // Set when "object" is {"result":k}: the object call k of the same sequence yielded
    // (-1 when k is missing or not a whole number).
    std::optional<std::int64_t> earlierResult;
    std::string op;       // empty when missing or not a text
    std::string member;   // as sent; empty when missing or not a text
    Arguments args;       // empty when missing or not an array
    NamedArguments named; // empty when missing or not an object
};

struct Request {
    // The request's id as JSON text, echoed as it came; none when it has none.
    std::optional<std::string> id;
    bool sequence = false;     // op "sequence": `calls` in order, else `call` alone
    bool unlessFailed = false; // to be made only if the request before it did not fail
    Call call;
    std::vector<Call> calls;
};

// What one call yields: an object of the host (its handle) or a value.
struct Outcome {
    std::optional<int> object;
    Value value;
};

// The request on `line`, or std::nullopt when it is not one JSON object (nested deeper than the
// client could have written it, too).
std::optional<Request> parseRequest(std::string_view line);

std::string callReply(const std::optional<std::string>& id, const Outcome& outcome);
std::string sequenceReply(const std::optional<std::string>& id,
                          const std::vector<Outcome>& results);
// The reply to a sequence whose call after `results` failed.
std::string sequenceErrorReply(const std::optional<std::string>& id,
                               const std::vector<Outcome>& results, int number,
                               std::string_view description);
std::string errorReply(const std::optional<std::string>& id, int number,
                       std::string_view description);

} // namespace wire
