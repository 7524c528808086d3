#pragma once
// A chart embedded in a spreadsheet document: the chart:chart of an object's sub-document
// ("Object 1/content.xml") as the model's chart, its series naming the cells they plot.

#include "engine/model/Chart.h"
#include "engine/model/Sheet.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace engine::zip {
class ZipArchive;
}

namespace engine::ods {

// The A1 reference ("'Sheet 1'!$A$1:$A$3", several as "(a,b)") of a cell range address as
// charts write them ("'Sheet 1'.$A$1:.$A$3", several separated by spaces); empty when the
// text is no reference.
std::string seriesReference(std::string_view address);

// The chart of sub-document XML `xml`; nullopt when it holds no chart:chart. Series whose
// values lie in the chart's own table take them from it; the others keep references to the
// workbook's cells, filled in once every sheet is read. Throws ReadError(Damaged) naming
// `partName` when the XML is malformed.
std::optional<Chart> parseChartObjectXml(std::string_view xml, const std::string& partName);

// The chart of object `href` ("./Object 1", "Object 1/") in the package; nullopt when the
// object is outside the package, missing, damaged, too large or not a chart.
std::optional<Chart> readChartObject(const zip::ZipArchive& archive, std::string_view href);

// The package entry of the replacement image of object `href`, empty when it has none.
std::string replacementImage(const zip::ZipArchive& archive, std::string_view href);

// Places object `href` on `sheet` at `anchor`: its chart, or else its replacement image when
// `loadPicture` can show it. False when it places neither.
bool placeObject(const zip::ZipArchive& archive, std::string_view href, const Anchor& anchor,
                 Sheet& sheet, const std::function<bool(std::string_view, Picture&)>& loadPicture);

} // namespace engine::ods
