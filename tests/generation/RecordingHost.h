// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the run tests share: a host that records everything the run tells it, with hooks that
// play the user or the system between the run's steps, and a look at the files it wrote.

#include "TestUtil.h"
#include "generation/GenerationRun.h"
#include "platform/Messages.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace stencilor::test {

class RecordingHost final : public RunHost {
public:
    ProjectSettings settings;
    std::string project;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::string> opened;
    std::vector<bool> runStates;
    std::uint64_t lastPosition = 99, lastMaximum = 0;
    int events = 0;
    std::function<void(int)> onEvents;    // after each record, with the number of event rounds
    std::function<void(bool)> onRunState; // when the run starts (true) and ends (false)

    // A job in `dir`: the project job.ql with the data file data.csv and the template t.txt
    // beside it, writing the files f1.txt, f2.txt, ... (numbered by the name template) into out.
    void setJobIn(const TempDir& dir)
    {
        project = dir.file("job.ql");
        settings.textfile = "data.csv";
        settings.templatefile = "t.txt";
        settings.outputdir = dir.file("out");
        settings.nameFromTemp = true;
        settings.edTemp = "f?.txt";
    }

    const ProjectSettings& currentSettings() override { return settings; }
    ProjectPlace place() override { return {project, "/nonexistent-program-folder/"}; }
    void runStateChanged(bool running) override
    {
        runStates.push_back(running);
        if (onRunState)
            onRunState(running);
    }
    void progress(std::uint64_t position, std::uint64_t maximum) override
    {
        lastPosition = position;
        lastMaximum = maximum;
    }
    void processEvents() override
    {
        ++events;
        if (onEvents)
            onEvents(events);
    }
    // Messages and errors are kept as the command line words them.
    void showMessage(const Error& error) override { messages.push_back(errorText(error)); }
    void showError(const Error& error) override { errors.push_back(errorText(error)); }
    void openReport(const std::string& path, const std::string&) override { opened.push_back(path); }
};

// Every regular file under `root` of `dir`, by path relative to it, with its contents.
inline std::map<std::string, std::string> filesUnder(const TempDir& dir, const std::string& root)
{
    std::map<std::string, std::string> files;
    const std::filesystem::path base(dir.file(root));
    if (!std::filesystem::is_directory(base))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
        if (entry.is_regular_file()) {
            const std::string relative = std::filesystem::relative(entry.path(), base).string();
            files[relative] = dir.read(root + "/" + relative);
        }
    }
    return files;
}

} // namespace stencilor::test
