// Reading a generated 1,000,000-cell BIFF8 workbook (62,500 rows by 16 columns, half numbers,
// half shared strings of which every one is distinct), from memory and from a file, and the same
// workbook encrypted with the default password. Reports the peak memory of the read itself as a
// counter.

#include "engine/crypto/BlockRc4.h"
#include "engine/crypto/Digest.h"
#include "engine/read/ReadWorkbook.h"
#include "tests/engine/cfb/CompoundFileBuilder.h"
#include "tests/engine/xls/BiffBuilder.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using testing_support::BiffWriter;
using testing_support::Bytes;

constexpr std::uint32_t rows = 62500;
constexpr std::uint32_t columns = 16;
constexpr std::size_t maxRecordBody = 8224;

// The SST as one record and its CONTINUE records, never splitting a string, so that no
// CONTINUE needs an option byte.
void writeSst(BiffWriter& w, std::uint32_t count) {
    Bytes body;
    body.u32(count).u32(count);
    bool first = true;
    auto flush = [&] {
        w.record(first ? 0x00FC : 0x003C, body);
        first = false;
        body = Bytes();
    };
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string text = "text " + std::to_string(i * 7919u % 1000003u);
        if (body.size() + 3 + text.size() > maxRecordBody)
            flush();
        body.str16(text);
    }
    flush();
}

std::vector<std::uint8_t> saltBytes() {
    std::vector<std::uint8_t> salt(16);
    for (std::size_t i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<std::uint8_t>(31 * i + 7);
    return salt;
}

// A FILEPASS record of RC4 CryptoAPI with a 128-bit key under the default password.
Bytes cryptoApiFilePass() {
    using engine::crypto::BlockRc4;
    const auto salt = saltBytes();
    std::vector<std::uint8_t> sealed(16, 0x5A);
    const auto hash = engine::crypto::sha1({sealed});
    sealed.insert(sealed.end(), hash.begin(), hash.end());
    BlockRc4::sha1(u"VelvetSweatshop", salt, 128).apply(sealed, 0);
    Bytes body;
    body.u16(1).u16(4).u16(2).u32(0x04).u32(32);
    body.u32(0x04).u32(0).u32(0x6801).u32(0x8004).u32(128).u32(1).u32(0).u32(0);
    body.u32(16);
    body.data.insert(body.data.end(), salt.begin(), salt.end());
    body.data.insert(body.data.end(), sealed.begin(), sealed.begin() + 16);
    body.u32(20);
    body.data.insert(body.data.end(), sealed.begin() + 16, sealed.end());
    return body;
}

// Encrypts every record after the FILEPASS record as the application does.
void encryptStream(std::vector<std::uint8_t>& s) {
    auto cipher = engine::crypto::BlockRc4::sha1(u"VelvetSweatshop", saltBytes(), 128);
    bool after = false;
    for (std::size_t pos = 0; pos + 4 <= s.size();) {
        const unsigned id = s[pos] | s[pos + 1] << 8;
        const std::size_t size = s[pos + 2] | s[pos + 3] << 8;
        const bool plain = id == 0x0809 || id == 0x002F || id == 0x00E1 || id == 0x0138 ||
                           (id >= 0x0194 && id <= 0x0196);
        const std::size_t skip = id == 0x0085 ? 4 : 0;
        if (after && !plain)
            cipher.apply(std::span(s).subspan(pos + 4 + skip, size - skip), pos + 4 + skip);
        after = after || id == 0x002F;
        pos += 4 + size;
    }
}

std::vector<std::uint8_t> makeWorkbook(bool encrypted) {
    const std::uint32_t strings = rows * columns / 2;
    BiffWriter w;
    w.bof(0x0005);
    if (encrypted)
        w.record(0x002F, cryptoApiFilePass());
    w.record(0x0042, Bytes().u16(1200));
    for (int i = 0; i < 5; ++i)
        w.record(0x0031,
                 Bytes().u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0).str8(
                     "Arial"));
    for (int i = 0; i < 16; ++i)
        w.record(0x00E0, Bytes()
                             .u16(0)
                             .u16(0)
                             .u16(i < 15 ? 0xFFF5 : 0)
                             .u8(0x20)
                             .u8(0)
                             .u8(0)
                             .u8(0)
                             .u32(0)
                             .u32(0)
                             .u16(0x20C0));
    const std::size_t positionField = w.position() + 4;
    w.record(0x0085, Bytes().u32(0).u8(0).u8(0).str8("Big"));
    writeSst(w, strings);
    w.eof();
    w.patch32(positionField, static_cast<std::uint32_t>(w.position()));
    w.bof(0x0010);
    w.record(0x0200, Bytes().u32(0).u32(rows).u16(0).u16(columns).u16(0));
    std::uint32_t next = 0;
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint16_t c = 0; c < columns; ++c) {
            if (c % 2 == 0)
                w.record(0x0203, Bytes().u16(r).u16(c).u16(15).f64(r * 1.25 + c));
            else
                w.record(0x00FD, Bytes().u16(r).u16(c).u16(15).u32(next++));
        }
    }
    w.record(0x023E, Bytes().u16(0x06B6).u16(0).u16(0).u32(0));
    w.eof();
    if (encrypted)
        encryptStream(w.bytes);
    testing_support::CompoundFileBuilder file;
    file.addStream("Workbook", std::move(w.bytes));
    return file.build();
}

const std::vector<std::uint8_t>& workbookBytes() {
    static const std::vector<std::uint8_t> bytes = makeWorkbook(false);
    return bytes;
}

// The process's peak resident memory in kB since the last reset (Linux).
long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::char_traits<char>::length(field);
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(length));
    return 0;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Times `read` and reports how far the resident memory rose above where it stood before.
template <typename Read> void measure(benchmark::State& state, Read read) {
    long peakGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetPeak();
        const long before = statusKb("VmRSS:");
        state.ResumeTiming();
        {
            const engine::Workbook book = read();
            benchmark::DoNotOptimize(book.sheets.front().cells.size());
            state.PauseTiming();
            if (book.sheets.front().cells.size() != std::size_t{rows} * columns)
                state.SkipWithError("wrong cell count");
        }
        peakGrowth = std::max(peakGrowth, statusKb("VmHWM:") - before);
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(workbookBytes().size()) / (1 << 20);
    state.counters["peak_read_MB"] = static_cast<double>(peakGrowth) / 1024;
    state.counters["peak_process_MB"] = static_cast<double>(statusKb("VmHWM:")) / 1024;
}

void BM_ReadXlsMillionCells(benchmark::State& state) {
    const auto& bytes = workbookBytes();
    measure(state, [&] { return engine::readWorkbookBytes(bytes); });
}
BENCHMARK(BM_ReadXlsMillionCells)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same through the file system, as the host reads it.
void BM_ReadXlsMillionCellsFromFile(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("qm-bench-xls-" + std::to_string(::getpid()) + ".xls");
    {
        std::ofstream out(path, std::ios::binary);
        const auto& bytes = workbookBytes();
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    measure(state, [&] { return engine::readWorkbook(path.string()); });
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadXlsMillionCellsFromFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// Encrypted with the default password: the workbook stream is decrypted where it lies first.
void BM_ReadEncryptedXlsMillionCells(benchmark::State& state) {
    static const std::vector<std::uint8_t> bytes = makeWorkbook(true);
    measure(state, [&] { return engine::readWorkbookBytes(bytes); });
}
BENCHMARK(BM_ReadEncryptedXlsMillionCells)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
