// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A zip archive made in memory with libarchive, for the workbook tests and the fuzz program.

#include <archive.h>
#include <archive_entry.h>
#include <string>
#include <utility>
#include <vector>

namespace stencilor::test {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

struct ZipOptions {
    bool store = false;   // entries stored as they are, not deflated
    std::string password; // encrypted with the traditional zip cipher when not empty
};

// A zip of `entries` (name, content) with nothing after it; empty when libarchive refuses an
// option (a cipher it was built without).
inline std::string zipBytes(const ZipEntries& entries, const ZipOptions& options = {})
{
    std::string zip;
    archive* writer = archive_write_new();
    archive_write_set_format_zip(writer);
    archive_write_set_bytes_in_last_block(writer, 1);
    bool refused = options.store && archive_write_set_options(writer, "zip:compression=store") != ARCHIVE_OK;
    if (!options.password.empty()) {
        refused = refused || archive_write_set_options(writer, "zip:encryption=zipcrypt") != ARCHIVE_OK;
        archive_write_set_passphrase(writer, options.password.c_str());
    }
    archive_write_open2(
        writer, &zip, nullptr,
        [](archive*, void* data, const void* buffer, std::size_t length) -> la_ssize_t {
            static_cast<std::string*>(data)->append(static_cast<const char*>(buffer), length);
            return static_cast<la_ssize_t>(length);
        },
        nullptr, nullptr);
    for (const auto& [name, content] : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
        archive_write_header(writer, entry);
        archive_write_data(writer, content.data(), content.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return refused ? std::string() : zip;
}

} // namespace stencilor::test
