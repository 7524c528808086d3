// Metafile and bitmap pictures as the readers find them in workbooks, and how pages carry them:
// metafile blips of the drawing layer, IMDATA pictures of BIFF5, sheet backgrounds, .emf parts
// of packages.

#include "MetafileBuilder.h"
#include "SvgProbe.h"
#include "engine/metafile/Dib.h"
#include "engine/metafile/Metafile.h"
#include "engine/web/OutputFiles.h"
#include "engine/xls/WorkbookStream.h"
#include "engine/xlsx/XlsxReader.h"
#include "tests/engine/web/SampleWorkbooks.h"
#include "tests/engine/xls/BiffBuilder.h"
#include "tests/engine/xlsx/PackageWriter.h"
#include "tests/support/TestPaths.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <zlib.h>

using testing_support::BiffWriter;
using testing_support::Bytes;
using testing_support::EmfBuilder;
using testing_support::Le;
using testing_support::WmfBuilder;

namespace {

// A PICT picture, 100 x 50 points, with one blue rectangle painted (big-endian words).
std::vector<std::uint8_t> samplePict() {
    std::vector<std::uint8_t> out;
    for (std::uint16_t word :
         {0, 0, 0, 50, 100, 0x0011, 0x02FF, 0x001A, 0, 0, 0xFFFF, 0x0031, 5, 5, 45, 95, 0x00FF})
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)});
    return out;
}

std::vector<std::uint8_t> sampleWmf() {
    WmfBuilder wmf;
    wmf.window(0, 0, 100, 50).solidBrush(0x0000FF).select(0).rectangle(10, 10, 90, 40);
    return wmf.finish();
}

std::vector<std::uint8_t> sampleEmf() {
    EmfBuilder emf(0, 0, 99, 49);
    emf.solidBrush(1, 0x00FF00).select(1).rectangle(5, 5, 50, 40);
    return emf.finish();
}

// A bitmap with a 12-byte core header, as BITMAP and IMDATA records keep them.
std::vector<std::uint8_t> coreBitmap(int width, int height) {
    Le b;
    b.u32(12).u16(width).u16(height).u16(1).u16(24);
    b.bytes(testing_support::bitmapPixels(width, height, 0x808080).data);
    return b.data;
}

Bytes withImageHeader(std::uint16_t format, std::uint16_t environment,
                      const std::vector<std::uint8_t>& data) {
    Bytes b;
    b.u16(format).u16(environment).u32(static_cast<std::uint32_t>(data.size()));
    b.data.insert(b.data.end(), data.begin(), data.end());
    return b;
}

std::string text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(Biff5Pictures, ImDataAfterAPictureObjectIsShownWhereTheObjectSits) {
    BiffWriter w;
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0005).u16(0).u16(0));
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).u8(1).u8('S'));
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.record(0x0809, Bytes().u16(0x0500).u16(0x0010).u16(0).u16(0));
    auto object = [&](std::uint16_t type) {
        // cObj, ot, id, grbit, colL 1 dxL 0, rwT 2 dyT 128, colR 3 dxR 0, rwB 4 dyB 0, rest.
        w.record(0x005D, Bytes()
                             .u32(1)
                             .u16(type)
                             .u16(1)
                             .u16(0)
                             .u16(1)
                             .u16(0)
                             .u16(2)
                             .u16(128)
                             .u16(3)
                             .u16(0)
                             .u16(4)
                             .u16(0)
                             .u16(0)
                             .u16(0)
                             .u16(0)
                             .u16(0));
    };
    // A metafile picture whose data runs on in a CONTINUE record.
    object(8);
    const Bytes wmf = withImageHeader(2, 1, sampleWmf());
    const std::size_t half = wmf.data.size() / 2;
    w.record(0x007F, std::vector<std::uint8_t>(wmf.data.begin(), wmf.data.begin() + half));
    w.record(0x003C, std::vector<std::uint8_t>(wmf.data.begin() + half, wmf.data.end()));
    object(8);
    w.record(0x007F, withImageHeader(9, 1, coreBitmap(3, 2)));
    object(8);
    w.record(0x007F, withImageHeader(2, 2, sampleWmf()));      // a Macintosh picture
    w.record(0x007F, withImageHeader(9, 1, coreBitmap(3, 2))); // no object before it
    object(5);                                                 // a chart object
    w.record(0x007F, withImageHeader(9, 1, coreBitmap(3, 2)));
    w.record(0x00E9, withImageHeader(9, 1, coreBitmap(4, 4))); // the sheet's background
    w.eof();

    const engine::Workbook book = engine::xls::readWorkbookStream(w.bytes, true);
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.pictures.size(), 2u);
    const engine::Picture& metafile = sheet.pictures[0];
    EXPECT_EQ(metafile.mimeType, "image/svg+xml");
    EXPECT_EQ(metafile.anchor.col, 1);
    EXPECT_EQ(metafile.anchor.row, 2u);
    EXPECT_DOUBLE_EQ(metafile.anchor.rowShare, 0.5); // half of its row, however tall
    EXPECT_GT(metafile.anchor.widthPt, 0);
    EXPECT_DOUBLE_EQ(metafile.anchor.heightPt, 30 - 7.5);
    EXPECT_EQ(testing_support::svgElementsNamed(text(metafile.data), "path").size(), 1u);
    EXPECT_EQ(sheet.pictures[1].mimeType, "image/bmp");
    EXPECT_EQ(sheet.pictures[1].data[0], 'B');
    EXPECT_EQ(sheet.background.mimeType, "image/bmp");
    EXPECT_EQ(sheet.background.data.size(), 14 + 12 + 4 * 12u);
}

// The drawing layer of BIFF8: a store of blips in the globals, shapes in the sheet.
struct DrawingRecords {
    static Le record(std::uint16_t verInstance, std::uint16_t type, const Le& body) {
        Le r;
        r.u16(verInstance).u16(type).u32(static_cast<std::uint32_t>(body.size())).bytes(body.data);
        return r;
    }
    static Le metafileBlip(std::uint16_t type, std::uint16_t instance,
                           const std::vector<std::uint8_t>& metafile) {
        std::vector<std::uint8_t> packed(compressBound(metafile.size()));
        uLongf size = packed.size();
        compress(packed.data(), &size, metafile.data(), metafile.size());
        packed.resize(size);
        Le body;
        for (int i = 0; i < 16; ++i)
            body.u8(i);
        body.u32(static_cast<std::uint32_t>(metafile.size()))
            .rect(0, 0, 100, 50)
            .i32(100 * 12700)
            .i32(50 * 12700)
            .u32(static_cast<std::uint32_t>(size))
            .u8(0)
            .u8(0xFE)
            .bytes(packed);
        Le blip = record(static_cast<std::uint16_t>(instance << 4), type, body);
        Le bse;
        bse.u8(2).u8(2);
        for (int i = 0; i < 16; ++i)
            bse.u8(i);
        bse.u16(0)
            .u32(static_cast<std::uint32_t>(blip.size()))
            .u32(1)
            .u32(0)
            .u8(0)
            .u8(0)
            .u8(0)
            .u8(0)
            .bytes(blip.data);
        return record(0x0002, 0xF007, bse);
    }
    static Le shape(std::uint32_t blip) {
        Le options = record(0x0013, 0xF00B, Le().u16(0x4104).u32(blip));
        Le anchor = record(0x0000, 0xF010,
                           Le().u16(0).u16(2).u16(0).u16(1).u16(0).u16(4).u16(0).u16(5).u16(0));
        return record(0x000F, 0xF004, Le().bytes(options.data).bytes(anchor.data));
    }
};

TEST(Biff8Pictures, MetafileBlipsArePlayedIntoSvgOnceAndShownByEveryShape) {
    Le store;
    store.bytes(DrawingRecords::metafileBlip(0xF01A, 0x3D4, sampleEmf()).data)
        .bytes(DrawingRecords::metafileBlip(0xF01B, 0x216, sampleWmf()).data)
        .bytes(DrawingRecords::metafileBlip(0xF01C, 0x542, samplePict()).data);
    const Le group =
        DrawingRecords::record(0x000F, 0xF000, DrawingRecords::record(0x000F, 0xF001, store));
    Le shapes;
    shapes.bytes(DrawingRecords::shape(1).data)
        .bytes(DrawingRecords::shape(2).data)
        .bytes(DrawingRecords::shape(3).data)
        .bytes(DrawingRecords::shape(1).data);
    const Le drawing =
        DrawingRecords::record(0x000F, 0xF002, DrawingRecords::record(0x000F, 0xF003, shapes));

    BiffWriter w;
    w.bof(0x0005);
    const std::size_t field = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Pictures"));
    w.record(0x00EB, group.data);
    w.eof();
    w.patch32(field, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    w.record(0x00EC, drawing.data);
    w.record(0x00E9, withImageHeader(9, 1, coreBitmap(2, 2)));
    w.eof();

    const engine::Workbook book = engine::xls::readWorkbookStream(w.bytes, true);
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.pictures.size(), 4u);
    for (const auto& picture : sheet.pictures)
        EXPECT_EQ(picture.mimeType, "image/svg+xml");
    const auto emf = testing_support::svgElementsNamed(text(sheet.pictures[0].data), "path");
    ASSERT_EQ(emf.size(), 1u);
    EXPECT_EQ(emf[0].attributes.at("fill"), "#00FF00");
    const auto wmf = testing_support::svgElementsNamed(text(sheet.pictures[1].data), "path");
    ASSERT_EQ(wmf.size(), 1u);
    EXPECT_EQ(wmf[0].attributes.at("fill"), "#FF0000");
    // The Macintosh picture is played too; the last shape shows the first picture again.
    const auto pict = testing_support::svgElementsNamed(text(sheet.pictures[2].data), "path");
    ASSERT_EQ(pict.size(), 1u);
    EXPECT_EQ(pict[0].attributes.at("fill"), "#0000FF");
    EXPECT_EQ(sheet.pictures[3].data, sheet.pictures[0].data);
    EXPECT_EQ(sheet.pictures[0].anchor.col, 2);
    EXPECT_EQ(sheet.background.mimeType, "image/bmp");
}

TEST(XlsxPictures, MetafilePartsBecomeSvgAndTheSheetPictureItsBackground) {
    using namespace testing_support;
    PackageWriter package =
        minimalWorkbook({"<sheetData/><drawing r:id=\"rD\"/><picture r:id=\"rB\"/>"});
    package.add("xl/worksheets/_rels/sheet1.xml.rels",
                relationshipsXml({{"rD", "drawing", "../drawings/drawing1.xml"},
                                  {"rB", "image", "../media/background.png"}}));
    package.add(
        "xl/drawings/drawing1.xml",
        "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<xdr:oneCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:row>1</xdr:row></xdr:from>"
        "<xdr:ext cx=\"1270000\" cy=\"635000\"/><xdr:pic><xdr:blipFill><a:blip r:embed=\"rE\"/>"
        "</xdr:blipFill></xdr:pic></xdr:oneCellAnchor></xdr:wsDr>");
    package.add("xl/drawings/_rels/drawing1.xml.rels",
                relationshipsXml({{"rE", "image", "../media/image1.emf"}}));
    package.add("xl/media/image1.emf", text(sampleEmf()));
    package.add("xl/media/background.png",
                std::string("\x89PNG\r\n\x1a\n", 8) + std::string(32, '\0'));
    const engine::Workbook book = engine::xlsx::readPackage(package.bytes());
    const engine::Sheet& sheet = book.sheets.at(0);
    ASSERT_EQ(sheet.pictures.size(), 1u);
    EXPECT_EQ(sheet.pictures[0].mimeType, "image/svg+xml");
    EXPECT_DOUBLE_EQ(sheet.pictures[0].anchor.widthPt, 100);
    EXPECT_EQ(sheet.background.mimeType, "image/png");
}

engine::Workbook pictureBook() {
    engine::Workbook book = web_samples::plainWorkbook();
    engine::Sheet& sheet = book.sheets.at(0);
    engine::Picture picture;
    picture.mimeType = "image/svg+xml";
    const std::string svg = engine::metafile::toSvg(sampleEmf()).svg;
    picture.data.assign(svg.begin(), svg.end());
    sheet.pictures.push_back(picture); // no anchor size: the SVG's own is used
    sheet.background.mimeType = "image/bmp";
    sheet.background.data = engine::metafile::bmpFromPacked(coreBitmap(2, 2));
    return book;
}

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(PicturePages, SvgPicturesAndBackgroundsAreSupportingFilesOrArchiveParts) {
    const engine::Workbook book = pictureBook();
    engine::web::PageContent content;
    content.sheets = {0};
    content.title = "T";
    testing_support::ScratchDir dir;
    const auto page = dir.path() / "Book.htm";
    engine::web::writeWebPageFile(book, content, page.string());
    const std::string html = slurp(page);
    EXPECT_EQ(slurp(dir.path() / "Book_files" / "image001.svg").substr(0, 4), "<svg");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Book_files" / "image002.bmp"));
    EXPECT_NE(html.find("<img src=\"Book_files/image001.svg\""), std::string::npos) << html;
    EXPECT_NE(html.find("width:100px;height:50px"), std::string::npos); // the SVG's own size
    EXPECT_NE(html.find("background-image:url('Book_files/image002.bmp');background-repeat:repeat"),
              std::string::npos);

    const auto archive = dir.path() / "Book.mht";
    engine::web::writeArchiveFile(book, content, archive.string());
    std::string mht = slurp(archive);
    for (std::size_t at; (at = mht.find("=\r\n")) != std::string::npos;)
        mht.erase(at, 3); // quoted-printable soft line breaks
    EXPECT_NE(mht.find("Content-Type: image/svg+xml\r\nContent-Transfer-Encoding: base64\r\n"
                       "Content-ID: <image001.svg@quillmere>"),
              std::string::npos);
    EXPECT_NE(mht.find("url('cid:image002.bmp@quillmere')"), std::string::npos);
}

} // namespace
