#pragma once
// Where writers put their bytes: a file replaced atomically, or a string for tests.

#include <string>
#include <string_view>

namespace engine::web {

class Sink {
public:
    virtual ~Sink() = default;
    // Appends `bytes`. A file sink throws WriteError when the disk refuses them.
    virtual void write(std::string_view bytes) = 0;
};

// Collects everything in memory.
class StringSink : public Sink {
public:
    void write(std::string_view bytes) override { text_.append(bytes); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// Writes to a temporary file beside `path` and puts it in place only on commit(), so a failed
// or abandoned write never leaves half a file and never touches an existing one.
class FileSink : public Sink {
public:
    // Throws WriteError when the folder does not exist or cannot be written.
    explicit FileSink(std::string path);
    ~FileSink() override; // removes the temporary file unless committed
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    void write(std::string_view bytes) override;
    // Flushes, closes and renames the temporary file over `path`. Throws WriteError.
    void commit();

private:
    void flush();
    [[noreturn]] void fail(const std::string& what, int error);

    std::string path_;
    std::string temporary_;
    std::string buffer_;
    int fd_ = -1;
};

} // namespace engine::web
