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

constexpr char namespaceSeparator = '\x01';

// Splits expat's "uri<sep>local" into its two halves.
void splitName(const char* name, std::string_view& ns, std::string_view& local) {
    const char* separator = std::strchr(name, namespaceSeparator);
    if (separator) {
        ns = std::string_view(name, static_cast<std::size_t>(separator - name));
        local = std::string_view(separator + 1);
    } else {
        ns = {};
        local = std::string_view(name);
    }
}

std::string_view localName(const char* name) {
    const char* separator = std::strchr(name, namespaceSeparator);
    return std::string_view(separator ? separator + 1 : name);
}

} // namespace

const char* Attributes::get(std::string_view local) const {
    for (const char** pair = raw_; pair && pair[0]; pair += 2)
        if (localName(pair[0]) == local)
            return pair[1];
    return nullptr;
}

std::string_view Attributes::value(std::string_view local, std::string_view fallback) const {
    const char* found = get(local);
    return found ? std::string_view(found) : fallback;
}

Parser::Parser(Handler& handler, std::string partName)
    : parser_(XML_ParserCreateNS(nullptr, namespaceSeparator)), handler_(handler),
      partName_(std::move(partName)) {
    if (!parser_)
        throw std::bad_alloc();
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
        std::string_view ns, local;
        splitName(name, ns, local);
        parser->handler_.startElement(ns, local, Attributes(attributes));
    });
}

void Parser::onEnd(void* self, const char* name) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        --parser->depth_;
        std::string_view ns, local;
        splitName(name, ns, local);
        parser->handler_.endElement(ns, local);
    });
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
