#pragma once
// The pictures of a worksheet's drawing part.

#include "engine/model/Sheet.h"
#include "engine/package/AnchorGeometry.h"
#include "engine/xml/XmlParser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::zip {
class ZipArchive;
}

namespace engine::package {

// The pictures of a worksheet's drawing part, gathered during the one walk of the part that
// also reads its charts and shapes, then read from the package.
class DrawingPictures {
public:
    // An anchor element begins.
    void anchorStarted();
    // An element of the open anchor that is not part of its place (`depth` counting it, the
    // part's root element being 1), and its end.
    void start(std::string_view local, const xml::Attributes& attributes, std::size_t depth);
    void end(std::string_view local);
    // The anchor closed at `place`: its pictures are kept.
    void anchorEnded(const DrawingAnchor& place);

    // Appends to `sheet.pictures` every picture kept of drawing part `part` whose image is
    // embedded in the package in a format a browser shows (PNG, JPEG, GIF, BMP, TIFF, WebP;
    // EMF and WMF are turned into SVG of our own), with its anchor; linked images are left out.
    // `sheet`'s sizes must be read already. `pictureBytes` counts the image bytes of the
    // workbook so far: pictures past limits::maxPictureBytesPerWorkbook are left out. Throws
    // ReadError(Damaged) for an image over limits::maxPictureBytes.
    void addTo(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
               std::uint64_t& pictureBytes) const;

private:
    struct Pending {
        std::string embedId;
        std::string description;
        double widthEmu = 0, heightEmu = 0;
    };
    struct PendingAnchor {
        DrawingAnchor place;
        std::vector<Pending> pictures;
    };

    std::vector<PendingAnchor> anchors_;
    std::vector<Pending> pictures_; // of the open anchor
    std::size_t pictureCount_ = 0;
    std::size_t picDepth_ = 0, xfrmDepth_ = 0; // of the open pic and its xfrm; 0: none
};

// Sets `sheet.background` to the image of package part `part` when it is one a page shows
// (metafiles become SVG); `pictureBytes` counts and bounds as for DrawingPictures::addTo. Throws
// ReadError(Damaged) for an image over limits::maxPictureBytes.
void readBackground(const zip::ZipArchive& archive, const std::string& part, Sheet& sheet,
                    std::uint64_t& pictureBytes);

} // namespace engine::package
