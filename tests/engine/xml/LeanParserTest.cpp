// The lean tokenizer must hand a handler exactly what the expat parser hands it, however the
// document is cut into pieces, and refuse what expat refuses.

#include "engine/xml/LeanParser.h"

#include "engine/read/Limits.h"
#include "engine/read/ReadError.h"
#include "engine/xml/XmlParser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using engine::ReadError;
namespace xml = engine::xml;

// Writes every event as a line; adjacent character data is joined, since either parser may
// split it anywhere.
class Recorder : public xml::Handler {
public:
    std::string log;

    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        flushText();
        log += "<{" + std::string(ns) + "}" + std::string(local);
        for (const char* name : {"a", "b", "value", "href", "lang", "style-name", "x"})
            if (const char* value = attributes.get(name))
                log += " " + std::string(name) + "=[" + value + "]";
        log += ">\n";
    }
    void endElement(std::string_view ns, std::string_view local) override {
        flushText();
        log += "</{" + std::string(ns) + "}" + std::string(local) + ">\n";
    }
    void characters(std::string_view text) override { text_ += text; }
    void flushText() {
        if (!text_.empty())
            log += "'" + text_ + "'\n";
        text_.clear();
    }

private:
    std::string text_;
};

std::string withExpat(std::string_view document) {
    Recorder recorder;
    xml::parse(document, recorder, "part");
    recorder.flushText();
    return recorder.log;
}

std::string withLean(std::string_view document, std::size_t cut = std::string::npos) {
    Recorder recorder;
    xml::LeanParser parser(recorder, "part");
    cut = std::min(cut, document.size());
    parser.feed(document.data(), cut);
    parser.feed(document.data() + cut, document.size() - cut);
    parser.finish();
    recorder.flushText();
    return recorder.log;
}

const char* const wellFormed[] = {
    // Prefixes, a default namespace, redeclaration in a child and its end.
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r xmlns=\"urn:d\" xmlns:t=\"urn:t\">"
    "<t:c a=\"1\" t:b='2'/><c xmlns=\"urn:inner\"><t:c xmlns:t=\"urn:t2\"/></c><c/></r>",
    // Entities, character references and line ends in text and attributes.
    "<r a=\"x&amp;y&lt;&#65;&#x42;\t&#10;z\r\nw\" b=\"&quot;&apos;&gt;\">"
    "a &amp; b &#233;&#x1F600;\r\nline\rnext</r>",
    // Comments, processing instructions, CDATA, white space around the root, a byte-order mark.
    "\xEF\xBB\xBF<!-- lead -->\n<?pi data?><r><!-- in --><![CDATA[<raw> & ]]>t<?x y?></r>\n"
    "<!-- tail -->\n",
    // Multi-byte UTF-8 in names and values, white space inside tags, the xml prefix.
    "<r\n  value = 'caf\xC3\xA9'  xml:lang=\"fr\" ><\xC3\xA9l x=\"\xE2\x82\xAC\"/></r  >",
    // An element without a namespace and empty values.
    "<r><c a=\"\" b=''></c></r>",
};

TEST(LeanParser, GivesTheEventsExpatGivesInEveryCutOfTheDocument) {
    for (const char* document : wellFormed) {
        const std::string expected = withExpat(document);
        const std::string_view text(document);
        for (std::size_t cut = 0; cut <= text.size(); ++cut)
            ASSERT_EQ(withLean(text, cut), expected) << document << "\ncut at " << cut;
    }
}

TEST(LeanParser, RefusesWhatExpatRefuses) {
    const std::string deep = std::string(engine::limits::maxXmlDepth + 1, 'x');
    std::string nested;
    for (char c : deep)
        nested += std::string("<") + c + ">";
    const std::string bad[] = {
        "",
        "   ",
        "<r>",
        "<r></s>",
        "<r><c></r></c>",
        "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>",
        "<r>&unknown;</r>",
        "<r>&#0;</r>",
        "<r>&#xD800;</r>",
        "<r>\xC3</r>",
        "<r>\xC0\xAF</r>",
        "<r>\xED\xA0\x80</r>",
        "<r>\xEF\xBF\xBE</r>",
        std::string("<r>\0</r>", 8),
        "<r>\x01</r>",
        "<p:r/>",
        "<r/><r/>",
        "<r/>junk",
        "text<r/>",
        "<r a=\"<\"/>",
        "<r a=\"1\"b=\"2\"/>",
        "<r a/>",
        "<r a=1/>",
        "<r",
        "<r><!-- open",
        "<r><![CDATA[open",
        "<r:/>",
        nested,
    };
    for (const std::string& document : bad) {
        EXPECT_THROW(withExpat(document), ReadError) << document;
        EXPECT_THROW(withLean(document), ReadError) << document;
        EXPECT_THROW(withLean(document, document.size() / 2), ReadError) << document;
    }
}

TEST(LeanParser, NamesThePartLineAndColumnOfAFault) {
    try {
        withLean("<r>\n<c>\n  <d></c>", 9);
        FAIL() << "no error";
    } catch (const ReadError& error) {
        EXPECT_EQ(error.kind(), ReadError::Kind::Damaged);
        EXPECT_NE(error.detail().find("'part' at line 3, column 6: mismatched tag"),
                  std::string::npos)
            << error.detail();
    }
}

TEST(LeanParser, HandsDocumentsInOtherEncodingsToExpat) {
    const std::string latin =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\xE9\">\xE9</r>";
    EXPECT_EQ(withLean(latin, 7), withExpat(latin));
    EXPECT_NE(withLean(latin).find("'\xC3\xA9'"), std::string::npos);
}

} // namespace
