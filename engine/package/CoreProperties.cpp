#include "engine/package/CoreProperties.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/package/Relationships.h"
#include "engine/zip/ZipArchive.h"

namespace engine::package {
namespace {

// A language tag is short: longer text in the element is no tag.
constexpr std::size_t tagBytes = 64;

class LanguageHandler : public xml::Handler {
public:
    explicit LanguageHandler(std::string& language) : language_(language) {}

    void startElement(std::string_view, std::string_view local, const xml::Attributes&) override {
        inLanguage_ = local == "language" && !seen_;
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "language" && inLanguage_) {
            inLanguage_ = false;
            seen_ = true;
        }
    }
    void characters(std::string_view text) override {
        if (inLanguage_ && language_.size() + text.size() <= tagBytes)
            language_ += text;
    }

private:
    std::string& language_;
    bool inLanguage_ = false, seen_ = false;
};

} // namespace

std::string readDocumentLanguage(const zip::ZipArchive& archive) {
    std::string language;
    try {
        const Relationships relationships = Relationships::read(archive, "");
        const Relationship* core = relationships.firstOfKind("core-properties");
        if (!core || core->external || !archive.contains(core->target))
            return {};
        LanguageHandler handler(language);
        parsePart(archive, core->target, handler, limits::maxSmallPartBytes);
    } catch (const ReadError&) {
        return {};
    }
    return std::string(trimBlanks(language));
}

} // namespace engine::package
