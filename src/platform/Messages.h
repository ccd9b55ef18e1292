// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The English texts of the program's errors and details, made in this one place from their kind:
// the errors of system operations (cannot create file "/out/a.htm": Permission denied), the run's
// own messages ("Please select field delimiter!", "Cannot create file "/out/a.htm". Permission
// denied"), the problems --merge-report finds, why a record gets no name and what the check before
// writing finds. The window makes its own texts from the same kinds and arguments, in the user's
// language.

#include "platform/Detail.h"
#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stencilor {

// The error code of a path that names something other than a regular file or a folder (a FIFO,
// a device, a socket): inputs are read only from regular files, so that a device cannot feed a
// run endlessly and a FIFO cannot hold it forever.
inline constexpr int kNotRegularFile = 1 << 20;

// The system's text for an errno value, such as "No such file or directory" (and "Not a regular
// file" for kNotRegularFile).
std::string systemReason(int errorCode);

// The Error of a system operation of kind `kind` on `object` (empty: none) that failed with `code`.
Error systemError(ErrorKind kind, std::string object, int code);

// The English text of `error`, as the command line shows it.
std::string errorText(const Error& error);
// The machine code of an error's kind for JSON outputs ("open-input", "folder-in-use"): stable
// across versions and languages, where the text is for people.
const char* errorCode(ErrorKind kind);

// errorText(error) as the command line shows it: the line of a missing input names its path,
// which the window shows apart from the message.
std::string commandLineErrorText(const Error& error);

// The texts that stand in the message of `error`, in the order errorText() names them: the
// objects, the numbers and the system's reason, each in words. The window puts them into its own
// text of the kind.
std::vector<std::string> errorArguments(const Error& error);

// The English text of `detail`, as the command line shows it.
std::string detailText(const Detail& detail);

// The texts that stand in the message of `detail`: %1 its first number, %2 its second, %3 its
// subject (the error's text, for ReadFailed).
std::vector<std::string> detailArguments(const Detail& detail);

// `format` with %1 to %9 replaced by `arguments` (in one pass: an argument that holds "%1" stays
// as it is).
std::string fillIn(std::string_view format, const std::vector<std::string>& arguments);

// Where in a workbook an error of a workbook kind happened, as its message names it.
enum class WorkbookPlace { None, Part, Sheet, SheetRow };
WorkbookPlace workbookPlaceOf(const Error& error);

// The letters of sheet column `column` (1 for "A"): "XFD" for 16384.
std::string columnLetters(std::uint64_t column);

// `limit` bytes as a message names a size: "1 GiB", "64 MiB", "10 bytes".
std::string sizeText(std::uint64_t limit);

} // namespace stencilor
