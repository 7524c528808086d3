#pragma once
// The protocol's lines on the host's side: one JSON object per request and per reply.
//   request: {"id":7,"object":1,"op":"call","member":"Open","args":["/a.xls"],"named":{}}
//   reply:   {"id":7,"value":"16.0"} | {"id":7,"object":5} |
//            {"error":{"description":"...","number":1004},"id":7}
// Arguments travel as JSON values: {"omitted":true} for one left out, {"object":n} for an
// object of the host, arrays for lists. Replies are written with their keys in order and
// numbers as the client has always received them.

#include "host/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host::wire {

struct Request {
    std::optional<std::string>
        id;               // the request's id as JSON text, echoed as it came; none if absent
    std::string op;       // empty when missing or not a text
    std::string member;   // as sent; empty when missing or not a text
    int object = 0;       // 0 when missing or not a whole number of int's range
    Arguments args;       // empty when missing or not an array
    NamedArguments named; // empty when missing or not an object
};

// The request on `line`, or std::nullopt when it is not one JSON object (nested deeper than the
// client could have written it, too).
std::optional<Request> parseRequest(std::string_view line);

std::string valueReply(const std::optional<std::string>& id, const Value& value);
std::string objectReply(const std::optional<std::string>& id, int handle);
std::string errorReply(const std::optional<std::string>& id, int number,
                       std::string_view description);

} // namespace host::wire
