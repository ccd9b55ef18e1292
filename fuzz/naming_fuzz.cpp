// SPDX-License-Identifier: GPL-3.0-or-later
// Output naming on any record, name template, field labels and options: it never crashes, and a
// generated path always lies inside the output folder: it is the output folder followed by a
// relative name that has no ".." component and does not start at the root.

#include "FuzzSupport.h"
#include "generation/OutputNaming.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <string>

using namespace stencilor;

namespace {

bool keptByDeletion(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '/';
}

bool hasDotDotComponent(std::string_view relative)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = relative.find('/', start);
        if (relative.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == "..")
            return true;
        if (end == std::string_view::npos)
            return false;
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    ProjectSettings s;
    s.outputdir = input.ConsumeBool() ? std::string("/tmp/out") : input.ConsumeRandomLengthString(24);
    s.delim = input.ConsumeRandomLengthString(3);
    s.nameFromFld = input.ConsumeBool();
    s.nameFromTemp = input.ConsumeBool();
    s.FileNameFld = input.ConsumeBool() ? std::string("Field 1") : input.ConsumeRandomLengthString(12);
    s.edTemp = input.ConsumeRandomLengthString(40);
    s.AddExt = input.ConsumeBool();
    s.edExt = input.ConsumeRandomLengthString(8);
    s.changecase = input.ConsumeBool();
    s.caseIndex = input.ConsumeIntegralInRange<std::int32_t>(-3, 4);
    s.CopyDirFld = input.ConsumeBool();
    s.directoryFile = input.ConsumeBool() ? std::string("Field 2") : input.ConsumeRandomLengthString(12);
    s.DelChars = input.ConsumeBool();
    const std::uint64_t number = input.ConsumeIntegral<std::uint64_t>();
    const std::string line = input.ConsumeRemainingBytesAsString();

    const OutputName name = recordOutputName(s, s.outputdir, line, number);
    const OutputName again = recordOutputName(s, s.outputdir, line, number);
    fuzz::check(again.refusal == name.refusal && again.path == name.path && again.relativeName == name.relativeName,
                "naming is deterministic");
    if (!name.named()) {
        fuzz::check(name.path.empty() && name.relativeName.empty(), "no path without a name");
        return 0;
    }

    // The output folder as the user chose it, with a trailing "/": deletion of non-Latin
    // characters never touches it.
    const std::string folder = withTrailingSlash(s.outputdir);
    fuzz::checkEqual(name.path, folder + name.relativeName, "the path is the output folder + the relative name");
    // An empty relative name (a name of slashes only) names the output folder itself; writing
    // to it fails and ends the run with the error for writing, as a name ending in "/" does.
    fuzz::check(!name.relativeName.starts_with('/'), "the relative name does not start at the root");
    fuzz::check(!hasDotDotComponent(name.relativeName), "the relative name never climbs out of the output folder");
    const std::string_view fileName = std::string_view(name.relativeName).substr(name.relativeName.rfind('/') + 1);
    fuzz::check(fileName.find(':') == std::string_view::npos, "no colon in the file name");
    if (s.DelChars)
        for (char c : name.relativeName)
            fuzz::check(keptByDeletion(c) || c == ':', "deletion keeps only Latin letters, digits, '.' and '/'");
    return 0;
}
