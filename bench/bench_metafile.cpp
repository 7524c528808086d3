// Playing metafile pictures into SVG, and what they add to reading and publishing a sheet:
// 50 EMF pictures of a 1,000-point line chart each, against the same sheet with PNG pictures.

#include "engine/metafile/Metafile.h"
#include "engine/web/Publish.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/metafile/MetafileBuilder.h"
#include "tests/engine/xlsx/PackageWriter.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <string>

using namespace engine;
using testing_support::EmfBuilder;
using testing_support::Le;

namespace {

// A chart as applications export it: axes, grid lines, labels and one polyline per series.
std::vector<std::uint8_t> chartEmf(int points) {
    EmfBuilder emf(0, 0, 639, 479);
    emf.pen(1, 0, 1, 0x808080).pen(2, 0, 2, 0xC05020).solidBrush(3, 0xFFFFFF).select(3).select(1);
    emf.rectangle(0, 0, 639, 479);
    for (int i = 0; i < 10; ++i) {
        emf.record(27, Le().i32(40).i32(40 + i * 40)).record(54, Le().i32(620).i32(40 + i * 40));
        Le text;
        const std::string label = std::to_string(i * 10);
        text.rect(0, 0, 0, 0).u32(1).f32(1).f32(1).i32(10).i32(40 + i * 40);
        text.u32(static_cast<std::uint32_t>(label.size())).u32(76).u32(0).rect(0, 0, 0, 0).u32(0);
        text.utf16(label);
        while (text.size() % 4)
            text.u8(0);
        emf.record(84, text);
    }
    emf.select(2);
    Le line;
    line.rect(0, 0, 639, 479).u32(static_cast<std::uint32_t>(points));
    for (int i = 0; i < points; ++i)
        line.i16(40 + i * 580 / points).i16(240 + static_cast<int>(150 * std::sin(i * 0.05)));
    emf.record(87, line);
    return emf.finish();
}

void BM_PlayChartEmf(benchmark::State& state) {
    const auto emf = chartEmf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto rendered = metafile::toSvg(emf);
        benchmark::DoNotOptimize(rendered.svg.data());
        state.counters["svg_bytes"] = static_cast<double>(rendered.svg.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * emf.size()));
}
BENCHMARK(BM_PlayChartEmf)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

std::vector<std::uint8_t> sheetWithPictures(bool metafiles) {
    using namespace testing_support;
    std::string sheetData = "<sheetData>";
    for (int r = 1; r <= 200; ++r)
        sheetData += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
                     "\"><v>" + std::to_string(r) + "</v></c></row>";
    sheetData += "</sheetData><drawing r:id=\"rD\"/>";
    PackageWriter package = minimalWorkbook({sheetData});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"}}));
    std::string drawing =
        "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    std::vector<std::tuple<std::string, std::string, std::string>> rels;
    const auto emf = chartEmf(1000);
    // A PNG of about the size of a chart's picture, for the comparison.
    const std::string png =
        std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x02\x80\0\0\x01\xe0", 24) +
        std::string(20000, 'x');
    for (int i = 0; i < 50; ++i) {
        const std::string n = std::to_string(i + 1);
        drawing += "<xdr:oneCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:row>" +
                   std::to_string(i * 4) +
                   "</xdr:row></xdr:from><xdr:ext cx=\"6096000\" cy=\"4572000\"/><xdr:pic>"
                   "<xdr:blipFill><a:blip r:embed=\"rI" +
                   n + "\"/></xdr:blipFill></xdr:pic></xdr:oneCellAnchor>";
        const std::string target = "../media/image" + n + (metafiles ? ".emf" : ".png");
        rels.emplace_back("rI" + n, "image", target);
        package.add("xl/media/image" + n + (metafiles ? ".emf" : ".png"),
                    metafiles ? std::string(emf.begin(), emf.end()) : png);
    }
    package.add("xl/drawings/drawing1.xml", drawing + "</xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels", relationshipsXml(rels));
    return package.bytes();
}

void BM_ReadAndPublishFiftyPictures(benchmark::State& state) {
    const bool metafiles = state.range(0) != 0;
    const auto bytes = sheetWithPictures(metafiles);
    const auto path = std::filesystem::temp_directory_path() / "qm-bench-pictures.htm";
    for (auto _ : state) {
        const Workbook book = xlsx::readPackage(bytes);
        web::publishSheet(book, 0, path.string(), "Pictures");
    }
    std::filesystem::remove_all(std::filesystem::temp_directory_path() / "qm-bench-pictures_files");
    std::filesystem::remove(path);
    state.SetLabel(metafiles ? "EMF" : "PNG");
}
BENCHMARK(BM_ReadAndPublishFiftyPictures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
