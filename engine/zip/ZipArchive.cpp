#include "engine/zip/ZipArchive.h"

#include "engine/base/Limits.h"
#include "engine/base/ReadError.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <zip.h>

namespace engine::zip {
namespace {

[[noreturn]] void damaged(std::string detail) {
    throw ReadError(ReadError::Kind::Damaged, std::move(detail));
}

std::string quoted(std::string_view name) {
    std::string text;
    text.reserve(name.size() + 2);
    text += '\'';
    text += name;
    text += '\'';
    return text;
}

void checkRatio(std::string_view name, std::uint64_t inflated, std::uint64_t compressed) {
    if (inflated > limits::compressionRatioFloorBytes &&
        inflated / compressed > limits::maxCompressionRatio)
        damaged("the ZIP entry " + quoted(name) + " inflates more than " +
                std::to_string(limits::maxCompressionRatio) + " times its compressed size");
}

} // namespace

ZipArchive::ZipArchive(std::span<const std::uint8_t> bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        damaged("the ZIP archive cannot be opened");
    }
    archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive_) {
        zip_source_free(source);
        std::string detail = "the ZIP archive's directory cannot be read (";
        detail += zip_error_strerror(&error);
        detail += ")";
        zip_error_fini(&error);
        damaged(std::move(detail));
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    entryCount_ = count > 0 ? static_cast<std::size_t>(count) : 0;
    for (zip_uint64_t i = 0; i < entryCount_; ++i) {
        const char* name = zip_get_name(archive_, i, ZIP_FL_ENC_RAW);
        if (name)
            index_.emplace(key(name), i); // the first of two equal names wins
    }
}

ZipArchive::~ZipArchive() {
    if (archive_)
        zip_discard(archive_);
}

std::string ZipArchive::key(std::string_view name) {
    std::string result;
    result.reserve(name.size());
    for (char c : name) {
        if (c == '\\')
            c = '/';
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        result.push_back(c);
    }
    if (!result.empty() && result.front() == '/')
        result.erase(0, 1);
    return result;
}

bool ZipArchive::contains(std::string_view name) const {
    return index_.count(key(name)) != 0;
}

EntryReader::EntryReader(::zip_file* file, std::string name, std::uint64_t limit,
                         std::uint64_t declaredSize, std::uint64_t compressedSize,
                         std::uint64_t& totalInflated)
    : file_(file), name_(std::move(name)), limit_(limit), declaredSize_(declaredSize),
      compressedSize_(compressedSize), totalInflated_(totalInflated) {}

EntryReader::EntryReader(EntryReader&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), name_(std::move(other.name_)),
      limit_(other.limit_), declaredSize_(other.declaredSize_),
      compressedSize_(other.compressedSize_), inflated_(other.inflated_),
      totalInflated_(other.totalInflated_) {}

EntryReader::~EntryReader() {
    if (file_)
        zip_fclose(file_);
}

std::size_t EntryReader::read(char* buffer, std::size_t capacity) {
    const zip_int64_t got = zip_fread(file_, buffer, capacity);
    if (got < 0)
        damaged("the ZIP entry " + quoted(name_) + " is corrupt (" + zip_file_strerror(file_) +
                ")");
    // The declared size is a claim of the file: count what really comes out.
    inflated_ += static_cast<std::uint64_t>(got);
    totalInflated_ += static_cast<std::uint64_t>(got);
    if (inflated_ > limit_ || inflated_ > declaredSize_)
        damaged("the ZIP entry " + quoted(name_) + " inflates to more than its " +
                (inflated_ > limit_ ? "limit of " + std::to_string(limit_) + " bytes"
                                    : "declared size"));
    checkRatio(name_, inflated_, compressedSize_);
    if (totalInflated_ > limits::maxTotalInflatedBytes)
        damaged("the ZIP archive inflates to more than " +
                std::to_string(limits::maxTotalInflatedBytes >> 20) + " MB");
    return static_cast<std::size_t>(got);
}

EntryReader ZipArchive::open(std::string_view name, std::uint64_t maxBytes) const {
    const auto found = index_.find(key(name));
    if (found == index_.end())
        damaged("the part " + quoted(name) + " is missing");
    const zip_uint64_t entry = found->second;

    zip_stat_t info;
    zip_stat_init(&info);
    if (zip_stat_index(archive_, entry, 0, &info) != 0)
        damaged("the ZIP entry " + quoted(name) + " cannot be read");
    const std::uint64_t limit = std::min(maxBytes, limits::maxPartBytes);
    const bool knowsSize = (info.valid & ZIP_STAT_SIZE) != 0;
    const std::uint64_t compressed =
        (info.valid & ZIP_STAT_COMP_SIZE) ? std::max<std::uint64_t>(info.comp_size, 1) : 1;
    if (knowsSize && info.size > limit)
        damaged("the ZIP entry " + quoted(name) + " is larger than " + std::to_string(limit) +
                " bytes");
    if (knowsSize)
        checkRatio(name, info.size, compressed);

    zip_file_t* file = zip_fopen_index(archive_, entry, 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(archive_));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD)
            throw ReadError(ReadError::Kind::Encrypted,
                            "the ZIP entry " + quoted(name) + " is encrypted");
        damaged("the ZIP entry " + quoted(name) + " cannot be opened (" + zip_strerror(archive_) +
                ")");
    }
    return EntryReader(file, std::string(name), limit,
                       knowsSize ? info.size : std::numeric_limits<std::uint64_t>::max(),
                       compressed, totalInflated_);
}

void ZipArchive::stream(std::string_view name, std::uint64_t maxBytes,
                        const std::function<void(const char*, std::size_t)>& sink) const {
    EntryReader reader = open(name, maxBytes);
    std::vector<char> buffer(64 * 1024);
    while (const std::size_t got = reader.read(buffer.data(), buffer.size()))
        sink(buffer.data(), got);
}

std::string ZipArchive::read(std::string_view name, std::uint64_t maxBytes) const {
    std::string result;
    stream(name, maxBytes, [&](const char* data, std::size_t size) { result.append(data, size); });
    return result;
}

} // namespace engine::zip
