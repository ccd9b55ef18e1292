#include "platform/Messages.h"

#include <cctype>
#include <cstring>

namespace stencilor {

std::string systemReason(int errorCode)
{
    if (errorCode == kNotRegularFile)
        return "Not a regular file";
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not live in `buffer`.
    return ::strerror_r(errorCode, buffer, sizeof buffer);
}

Error systemError(std::string_view operation, std::string_view object, int code)
{
    std::string message(operation);
    message += " \"";
    message += object;
    message += "\": ";
    message += systemReason(code);
    return Error{code, std::move(message)};
}

Error systemError(std::string_view operation, int code)
{
    std::string message(operation);
    message += ": ";
    message += systemReason(code);
    return Error{code, std::move(message)};
}

std::string messageForUser(const Error& error)
{
    std::string text = error.message;
    if (!text.empty())
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    return text;
}

std::string cannotOpenMessage(const std::string& path, const std::string& reason)
{
    return "Cannot open file \"" + path + "\". " + reason;
}

std::string cannotCreateMessage(const std::string& path, const std::string& reason)
{
    return "Cannot create file \"" + path + "\". " + reason;
}

std::string replacesInputMessage(const std::string& path)
{
    return cannotCreateMessage(path, "It is an input of the run.");
}

std::string dataChangedMessage(const std::string& path, std::uint64_t last)
{
    std::string text = "The data file \"";
    text.append(path).append("\" changed during the run: it now ends after record ").append(std::to_string(last));
    return text;
}

std::string recordTooLargeMessage(std::uint64_t record, std::size_t limit)
{
    const bool gib = limit % (std::size_t{1} << 30) == 0;
    return "The text of record " + std::to_string(record) + " would be larger than " +
           std::to_string(gib ? limit >> 30 : limit >> 20) + (gib ? " GiB" : " MiB");
}

std::string noSuchRecordMessage(std::uint64_t record)
{
    return "There is no record " + std::to_string(record);
}

} // namespace stencilor
