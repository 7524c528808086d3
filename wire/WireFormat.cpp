#include "wire/WireFormat.h"

#include "wire/Json.h"

namespace wire {
namespace {

using nlohmann::json;

// {"object":n} or {"value":v} without its braces.
std::string outcomeMembers(const Outcome& outcome) {
    if (outcome.object)
        return "\"object\":" + std::to_string(*outcome.object);
    std::string out = "\"value\":";
    writeJson(out, jsonOf(outcome.value));
    return out;
}

std::string resultsMember(const std::vector<Outcome>& results) {
    std::string out = "\"results\":[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        out += "{" + outcomeMembers(results[i]) + "}";
    }
    return out + "]";
}

std::string errorMember(int number, std::string_view description) {
    std::string out = "\"error\":{\"description\":";
    writeText(out, description);
    return out + ",\"number\":" + std::to_string(number) + "}";
}

Call callOf(const json& call) {
    Call parsed;
    if (!call.is_object())
        return parsed;
    const auto object = call.find("object");
    if (object != call.end()) {
        if (object->is_object()) {
            const auto result = object->find("result");
            parsed.earlierResult = result == object->end() ? -1 : wholeInt64(*result, -1);
        } else {
            parsed.object = wholeInt(*object, 0);
        }
    }
    const auto op = call.find("op");
    if (op != call.end() && op->is_string())
        parsed.op = op->get<std::string>();
    const auto member = call.find("member");
    if (member != call.end() && member->is_string())
        parsed.member = member->get<std::string>();
    const auto args = call.find("args");
    if (args != call.end() && args->is_array())
        for (const json& arg : *args)
            parsed.args.push_back(valueOf(arg));
    const auto named = call.find("named");
    if (named != call.end() && named->is_object())
        for (const auto& [name, arg] : named->items())
            parsed.named.emplace(name, valueOf(arg));
    return parsed;
}

} // namespace

std::optional<Request> parseRequest(std::string_view line) {
    const std::optional<json> parsed = parseLine(line);
    if (!parsed || !parsed->is_object())
        return std::nullopt;
    const json& document = *parsed;
    Request request;
    const auto id = document.find("id");
    if (id != document.end()) {
        request.id.emplace();
        writeJson(*request.id, *id);
    }
    const auto unlessFailed = document.find("unlessFailed");
    request.unlessFailed =
        unlessFailed != document.end() && unlessFailed->is_boolean() && unlessFailed->get<bool>();
    const auto op = document.find("op");
    request.sequence = op != document.end() && op->is_string() && *op == "sequence";
    if (!request.sequence) {
        request.call = callOf(document);
        return request;
    }
    const auto calls = document.find("calls");
    if (calls != document.end() && calls->is_array())
        for (const json& call : *calls)
            request.calls.push_back(callOf(call));
    return request;
}

std::string callReply(const std::optional<std::string>& id, const Outcome& outcome) {
    std::string out = "{";
    if (id)
        out += "\"id\":" + *id + ",";
    return out + outcomeMembers(outcome) + "}";
}

std::string sequenceReply(const std::optional<std::string>& id,
                          const std::vector<Outcome>& results) {
    std::string out = "{";
    if (id)
        out += "\"id\":" + *id + ",";
    return out + resultsMember(results) + "}";
}

std::string sequenceErrorReply(const std::optional<std::string>& id,
                               const std::vector<Outcome>& results, int number,
                               std::string_view description) {
    std::string out = "{" + errorMember(number, description) + ",";
    if (id)
        out += "\"id\":" + *id + ",";
    return out + resultsMember(results) + "}";
}

std::string errorReply(const std::optional<std::string>& id, int number,
                       std::string_view description) {
    std::string out = "{" + errorMember(number, description);
    if (id)
        out += ",\"id\":" + *id;
    return out + "}";
}

} // namespace wire
