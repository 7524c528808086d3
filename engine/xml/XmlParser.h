#pragma once
// A streaming XML parser for package parts: elements by local name, no DTDs.

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlParserCtxt;
struct _xmlError;

namespace engine::xml {

// One attribute of an element: its local name and its null-terminated value.
struct Attribute {
    std::string_view local;
    const char* value;
    std::size_t size; // of value, without the terminator
};

// The attributes of one element as the parser saw them.
class Attributes {
public:
    // Null-terminated name/value pairs, names possibly prefixed.
    explicit Attributes(const char** raw) : raw_(raw) {}
    // Attributes already split into local names, declarations left out.
    Attributes(const Attribute* split, std::size_t count) : split_(split), count_(count) {}

    // The value of the first attribute whose local name is `local` (any namespace);
    // nullptr when there is none.
    const char* get(std::string_view local) const;

    // The value as a view; `fallback` when the attribute is absent.
    std::string_view value(std::string_view local, std::string_view fallback = {}) const;

    // Calls visit(local, value) for each attribute in document order, declarations left out:
    // one pass for a reader that wants many of an element's attributes. Of attributes sharing
    // a local name, get() finds the first.
    template <class Visit> void forEach(Visit&& visit) const {
        for (std::size_t i = 0; i < count_; ++i)
            visit(split_[i].local, std::string_view(split_[i].value, split_[i].size));
        for (const char** pair = raw_; pair && pair[0]; pair += 2)
            if (!declaresNamespace(pair[0]))
                visit(localName(pair[0]), std::string_view(pair[1]));
    }

    // "xmlns" or "xmlns:p": a namespace declaration rather than an attribute.
    static bool declaresNamespace(const char* name);
    // The name without its prefix.
    static std::string_view localName(const char* name);

private:
    const Attribute* find(std::string_view local) const;

    const char** raw_ = nullptr;
    const Attribute* split_ = nullptr;
    std::size_t count_ = 0;
};

// Receives a part's content as it is parsed. Exceptions thrown here stop the parse and are
// rethrown by Parser::read().
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

// Hands the parser the next bytes of a document: fills up to `capacity` bytes of `buffer` and
// returns how many, 0 at the end. What it throws passes through Parser::read().
using Source = std::function<std::size_t(char* buffer, std::size_t capacity)>;

class Parser {
public:
    // `partName` names the part in error details.
    Parser(Handler& handler, std::string partName);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Parses the whole document, pulling it from `source` as far as the parser needs. Throws
    // ReadError(Damaged) naming the part, the line and column and the fault: malformed XML, a
    // DOCTYPE or entity declaration (never expanded), nesting deeper than limits::maxXmlDepth,
    // an element with too many attributes or namespace declarations, a tag too long to be a
    // real one; what `source` throws passes through. Pulled rather than pushed, the library
    // reads each token straight through instead of first searching what it holds for the
    // token's end: a few per cent fewer instructions on a large part. Called once per parser.
    void read(const Source& source);

private:
    static void onStart(void* self, const unsigned char* local, const unsigned char* prefix,
                        const unsigned char* uri, int namespaceCount,
                        const unsigned char** namespaces, int attributeCount, int defaulted,
                        const unsigned char** attributes);
    static void onEnd(void* self, const unsigned char* local, const unsigned char* prefix,
                      const unsigned char* uri);
    static void onText(void* self, const unsigned char* text, int length);
    static void onDoctype(void* self, const unsigned char*, const unsigned char*,
                          const unsigned char*);
    static void onEntity(void* self, const unsigned char*, int, const unsigned char*,
                         const unsigned char*, unsigned char*);
    static void onError(void* self, const _xmlError* error);
    static int onRead(void* self, char* buffer, int capacity);

    [[noreturn]] void fail(const std::string& what, int line, int column);
    [[noreturn]] void fail(const std::string& what);
    template <class F> void guarded(F&& body);

    // Copies the element's attribute values, which the library does not terminate, into
    // values_ and points split_ at them.
    void takeAttributes(int count, const unsigned char** attributes);
    void declareNamespaces(std::size_t count);
    void undeclareNamespaces();

    _xmlParserCtxt* context_ = nullptr; // made by read()
    const Source* source_ = nullptr;    // while read() runs
    Handler& handler_;
    std::string partName_;
    std::size_t depth_ = 0;
    bool sawRoot_ = false;
    std::exception_ptr pending_;
    // Namespace declarations in scope, and how many each declaring element added.
    std::size_t namespacesInScope_ = 0;
    struct Declared {
        std::size_t depth;
        std::size_t count;
    };
    std::vector<Declared> declared_;
    // The current element's attributes, split once so that handlers' lookups compare views.
    std::vector<Attribute> split_;
    std::string values_;
};

// Parses a whole document held in memory.
void parse(std::string_view document, Handler& handler, const std::string& partName);

} // namespace engine::xml
