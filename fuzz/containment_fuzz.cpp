// SPDX-License-Identifier: GPL-3.0-or-later
// Output naming and writing on any record, name template and options, into an output folder in
// which links, second names, FIFOs, folders and files have been planted: nothing outside the
// output folder changes, and neither does the run's own input inside it. An input that starts
// with "{" is instead one or more manifests (split at form feeds) for --merge-report into that
// folder: the same holds, and the report it writes holds no markup that did not come escaped
// from a value.

#include "FuzzSupport.h"
#include "generation/Manifest.h"
#include "generation/OutputNaming.h"
#include "platform/OutputTree.h"

#include <fcntl.h>
#include <filesystem>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace stencilor;
namespace fs = std::filesystem;

namespace {

// The scratch folders, made once: "outside" (which nothing may change) beside a fresh "out" per input.
struct Scratch {
    std::string root, outside, out;
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "stencilor-fuzz-containment-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        outside = root + "/outside";
        out = root + "/out";
        fs::create_directories(outside + "/dir");
        for (const char* name : {"file", "dir/inner"})
            writeFile(outside + "/" + name, "outside");
    }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    // Writes a new file; never opens one that exists (a planted link or second name among them).
    static void writeFile(const std::string& path, const std::string& text)
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            (void)!::write(fd, text.data(), text.size());
            ::close(fd);
        }
    }
};

// Every entry below `folder` without following links: its kind and, for files, its bytes.
std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        std::string state = entry.is_symlink() ? "link" : entry.is_directory() ? "dir" : "file:";
        if (state == "file:")
            state += fuzz::readFile(path);
        entries[path] = state;
    }
    return entries;
}

// Plants one entry at `name` (one or two components of a small alphabet, so that records meet
// them) without ever following a link planted before.
void plant(const Scratch& scratch, const std::string& name, int kind)
{
    const std::string path = scratch.out + "/" + name;
    const std::size_t slash = name.find('/');
    if (slash != std::string::npos) {
        const std::string parent = scratch.out + "/" + name.substr(0, slash);
        struct stat info {};
        if (::lstat(parent.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            return;
        ::mkdir(parent.c_str(), 0755);
    }
    switch (kind) {
    case 0:
        (void)!::symlink(scratch.outside.c_str(), path.c_str());
        break;
    case 1:
        (void)!::symlink((scratch.outside + "/file").c_str(), path.c_str());
        break;
    case 2:
        (void)!::symlink((scratch.outside + "/new").c_str(), path.c_str());
        break;
    case 3:
        (void)!::link((scratch.outside + "/file").c_str(), path.c_str());
        break;
    case 4:
        (void)!::mkfifo(path.c_str(), 0600);
        break;
    case 5:
        ::mkdir(path.c_str(), 0755);
        break;
    default:
        Scratch::writeFile(path, "planted");
    }
}

// Every "<" of `report` begins a tag of the report's own (a link's address percent-encoded), and
// the text between the tags is escaped: no ">" or '"', and every "&" begins an entity.
void checkMarkup(const std::string& report)
{
    static constexpr std::string_view kTags[] = {"<HTML>", "</HTML>", "<TABLE>", "</TABLE>", "<TR>",
                                                 "</TR>",  "<TD>",    "</TD>",   "</a>"};
    static constexpr std::string_view kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&#39;"};
    const std::string_view text = report;
    const auto startsWithOneOf = [&](std::size_t at, const auto& list) -> std::size_t {
        for (const std::string_view item : list)
            if (text.substr(at).starts_with(item))
                return item.size();
        return 0;
    };
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (c == '<') {
            if (const std::size_t tag = startsWithOneOf(at, kTags)) {
                at += tag;
                continue;
            }
            constexpr std::string_view kLink = "<a href=\"";
            if (text.substr(at).starts_with(kLink)) {
                const std::size_t end = text.find('"', at + kLink.size());
                const bool encoded =
                    end != std::string_view::npos && text.substr(end).starts_with("\">") &&
                    text.substr(at + kLink.size(), end - at - kLink.size())
                            .find_first_not_of(
                                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%") ==
                        std::string_view::npos;
                if (!encoded)
                    fuzz::fail("a link's address in the report is percent-encoded", text.substr(at, 80));
                at = end + 2;
                continue;
            }
            fuzz::fail("the report holds no markup that did not come escaped from a value", text.substr(at, 80));
        }
        if (c == '>' || c == '"')
            fuzz::fail("the report's text between its tags is escaped", text.substr(at > 40 ? at - 40 : 0, 80));
        if (c == '&') {
            const std::size_t entity = startsWithOneOf(at, kEntities);
            if (entity == 0)
                fuzz::fail("every & in the report begins an entity", text.substr(at, 40));
            at += entity;
            continue;
        }
        ++at;
    }
}

// Merges the manifests in `text` (split at form feeds) into the output folder; the report, when
// written, is checked for markup.
void mergeInto(const Scratch& scratch, std::string_view text)
{
    std::vector<std::string> manifests;
    for (std::size_t start = 0; start <= text.size() && manifests.size() < 4;) {
        std::size_t end = text.find('\f', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string path = scratch.root + "/m" + std::to_string(manifests.size()) + ".jsonl";
        ::unlink(path.c_str());
        Scratch::writeFile(path, std::string(text.substr(start, end - start)));
        manifests.push_back(path);
        start = end + 1;
    }
    const std::string report = scratch.out + "/report.html";
    struct stat info {};
    if (mergeReport(manifests, scratch.out) && ::lstat(report.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        checkMarkup(fuzz::readFile(report));
}

// Names the record that the rest of `input` holds, with the options it gives, and writes its
// file into the output folder.
OutputName writeRecord(const Scratch& scratch, const std::string& inputPath, FuzzedDataProvider& input)
{
    ProjectSettings s;
    s.delim = ";";
    s.nameFromFld = input.ConsumeBool();
    s.nameFromTemp = !s.nameFromFld;
    s.FileNameFld = "Field 1";
    s.edTemp = input.ConsumeRandomLengthString(16);
    s.AddExt = input.ConsumeBool();
    s.edExt = "*.htm";
    s.changecase = input.ConsumeBool();
    s.caseIndex = input.ConsumeIntegralInRange<std::int32_t>(-1, 2);
    s.CopyDirFld = input.ConsumeBool();
    s.directoryFile = "Field 2";
    s.DelChars = input.ConsumeBool();
    const std::string line = input.ConsumeRemainingBytesAsString();

    OutputTree tree;
    if (!tree.open(scratch.out))
        fuzz::fail("the output folder opens");
    tree.protect(*fileIdentityOf(inputPath));
    tree.reserveName("report.html");
    const OutputName name = recordOutputName(s, scratch.out, line, 1);
    if (name.named())
        (void)tree.write(name.relativeName, "generated");
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Scratch scratch;
    static const std::map<std::string, std::string> outsideBefore = snapshot(scratch.outside);
    FuzzedDataProvider input(data, size);

    fs::remove_all(scratch.out);
    fs::create_directories(scratch.out);
    const std::string inputPath = scratch.out + "/data.csv";
    Scratch::writeFile(inputPath, "the run's data");
    static const char* const kNames[] = {"a", "b", "x.htm", "a/b", "a/x.htm", "b/a", "data.csv", "report.html"};
    for (std::size_t planted = input.ConsumeIntegralInRange<std::size_t>(0, 4); planted > 0; --planted)
        plant(scratch, kNames[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)],
              input.ConsumeIntegralInRange<int>(0, 6));

    OutputName name;
    if (size > 0 && data[0] == '{')
        mergeInto(scratch, input.ConsumeRemainingBytesAsString());
    else
        name = writeRecord(scratch, inputPath, input);

    if (const auto after = snapshot(scratch.outside); after != outsideBefore) {
        std::string changes;
        for (const auto& [path, state] : after)
            if (!outsideBefore.count(path) || outsideBefore.at(path) != state)
                changes += path + "=" + state + " ";
        for (const auto& [path, state] : outsideBefore)
            if (!after.count(path))
                changes += path + " gone ";
        fuzz::fail("nothing outside the output folder changes", changes, name.relativeName);
    }
    fuzz::checkEqual(fuzz::readFile(inputPath), "the run's data", "the run's own input is never replaced");
    return 0;
}
