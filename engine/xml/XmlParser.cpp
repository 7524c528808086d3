#include "engine/xml/XmlParser.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"

#include <algorithm>
#include <cstring>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <mutex>
#include <new>

namespace engine::xml {
namespace {

#if LIBXML_VERSION >= 21200
using ErrorArgument = const xmlError*;
#else
using ErrorArgument = xmlError*;
#endif

std::string_view text(const xmlChar* value) {
    return value ? std::string_view(reinterpret_cast<const char*>(value)) : std::string_view();
}

// The library's messages end in a newline, some after a second line of raw bytes.
std::string firstLine(const char* message) {
    if (!message)
        return "malformed XML";
    std::string_view line(message);
    line = line.substr(0, line.find('\n'));
    while (!line.empty() && line.back() == ' ')
        line.remove_suffix(1);
    return std::string(line);
}

} // namespace

bool Attributes::declaresNamespace(const char* name) {
    return name[0] == 'x' && std::strncmp(name, "xmlns", 5) == 0 &&
           (name[5] == '\0' || name[5] == ':');
}

std::string_view Attributes::localName(const char* name) {
    const char* colon = std::strchr(name, ':');
    return std::string_view(colon ? colon + 1 : name);
}

const Attribute* Attributes::find(std::string_view local) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (split_[i].local == local)
            return &split_[i];
    return nullptr;
}

const char* Attributes::get(std::string_view local) const {
    if (const Attribute* found = find(local))
        return found->value;
    for (const char** pair = raw_; pair && pair[0]; pair += 2)
        if (localName(pair[0]) == local && !declaresNamespace(pair[0]))
            return pair[1];
    return nullptr;
}

std::string_view Attributes::value(std::string_view local, std::string_view fallback) const {
    // The split form knows the value's length: no need to measure it again.
    if (split_) {
        const Attribute* found = find(local);
        return found ? std::string_view(found->value, found->size) : fallback;
    }
    const char* found = get(local);
    return found ? std::string_view(found) : fallback;
}

Parser::Parser(Handler& handler, std::string partName)
    : handler_(handler), partName_(std::move(partName)) {
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        xmlInitParser();
        // Nothing reaches an external entity (no DTD is read, no entity is ever declared);
        // should anything try, it finds nothing.
        xmlSetExternalEntityLoader([](const char*, const char*, xmlParserCtxtPtr) {
            return static_cast<xmlParserInputPtr>(nullptr);
        });
    });
}

Parser::~Parser() {
    if (!context_)
        return;
    // The library makes itself a document to hold entity declarations it meets, even for a
    // SAX reader, and leaves it to the reader to free.
    if (context_->myDoc)
        xmlFreeDoc(context_->myDoc);
    xmlFreeParserCtxt(context_);
}

template <class F> void Parser::guarded(F&& body) {
    if (pending_)
        return;
    try {
        body();
    } catch (...) {
        pending_ = std::current_exception();
        // Nothing after the first fault is read: a refused DOCTYPE's internal subset, say,
        // is never parsed, so none of its entities is ever declared or expanded.
        xmlStopParser(context_);
    }
}

void Parser::fail(const std::string& what, int line, int column) {
    throw ReadError(ReadError::Kind::Damaged, "the part '" + partName_ + "' at line " +
                                                  std::to_string(line) + ", column " +
                                                  std::to_string(column) + ": " + what);
}

void Parser::fail(const std::string& what) {
    if (!context_)
        fail(what, 1, 1);
    fail(what, xmlSAX2GetLineNumber(context_), xmlSAX2GetColumnNumber(context_));
}

void Parser::onStart(void* self, const xmlChar* local, const xmlChar*, const xmlChar* uri,
                     int namespaceCount, const xmlChar**, int attributeCount, int,
                     const xmlChar** attributes) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        parser->sawRoot_ = true;
        if (++parser->depth_ > limits::maxXmlDepth)
            parser->fail("elements are nested deeper than " + std::to_string(limits::maxXmlDepth) +
                         " levels");
        if (namespaceCount > 0)
            parser->declareNamespaces(static_cast<std::size_t>(namespaceCount));
        parser->takeAttributes(attributeCount, attributes);
        parser->handler_.startElement(text(uri), text(local),
                                      Attributes(parser->split_.data(), parser->split_.size()));
    });
}

void Parser::onEnd(void* self, const xmlChar* local, const xmlChar*, const xmlChar* uri) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        parser->handler_.endElement(text(uri), text(local));
        parser->undeclareNamespaces();
        --parser->depth_;
    });
}

void Parser::takeAttributes(int count, const xmlChar** attributes) {
    split_.clear();
    if (count <= 0)
        return;
    if (static_cast<std::size_t>(count) > limits::maxXmlAttributes)
        fail("an element has more than " + std::to_string(limits::maxXmlAttributes) +
             " attributes");
    // Each attribute is five pointers: local name, prefix, namespace, value and value's end.
    const xmlChar** const end = attributes + 5 * count;
    std::size_t bytes = 0;
    for (const xmlChar** at = attributes; at != end; at += 5)
        bytes += static_cast<std::size_t>(at[4] - at[3]) + 1;
    if (values_.size() < bytes)
        values_.resize(bytes);
    char* out = values_.data();
    for (const xmlChar** at = attributes; at != end; at += 5) {
        const auto length = static_cast<std::size_t>(at[4] - at[3]);
        std::memcpy(out, at[3], length);
        out[length] = '\0';
        split_.push_back({text(at[0]), out, length});
        out += length + 1;
    }
}

void Parser::declareNamespaces(std::size_t count) {
    namespacesInScope_ += count;
    if (namespacesInScope_ > limits::maxXmlNamespacesInScope)
        fail("more than " + std::to_string(limits::maxXmlNamespacesInScope) +
             " namespace declarations are in scope");
    declared_.push_back({depth_, count});
}

void Parser::undeclareNamespaces() {
    if (declared_.empty() || declared_.back().depth != depth_)
        return;
    namespacesInScope_ -= declared_.back().count;
    declared_.pop_back();
}

void Parser::onText(void* self, const xmlChar* text, int length) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] {
        parser->handler_.characters(std::string_view(reinterpret_cast<const char*>(text),
                                                     static_cast<std::size_t>(length)));
    });
}

void Parser::onDoctype(void* self, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* parser = static_cast<Parser*>(self);
    // Package parts never need a DTD; refusing it, before its internal subset is read, rules
    // out entity expansion and external references alike.
    parser->guarded([&] { parser->fail("a DOCTYPE declaration is not allowed"); });
}

void Parser::onEntity(void* self, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
    auto* parser = static_cast<Parser*>(self);
    parser->guarded([&] { parser->fail("an entity declaration is not allowed"); });
}

void Parser::onError(void* self, const xmlError* error) {
    auto* parser = static_cast<Parser*>(self);
    if (error->level == XML_ERR_WARNING)
        return;
    // The library reports namespace faults as errors but reads on; remembering the first one
    // silences every later callback, and parse() throws it.
    parser->guarded([&] {
        const std::string_view first = error->str1 ? error->str1 : "";
        std::string what;
        switch (error->code) {
        case XML_NS_ERR_UNDEFINED_NAMESPACE:
            what = "unbound prefix '" + std::string(first) + "'";
            break;
        case XML_NS_ERR_XML_NAMESPACE:
            // Only the empty binding names its prefix.
            what = first.empty()
                       ? "a reserved namespace prefix or name is misused"
                       : "the namespace prefix '" + std::string(first) + "' is undeclared";
            break;
        case XML_ERR_DOCUMENT_END:
        case XML_ERR_DOCUMENT_EMPTY:
        case XML_ERR_TAG_NOT_FINISHED:
            // The library says "extra content" for a document cut short as well, and, when it
            // pulls its input, "premature end of data" in the innermost element.
            if (!parser->sawRoot_)
                what = "the document has no root element";
            else if (parser->depth_ > 0)
                what = "the document ends inside an element";
            else
                what = firstLine(error->message);
            break;
        default:
            what = firstLine(error->message);
        }
        parser->fail(what, error->line, error->int2);
    });
}

int Parser::onRead(void* self, char* buffer, int capacity) {
    auto* parser = static_cast<Parser*>(self);
    // Stopping the parser here would free the buffer the library is reading into: a fault
    // ends the input instead, and read() throws it once the library has returned.
    if (parser->pending_ || capacity <= 0)
        return 0;
    try {
        // The library asks for more while it holds all of a token it has not finished, from a
        // little before its start; a start tag it keeps whole, to check its attributes. Past
        // the bound, a tag that never ends is refused before much more of it is read.
        const xmlParserInput* input = parser->context_ ? parser->context_->input : nullptr;
        if (input && input->cur > input->base &&
            static_cast<std::size_t>(input->cur - input->base) > limits::maxXmlMarkupBytes)
            parser->fail("a tag, comment or other markup runs on for more than " +
                         std::to_string(limits::maxXmlMarkupBytes) + " bytes");
        // The library takes a short read for all there is for now and may misparse a name or
        // an attribute cut by it: the buffer is filled unless the input ends first.
        const auto wanted = static_cast<std::size_t>(capacity);
        std::size_t got = 0;
        while (got < wanted) {
            const std::size_t more = (*parser->source_)(buffer + got, wanted - got);
            if (more == 0)
                break;
            got += std::min(more, wanted - got);
        }
        return static_cast<int>(got);
    } catch (...) {
        parser->pending_ = std::current_exception();
        return 0;
    }
}

void Parser::read(const Source& source) {
    source_ = &source;
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &Parser::onStart;
    sax.endElementNs = &Parser::onEnd;
    sax.characters = &Parser::onText;
    sax.cdataBlock = &Parser::onText;
    // The same function for both keeps whitespace-only text as text.
    sax.ignorableWhitespace = &Parser::onText;
    sax.internalSubset = &Parser::onDoctype;
    sax.entityDecl = &Parser::onEntity;
    sax.serror = [](void* self, ErrorArgument error) { Parser::onError(self, error); };
    context_ =
        xmlCreateIOParserCtxt(&sax, this, &Parser::onRead, nullptr, this, XML_CHAR_ENCODING_NONE);
    if (!context_)
        throw std::bad_alloc();
    // No network and no DTD loading. Without "substitution" the library writes a character
    // reference to '&' in an attribute value back as "&#38;"; with no entity ever declared, it
    // substitutes only the predefined ones and character references.
    xmlCtxtUseOptions(context_, XML_PARSE_NONET | XML_PARSE_NOENT);
    xmlParseDocument(context_);
    source_ = nullptr;
    if (pending_)
        std::rethrow_exception(pending_);
    if (!context_->wellFormed)
        fail("the document is not well-formed");
}

void parse(std::string_view document, Handler& handler, const std::string& partName) {
    Parser parser(handler, partName);
    parser.read([&document](char* buffer, std::size_t capacity) {
        const std::size_t size = std::min(capacity, document.size());
        std::memcpy(buffer, document.data(), size);
        document.remove_prefix(size);
        return size;
    });
}

} // namespace engine::xml
