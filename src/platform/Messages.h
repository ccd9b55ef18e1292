#pragma once

// The texts of the program's messages, built in this one place: the errors of system operations
// as the core returns them (cannot create file "/out/a.htm": Permission denied), the same errors
// as a message box or the command line shows them, and the run's own messages
// ("Please select field delimiter!", "Cannot create file "/out/a.htm". Permission denied").

#include "platform/Result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace stencilor {

// The error code of a path that names something other than a regular file or a folder (a FIFO,
// a device, a socket): inputs are read only from regular files, so that a device cannot feed a
// run endlessly and a FIFO cannot hold it forever.
inline constexpr int kNotRegularFile = 1 << 20;

// The system's text for an errno value, such as "No such file or directory" (and "Not a regular
// file" for kNotRegularFile).
std::string systemReason(int errorCode);

// The Error of a failed system operation: `operation` "`object`": the system's reason for `code`,
// e.g. cannot create file "/out/a.htm": Permission denied. Without an object: `operation`: reason.
Error systemError(std::string_view operation, std::string_view object, int code);
Error systemError(std::string_view operation, int code);

// The message of `error` as a message box shows it: a sentence, its first letter upper case.
std::string messageForUser(const Error& error);

// The run's file errors, naming the full path and the system's reason: "Cannot open file "PATH".
// REASON" for an input, "Cannot create file "PATH". REASON" for an output or the report.
std::string cannotOpenMessage(const std::string& path, const std::string& reason);
std::string cannotCreateMessage(const std::string& path, const std::string& reason);
// Why a run does not start when its archive or manifest at `path` would replace one of its inputs.
std::string replacesInputMessage(const std::string& path);
// The error that ends a run whose data file at `path` ended after record `last` although it held
// more records when the run counted them: it was changed during the run.
std::string dataChangedMessage(const std::string& path, std::uint64_t last);
// The error that ends a run at a record whose text would exceed `limit` bytes.
std::string recordTooLargeMessage(std::uint64_t record, std::size_t limit);
// Why a preview has no record `record` to show.
std::string noSuchRecordMessage(std::uint64_t record);

// Why a run (and the check before writing, and the preview) does not start. A missing template
// adds its message on a line of its own, after the data file's when both are missing.
inline constexpr const char* kDelimiterNotSetMessage = "Please select field delimiter!";
inline constexpr const char* kDataFileMissingMessage = "Text file is empty";
inline constexpr const char* kTemplateMissingMessage = "\nTemplate file is empty or not defined";
// No output folder is set (an empty one never means the root folder), or another run is writing
// into it.
inline constexpr const char* kOutputFolderNotSetMessage = "Output folder is not set";
inline constexpr const char* kFolderInUseMessage = "Output folder is in use by another run";

} // namespace stencilor
