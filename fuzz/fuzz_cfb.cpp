// The compound file container alone: parse, then read every stream.

#include "engine/base/ReadError.h"
#include "engine/cfb/CompoundFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const engine::cfb::CompoundFile file({data, size});
        for (const auto& entry : file.entries())
            if (entry.isStream)
                file.read(entry);
    } catch (const engine::ReadError&) {
    }
    return 0;
}
