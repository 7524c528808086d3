#include "engine/xlsx/SharedStrings.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/package/PartReader.h"
#include "engine/xlsx/RichTextCollector.h"

namespace engine::xlsx {
namespace {

class SharedStringsHandler : public xml::Handler {
public:
    SharedStringsHandler(const package::Colors& colors, FontTable& fonts,
                         std::vector<RichText>& strings)
        : collector_(colors, fonts), strings_(strings) {}

    void startElement(std::string_view, std::string_view local,
                      const xml::Attributes& attributes) override {
        if (inItem_) {
            collector_.startElement(local, attributes);
        } else if (local == "si") {
            if (strings_.size() >= limits::maxStrings)
                throw ReadError(ReadError::Kind::Damaged,
                                "the shared strings part holds more than " +
                                    std::to_string(limits::maxStrings) + " strings");
            inItem_ = true;
            depth_ = 0;
            collector_.begin();
            return;
        }
        if (inItem_)
            ++depth_;
    }

    void endElement(std::string_view, std::string_view local) override {
        if (!inItem_)
            return;
        if (depth_ == 0) {
            strings_.push_back(collector_.take());
            inItem_ = false;
            return;
        }
        --depth_;
        collector_.endElement(local);
    }

    void characters(std::string_view text) override {
        if (inItem_)
            collector_.characters(text);
    }

private:
    RichTextCollector collector_;
    std::vector<RichText>& strings_;
    bool inItem_ = false;
    std::size_t depth_ = 0;
};

} // namespace

void readSharedStrings(const zip::ZipArchive& archive, const std::string& part,
                       const package::Colors& colors, FontTable& fonts, Workbook& workbook) {
    SharedStringsHandler handler(colors, fonts, workbook.strings);
    package::parsePart(archive, part, handler, limits::maxPartBytes);
}

} // namespace engine::xlsx
