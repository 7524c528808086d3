#pragma once
// The protocol's values as JSON, read and written the same way at both ends of the pipe: one
// compact JSON object per line, keys in byte order, numbers as the protocol has always written
// them, texts that are not UTF-8 repaired rather than refused.

#include "wire/Value.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace wire {

// The JSON document on `line`, or std::nullopt when it is none (or is nested deeper than
// either end ever writes, which also bounds the recursion of everything that walks it).
std::optional<nlohmann::json> parseLine(std::string_view line);

// A JSON number as a whole number of int's range, else `fallback`.
int wholeInt(const nlohmann::json& value, int fallback);
// A JSON number as a whole number of 64-bit range, else `fallback`.
std::int64_t wholeInt64(const nlohmann::json& value, std::int64_t fallback);

// An argument or result: {"omitted":true} is an omitted argument, {"object":n} an object, an
// array a list; whole numbers a double holds exactly with room to spare become integers.
Value valueOf(const nlohmann::json& value);
// The reverse of valueOf.
nlohmann::json jsonOf(const Value& value);

// Appends `value` as compact JSON.
void writeJson(std::string& out, const nlohmann::json& value);
// Appends `text` as a JSON string; bytes that are not UTF-8 become U+FFFD.
void writeText(std::string& out, std::string_view text);

} // namespace wire
