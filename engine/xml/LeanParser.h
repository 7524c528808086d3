#pragma once
// A streaming XML tokenizer for large UTF-8 parts that gives a Handler the same events as
// Parser at several times its speed: names and values are cut out of its own buffer in place
// instead of being copied and split per call. Documents in any other encoding go to Parser.

#include "engine/xml/XmlParser.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine::xml {

class LeanParser {
public:
    // `partName` names the part in error details.
    LeanParser(Handler& handler, std::string partName);
    ~LeanParser();
    LeanParser(const LeanParser&) = delete;
    LeanParser& operator=(const LeanParser&) = delete;

    // Same contract as Parser::feed(): throws ReadError(Damaged) naming the part, the line and
    // column and the fault (malformed XML, a DOCTYPE, nesting deeper than limits::maxXmlDepth).
    void feed(const char* data, std::size_t size);
    void finish();

private:
    struct Span {
        std::size_t nameStart, nameEnd, valueStart, valueEnd;
    };
    struct Binding {
        std::string prefix;
        std::string uri;
        std::size_t depth;
    };

    bool startsInAnotherEncoding() const;
    void scan(bool final);
    // Each returns the offset just past what it consumed, or npos when the token is incomplete.
    std::size_t markup(std::size_t at, bool final);
    std::size_t startTag(std::size_t at);
    std::size_t endTag(std::size_t at);
    std::size_t skipUntil(std::size_t at, std::string_view end);
    void closeElement(std::string_view ns, std::string_view local);
    void text(std::size_t from, std::size_t to);
    std::size_t decode(char* from, char* to, bool attribute);
    void checkChars(const char* from, const char* to);
    std::string_view resolve(std::string_view prefix, std::size_t at);
    [[noreturn]] void fail(const std::string& what, std::size_t at);

    Handler& handler_;
    std::string partName_;
    std::unique_ptr<Parser> fallback_;
    std::vector<char> buffer_;
    std::size_t consumedLines_ = 0;  // line breaks in the bytes already dropped from buffer_
    std::size_t consumedColumn_ = 0; // bytes since the last line break among those
    std::vector<std::string> open_;  // raw names of the open elements, kept for their storage
    std::size_t depth_ = 0;          // how many of open_ are open
    std::vector<Binding> bindings_;
    std::vector<Span> spans_;
    std::vector<const char*> attributes_;
    // The last prefix resolved; bindings change far more rarely than elements start.
    std::string cachedPrefix_;
    std::string_view cachedUri_;
    bool cacheValid_ = false;
    bool started_ = false;
    bool sawRoot_ = false;
    bool rootClosed_ = false;
};

} // namespace engine::xml
