#pragma once
// The errors a worksheet's error cells carry beside their text: a file writes #SPILL! and
// #CALC! as #VALUE!, for readers that know only the classic errors, and names the real error
// through the cell's vm attribute, a value metadata block of the metadata part pointing at an
// _error rich value whose errorType says which.

#include "engine/model/Cell.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::xlsx {

class RichValueErrors {
public:
    RichValueErrors() = default;
    // `blocks`: per value metadata block, in order, the rich value it names; `errors`: per
    // rich value, the error it stands for.
    RichValueErrors(std::vector<std::optional<std::uint32_t>> blocks,
                    std::vector<std::optional<CellError>> errors)
        : blocks_(std::move(blocks)), errors_(std::move(errors)) {}

    // The error of a cell whose vm attribute is `vm` (1-based; empty when it has none), or
    // nullopt when it names none this reader knows: the cell's own text stands.
    std::optional<CellError> error(std::string_view vm) const;

private:
    std::vector<std::optional<std::uint32_t>> blocks_;
    std::vector<std::optional<CellError>> errors_;
};

// Per value metadata block of a metadata part's XML, the 0-based rich value it names. Throws
// ReadError(Damaged) naming `partName` when the XML is not well-formed or holds more than
// limits::maxMetadataRecords elements.
std::vector<std::optional<std::uint32_t>> parseValueMetadataXml(std::string_view xml,
                                                                const std::string& partName);

// Per rich value of a rich value part's XML, the error an _error value stands for, read with
// the structures of `structuresXml`. Throws as parseValueMetadataXml does.
std::vector<std::optional<CellError>> parseRichValueErrorsXml(std::string_view valuesXml,
                                                              std::string_view structuresXml,
                                                              const std::string& partName);

// The errors of the workbook's parts; any part missing or damaged makes none known, since the
// cells then keep the error their text names.
RichValueErrors readRichValueErrors(const zip::ZipArchive& archive, const std::string& metadataPart,
                                    const std::string& valuesPart,
                                    const std::string& structuresPart);

} // namespace engine::xlsx
