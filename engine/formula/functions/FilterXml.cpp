// FILTERXML: the values an XPath query picks from XML text given in the formula. The text is
// parsed with no network, no document type and no entities, and the query's work is bounded.
#include "engine/base/Limits.h"
#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Blocks.h"
#include "engine/formula/functions/Families.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <memory>
#include <string>

namespace engine::formula::functions {
namespace {

struct DocumentFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ContextFree {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct ObjectFree {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

// A node's text as a number when it reads as one whole, as the application gives numbers back.
Value valueOf(std::string text) {
    if (!text.empty() && text.find_first_not_of("0123456789+-.eE") == std::string::npos) {
        char* end = nullptr;
        errno = 0;
        const double n = std::strtod(text.c_str(), &end);
        if (*end == '\0' && errno == 0 && std::isfinite(n)) {
            return Value::of(n);
        }
    }
    return Value::of(std::move(text));
}

ArrayValue filterXml(Args args, CallContext& c) {
    Reader r(args, c);
    const std::string xml = r.text(0);
    const std::string query = r.text(1);
    if (r.failed()) {
        return single(r.error());
    }
    if (xml.empty() || query.empty() || xml.size() > limits::maxTextBytes ||
        !c.chargeWork(xml.size())) {
        return single(Value::fail(CellError::Value));
    }
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    const std::unique_ptr<xmlDoc, DocumentFree> doc(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8", options));
    // A document type could declare entities that grow without end; the application's
    // documents for this have none.
    if (!doc || doc->intSubset || doc->extSubset) {
        return single(Value::fail(CellError::Value));
    }
    const std::unique_ptr<xmlXPathContext, ContextFree> context(xmlXPathNewContext(doc.get()));
    if (!context) {
        return single(Value::fail(CellError::Value));
    }
    context->opLimit = limits::maxXPathOperations;
    context->error = [](void*, xmlError*) {}; // failures come back as a null result
    const std::unique_ptr<xmlXPathObject, ObjectFree> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), context.get()));
    if (!result) {
        return single(Value::fail(CellError::Value));
    }
    switch (result->type) {
    case XPATH_NUMBER:
        return single(std::isfinite(result->floatval) ? Value::of(result->floatval)
                                                      : Value::fail(CellError::Value));
    case XPATH_BOOLEAN:
        return single(Value::of(result->boolval != 0));
    case XPATH_STRING:
        return single(valueOf(reinterpret_cast<const char*>(result->stringval)));
    case XPATH_NODESET:
        break;
    default:
        return single(Value::fail(CellError::Value));
    }
    const xmlNodeSet* nodes = result->nodesetval;
    if (!nodes || nodes->nodeNr == 0 ||
        static_cast<std::size_t>(nodes->nodeNr) > limits::maxXPathResults) {
        return single(Value::fail(CellError::Value));
    }
    // One value a node, down a column.
    ArrayValue out;
    out.rows = static_cast<std::uint32_t>(nodes->nodeNr);
    out.cols = 1;
    std::size_t bytes = 0;
    for (int i = 0; i < nodes->nodeNr; ++i) {
        xmlChar* content = xmlNodeGetContent(nodes->nodeTab[i]);
        std::string text = content ? reinterpret_cast<const char*>(content) : "";
        xmlFree(content);
        bytes += text.size();
        if (bytes > limits::maxTextBytes || !c.chargeWork(text.size() + 1)) {
            return single(Value::fail(CellError::Value));
        }
        out.values.push_back(valueOf(std::move(text)));
    }
    return out;
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"FILTERXML", 2, 2, nullptr, {}, 0, 0, filterXml, "_xlfn."},
};

} // namespace

std::span<const FunctionInfo> filterXmlFunctions() {
    return table;
}

} // namespace engine::formula::functions
