// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The names that records in the writers' hands write (--jobs N), so that a record that touches
// one of them waits for the records before it: the same file named twice keeps the later
// record's text, and a file and a folder of one name come out as one writer makes them.

#include <string>
#include <string_view>
#include <unordered_map>

namespace stencilor {

class NamesInHand final {
public:
    // The key of the file `relativeName` below the output folder `folder`: its components without
    // "." and empty ones, letters in one case (a case-insensitive disk would merge names that
    // differ only in case, so they count as one).
    static std::string keyOf(const std::string& folder, std::string_view relativeName);

    // True when writing the file `key` would meet a file or folder in hand: the same file, a
    // folder on the way of a file in hand, or a file in hand standing on its own way.
    bool touches(const std::string& key) const;

    // A file in hand, with the folders on its way; remove() gives it back.
    void add(const std::string& key) { change(key, 1); }
    void remove(const std::string& key) { change(key, -1); }

private:
    void change(const std::string& key, int by);

    std::unordered_map<std::string, int> m_files;   // keys of files in hand, with how often
    std::unordered_map<std::string, int> m_folders; // folders on their way, with how often
};

} // namespace stencilor
