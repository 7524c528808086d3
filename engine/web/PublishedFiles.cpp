#include "engine/web/PublishedFiles.h"

#include "engine/web/Publish.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace engine::web {

PublishedFiles::PublishedFiles(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code error;
    made_ = std::filesystem::create_directory(folder_, error);
    if (error || !std::filesystem::is_directory(folder_))
        throw WriteError("Cannot create the folder \"" + folder_.string() + "\"" +
                         (error ? ": " + error.message() : std::string()) + ".");
}

PublishedFiles::~PublishedFiles() {
    if (!kept_)
        takeBack();
}

void PublishedFiles::write(const std::string& name, std::span<const std::uint8_t> data) {
    auto file = std::make_unique<FileSink>((folder_ / name).string());
    file->write(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    written_.emplace_back(name, std::move(file));
}

void PublishedFiles::place() {
    try {
        for (auto& [name, file] : written_) {
            const std::filesystem::path target = folder_ / name;
            std::error_code error;
            if (std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
                // The old file moves over a placeholder of a unique name, to come back if
                // the page fails.
                std::string aside = (folder_ / ".qm-keep-XXXXXX").string();
                const int fd = ::mkstemp(aside.data());
                if (fd < 0)
                    throw WriteError("Cannot write to the folder \"" + folder_.string() + "\".");
                ::close(fd);
                if (std::rename(target.c_str(), aside.c_str()) != 0) {
                    ::unlink(aside.c_str());
                    throw WriteError("Cannot replace \"" + target.string() + "\".");
                }
                replaced_.emplace_back(target, aside);
            } else {
                added_.push_back(target);
            }
            file->commit();
        }
    } catch (...) {
        takeBack();
        kept_ = true; // nothing left to take back
        throw;
    }
    written_.clear();
}

void PublishedFiles::keep() noexcept {
    for (const auto& entry : replaced_)
        ::unlink(entry.second.c_str());
    replaced_.clear();
    added_.clear();
    kept_ = true;
}

void PublishedFiles::takeBack() noexcept {
    written_.clear(); // their temporary files go with them
    for (const std::filesystem::path& file : added_)
        ::unlink(file.c_str());
    added_.clear();
    for (const auto& [file, aside] : replaced_)
        std::rename(aside.c_str(), file.c_str());
    replaced_.clear();
    if (made_) {
        std::error_code ignored;
        std::filesystem::remove(folder_, ignored); // only when empty, as it was made
    }
}

} // namespace engine::web
