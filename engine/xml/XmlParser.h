#pragma once
// A streaming XML parser over expat for package parts: elements by local name, no DTDs.

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;

namespace engine::xml {

// One attribute of an element: its local name and its value.
struct Attribute {
    std::string_view local;
    const char* value;
};

// The attributes of one element as the parser saw them.
class Attributes {
public:
    // expat's null-terminated name/value pairs, names possibly prefixed.
    explicit Attributes(const char** raw) : raw_(raw) {}
    // Attributes already split into local names, declarations left out.
    Attributes(const Attribute* split, std::size_t count) : split_(split), count_(count) {}

    // The value of the first attribute whose local name is `local` (any namespace);
    // nullptr when there is none.
    const char* get(std::string_view local) const;

    // The value as a view; `fallback` when the attribute is absent.
    std::string_view value(std::string_view local, std::string_view fallback = {}) const;

private:
    const char** raw_ = nullptr;
    const Attribute* split_ = nullptr;
    std::size_t count_ = 0;
};

// Receives a part's content as it is parsed. Exceptions thrown here stop the parse and are
// rethrown by Parser::feed()/finish().
class Handler {
public:
    virtual ~Handler() = default;
    // `ns` is the element's namespace URI (empty when none), `local` its local name.
    virtual void startElement(std::string_view ns, std::string_view local,
                              const Attributes& attributes) = 0;
    virtual void endElement(std::string_view ns, std::string_view local) = 0;
    // Character data (CDATA included), possibly in several pieces per text node.
    virtual void characters(std::string_view) {}
};

class Parser {
public:
    // `partName` names the part in error details.
    Parser(Handler& handler, std::string partName);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Parses the next piece of the document. Throws ReadError(Damaged) naming the part, the
    // line and column and the fault: malformed XML, a DOCTYPE or entity declaration (never
    // expanded), nesting deeper than limits::maxXmlDepth.
    void feed(const char* data, std::size_t size);
    // Ends the document; throws like feed() when it is incomplete (or empty).
    void finish();

private:
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* text, int length);
    static void onDoctype(void* self, const char*, const char*, const char*, int);
    static void onEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                         const char*, const char*);

    void parse(const char* data, std::size_t size, bool final);
    void fail(const std::string& what);
    template <class F> void guarded(F&& body);

    // Prefixes are resolved here rather than by expat: its namespace mode costs a third of the
    // parse of a large part, and packages declare their few prefixes once, on the root.
    struct Binding {
        std::string prefix; // empty for the default namespace
        std::string uri;
        std::size_t depth; // of the element that declared it
    };
    // Binds the element's declarations and splits its other attributes into split_.
    void takeAttributes(const char** attributes);
    void bind(std::string_view prefix, std::string_view uri, const char* declaration);
    void unbindNamespaces();
    // The index in bindings_ of the name's namespace (SIZE_MAX for none); sets its local name.
    std::size_t resolve(const char* name, std::string_view& local);
    std::string_view uriOf(std::size_t binding) const;

    XML_ParserStruct* parser_;
    Handler& handler_;
    std::string partName_;
    std::size_t depth_ = 0;
    std::exception_ptr pending_;
    std::vector<Binding> bindings_;
    // The open elements' names as resolved at their start; a binding is kept by its index, as
    // bindings_ may move its strings.
    struct Open {
        const char* name;
        std::string_view local;
        std::size_t binding;
    };
    std::vector<Open> open_;
    // The current element's attributes, split once so that handlers' lookups compare views.
    std::vector<Attribute> split_;
    // Recently resolved prefixes as indexes into bindings_, by a hash of the prefix; cleared
    // whenever a binding comes or goes.
    static constexpr std::size_t cacheSlots = 16;
    std::size_t cache_[cacheSlots];
};

// Parses a whole document held in memory.
void parse(std::string_view document, Handler& handler, const std::string& partName);

} // namespace engine::xml
