// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>

namespace stencilor {

// A progress bar on one line of a terminal ("[####    ] 40% 400/1000"), drawn again at most ten
// times a second. It draws nothing unless `shown` (stderr is a terminal and --quiet is off).
// What went to `flushedFirst` (standard output, which may be the same terminal) is flushed
// before each drawing, so that its lines do not land on the bar's.
class ProgressBar final {
public:
    ProgressBar(std::ostream& out, bool shown, std::ostream* flushedFirst = nullptr);
    ~ProgressBar() { clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // `position` of `maximum` done (a position past it counts as the end); the last position is
    // always drawn. Without `counts` the bar shows the percentage alone.
    void show(std::uint64_t position, std::uint64_t maximum, bool counts = true);
    // Blanks the bar's line, so that a message can take it.
    void clear();

private:
    std::ostream& m_out;
    bool m_shown;
    std::ostream* m_flushedFirst;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

} // namespace stencilor
