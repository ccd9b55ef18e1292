// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgressBar.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace stencilor {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

} // namespace

ProgressBar::ProgressBar(std::ostream& out, bool shown, std::ostream* flushedFirst)
    : m_out(out)
    , m_shown(shown)
    , m_flushedFirst(flushedFirst)
{
}

void ProgressBar::show(std::uint64_t position, std::uint64_t maximum, bool counts)
{
    if (!m_shown || maximum == 0 || position == 0)
        return;
    position = std::min(position, maximum);
    const auto now = std::chrono::steady_clock::now();
    if (position < maximum && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;
    if (m_flushedFirst)
        *m_flushedFirst << std::flush;
    const int filled = static_cast<int>(position * kBarWidth / maximum);
    const unsigned percent = static_cast<unsigned>(position * 100 / maximum);
    m_out << '\r' << '[' << std::string(static_cast<std::size_t>(filled), '#')
          << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << percent << '%';
    if (counts)
        m_out << ' ' << position << '/' << maximum;
    m_out << std::flush;
    m_drawn = true;
}

void ProgressBar::clear()
{
    if (!m_drawn)
        return;
    m_out << '\r' << std::string(kBarWidth + 40, ' ') << '\r' << std::flush;
    m_drawn = false;
}

} // namespace stencilor
