#include "engine/web/Mime.h"

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
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t column = 0;
    auto emit = [&](char c) {
        out += c;
        if (++column == maxLine) {
            out += "\r\n";
            column = 0;
        }
    };
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        std::uint32_t triple = (static_cast<std::uint32_t>(bytes[i]) << 16) |
                               (static_cast<std::uint32_t>(bytes[i + 1]) << 8) | bytes[i + 2];
        emit(alphabet[(triple >> 18) & 63]);
        emit(alphabet[(triple >> 12) & 63]);
        emit(alphabet[(triple >> 6) & 63]);
        emit(alphabet[triple & 63]);
        if (out.size() >= flushBytes) {
            target.write(out);
            out.clear();
        }
    }
    std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t triple = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (rest == 2)
            triple |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        emit(alphabet[(triple >> 18) & 63]);
        emit(alphabet[(triple >> 12) & 63]);
        emit(rest == 2 ? alphabet[(triple >> 6) & 63] : '=');
        emit('=');
    }
    if (column > 0)
        out += "\r\n";
    target.write(out);
}

} // namespace engine::web
