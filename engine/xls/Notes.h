#pragma once
// The comments (notes) of a worksheet substream. BIFF8 keeps a note's text in the TXO record
// (and its CONTINUE records) after the note's OBJ record, and ties it to its cell with a NOTE
// record at the end of the sheet; BIFF2-7 keep the text in the NOTE records themselves.

#include "engine/model/Sheet.h"
#include "engine/util/Text.h"
#include "engine/xls/RecordReader.h"
#include "engine/xls/TextObject.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace engine::xls {

class NoteCollector {
public:
    NoteCollector(int version, util::CodePageDecoder& decoder)
        : version_(version), decoder_(decoder) {}

    // An OBJ record: remembers whether the next TXO holds a note's text.
    void object(const Record& record);
    // The text of a TXO record, nullopt when it had none.
    void textObject(const std::optional<TextObject>& text);
    // A NOTE record.
    void note(const Record& record);

    // Adds the notes whose cells and texts were both found to `sheet.comments`. A damaged
    // record costs its note only.
    void finish(Sheet& sheet);

private:
    struct Pending {
        std::uint32_t row = 0;
        std::uint16_t col = 0;
        std::uint16_t objectId = 0;
        bool shown = false;
        std::string author;
        std::string text; // BIFF2-7
    };

    int version_;
    util::CodePageDecoder& decoder_;
    int noteObject_ = -1;                        // the id of the last OBJ when it was a note's
    std::map<std::uint16_t, std::string> texts_; // by object id
    std::vector<Pending> notes_;
    std::size_t textBytes_ = 0; // of every note so far, bounded
};

} // namespace engine::xls
