// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ContentHash.h"

#include <cstdio>
#include <new>
#include <xxhash.h>

namespace stencilor {

namespace {

std::string hexText(XXH64_hash_t hash)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

// The library's state, made and freed by the library (its layout is not part of its stable API).
struct ContentHash::State {
    State()
        : xxh(XXH3_createState())
    {
        if (!xxh)
            throw std::bad_alloc();
    }
    ~State() { XXH3_freeState(xxh); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    XXH3_state_t* xxh;
};

ContentHash::ContentHash()
    : m_state(std::make_unique<State>())
{
    reset();
}

ContentHash::~ContentHash() = default;

void ContentHash::reset()
{
    XXH3_64bits_reset(m_state->xxh);
}

void ContentHash::feed(std::string_view bytes)
{
    XXH3_64bits_update(m_state->xxh, bytes.data(), bytes.size());
}

std::string ContentHash::hex() const
{
    return hexText(XXH3_64bits_digest(m_state->xxh));
}

std::string ContentHash::of(std::string_view bytes)
{
    return hexText(XXH3_64bits(bytes.data(), bytes.size()));
}

} // namespace stencilor
