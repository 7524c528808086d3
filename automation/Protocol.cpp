#include "automation/Protocol.h"

#include "wire/Json.h"

namespace automation::protocol {
namespace {

using nlohmann::json;

const char* opName(Op op) {
    switch (op) {
    case Op::Get:
        return "get";
    case Op::Set:
        return "set";
    case Op::Call:
        return "call";
    }
    return "call";
}

std::string line(const json& request) {
    std::string out;
    wire::writeJson(out, request);
    out.push_back('\n');
    return out;
}

} // namespace

json callJson(const Call& call) {
    json args = json::array();
    for (const wire::Value& arg : call.args)
        args.push_back(wire::jsonOf(arg));
    json named = json::object();
    for (const auto& [name, value] : call.named)
        named[name] = wire::jsonOf(value);
    json object = call.onResult >= 0 ? json{{"result", call.onResult}} : json(call.handle);
    return json{{"object", std::move(object)},
                {"op", opName(call.op)},
                {"member", call.member},
                {"args", std::move(args)},
                {"named", std::move(named)}};
}

std::string callRequest(std::int64_t id, const Call& call) {
    json request = callJson(call);
    request["id"] = id;
    return line(request);
}

std::string sequenceRequest(std::int64_t id, const std::vector<Call>& calls, bool unlessFailed) {
    json jsonCalls = json::array();
    for (const Call& call : calls)
        jsonCalls.push_back(callJson(call));
    json request{{"id", id}, {"op", "sequence"}, {"calls", std::move(jsonCalls)}};
    // The host answers requests in order, so the one before has failed exactly when its reply
    // says so: the host itself skips this one then.
    if (unlessFailed)
        request["unlessFailed"] = true;
    return line(request);
}

} // namespace automation::protocol
