// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding the web browser's command and splitting it into the program to start and the
// arguments that go before the address.

#include "desktop/XdgApplications.h"

#include <optional>
#include <string>
#include <string_view>

namespace stencilor {

// A browser command split into its parts.
struct BrowserCommandParts {
    std::string program; // the program to start; empty when the command was empty
    // The arguments that go before the address, blanks between them; nothing when the command
    // was empty, in which case the arguments found by an earlier lookup are left as they were.
    std::optional<std::string> extraArguments;
};

// Splits a browser's open command. The program ends at the last ".exe", ".bat" or ".com" (any
// letter case) found scanning back from the end; when none occurs, it ends with the command's
// first word (the whole double-quoted text when the command begins with a quote). What follows
// becomes the extra arguments: trimmed of characters below 33, every double quote deleted, every
// text from a "%" up to the next space deleted ("%1", "%u"), trimmed again. A double quote that
// opens the command is removed from the program.
BrowserCommandParts splitBrowserCommand(std::string_view command);

// The MIME types whose default application is the web browser, in the order they are tried.
inline constexpr std::string_view kBrowserMimeTypes[] = {"x-scheme-handler/http", "x-scheme-handler/https", "text/html",
                                                         "application/xhtml+xml"};

// The Exec value of the desktop's default web browser: the first application, among the
// defaults and then the other associations of kBrowserMimeTypes, whose desktop entry exists, has
// an Exec value and needs no terminal. Empty when there is none.
std::string findBrowserCommand(const XdgDirs& dirs);

} // namespace stencilor
