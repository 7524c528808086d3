// How element names resolve to namespaces, and which documents the parser refuses.

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/xml/XmlParser.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// Writes every element as "{uri}local" and its end as "/{uri}local", so a wrong scope shows
// on either side.
class Recorder : public engine::xml::Handler {
public:
    std::string log;
    void startElement(std::string_view ns, std::string_view local,
                      const engine::xml::Attributes&) override {
        log += "{" + std::string(ns) + "}" + std::string(local) + " ";
    }
    void endElement(std::string_view ns, std::string_view local) override {
        log += "/{" + std::string(ns) + "}" + std::string(local) + " ";
    }
};

std::string resolved(const std::string& document) {
    Recorder recorder;
    engine::xml::parse(document, recorder, "part");
    return recorder.log;
}

// Parses `document` handing the parser at most `piece` bytes at a time, however much it asks
// for, as an archive's entry may arrive.
void parseInPieces(const std::string& document, engine::xml::Handler& handler, std::size_t piece) {
    engine::xml::Parser parser(handler, "part");
    std::size_t at = 0;
    parser.read([&](char* buffer, std::size_t capacity) {
        const std::size_t size = std::min({capacity, piece, document.size() - at});
        std::memcpy(buffer, document.data() + at, size);
        at += size;
        return size;
    });
}

struct Resolution {
    const char* what;
    const char* document;
    const char* expected;
};

const Resolution resolutions[] = {
    {"no declaration leaves names without a namespace", "<a><b/></a>", "{}a {}b /{}b /{}a "},
    {"a prefix declared on the element applies to it", "<p:a xmlns:p='u'/>", "{u}a /{u}a "},
    {"the default namespace reaches unprefixed descendants",
     "<a xmlns='d'><b/><p:c xmlns:p='u'/></a>", "{d}a {d}b /{d}b {u}c /{u}c /{d}a "},
    {"an empty default undeclares it for the subtree", "<a xmlns='d'><b xmlns=''><c/></b><e/></a>",
     "{d}a {}b {}c /{}c /{}b {d}e /{d}e /{d}a "},
    {"a redeclared prefix holds only inside its element",
     "<p:a xmlns:p='outer'><p:b xmlns:p='inner'><p:c/></p:b><p:d/></p:a>",
     "{outer}a {inner}b {inner}c /{inner}c /{inner}b {outer}d /{outer}d /{outer}a "},
    {"the xml prefix needs no declaration", "<xml:a/>",
     "{http://www.w3.org/XML/1998/namespace}a /{http://www.w3.org/XML/1998/namespace}a "},
    // Prefixes of one length ending alike share a slot of the lookup cache.
    {"prefixes that share a cache slot keep their own namespaces",
     "<r xmlns:ab='1' xmlns:cb='2'><ab:x/><cb:x/><ab:x/></r>",
     "{}r {1}x /{1}x {2}x /{2}x {1}x /{1}x /{}r "},
    {"a prefix declared again after its scope ended",
     "<r><p:a xmlns:p='1'/><q:b xmlns:q='2'/><p:c xmlns:p='3'/></r>",
     "{}r {1}a /{1}a {2}b /{2}b {3}c /{3}c /{}r "},
};

TEST(XmlNamespaces, ResolvesElementNamesByScope) {
    for (const Resolution& row : resolutions)
        EXPECT_EQ(resolved(row.document), row.expected) << row.what;
}

// Handed a byte at a time, the parser may move the names of open elements between pieces: their
// ends must still resolve as their starts did.
TEST(XmlNamespaces, EndsResolveLikeStartsWhenFedInPieces) {
    for (const Resolution& row : resolutions) {
        Recorder recorder;
        parseInPieces(row.document, recorder, 1);
        EXPECT_EQ(recorder.log, row.expected) << row.what;
    }
}

struct Refusal {
    const char* what;
    std::string document;
    const char* message; // part of the error
};

std::string nested(std::size_t depth) {
    std::string document;
    for (std::size_t i = 0; i < depth; ++i)
        document += "<a>";
    for (std::size_t i = 0; i < depth; ++i)
        document += "</a>";
    return document;
}

// An element declaring `count` prefixes.
std::string declaring(std::size_t count) {
    std::string document = "<a";
    for (std::size_t i = 0; i < count; ++i)
        document += " xmlns:p" + std::to_string(i) + "='u'";
    return document + "/>";
}

// An element with `count` attributes.
std::string attributed(std::size_t count) {
    std::string document = "<a";
    for (std::size_t i = 0; i < count; ++i)
        document += " v" + std::to_string(i) + "=''";
    return document + "/>";
}

TEST(XmlNamespaces, RefusesBrokenAndHostileDocuments) {
    const std::string laughs = "<!DOCTYPE r [<!ENTITY a 'lol'><!ENTITY b '&a;&a;&a;&a;&a;&a;'>"
                               "<!ENTITY c '&b;&b;&b;&b;&b;&b;'><!ENTITY d '&c;&c;&c;&c;&c;&c;'>]>"
                               "<r>&d;&d;&d;&d;&d;&d;&d;&d;</r>";
    const Refusal refusals[] = {
        {"an undeclared prefix", "<p:a/>", "unbound prefix 'p'"},
        {"a prefix out of its scope", "<r><p:a xmlns:p='u'/><p:b/></r>", "unbound prefix 'p'"},
        {"a prefix bound to nothing", "<p:a xmlns:p=''/>", "'p' is undeclared"},
        {"entities expanding without end", laughs, "DOCTYPE"},
        {"nesting past the limit", nested(engine::limits::maxXmlDepth + 1), "nested deeper"},
        {"the xmlns prefix declared", "<a xmlns:xmlns='u'/>", "reserved"},
        {"the xml prefix bound elsewhere", "<a xmlns:xml='u'/>", "reserved"},
        {"the xml namespace under another prefix",
         "<a xmlns:p='http://www.w3.org/XML/1998/namespace'/>", "reserved"},
        {"declarations without end", declaring(5000), "namespace declarations"},
        {"a name that is not well-formed", "<a><b></a>", "line 1"},
        {"a document cut short", "<a><b>", "ends inside an element"},
        {"no root element at all", "", "no root element"},
        {"an element with attributes without end", attributed(257), "more than 256 attributes"},
        {"a tag that never ends", "<a v='" + std::string(1 << 20, 'x'), "runs on for more than"},
    };
    // Handed over as the parser asks, and in small pieces cut anywhere.
    for (const Refusal& row : refusals) {
        for (const bool pieces : {false, true}) {
            try {
                Recorder recorder;
                parseInPieces(row.document, recorder, pieces ? 7 : row.document.size());
                ADD_FAILURE() << row.what << ": accepted";
            } catch (const engine::ReadError& error) {
                EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                    << row.what << (pieces ? " (in pieces): " : ": ") << error.what();
            }
        }
    }
    EXPECT_NO_THROW(resolved(nested(engine::limits::maxXmlDepth)));
}

// A fault of the input met in the middle of a document is the one reported, not the document
// cut short that the library sees after it, and nothing more is asked of the input.
TEST(XmlNamespaces, AnInputFaultMidwayPassesThrough) {
    Recorder recorder;
    engine::xml::Parser parser(recorder, "part");
    std::string document = "<a>";
    for (int i = 0; i < 10000; ++i)
        document += "<b/>";
    std::size_t at = 0, callsAfterFault = 0;
    const auto source = [&](char* buffer, std::size_t capacity) -> std::size_t {
        if (at >= document.size() / 2) {
            ++callsAfterFault;
            throw engine::ReadError(engine::ReadError::Kind::Damaged, "the entry is corrupt");
        }
        const std::size_t size = std::min(capacity, document.size() - at);
        std::memcpy(buffer, document.data() + at, size);
        at += size;
        return size;
    };
    try {
        parser.read(source);
        ADD_FAILURE() << "accepted";
    } catch (const engine::ReadError& error) {
        EXPECT_STREQ(error.what(), "the entry is corrupt");
    }
    EXPECT_EQ(callsAfterFault, 1u);
}

// Attributes never take the default namespace and are found by local name whatever their
// prefix; declarations are not attributes.
TEST(XmlNamespaces, AttributesAreFoundByLocalNameAndDeclarationsAreHidden) {
    struct Lookup : engine::xml::Handler {
        std::string log;
        void startElement(std::string_view, std::string_view,
                          const engine::xml::Attributes& attributes) override {
            for (const char* name : {"plain", "tagged", "xmlns", "p", "absent"})
                log += std::string(name) + "=" + std::string(attributes.value(name, "-")) + " ";
        }
        void endElement(std::string_view, std::string_view) override {}
    } lookup;
    engine::xml::parse("<a xmlns='d' xmlns:p='u' plain='1' p:tagged='2'/>", lookup, "part");
    EXPECT_EQ(lookup.log, "plain=1 tagged=2 xmlns=- p=- absent=- ");

    struct Value : engine::xml::Handler {
        std::string value;
        void startElement(std::string_view, std::string_view,
                          const engine::xml::Attributes& attributes) override {
            value = attributes.value("v");
        }
        void endElement(std::string_view, std::string_view) override {}
    } escaped;
    engine::xml::parse("<a v='Bo &amp; Co &#38; &lt;x&gt; &#x41;'/>", escaped, "part");
    EXPECT_EQ(escaped.value, "Bo & Co & <x> A");
}

// Long text, in a CDATA section or not, arrives whole however the part is cut into pieces:
// the parser must neither refuse it as overlong markup nor lose any of it.
TEST(XmlNamespaces, LongTextArrivesWholeAcrossPieces) {
    struct Counter : engine::xml::Handler {
        std::size_t bytes = 0;
        void startElement(std::string_view, std::string_view,
                          const engine::xml::Attributes&) override {}
        void endElement(std::string_view, std::string_view) override {}
        void characters(std::string_view text) override { bytes += text.size(); }
    } counter;
    const std::size_t length = 3u << 20;
    const std::string document = "<a><![CDATA[" + std::string(length, 'c') + "]]>" +
                                 std::string(length, 't') + "<b v='" + std::string(100000, 'v') +
                                 "'/></a>";
    parseInPieces(document, counter, 1000);
    EXPECT_EQ(counter.bytes, 2 * length);
    counter.bytes = 0;
    engine::xml::parse(document, counter, "part");
    EXPECT_EQ(counter.bytes, 2 * length);
}

} // namespace
