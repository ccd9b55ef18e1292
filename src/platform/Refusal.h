// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace stencilor {

// Why a record gets no file: the one list of reasons that the naming, the output folder, the
// run's summary and manifest, and the check before writing share.
enum class Refusal : std::uint8_t {
    None,         // the record gets its file
    Header,       // the record names the fields
    NoName,       // the naming settings give the record no name
    LeavesFolder, // a ".." component would put the file outside the output folder
    FolderFailed, // a folder on the way cannot be made (a file stands there, no permission, ...)
    LinkInPath,   // a folder on the way is a symbolic link: nothing is written through it
    OwnInput,     // the file is one of the run's own inputs or its report: it is left alone
};

inline constexpr std::size_t kRefusalCount = 7;

} // namespace stencilor
