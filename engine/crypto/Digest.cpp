#include "engine/crypto/Digest.h"

#include <nettle/md5.h>
#include <nettle/sha1.h>

namespace engine::crypto {

Md5 md5(std::initializer_list<std::span<const std::uint8_t>> parts) {
    md5_ctx context;
    md5_init(&context);
    for (const auto part : parts)
        md5_update(&context, part.size(), part.data());
    Md5 digest;
    md5_digest(&context, digest.size(), digest.data());
    return digest;
}

Sha1 sha1(std::initializer_list<std::span<const std::uint8_t>> parts) {
    sha1_ctx context;
    sha1_init(&context);
    for (const auto part : parts)
        sha1_update(&context, part.size(), part.data());
    Sha1 digest;
    sha1_digest(&context, digest.size(), digest.data());
    return digest;
}

} // namespace engine::crypto
