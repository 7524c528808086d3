#include "engine/xml/XmlParser.h"

#include "engine/read/Limits.h"
#include "engine/read/ReadError.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <expat.h>
#include <new>

namespace engine::xml {
namespace {

constexpr std::string_view xmlPrefix = "xml";
constexpr std::string_view xmlNamespace = "http://www.w3.org/XML/1998/namespace";

// "xmlns" or "xmlns:p": a namespace declaration rather than an attribute.
bool declaresNamespace(const char* name) {
    return name[0] == 'x' && std::strncmp(name, "xmlns", 5) == 0 &&
           (name[5] == '\0' || name[5] == ':');
}

// The prefix (empty when none) and local name of a qualified name, in one pass: element and
// attribute names are a few characters, and calls out to find the colon and then the end
// cost more than the names themselves.
void splitName(const char* name, std::string_view& prefix, std::string_view& local) {
    const char* colon = nullptr;
    const char* end = name;
    for (; *end; ++end)
        if (*end == ':' && !colon)
            colon = end;
    if (colon) {
        prefix = std::string_view(name, static_cast<std::size_t>(colon - name));
        local = std::string_view(colon + 1, static_cast<std::size_t>(end - colon - 1));
    } else {
        prefix = {};
        local = std::string_view(name, static_cast<std::size_t>(end - name));
    }
}

std::string_view localName(const char* name) {
    std::string_view prefix, local;
    splitName(name, prefix, local);
    return local;
}

} // namespace

const char* Attributes::get(std::string_view local) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (split_[i].local == local)
            return split_[i].value;
    for (const char** pair = raw_; pair && pair[0]; pair += 2)
        if (localName(pair[0]) == local && !declaresNamespace(pair[0]))
            return pair[1];
    return nullptr;
}

std::string_view Attributes::value(std::string_view local, std::string_view fallback) const {
    const char* found = get(local);
    return found ? std::string_view(found) : fallback;
}

Parser::Parser(Handler& handler, std::string partName)
    : parser_(XML_ParserCreate(nullptr)), handler_(handler), partName_(std::move(partName)) {
    if (!parser_)
        throw std::bad_alloc();
    bindings_.push_back({std::string(xmlPrefix), std::string(xmlNamespace), 0});
    std::fill(std::begin(cache_), std::end(cache_), SIZE_MAX);
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &Parser::onStart, &Parser::onEnd);
    XML_SetCharacterDataHandler(parser_, &Parser::onText);
    XML_SetStartDoctypeDeclHandler(parser_, &Parser::onDoctype);
    XML_SetEntityDeclHandler(parser_, &Parser::onEntity);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

Parser::~Parser() {
    XML_ParserFree(parser_);
}

template <class F> void Parser::guarded(F&& body) {
    if (pending_)
        return;
    try {
        body();
    } catch (...) {
        pending_ = std::current_exception();
        XML_StopParser(parser_, XML_FALSE);
    }
}

void Parser::fail(const std::string& what) {
    throw ReadError(ReadError::Kind::Damaged,
                    "the part '" + partName_ + "' at line " +
                        std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
                        std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + ": " + what);
}

void Parser::onStart(void* self, const char* name, const char** attributes) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        if (++parser->depth_ > limits::maxXmlDepth)
            parser->fail("elements are nested deeper than " + std::to_string(limits::maxXmlDepth) +
                         " levels");
        parser->takeAttributes(attributes);
        std::string_view local;
        const std::size_t binding = parser->resolve(name, local);
        parser->open_.push_back({name, local, binding});
        parser->handler_.startElement(parser->uriOf(binding), local,
                                      Attributes(parser->split_.data(), parser->split_.size()));
    });
}

void Parser::onEnd(void* self, const char* name) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        // expat hands the end tag the name it gave the start tag unless it has moved the
        // name since: then it is resolved again.
        std::string_view local;
        std::size_t binding;
        const Open& open = parser->open_.back();
        if (open.name == name) {
            local = open.local;
            binding = open.binding;
        } else {
            binding = parser->resolve(name, local);
        }
        parser->handler_.endElement(parser->uriOf(binding), local);
        parser->open_.pop_back();
        parser->unbindNamespaces();
        --parser->depth_;
    });
}

void Parser::takeAttributes(const char** attributes) {
    split_.clear();
    for (const char** pair = attributes; pair[0]; pair += 2) {
        const char* name = pair[0];
        if (declaresNamespace(name)) {
            bind(name[5] == ':' ? name + 6 : "", pair[1], name);
            continue;
        }
        split_.push_back({localName(name), pair[1]});
    }
}

void Parser::bind(std::string_view prefix, std::string_view uri, const char* declaration) {
    if (!prefix.empty() && uri.empty())
        fail("the namespace prefix '" + std::string(prefix) + "' is undeclared");
    if (prefix == "xmlns" || (prefix == xmlPrefix) != (uri == xmlNamespace))
        fail("the reserved prefix or namespace of '" + std::string(declaration) + "' is misused");
    if (bindings_.size() > limits::maxXmlNamespacesInScope)
        fail("more than " + std::to_string(limits::maxXmlNamespacesInScope) +
             " namespace declarations are in scope");
    bindings_.push_back({std::string(prefix), std::string(uri), depth_});
    std::fill(std::begin(cache_), std::end(cache_), SIZE_MAX);
}

void Parser::unbindNamespaces() {
    if (bindings_.back().depth != depth_)
        return;
    while (bindings_.back().depth == depth_)
        bindings_.pop_back();
    std::fill(std::begin(cache_), std::end(cache_), SIZE_MAX);
}

std::size_t Parser::resolve(const char* name, std::string_view& local) {
    std::string_view prefix;
    splitName(name, prefix, local);
    const std::size_t slot =
        (prefix.size() + (prefix.empty() ? 0u : static_cast<unsigned char>(prefix.back()))) %
        cacheSlots;
    std::size_t found = cache_[slot];
    if (found >= bindings_.size() || bindings_[found].prefix != prefix) {
        found = bindings_.size();
        while (found-- > 0 && bindings_[found].prefix != prefix) {
        }
        if (found == SIZE_MAX) {
            if (!prefix.empty())
                fail("unbound prefix '" + std::string(prefix) + "'");
            return SIZE_MAX;
        }
        cache_[slot] = found;
    }
    return found;
}

std::string_view Parser::uriOf(std::size_t binding) const {
    return binding == SIZE_MAX ? std::string_view() : std::string_view(bindings_[binding].uri);
}

void Parser::onText(void* self, const char* text, int length) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        parser->handler_.characters(std::string_view(text, static_cast<std::size_t>(length)));
    });
}

void Parser::onDoctype(void* self, const char*, const char*, const char*, int) {
    auto* parser = static_cast<Parser*>(self);
    // Package parts never need a DTD; refusing it rules out entity expansion and external
    // references alike.
    parser->guarded([&] { parser->fail("a DOCTYPE declaration is not allowed"); });
}

void Parser::onEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                      const char*, const char*) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] { parser->fail("an entity declaration is not allowed"); });
}

void Parser::parse(const char* data, std::size_t size, bool final) {
    do {
        const std::size_t piece = std::min<std::size_t>(size, INT_MAX / 2);
        const XML_Status status =
            XML_Parse(parser_, data, static_cast<int>(piece), final && piece == size);
        if (pending_)
            std::rethrow_exception(pending_);
        if (status != XML_STATUS_OK)
            fail(std::string(XML_ErrorString(XML_GetErrorCode(parser_))));
        data += piece;
        size -= piece;
    } while (size > 0);
}

void Parser::feed(const char* data, std::size_t size) {
    if (size > 0)
        parse(data, size, false);
}

void Parser::finish() {
    parse(nullptr, 0, true);
}

void parse(std::string_view document, Handler& handler, const std::string& partName) {
    Parser parser(handler, partName);
    parser.feed(document.data(), document.size());
    parser.finish();
}

} // namespace engine::xml
