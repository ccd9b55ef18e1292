// SPDX-License-Identifier: GPL-3.0-or-later
#include "generation/NameDigests.h"

#include <xxhash.h>

namespace stencilor {

NameDigest digestOf(std::string_view name)
{
    const XXH128_hash_t hash = XXH3_128bits(name.data(), name.size());
    return {hash.high64, hash.low64};
}

} // namespace stencilor
