#include "engine/package/ThemePart.h"

#include "engine/base/Limits.h"
#include "engine/package/AttributeValues.h"
#include "engine/package/Colors.h"
#include "engine/package/PartReader.h"

#include <array>
#include <optional>

namespace engine::package {
namespace {

// The scheme's slots in file order, the order Colors::setScheme() takes.
constexpr std::array<std::string_view, 12> slotNames = {
    "dk1",     "lt1",     "dk2",     "lt2",     "accent1", "accent2",
    "accent3", "accent4", "accent5", "accent6", "hlink",   "folHlink"};

class ThemeHandler : public xml::Handler {
public:
    ThemeHandler() {
        scheme_ = {0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1, 0x4F81BD, 0xC0504D,
                   0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};
    }

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (local == "clrScheme") {
            inScheme_ = !seenScheme_;
            seenScheme_ = true;
            return;
        }
        if (!inScheme_)
            return;
        for (std::size_t i = 0; i < slotNames.size(); ++i)
            if (local == slotNames[i])
                slot_ = static_cast<int>(i);
        if (slot_ < 0)
            return;
        std::optional<std::uint32_t> rgb;
        if (local == "srgbClr")
            rgb = parseHexColor(attributes.value("val"));
        else if (local == "sysClr")
            rgb = parseHexColor(attributes.value("lastClr"));
        if (rgb) {
            scheme_[static_cast<std::size_t>(slot_)] = *rgb;
            found_ = true;
        }
    }

    void endElement(std::string_view, std::string_view local) override {
        if (local == "clrScheme")
            inScheme_ = false;
        else if (slot_ >= 0 && local == slotNames[static_cast<std::size_t>(slot_)])
            slot_ = -1;
    }

    bool found() const { return found_; }
    const std::array<std::uint32_t, 12>& scheme() const { return scheme_; }

private:
    std::array<std::uint32_t, 12> scheme_;
    bool inScheme_ = false, seenScheme_ = false, found_ = false;
    int slot_ = -1;
};

} // namespace

void readTheme(const zip::ZipArchive& archive, const std::string& part, Colors& colors) {
    ThemeHandler handler;
    parsePart(archive, part, handler, limits::maxSmallPartBytes);
    if (handler.found())
        colors.setScheme(handler.scheme());
}

} // namespace engine::package
