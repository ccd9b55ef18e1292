// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the fuzz programs: a check that stops the fuzzer with a readable message,
// and a scratch file for the targets that read through the file system.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace stencilor::fuzz {

// `text` with every byte outside printable ASCII written as \xNN, so a finding can be read.
inline std::string printable(std::string_view text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

// Reports a broken property and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] inline void fail(const char* property, std::string_view actual = {}, std::string_view expected = {})
{
    std::fprintf(stderr, "\nFUZZ FINDING: %s\n  actual:   \"%s\"\n  expected: \"%s\"\n", property,
                 printable(actual).c_str(), printable(expected).c_str());
    std::abort();
}

inline void check(bool holds, const char* property)
{
    if (!holds)
        fail(property);
}

inline void checkEqual(std::string_view actual, std::string_view expected, const char* property)
{
    if (actual != expected)
        fail(property, actual, expected);
}

// A file in a folder of this process under the temporary folder; the same path on every call.
inline const std::string& scratchFile()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/stencilor-fuzz-XXXXXX";
        if (!::mkdtemp(folder.data()))
            std::abort();
        static std::string removeAtExit;
        removeAtExit = folder;
        std::atexit([] {
            ::unlink((removeAtExit + "/scratch").c_str());
            ::rmdir(removeAtExit.c_str());
        });
        return folder + "/scratch";
    }();
    return path;
}

// Replaces the scratch file's contents with `data`.
inline void writeScratch(std::string_view data)
{
    std::FILE* file = std::fopen(scratchFile().c_str(), "wb");
    if (!file)
        std::abort();
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file) != data.size())
        std::abort();
    std::fclose(file);
}

// The whole content of the file at `path`; empty when it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace stencilor::fuzz
