// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A fast hash of bytes fed in pieces (XXH3, 64 bits), to tell whether two runs read the same
// inputs; not a defence against a deliberate forgery.

#include <memory>
#include <string>
#include <string_view>

namespace stencilor {

class ContentHash final {
public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;

    // Starts again as if nothing had been fed.
    void reset();
    void feed(std::string_view bytes);
    // The hash of the bytes fed so far, as 16 lower-case hex digits.
    std::string hex() const;

    // The hash of `bytes` alone, as hex() gives it.
    static std::string of(std::string_view bytes);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace stencilor
