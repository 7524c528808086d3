#pragma once
// Pictures of a binary workbook: the image store of the drawing group (MSODRAWINGGROUP) and the
// shapes of each sheet's drawing (MSODRAWING) that show one of its images.

#include "engine/model/Sheet.h"
#include "engine/xls/OfficeArt.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine::xls {

class PictureStore {
public:
    // Parses the joined bytes of the MSODRAWINGGROUP records; anything it cannot read is left
    // out, so that a broken store costs pictures, never the workbook.
    explicit PictureStore(std::span<const std::uint8_t> drawingGroup);

    // Adds to `sheet.pictures` every picture shape of the sheet's drawing whose image is in the
    // store, while the workbook's picture budget lasts; anchors are turned into points with the
    // sheet's sizes.
    void addPictures(std::span<const ArtShape> shapes, Sheet& sheet) const;

private:
    struct Image {
        std::string mimeType; // empty when the format is not one a page can show
        std::vector<std::uint8_t> data;
    };
    static Image metafileImage(std::span<const std::uint8_t> blipBody, std::size_t uids,
                               std::uint64_t& total);

    std::vector<Image> images_; // by image number - 1
    // Bytes of pictures given to sheets so far: one image shown by many shapes is copied each
    // time, so the total is bounded, not just each image.
    mutable std::uint64_t handedOut_ = 0;
    mutable std::size_t picturesHandedOut_ = 0;
};

} // namespace engine::xls
