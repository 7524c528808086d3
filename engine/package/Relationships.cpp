#include "engine/package/Relationships.h"

#include "engine/base/Limits.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/PartReader.h"
#include "engine/util/AsciiCase.h"
#include "engine/zip/ZipArchive.h"

#include <algorithm>

namespace engine::package {
namespace {

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i] == '\\' ? '/' : text[i]);
        }
    }
    return out;
}

class RelationshipsHandler : public xml::Handler {
public:
    explicit RelationshipsHandler(std::vector<Relationship>& out, std::string_view part)
        : out_(out), part_(part) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local != "Relationship")
            return;
        Relationship relationship;
        relationship.id = attributes.value("Id");
        relationship.type = attributes.value("Type");
        relationship.external = attributes.value("TargetMode") == "External";
        const std::string_view target = attributes.value("Target");
        relationship.target =
            relationship.external ? std::string(target) : resolveTarget(part_, target);
        out_.push_back(std::move(relationship));
    }
    void endElement(std::string_view, std::string_view) override {}

private:
    std::vector<Relationship>& out_;
    std::string_view part_;
};

} // namespace

std::string resolveTarget(std::string_view source, std::string_view target) {
    std::string path = percentDecode(target);
    if (const std::size_t cut = path.find_first_of("#?"); cut != std::string::npos)
        path.erase(cut);
    std::string base;
    if (!path.empty() && path.front() == '/') {
        path.erase(0, 1);
    } else {
        const std::size_t slash = source.rfind('/');
        if (slash != std::string_view::npos)
            base = std::string(source.substr(0, slash + 1));
    }
    std::vector<std::string> segments;
    const std::string whole = base + path;
    std::size_t start = 0;
    while (start <= whole.size()) {
        std::size_t end = whole.find('/', start);
        if (end == std::string::npos)
            end = whole.size();
        const std::string segment = whole.substr(start, end - start);
        if (segment == "..") {
            if (segments.empty())
                return {};
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string result;
    for (const auto& segment : segments) {
        if (!result.empty())
            result += '/';
        result += segment;
    }
    return result;
}

std::string relationshipsPartOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    if (slash == std::string_view::npos)
        return "_rels/" + std::string(part) + ".rels";
    return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) +
           ".rels";
}

std::string_view relationshipKind(std::string_view type) {
    const std::size_t slash = type.rfind('/');
    return slash == std::string_view::npos ? type : type.substr(slash + 1);
}

Relationships Relationships::read(const zip::ZipArchive& archive, const std::string& part) {
    Relationships result;
    const std::string name = relationshipsPartOf(part);
    if (!archive.contains(name))
        return result;
    result.exists_ = true;
    RelationshipsHandler handler(result.relationships_, part);
    parsePart(archive, name, handler, limits::maxSmallPartBytes);
    // A workbook of thousands of sheets looks each one up by id: keep the lookup logarithmic.
    // The stable sort keeps the first of two relationships that share an id first.
    result.byId_.resize(result.relationships_.size());
    for (std::size_t i = 0; i < result.byId_.size(); ++i)
        result.byId_[i] = i;
    std::stable_sort(result.byId_.begin(), result.byId_.end(), [&](std::size_t a, std::size_t b) {
        return result.relationships_[a].id < result.relationships_[b].id;
    });
    return result;
}

const Relationship* Relationships::byId(std::string_view id) const {
    const auto it = std::lower_bound(
        byId_.begin(), byId_.end(), id,
        [&](std::size_t index, std::string_view key) { return relationships_[index].id < key; });
    return it != byId_.end() && relationships_[*it].id == id ? &relationships_[*it] : nullptr;
}

const Relationship* Relationships::firstOfKind(std::string_view kind) const {
    for (const auto& relationship : relationships_)
        if (relationshipKind(relationship.type) == kind)
            return &relationship;
    return nullptr;
}

bool isBinaryPartName(std::string_view name) {
    return name.size() >= 4 && util::asciiLowered(name.substr(name.size() - 4)) == ".bin";
}

std::optional<Relationship> mainPart(const zip::ZipArchive& archive,
                                     std::string_view conventional) {
    const Relationships package = Relationships::read(archive, "");
    if (const Relationship* main = package.firstOfKind("officeDocument"))
        return *main;
    // Without package relationships, a workbook in its usual place is still recognisable.
    if (!package.exists() && archive.contains(conventional)) {
        Relationship main;
        main.target = conventional;
        return main;
    }
    return std::nullopt;
}

} // namespace engine::package
