#include "engine/xls/RecordReader.h"

#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"

namespace engine::xls {

bool RecordReader::next(Record& record) {
    if (stream_.size() - pos_ < 4)
        return false;
    const std::uint16_t id = util::loadU16(stream_.data() + pos_);
    const std::uint16_t length = util::loadU16(stream_.data() + pos_ + 2);
    if (length > stream_.size() - pos_ - 4)
        throw ReadError(ReadError::Kind::Damaged, "record " + util::hexOffset(id) + " at offset " +
                                                      util::hexOffset(pos_) + ": expected " +
                                                      std::to_string(length) + " bytes, found " +
                                                      std::to_string(stream_.size() - pos_ - 4));
    record.id = id;
    record.offset = pos_;
    record.body = stream_.subspan(pos_ + 4, length);
    pos_ += 4 + length;
    return true;
}

std::uint32_t RecordReader::peekId() const {
    if (stream_.size() - pos_ < 4)
        return 0xFFFFFFFFu;
    return util::loadU16(stream_.data() + pos_);
}

} // namespace engine::xls
