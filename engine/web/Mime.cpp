#include "engine/web/Mime.h"

#include "engine/util/Base64.h"

#include <algorithm>

namespace engine::web {
namespace {

constexpr std::size_t maxLine = 76;
constexpr std::size_t flushBytes = 1u << 16;
constexpr char hex[] = "0123456789ABCDEF";

} // namespace

void QuotedPrintableSink::put(std::string_view piece) {
    // Room is left for the "=" of a soft line break.
    if (column_ + piece.size() > maxLine - 1) {
        out_ += "=\r\n";
        column_ = 0;
    }
    out_ += piece;
    column_ += piece.size();
}

void QuotedPrintableSink::lineBreak() {
    out_ += "\r\n";
    column_ = 0;
}

void QuotedPrintableSink::write(std::string_view bytes) {
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (pendingSpace_) {
            pendingSpace_ = false;
            // A space that ends a line would be lost in transport: it is encoded.
            put(c == '\n' ? std::string_view("=20") : std::string_view(" "));
        }
        if (c == '\n') {
            lineBreak();
        } else if (c == ' ') {
            pendingSpace_ = true;
        } else if ((byte >= 33 && byte <= 126 && c != '=')) {
            put(std::string_view(&c, 1));
        } else {
            const char encoded[3] = {'=', hex[byte >> 4], hex[byte & 15]};
            put(std::string_view(encoded, 3));
        }
        if (out_.size() >= flushBytes) {
            target_.write(out_);
            out_.clear();
        }
    }
}

void QuotedPrintableSink::finish() {
    if (pendingSpace_) {
        pendingSpace_ = false;
        put("=20");
    }
    if (column_ > 0)
        lineBreak();
    target_.write(out_);
    out_.clear();
}

void writeBase64(Sink& target, std::span<const std::uint8_t> bytes) {
    // Whole lines per piece, so that the pieces join into the same lines as one call would.
    constexpr std::size_t lineBytes = maxLine / 4 * 3;
    constexpr std::size_t pieceBytes = lineBytes * (flushBytes / maxLine + 1);
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += pieceBytes) {
        out.clear();
        util::appendBase64(out, bytes.subspan(at, std::min(pieceBytes, bytes.size() - at)),
                           maxLine);
        target.write(out);
    }
}

} // namespace engine::web
