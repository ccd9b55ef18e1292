// SPDX-License-Identifier: GPL-3.0-or-later
// A test program that saves projects the way the window's Save does, for the tests that kill a
// save part-way or run it on a full disk.
//
//   stencilor_project_saver expect DIR                  writes DIR/a.ql and DIR/b.ql, the complete
//                                                       texts of the two projects that `loop` saves
//   stencilor_project_saver loop PROJECT SETTINGS [N]   saves project a, b, a, ... into PROJECT
//                                                       (recording it in the program settings file
//                                                       SETTINGS), N times or until killed, and
//                                                       prints a line on stdout after each save
// Exit status: 0 done, 1 a save failed (its message on stderr), 64 usage error.

#include "datasource/DataSourceCheck.h"
#include "platform/FileSystem.h"
#include "project/IniFile.h"
#include "project/ProjectFile.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

using namespace stencilor;

namespace {

// Two projects of some hundred kilobytes, so that a save takes long enough to be interrupted.
ProjectSettings variant(int which)
{
    ProjectSettings s;
    s.delim.assign(1, which ? '|' : ';');
    s.textfile = which ? "b.csv" : "a.csv";
    s.outputdir = which ? "out-b" : "out-a";
    s.rules.setRowCount(1001);
    for (std::size_t i = 0; i < s.rules.ruleCount(); ++i) {
        s.rules.rule(i).fieldLabel = fieldLabel(i + 1);
        s.rules.rule(i).identifier =
            std::string(which ? "%B" : "%A", 2) + std::to_string(i) + std::string(100, which ? 'b' : 'a') + "%";
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    // As in stencilor: a file-size limit makes a write fail instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "expect" && argc == 3) {
        for (int which = 0; which < 2; ++which) {
            const std::string path = std::string(argv[2]) + (which ? "/b.ql" : "/a.ql");
            if (Status written = writeFileAtomically(path, projectFileText(IniFile(), variant(which))); !written) {
                std::cerr << errorText(written.error()) << '\n';
                return 1;
            }
        }
        return 0;
    }
    if (mode == "loop" && (argc == 4 || argc == 5)) {
        const std::string project = argv[2];
        const std::string programFolder = std::string(folderPart(project));
        const long count = argc == 5 ? std::atol(argv[4]) : 0;
        for (long i = 0; count == 0 || i < count; ++i) {
            if (Status saved = saveProject(project, variant(static_cast<int>(i % 2)), programFolder, argv[3]); !saved) {
                std::cerr << errorText(saved.error()) << '\n';
                return 1;
            }
            // Flushed at once, so that a test can wait for a number of saves before it kills.
            std::cout << "saved " << (i % 2 ? 'b' : 'a') << std::endl;
        }
        return 0;
    }
    std::cerr << "usage: stencilor_project_saver expect DIR | loop PROJECT SETTINGS [N]\n";
    return 64;
}
