#include "engine/web/OutputFiles.h"

#include "engine/base/Limits.h"
#include "engine/chart/ChartSvg.h"
#include "engine/util/AsciiCase.h"
#include "engine/web/ChartPlacement.h"
#include "engine/web/HtmlText.h"
#include "engine/web/Mime.h"
#include "engine/web/Publish.h"
#include "engine/web/PublishedFiles.h"
#include "engine/web/ShapeSvg.h"
#include "engine/web/SheetWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace engine::web {
namespace {

// Fixed, so that the same workbook always gives the same bytes. "=_" can never occur in a
// quoted-printable or base64 body, so the boundary cannot collide with content.
constexpr const char* boundary = "----=_QuillmerePart_000";

struct PagePicture {
    std::size_t sheet;
    std::size_t index;
    std::string name;
    const Picture* picture;
    std::string mimeType;
    std::vector<std::uint8_t> drawn; // a shape's drawing; a picture with bytes uses its own

    std::span<const std::uint8_t> bytes() const {
        return picture->shape ? std::span<const std::uint8_t>(drawn) : picture->data;
    }
};

const char* extensionOf(const std::string& mimeType) {
    if (mimeType == "image/png")
        return "png";
    if (mimeType == "image/jpeg")
        return "jpg";
    if (mimeType == "image/gif")
        return "gif";
    if (mimeType == "image/bmp")
        return "bmp";
    if (mimeType == "image/webp")
        return "webp";
    // Only the readers' metafile player and the shapes drawn here give pictures this type: SVG
    // from a file, which could carry script or fetch things, is never passed on.
    if (mimeType == "image/svg+xml")
        return "svg";
    // Other kinds (metafiles, TIFF) are not shown by browsers.
    return nullptr;
}

std::vector<PagePicture> collectPictures(const Workbook& workbook,
                                         const std::vector<std::size_t>& sheets) {
    std::vector<PagePicture> pictures;
    auto add = [&pictures](std::size_t sheet, std::size_t index, const Picture& picture) {
        PagePicture page{sheet, index, std::string(), &picture, picture.mimeType, {}};
        if (picture.shape) {
            // Drawn at the size the reader measured, as the shape's own picture.
            const std::string svg = shapeSvg(*picture.shape, picture.anchor.widthPt * 4 / 3,
                                             picture.anchor.heightPt * 4 / 3);
            page.drawn.assign(svg.begin(), svg.end());
            page.mimeType = "image/svg+xml";
        }
        const char* extension = extensionOf(page.mimeType);
        if (!extension || page.bytes().empty() || page.bytes().size() > limits::maxPictureBytes)
            return;
        char name[32];
        std::snprintf(name, sizeof name, "image%03zu.%s", pictures.size() + 1, extension);
        page.name = name;
        pictures.push_back(std::move(page));
    };
    for (std::size_t sheet : sheets) {
        const auto& list = workbook.sheets[sheet].pictures;
        for (std::size_t i = 0; i < list.size(); ++i)
            add(sheet, i, list[i]);
        add(sheet, sheetBackground, workbook.sheets[sheet].background);
    }
    std::sort(pictures.begin(), pictures.end(), [](const PagePicture& a, const PagePicture& b) {
        return std::make_pair(a.sheet, a.index) < std::make_pair(b.sheet, b.index);
    });
    return pictures;
}

// Pictures are collected sheet by sheet in order, so they can be found by binary search.
const PagePicture* findPicture(const std::vector<PagePicture>& pictures, std::size_t sheet,
                               std::size_t index) {
    auto it =
        std::lower_bound(pictures.begin(), pictures.end(), std::make_pair(sheet, index),
                         [](const PagePicture& p, const std::pair<std::size_t, std::size_t>& k) {
                             return std::make_pair(p.sheet, p.index) < k;
                         });
    return it != pictures.end() && it->sheet == sheet && it->index == index ? &*it : nullptr;
}

std::string contentId(const PagePicture& picture) {
    return picture.name + "@quillmere";
}

// Charts of an archive are parts of their own, numbered in page order.
std::string chartContentId(std::size_t number) {
    char name[48];
    std::snprintf(name, sizeof name, "chart%03zu.svg@quillmere", number);
    return name;
}

} // namespace

bool isArchivePath(const std::string& path) {
    const std::string extension =
        util::asciiLowered(std::filesystem::path(path).extension().string());
    return extension == ".mht" || extension == ".mhtml";
}

void writeWebPageFile(const Workbook& workbook, PageContent content, const std::string& path) {
    std::filesystem::path page(path);
    std::vector<PagePicture> pictures = collectPictures(workbook, content.sheets);
    // The page's own file is opened first: a folder that is missing or read-only fails here,
    // before anything is written beside it.
    FileSink sink(path);
    if (pictures.empty()) {
        content.pictureSource = nullptr;
        writePage(sink, workbook, content);
        sink.commit();
        return;
    }
    const std::string folderName = page.stem().string() + "_files";
    const std::string prefix = percentEncode(folderName) + "/";
    content.pictureSource = [&pictures, prefix](std::size_t sheet, std::size_t index) {
        const PagePicture* found = findPicture(pictures, sheet, index);
        return found ? prefix + found->name : std::string();
    };
    // The page is drawn before its folder is touched: drawing is what can take long or fail,
    // and then nothing has been put beside it.
    writePage(sink, workbook, content);
    PublishedFiles files(page.parent_path() / folderName);
    for (const PagePicture& picture : pictures)
        files.write(picture.name, picture.bytes());
    files.place();
    sink.commit();
    files.keep();
}

void writeArchiveFile(const Workbook& workbook, PageContent content, const std::string& path) {
    std::vector<PagePicture> pictures = collectPictures(workbook, content.sheets);
    content.pictureSource = [&pictures](std::size_t sheet, std::size_t index) {
        const PagePicture* found = findPicture(pictures, sheet, index);
        return found ? "cid:" + contentId(*found) : std::string();
    };
    std::vector<std::pair<std::size_t, std::size_t>> charts; // sheet, chart: in page order
    for (std::size_t sheet : content.sheets)
        for (std::size_t i = 0; i < workbook.sheets[sheet].charts.size(); ++i)
            charts.emplace_back(sheet, i);
    content.chartSource = [&charts](std::size_t sheet, std::size_t index) {
        const auto found =
            std::lower_bound(charts.begin(), charts.end(), std::make_pair(sheet, index));
        return found != charts.end() && *found == std::make_pair(sheet, index)
                   ? "cid:" + chartContentId(static_cast<std::size_t>(found - charts.begin()) + 1)
                   : std::string();
    };
    const std::string pageName =
        percentEncode(std::filesystem::path(path).stem().string()) + ".htm";
    FileSink sink(path);
    sink.write(std::string("MIME-Version: 1.0\r\n"
                           "Content-Type: multipart/related; boundary=\"") +
               boundary +
               "\"; type=\"text/html\"\r\n"
               "\r\n"
               "This is a multi-part message in MIME format.\r\n"
               "\r\n--" +
               boundary +
               "\r\n"
               "Content-Type: text/html; charset=\"utf-8\"\r\n"
               "Content-Transfer-Encoding: quoted-printable\r\n"
               "Content-Location: file:///" +
               pageName + "\r\n\r\n");
    QuotedPrintableSink body(sink);
    writePage(body, workbook, content);
    body.finish();
    for (const PagePicture& picture : pictures) {
        sink.write(std::string("\r\n--") + boundary + "\r\nContent-Type: " + picture.mimeType +
                   "\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <" + contentId(picture) +
                   ">\r\n\r\n");
        writeBase64(sink, picture.bytes());
    }
    for (std::size_t i = 0; i < charts.size(); ++i) {
        const Chart& chart = workbook.sheets[charts[i].first].charts[charts[i].second];
        const auto [width, height] = chartPixelSize(chart);
        const std::string svg = chart::chartSvgDocument(chart, width, height, workbook.dateSystem);
        sink.write(std::string("\r\n--") + boundary +
                   "\r\nContent-Type: image/svg+xml\r\nContent-Transfer-Encoding: "
                   "base64\r\nContent-ID: <" +
                   chartContentId(i + 1) + ">\r\n\r\n");
        writeBase64(sink, std::span(reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size()));
    }
    sink.write(std::string("\r\n--") + boundary + "--\r\n");
    sink.commit();
}

} // namespace engine::web
