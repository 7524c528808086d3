#pragma once
// The supporting files of one web page, put in their folder so that a page that fails takes
// back exactly what it added: files and a folder that were there before stay as they were.

#include "engine/web/Sink.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace engine::web {

class PublishedFiles {
public:
    // Makes `folder` unless it exists. Throws WriteError.
    explicit PublishedFiles(std::filesystem::path folder);
    // Unless kept: removes the files put in place, gives back the ones they replaced and
    // removes the folder if it was made here and is empty.
    ~PublishedFiles();
    PublishedFiles(const PublishedFiles&) = delete;
    PublishedFiles& operator=(const PublishedFiles&) = delete;

    // Writes `name` in the folder beside its final name; nothing is replaced yet.
    void write(const std::string& name, std::span<const std::uint8_t> data);
    // Puts every written file in place; a file it replaces is kept aside until keep().
    // Throws WriteError, having taken back what it placed.
    void place();
    // The page is in place too: what was replaced goes for good.
    void keep() noexcept;

private:
    void takeBack() noexcept;

    std::filesystem::path folder_;
    bool made_ = false;
    bool kept_ = false;
    std::vector<std::pair<std::string, std::unique_ptr<FileSink>>> written_;
    std::vector<std::filesystem::path> added_;
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> replaced_; // file, aside
};

} // namespace engine::web
