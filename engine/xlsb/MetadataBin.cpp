#include "engine/xlsb/MetadataBin.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"
#include "engine/xlsb/BinaryValues.h"
#include "engine/xlsb/RecordStream.h"
#include "engine/xlsb/Records.h"

#include <utility>

namespace engine::xlsb {
namespace {

// BrtMdtinfo names the types in order; BrtBeginEsfmd opens a type's future metadata, one
// BrtBeginFmd a block, whose BrtBeginDynamicArrayPr says whether it marks a dynamic array;
// BrtBeginEsmdb with fCellMeta opens the cell metadata, one BrtMdb a block of (1-based type,
// 0-based block of that type) pairs.
class MetadataReader {
public:
    void record(const Record& record) {
        if (++records_ > limits::maxMetadataRecords)
            throw ReadError(ReadError::Kind::Damaged,
                            "more than " + std::to_string(limits::maxMetadataRecords) +
                                " metadata records");
        util::ByteCursor cursor = record.cursor();
        switch (record.type) {
        case rec::Mdtinfo:
            cursor.skip(8); // flags, version
            tables_.types.push_back(wideString(cursor));
            break;
        case rec::BeginEsfmd:
            cursor.skip(4); // cFmd
            future_ = &tables_.futures[wideString(cursor)];
            break;
        case rec::EndEsfmd:
            future_ = nullptr;
            break;
        case rec::BeginFmd:
            if (future_)
                future_->push_back(false);
            break;
        case rec::BeginDynamicArrayPr:
            // fDynamic is the first bit of the record.
            if (future_ && !future_->empty() && cursor.remaining() >= 1)
                future_->back() = (cursor.u8() & 0x01) != 0;
            break;
        case rec::BeginEsmdb:
            cursor.skip(4); // cMdb
            inCells_ = cursor.u32() != 0;
            break;
        case rec::EndEsmdb:
            inCells_ = false;
            break;
        case rec::Mdb:
            if (inCells_)
                readBlock(cursor);
            break;
        default:
            break;
        }
    }

    const package::CellMetadataTables& tables() const { return tables_; }

private:
    void readBlock(util::ByteCursor& cursor) {
        const std::uint32_t count = cursor.u32();
        // Each pair takes 8 bytes: a count the record cannot hold is damage.
        if (count > cursor.remaining() / 8)
            throw ReadError(ReadError::Kind::Damaged,
                            "a BrtMdb record claims " + std::to_string(count) +
                                " entries but holds " + std::to_string(cursor.remaining() / 8));
        auto& block = tables_.cells.emplace_back();
        block.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t type = cursor.u32();
            block.emplace_back(type, cursor.u32());
        }
    }

    std::size_t records_ = 0;
    package::CellMetadataTables tables_;
    std::vector<bool>* future_ = nullptr; // the future metadata being read
    bool inCells_ = false;
};

} // namespace

CellMetaMarks parseMetadataBin(const std::string& records, const std::string& partName) {
    MetadataReader reader;
    parseRecords({reinterpret_cast<const std::uint8_t*>(records.data()), records.size()}, partName,
                 [&](const Record& record) { reader.record(record); });
    return CellMetaMarks(reader.tables());
}

CellMetaMarks readMetadataBin(const zip::ZipArchive& archive, const std::string& part) {
    MetadataReader reader;
    try {
        readRecords(archive, part, limits::maxSmallPartBytes,
                    [&](const Record& record) { reader.record(record); });
    } catch (const ReadError& error) {
        if (error.kind() != ReadError::Kind::Damaged)
            throw;
        return CellMetaMarks();
    }
    return CellMetaMarks(reader.tables());
}

} // namespace engine::xlsb
