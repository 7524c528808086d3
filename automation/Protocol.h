#pragma once
// The client's requests in the protocol's lines (wire/WireFormat.h describes them).

#include "automation/Dispatch.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <vector>

namespace automation::protocol {

// One call as the JSON object the host reads: its object (a handle, or {"result":k} for the
// object call k of the same sequence yielded), op, member, args and named.
nlohmann::json callJson(const Call& call);

// The request line, newline included, for one call or for a sequence of calls (made only if
// the request before it did not fail, with `unlessFailed`).
std::string callRequest(std::int64_t id, const Call& call);
std::string sequenceRequest(std::int64_t id, const std::vector<Call>& calls, bool unlessFailed);

} // namespace automation::protocol
