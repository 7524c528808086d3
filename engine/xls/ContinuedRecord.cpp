#include "engine/xls/ContinuedRecord.h"

#include "engine/base/ReadError.h"
#include "engine/util/ByteCursor.h"
#include "engine/util/Text.h"
#include "engine/xls/Records.h"

#include <algorithm>

namespace engine::xls {

ContinuedRecord::ContinuedRecord(const Record& first, RecordReader& reader, const char* what)
    : what_(what) {
    pieces_.push_back(first.body);
    offsets_.push_back(first.offset + 4);
    Record next;
    while (reader.peekId() == rec::Continue && reader.next(next)) {
        pieces_.push_back(next.body);
        offsets_.push_back(next.offset + 4);
    }
}

ContinuedRecord::ContinuedRecord(std::vector<std::span<const std::uint8_t>> pieces,
                                 std::size_t offset, const char* what)
    : pieces_(std::move(pieces)), what_(what) {
    for (const auto& piece : pieces_) {
        offsets_.push_back(offset);
        offset += piece.size() + 4;
    }
}

void ContinuedRecord::fail(std::size_t need) const {
    const std::size_t at = piece_ < offsets_.size() ? offsets_[piece_] + pos_
                                                    : (offsets_.empty() ? 0 : offsets_.back());
    throw ReadError(ReadError::Kind::Damaged,
                    std::string(what_) + " at offset " + util::hexOffset(at) + ": expected " +
                        std::to_string(need) + " more bytes, found the end of the record");
}

bool ContinuedRecord::advance() {
    if (piece_ + 1 >= pieces_.size())
        return false;
    ++piece_;
    pos_ = 0;
    return true;
}

bool ContinuedRecord::atEnd() {
    while (piece_ < pieces_.size() && pos_ >= pieces_[piece_].size())
        if (!advance())
            return true;
    return piece_ >= pieces_.size();
}

std::uint8_t ContinuedRecord::u8() {
    if (atEnd())
        fail(1);
    return pieces_[piece_][pos_++];
}

std::uint16_t ContinuedRecord::u16() {
    const std::uint16_t low = u8();
    return static_cast<std::uint16_t>(low | (u8() << 8));
}

std::uint32_t ContinuedRecord::u32() {
    const std::uint32_t low = u16();
    return low | (static_cast<std::uint32_t>(u16()) << 16);
}

void ContinuedRecord::skip(std::size_t count) {
    while (count > 0) {
        if (atEnd())
            fail(count);
        const std::size_t take = std::min(count, pieces_[piece_].size() - pos_);
        pos_ += take;
        count -= take;
    }
}

void ContinuedRecord::readChars(std::string& out, std::size_t count, bool highByte,
                                std::vector<std::uint32_t>* unitOffsets) {
    const std::size_t base = out.size();
    char32_t pendingHigh = 0;
    auto flushPending = [&] {
        if (pendingHigh) {
            util::appendUtf8(out, 0xFFFD);
            pendingHigh = 0;
        }
    };
    while (count > 0) {
        if (piece_ >= pieces_.size() || pos_ >= pieces_[piece_].size()) {
            // The characters go on in the next CONTINUE record, which restates the width.
            if (!advance())
                fail(count);
            if (pieces_[piece_].empty())
                continue;
            highByte = (pieces_[piece_][pos_++] & 0x01) != 0;
            continue;
        }
        const auto piece = pieces_[piece_];
        if (!highByte) {
            const std::size_t take = std::min(count, piece.size() - pos_);
            const auto chunk = piece.subspan(pos_, take);
            flushPending();
            if (unitOffsets) {
                for (const std::uint8_t byte : chunk) {
                    unitOffsets->push_back(static_cast<std::uint32_t>(out.size() - base));
                    util::appendUtf8(out, byte);
                }
            } else {
                util::appendLatin1(out, chunk);
            }
            pos_ += take;
            count -= take;
            continue;
        }
        const std::size_t available = (piece.size() - pos_) / 2;
        if (available == 0) {
            // An odd byte at the end of a piece cannot hold a character; the writer broke it.
            fail(2);
        }
        const std::size_t take = std::min(count, available);
        for (std::size_t i = 0; i < take; ++i) {
            const char32_t unit = util::loadU16(piece.data() + pos_ + 2 * i);
            if (unitOffsets)
                unitOffsets->push_back(static_cast<std::uint32_t>(out.size() - base));
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                flushPending();
                pendingHigh = unit;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF && pendingHigh) {
                util::appendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
                pendingHigh = 0;
            } else {
                flushPending();
                util::appendUtf8(out, unit);
            }
        }
        pos_ += 2 * take;
        count -= take;
    }
    flushPending();
}

std::vector<std::uint8_t> ContinuedRecord::rest() {
    std::vector<std::uint8_t> out;
    std::size_t total = 0;
    for (std::size_t i = piece_; i < pieces_.size(); ++i)
        total += pieces_[i].size();
    out.reserve(total);
    while (!atEnd()) {
        const auto piece = pieces_[piece_].subspan(pos_);
        out.insert(out.end(), piece.begin(), piece.end());
        pos_ = pieces_[piece_].size();
    }
    return out;
}

} // namespace engine::xls
