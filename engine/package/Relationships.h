#pragma once
// The relationships of a package part (its "_rels/NAME.rels" part) and part-name arithmetic.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

struct Relationship {
    std::string id;
    std::string type;   // the full type URI
    std::string target; // an internal target as a part name ("xl/media/image1.png"), an
                        // external one exactly as written
    bool external = false;
};

// The part name that `target`, written in part `source`, refers to: relative to the source's
// folder, or from the package root when it starts with "/"; "." and ".." resolved, "%XX"
// decoded, "\" read as "/". Empty when the target climbs above the root.
std::string resolveTarget(std::string_view source, std::string_view target);

// The relationships part of `part` ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; the
// package's own for "").
std::string relationshipsPartOf(std::string_view part);

class Relationships {
public:
    // The relationships of `part`; empty when the package has no relationships part for it.
    // Throws ReadError(Damaged) for a malformed one.
    static Relationships read(const zip::ZipArchive& archive, const std::string& part);

    bool exists() const { return exists_; }

    // The relationship with `id`; nullptr when there is none.
    const Relationship* byId(std::string_view id) const;

    // The first relationship whose type's last path segment is `kind` ("worksheet",
    // "officeDocument"), in the transitional and the strict vocabulary alike; nullptr when none.
    const Relationship* firstOfKind(std::string_view kind) const;

    const std::vector<Relationship>& all() const { return relationships_; }

private:
    bool exists_ = false;
    std::vector<Relationship> relationships_;
    std::vector<std::size_t> byId_; // indexes into relationships_, ordered by id
};

// Whether part `name` ends in ".bin" in any letter case: the binary workbook's parts.
bool isBinaryPartName(std::string_view name);

// The package's main part: the target of its officeDocument relationship, which may be
// external or empty, or `conventional` when the package has no relationships of its own but a
// part of that name. Nothing when the package names no main part. Throws ReadError(Damaged) for
// malformed package relationships.
std::optional<Relationship> mainPart(const zip::ZipArchive& archive, std::string_view conventional);

// The last path segment of a relationship type ("…/relationships/worksheet" -> "worksheet").
std::string_view relationshipKind(std::string_view type);

} // namespace engine::package
