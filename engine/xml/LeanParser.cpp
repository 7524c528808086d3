#include "engine/xml/LeanParser.h"

#include "engine/read/Limits.h"
#include "engine/read/ReadError.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace engine::xml {
namespace {

constexpr std::size_t npos = std::string_view::npos;
// Enough of the start to see a byte-order mark and the XML declaration's encoding.
constexpr std::size_t sniffBytes = 512;
constexpr std::string_view xmlNamespace = "http://www.w3.org/XML/1998/namespace";

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whether a word of eight bytes holds only printable ASCII (0x20 to 0x7F).
bool plainWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const bool high = (w & highs) != 0;
    const bool control = ((w - ones * 0x20) & ~w & highs) != 0;
    return !high && !control;
}

void putUtf8(char*& out, std::uint32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool xmlChar(std::uint32_t cp) {
    if (cp < 0x20)
        return cp == 0x9 || cp == 0xA || cp == 0xD;
    return (cp < 0xD800) || (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The code point of a character reference's digits ("#65" or "#x41"); 0 when malformed.
std::uint32_t characterReference(std::string_view digits) {
    const bool hex = digits.size() > 1 && digits[1] == 'x';
    digits.remove_prefix(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return 0;
    std::uint32_t cp = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        if (cp > 0x10FFFF)
            return 0;
    }
    return xmlChar(cp) ? cp : 0;
}

} // namespace

LeanParser::LeanParser(Handler& handler, std::string partName)
    : handler_(handler), partName_(std::move(partName)) {}

LeanParser::~LeanParser() = default;

void LeanParser::fail(const std::string& what, std::size_t at) {
    const auto begin = buffer_.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(std::min(at, buffer_.size()));
    const std::size_t breaks = static_cast<std::size_t>(std::count(begin, end, '\n'));
    std::size_t column;
    if (breaks == 0) {
        column = consumedColumn_ + static_cast<std::size_t>(end - begin);
    } else {
        const auto lastBreak =
            std::find(std::make_reverse_iterator(end), std::make_reverse_iterator(begin), '\n');
        column = static_cast<std::size_t>(end - lastBreak.base());
    }
    throw ReadError(ReadError::Kind::Damaged, "the part '" + partName_ + "' at line " +
                                                  std::to_string(consumedLines_ + breaks + 1) +
                                                  ", column " + std::to_string(column + 1) + ": " +
                                                  what);
}

bool LeanParser::startsInAnotherEncoding() const {
    const std::string_view start(buffer_.data(), std::min(buffer_.size(), sniffBytes));
    if (start.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(start[0]);
        const auto b1 = static_cast<unsigned char>(start[1]);
        if ((b0 == 0xFE && b1 == 0xFF) || (b0 == 0xFF && b1 == 0xFE) || b0 == 0 || b1 == 0)
            return true;
    }
    const std::size_t offset = start.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    if (start.substr(offset, 5) != "<?xml")
        return false;
    const std::size_t close = start.find("?>");
    const std::string_view declaration = start.substr(0, close);
    const std::size_t key = declaration.find("encoding");
    if (key == npos)
        return false;
    const std::size_t quote = declaration.find_first_of("\"'", key);
    if (quote == npos)
        return true;
    const std::size_t closing = declaration.find(declaration[quote], quote + 1);
    std::string name(declaration.substr(quote + 1, closing == npos ? 0 : closing - quote - 1));
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name != "utf-8" && name != "utf8" && name != "us-ascii";
}

void LeanParser::feed(const char* data, std::size_t size) {
    if (fallback_) {
        fallback_->feed(data, size);
        return;
    }
    buffer_.insert(buffer_.end(), data, data + size);
    if (!started_) {
        if (buffer_.size() < sniffBytes)
            return;
        started_ = true;
        if (startsInAnotherEncoding()) {
            fallback_ = std::make_unique<Parser>(handler_, partName_);
            fallback_->feed(buffer_.data(), buffer_.size());
            buffer_.clear();
            return;
        }
    }
    scan(false);
}

void LeanParser::finish() {
    if (!started_) {
        started_ = true;
        if (startsInAnotherEncoding()) {
            fallback_ = std::make_unique<Parser>(handler_, partName_);
            fallback_->feed(buffer_.data(), buffer_.size());
            buffer_.clear();
        }
    }
    if (fallback_) {
        fallback_->finish();
        return;
    }
    scan(true);
    if (!sawRoot_)
        fail("no element found", buffer_.size());
    if (depth_ > 0)
        fail("unclosed token", buffer_.size());
}

void LeanParser::scan(bool final) {
    std::size_t pos = 0;
    if (consumedLines_ == 0 && consumedColumn_ == 0 && buffer_.size() >= 3 &&
        std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0)
        pos = 3;
    const std::size_t size = buffer_.size();
    while (pos < size) {
        if (buffer_[pos] == '<') {
            const std::size_t next = markup(pos, final);
            if (next == npos)
                break;
            pos = next;
            continue;
        }
        const void* found = std::memchr(buffer_.data() + pos, '<', size - pos);
        if (!found && !final)
            break;
        const std::size_t to =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data())
                  : size;
        text(pos, to);
        pos = to;
    }
    const auto begin = buffer_.begin();
    const auto done = begin + static_cast<std::ptrdiff_t>(pos);
    const std::size_t breaks = static_cast<std::size_t>(std::count(begin, done, '\n'));
    if (breaks > 0) {
        consumedLines_ += breaks;
        const auto lastBreak =
            std::find(std::make_reverse_iterator(done), std::make_reverse_iterator(begin), '\n');
        consumedColumn_ = static_cast<std::size_t>(done - lastBreak.base());
    } else {
        consumedColumn_ += pos;
    }
    buffer_.erase(begin, done);
}

void LeanParser::checkChars(const char* from, const char* to) {
    const char* p = from;
    while (p < to) {
        if (to - p >= 8 && plainWord(p)) {
            p += 8;
            continue;
        }
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                fail("not well-formed (invalid token)",
                     static_cast<std::size_t>(p - buffer_.data()));
            ++p;
            continue;
        }
        // A UTF-8 sequence: no overlong forms, surrogates or code points past U+10FFFF, and
        // none of the two non-characters XML excludes.
        std::size_t length;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            cp = c & 0x07;
        } else {
            length = 0;
            cp = 0;
        }
        bool good = length > 0 && static_cast<std::size_t>(to - p) >= length;
        for (std::size_t i = 1; good && i < length; ++i) {
            const auto next = static_cast<unsigned char>(p[i]);
            good = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!good || cp < least[length] || !xmlChar(cp))
            fail("not well-formed (invalid token)", static_cast<std::size_t>(p - buffer_.data()));
        p += length;
    }
}

std::size_t LeanParser::decode(char* from, char* to, bool attribute) {
    char* out = from;
    for (char* p = from; p < to;) {
        const char c = *p;
        if (c == '&') {
            char* semicolon = static_cast<char*>(std::memchr(
                p, ';', static_cast<std::size_t>(std::min<std::ptrdiff_t>(to - p, 12))));
            if (!semicolon)
                fail("not well-formed (invalid token)",
                     static_cast<std::size_t>(p - buffer_.data()));
            const std::string_view name(p + 1, static_cast<std::size_t>(semicolon - p - 1));
            if (name == "lt")
                *out++ = '<';
            else if (name == "gt")
                *out++ = '>';
            else if (name == "amp")
                *out++ = '&';
            else if (name == "quot")
                *out++ = '"';
            else if (name == "apos")
                *out++ = '\'';
            else if (!name.empty() && name[0] == '#') {
                const std::uint32_t cp = characterReference(name);
                if (cp == 0)
                    fail("reference to invalid character number",
                         static_cast<std::size_t>(p - buffer_.data()));
                putUtf8(out, cp);
            } else {
                fail("undefined entity", static_cast<std::size_t>(p - buffer_.data()));
            }
            p = semicolon + 1;
        } else if (c == '\r') {
            *out++ = attribute ? ' ' : '\n';
            p += (p + 1 < to && p[1] == '\n') ? 2 : 1;
        } else {
            *out++ = attribute && (c == '\t' || c == '\n') ? ' ' : c;
            ++p;
        }
    }
    return static_cast<std::size_t>(out - from);
}

void LeanParser::text(std::size_t from, std::size_t to) {
    if (from == to)
        return;
    char* begin = buffer_.data() + from;
    char* end = buffer_.data() + to;
    if (depth_ == 0) {
        // Between the prolog, the root and the end only white space may stand.
        for (const char* p = begin; p < end; ++p)
            if (!isSpace(*p))
                fail(rootClosed_ ? "junk after document element" : "syntax error",
                     static_cast<std::size_t>(p - buffer_.data()));
        return;
    }
    checkChars(begin, end);
    std::size_t length = static_cast<std::size_t>(end - begin);
    if (std::memchr(begin, '&', length) || std::memchr(begin, '\r', length))
        length = decode(begin, end, false);
    if (length > 0)
        handler_.characters(std::string_view(begin, length));
}

std::string_view LeanParser::resolve(std::string_view prefix, std::size_t at) {
    if (prefix == "xml")
        return xmlNamespace;
    if (cacheValid_ && prefix == cachedPrefix_)
        return cachedUri_;
    for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
        if (binding->prefix == prefix) {
            cachedPrefix_.assign(prefix);
            cachedUri_ = binding->uri;
            cacheValid_ = true;
            return cachedUri_;
        }
    }
    if (prefix.empty())
        return {};
    fail("unbound prefix", at);
}

std::size_t LeanParser::skipUntil(std::size_t at, std::string_view end) {
    const std::string_view rest(buffer_.data() + at, buffer_.size() - at);
    const std::size_t found = rest.find(end);
    if (found == npos)
        return npos;
    return at + found + end.size();
}

std::size_t LeanParser::markup(std::size_t at, bool final) {
    const std::size_t available = buffer_.size() - at;
    const std::string_view head(buffer_.data() + at, std::min<std::size_t>(available, 9));
    std::size_t next = npos;
    if (available < 2) {
        next = npos;
    } else if (head[1] == '/') {
        next = endTag(at);
    } else if (head[1] == '?') {
        next = skipUntil(at + 2, "?>");
    } else if (head[1] == '!') {
        if (head.size() >= 4 && head.substr(0, 4) == "<!--") {
            next = skipUntil(at + 4, "-->");
        } else if (head.size() >= 9 && head == "<![CDATA[") {
            next = skipUntil(at + 9, "]]>");
            if (next != npos) {
                if (depth_ == 0)
                    fail("syntax error", at);
                checkChars(buffer_.data() + at + 9, buffer_.data() + next - 3);
                if (next - 3 > at + 9)
                    handler_.characters(
                        std::string_view(buffer_.data() + at + 9, next - 3 - at - 9));
            }
        } else if (head.size() >= 9 && head.substr(0, 9) == "<!DOCTYPE") {
            // Package parts never need a DTD; refusing it rules out entity expansion and
            // external references alike.
            fail("a DOCTYPE declaration is not allowed", at);
        } else if (head.size() >= 9 || final) {
            fail("syntax error", at);
        }
    } else {
        next = startTag(at);
    }
    if (next == npos && final)
        fail("unclosed token", at);
    return next;
}

std::size_t LeanParser::startTag(std::size_t at) {
    // First the tag's layout, touching nothing, so that a tag cut off by the end of a piece can
    // be read again whole from the next; then its values are decoded where they stand.
    const std::size_t size = buffer_.size();
    char* data = buffer_.data();
    std::size_t p = at + 1;
    while (p < size && !isSpace(data[p]) && data[p] != '/' && data[p] != '>')
        ++p;
    if (p >= size)
        return npos;
    const std::string_view name(data + at + 1, p - at - 1);
    if (name.empty())
        fail("not well-formed (invalid token)", at);
    spans_.clear();
    bool empty = false;
    std::size_t end;
    while (true) {
        const std::size_t gap = p;
        while (p < size && isSpace(data[p]))
            ++p;
        if (p >= size)
            return npos;
        if (data[p] == '>') {
            end = p;
            break;
        }
        if (data[p] == '/') {
            if (p + 1 >= size)
                return npos;
            if (data[p + 1] != '>')
                fail("not well-formed (invalid token)", p);
            empty = true;
            end = p + 1;
            break;
        }
        if (p == gap)
            fail("not well-formed (invalid token)", p);
        const std::size_t nameStart = p;
        while (p < size && data[p] != '=' && data[p] != '>' && data[p] != '/' && !isSpace(data[p]))
            ++p;
        const std::size_t nameEnd = p;
        while (p < size && isSpace(data[p]))
            ++p;
        if (p + 1 >= size)
            return npos;
        if (nameEnd == nameStart || data[p] != '=')
            fail("not well-formed (invalid token)", p);
        ++p;
        while (p < size && isSpace(data[p]))
            ++p;
        if (p >= size)
            return npos;
        if (data[p] != '"' && data[p] != '\'')
            fail("not well-formed (invalid token)", p);
        const char* close =
            static_cast<const char*>(std::memchr(data + p + 1, data[p], size - p - 1));
        if (!close)
            return npos;
        const std::size_t valueEnd = static_cast<std::size_t>(close - data);
        if (std::memchr(data + p + 1, '<', valueEnd - p - 1))
            fail("not well-formed (invalid token)", p);
        spans_.push_back({nameStart, nameEnd, p + 1, valueEnd});
        p = valueEnd + 1;
    }
    if (rootClosed_)
        fail("junk after document element", at);
    if (depth_ + 1 > limits::maxXmlDepth)
        fail("elements are nested deeper than " + std::to_string(limits::maxXmlDepth) + " levels",
             at);
    checkChars(data + at + 1, data + end);
    const std::size_t depth = depth_ + 1;

    attributes_.clear();
    bool bound = false;
    for (const Span& span : spans_) {
        std::size_t length = span.valueEnd - span.valueStart;
        char* value = data + span.valueStart;
        if (std::memchr(value, '&', length) || std::find_if(value, value + length, [](char c) {
                                                   return c == '\t' || c == '\n' || c == '\r';
                                               }) != value + length)
            length = decode(value, value + length, true);
        value[length] = '\0';

        const std::string_view attribute(data + span.nameStart, span.nameEnd - span.nameStart);
        if (attribute == "xmlns" || attribute.substr(0, 6) == "xmlns:") {
            const std::string_view prefix = attribute.size() > 5 ? attribute.substr(6) : "";
            bindings_.push_back({std::string(prefix), std::string(value, length), depth});
            bound = true;
            continue;
        }
        const std::size_t colon = attribute.find(':');
        data[span.nameEnd] = '\0';
        attributes_.push_back(data + (colon == npos ? span.nameStart : span.nameStart + colon + 1));
        attributes_.push_back(value);
    }
    attributes_.push_back(nullptr);
    if (bound)
        cacheValid_ = false;

    const std::size_t colon = name.find(':');
    const std::string_view local = colon == npos ? name : name.substr(colon + 1);
    const std::string_view ns =
        resolve(colon == npos ? std::string_view() : name.substr(0, colon), at);
    if (local.empty())
        fail("not well-formed (invalid token)", at);
    sawRoot_ = true;
    if (open_.size() <= depth_)
        open_.emplace_back();
    open_[depth_++].assign(name);
    handler_.startElement(ns, local, Attributes(attributes_.data()));
    if (empty)
        closeElement(ns, local);
    return end + 1;
}

void LeanParser::closeElement(std::string_view ns, std::string_view local) {
    const std::size_t depth = depth_;
    handler_.endElement(ns, local);
    if (!bindings_.empty() && bindings_.back().depth == depth) {
        while (!bindings_.empty() && bindings_.back().depth == depth)
            bindings_.pop_back();
        cacheValid_ = false;
    }
    if (--depth_ == 0)
        rootClosed_ = true;
}

std::size_t LeanParser::endTag(std::size_t at) {
    char* data = buffer_.data();
    const void* found = std::memchr(data + at + 2, '>', buffer_.size() - at - 2);
    if (!found)
        return npos;
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(found) - data);
    std::size_t nameEnd = end;
    while (nameEnd > at + 2 && isSpace(data[nameEnd - 1]))
        --nameEnd;
    const std::string_view name(data + at + 2, nameEnd - at - 2);
    if (depth_ == 0 || name != open_[depth_ - 1])
        fail("mismatched tag", at);
    const std::size_t colon = name.find(':');
    const std::string_view local = colon == npos ? name : name.substr(colon + 1);
    const std::string_view ns =
        resolve(colon == npos ? std::string_view() : name.substr(0, colon), at);
    closeElement(ns, local);
    return end + 1;
}

} // namespace engine::xml
