#pragma once
// The transfer encodings of single-file web archives (MHTML, RFC 2557).

#include "engine/web/Sink.h"

#include <cstdint>
#include <span>
#include <string>

namespace engine::web {

// Encodes everything written to it as quoted-printable (RFC 2045) into `target`: lines of at
// most 76 characters ending in CR LF, "\n" taken as a line break. Call finish() at the end.
class QuotedPrintableSink : public Sink {
public:
    explicit QuotedPrintableSink(Sink& target) : target_(target) {}
    void write(std::string_view bytes) override;
    // Writes what is still held back and ends the last line.
    void finish();

private:
    void put(std::string_view piece);
    void lineBreak();

    Sink& target_;
    std::string out_;
    std::size_t column_ = 0;
    bool pendingSpace_ = false;
};

// Writes `bytes` as base64 in lines of 76 characters, each ending in CR LF.
void writeBase64(Sink& target, std::span<const std::uint8_t> bytes);

} // namespace engine::web
