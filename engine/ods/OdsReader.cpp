#include "engine/ods/OdsReader.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/ods/ChartObject.h"
#include "engine/ods/DocumentHandler.h"
#include "engine/ods/Names.h"
#include "engine/ods/ViewSettings.h"
#include "engine/package/PartReader.h"
#include "engine/util/ImageType.h"
#include "engine/xml/XmlParser.h"
#include "engine/zip/ZipArchive.h"

#include <string>
#include <string_view>

namespace engine::ods {
namespace {

constexpr std::string_view openDocumentMimePrefix = "application/vnd.oasis.opendocument.";
constexpr std::string_view ooxmlContentTypes = "[Content_Types].xml";
constexpr std::size_t flatSniffBytes = 64 * 1024;

[[noreturn]] void notWorkbook(std::string detail) {
    throw ReadError(ReadError::Kind::NotWorkbook, std::move(detail));
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Finds manifest:encryption-data anywhere in the manifest.
class ManifestHandler : public xml::Handler {
public:
    bool encrypted = false;
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes&) override {
        if (ns == names::manifest && local == "encryption-data")
            encrypted = true;
    }
    void endElement(std::string_view, std::string_view) override {}
};

// A picture's bytes from the package; references outside it are never followed.
class PackagePictures {
public:
    explicit PackagePictures(const zip::ZipArchive& archive) : archive_(archive) {}

    bool load(std::string_view href, Picture& picture) {
        while (href.starts_with("./"))
            href.remove_prefix(2);
        if (href.empty() || href.find(':') != std::string_view::npos ||
            href.find("..") != std::string_view::npos || !archive_.contains(href))
            return false;
        if (used_ >= limits::maxPictureBytesPerWorkbook)
            return false;
        std::string bytes;
        try {
            bytes = archive_.read(href, limits::maxPictureBytes);
        } catch (const ReadError&) {
            // A broken or oversized picture is left out; the cells still show.
            return false;
        }
        picture.mimeType = util::mimeType(util::imageType(bytes));
        if (picture.mimeType.empty())
            return false;
        used_ += bytes.size();
        picture.data.assign(bytes.begin(), bytes.end());
        return true;
    }

private:
    const zip::ZipArchive& archive_;
    std::uint64_t used_ = 0;
};

// Hands a flat document's events to its reader and to the view settings it carries.
class BothHandlers : public xml::Handler {
public:
    BothHandlers(xml::Handler& first, xml::Handler& second) : first_(first), second_(second) {}
    void startElement(std::string_view ns, std::string_view local,
                      const xml::Attributes& attributes) override {
        first_.startElement(ns, local, attributes);
        second_.startElement(ns, local, attributes);
    }
    void endElement(std::string_view ns, std::string_view local) override {
        first_.endElement(ns, local);
        second_.endElement(ns, local);
    }
    void characters(std::string_view text) override {
        first_.characters(text);
        second_.characters(text);
    }

private:
    xml::Handler& first_;
    xml::Handler& second_;
};

void finishWorkbook(Workbook& workbook, StyleTable& styles, const DocumentHandler& handler,
                    const std::string& part) {
    if (!handler.sawRoot())
        notWorkbook(part + " is not an OpenDocument document");
    if (!handler.sawSpreadsheet())
        notWorkbook(part + " holds no spreadsheet (another kind of OpenDocument document)");
    if (workbook.sheets.empty())
        throw ReadError(ReadError::Kind::Damaged, part + ": the spreadsheet has no tables");
    styles.cellFormat({}); // makes the default format even when no cell asked for one
    workbook.finish();
}

} // namespace

bool looksLikePackage(std::span<const std::uint8_t> bytes) {
    try {
        const zip::ZipArchive archive(bytes);
        if (archive.contains(names::mimetypeEntry)) {
            const std::string mimetype =
                trimmed(archive.read(names::mimetypeEntry, limits::maxMimetypeBytes));
            return mimetype.starts_with(openDocumentMimePrefix);
        }
        return archive.contains(names::contentEntry) && archive.contains(names::manifestEntry) &&
               !archive.contains(ooxmlContentTypes);
    } catch (const ReadError&) {
        return false;
    }
}

bool looksLikeFlatDocument(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min(bytes.size(), flatSniffBytes));
    std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\n' ||
                                   text[start] == '\r' || text[start] == '\t'))
        ++start;
    if (start >= text.size() || text[start] != '<')
        return false;
    // The root element, after the declaration and any comments or processing instructions.
    std::size_t at = start;
    while (at < text.size()) {
        at = text.find('<', at);
        if (at == std::string_view::npos || at + 1 >= text.size())
            return false;
        if (text[at + 1] == '?' || text[at + 1] == '!') {
            ++at;
            continue;
        }
        break;
    }
    const std::size_t nameEnd = text.find_first_of(" \t\r\n/>", at);
    if (nameEnd == std::string_view::npos)
        return false;
    const std::string_view root = text.substr(at + 1, nameEnd - at - 1);
    const std::size_t colon = root.find(':');
    const std::string_view local = colon == std::string_view::npos ? root : root.substr(colon + 1);
    return local == "document" && text.find(names::office) != std::string_view::npos;
}

Workbook readPackage(std::span<const std::uint8_t> bytes) {
    const zip::ZipArchive archive(bytes);
    if (archive.contains(names::mimetypeEntry)) {
        const std::string mimetype =
            trimmed(archive.read(names::mimetypeEntry, limits::maxMimetypeBytes));
        if (mimetype != names::spreadsheetMime && mimetype != names::spreadsheetTemplateMime)
            notWorkbook("an OpenDocument package of type '" + mimetype + "', not a spreadsheet");
    }
    if (archive.contains(names::manifestEntry)) {
        ManifestHandler manifest;
        package::parsePart(archive, std::string(names::manifestEntry), manifest,
                           limits::maxSmallPartBytes);
        if (manifest.encrypted)
            throw ReadError(ReadError::Kind::Encrypted,
                            "the package's parts are encrypted (META-INF/manifest.xml holds "
                            "encryption data)");
    }
    if (!archive.contains(names::contentEntry))
        throw ReadError(ReadError::Kind::Damaged, "the package has no content.xml");

    Workbook workbook;
    StyleTable styles(workbook);
    PackagePictures pictures(archive);
    const PictureLoader loader = [&pictures](std::string_view href, Picture& picture) {
        return pictures.load(href, picture);
    };
    if (archive.contains(names::stylesEntry)) {
        DocumentHandler stylesHandler(workbook, styles, loader);
        package::parsePart(archive, std::string(names::stylesEntry), stylesHandler,
                           limits::maxSmallPartBytes);
    }
    const ObjectLoader objects = [&](std::string_view href, const Anchor& anchor, Sheet& sheet) {
        return placeObject(archive, href, anchor, sheet, loader);
    };
    DocumentHandler content(workbook, styles, loader, &objects);
    package::parsePart(archive, std::string(names::contentEntry), content, limits::maxPartBytes);
    if (archive.contains(names::settingsEntry)) {
        ViewSettingsHandler settings;
        try {
            package::parsePart(archive, std::string(names::settingsEntry), settings,
                               limits::maxSmallPartBytes);
            settings.apply(workbook);
        } catch (const ReadError&) {
            // Damaged view settings cost the frozen panes only.
        }
    }
    finishWorkbook(workbook, styles, content, std::string(names::contentEntry));
    return workbook;
}

Workbook readFlatDocument(std::span<const std::uint8_t> bytes) {
    Workbook workbook;
    StyleTable styles(workbook);
    // A flat document holds its pictures inline; a reference names nothing we may open.
    const PictureLoader loader = [](std::string_view, Picture&) { return false; };
    DocumentHandler handler(workbook, styles, loader);
    ViewSettingsHandler settings;
    BothHandlers both(handler, settings);
    xml::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), both,
               "the document");
    settings.apply(workbook);
    finishWorkbook(workbook, styles, handler, "the document");
    return workbook;
}

} // namespace engine::ods
