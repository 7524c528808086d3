// libFuzzer target: chart parts and chart substreams. The first byte picks the format ('b' a
// BIFF8 chart substream after its BOF, 'o' an OpenDocument chart object's content, anything
// else a DrawingML chart part); whatever is read is drawn, and the drawing must hold no script
// of the file's.

#include "engine/base/ReadError.h"
#include "engine/chart/ChartSvg.h"
#include "engine/drawingml/ChartPart.h"
#include "engine/ods/ChartObject.h"
#include "engine/package/Colors.h"
#include "engine/xls/ChartStream.h"
#include "fuzz/WritePages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    engine::Chart chart;
    try {
        if (data[0] == 'b') {
            engine::xls::RecordReader reader(std::span<const std::uint8_t>(data + 1, size - 1));
            chart = engine::xls::readChartStream(reader, [](std::uint16_t) {
                        return std::string("0.0%");
                    }).chart;
        } else if (data[0] == 'o') {
            chart = engine::ods::parseChartObjectXml(
                        std::string_view(reinterpret_cast<const char*>(data + 1), size - 1),
                        "Object 1/content.xml")
                        .value_or(engine::Chart{});
        } else {
            const engine::package::Colors colors;
            chart = engine::drawingml::parseChartXml(
                std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), "chart",
                colors, engine::DateSystem::Date1900);
        }
    } catch (const engine::ReadError&) {
        return 0;
    }
    std::string svg;
    engine::chart::appendChartSvg(svg, chart, 480, 288, engine::DateSystem::Date1900);
    if (fuzzing::containsIgnoringCase(svg, "<script"))
        std::abort();
    return 0;
}
