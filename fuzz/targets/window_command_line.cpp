// SPDX-License-Identifier: GPL-3.0-or-later
// The window's command line: the names after --delete come out absolute,
// one for each name given, in order, ending in the bytes given; the
// toolkit never sees them; --help and --version count only before --delete.
//
// Input: the first byte chooses whether the working directory is known,
// the rest are the arguments, separated by NUL bytes as in argv.
#include "inbound/CommandLine.h"
#include "fuzz/FuzzCheck.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string cwd = data[0] & 1 ? "/home/ann/work dir" : "";
    std::vector<std::string> args = {"tarnowick"};
    if (size > 1)
        for (std::string& arg : fuzz::Split(fuzz::Bytes(data + 1, size - 1), '\0'))
            args.push_back(std::move(arg));
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    const int argc = int(argv.size());

    int deleteAt = argc;
    bool helpFirst = false;
    for (int i = 1; i < argc && deleteAt == argc; ++i) {
        if (args[i] == "--delete")
            deleteAt = i;
        else if (!helpFirst && (args[i] == "--help" || args[i] == "-h" || args[i] == "--version"))
            helpFirst = true;
    }

    const CommandLine line = ReadCommandLine(argc, argv.data(), cwd);
    FUZZ_CHECK((line.kind == CommandLine::Help || line.kind == CommandLine::Version) == helpFirst);
    if (helpFirst)
        return 0;
    FUZZ_CHECK(line.kind == CommandLine::Usage || line.toolkitArgc == deleteAt);
    if (line.kind == CommandLine::Delete) {
        int first = deleteAt + 1;
        if (first < argc && args[first] == "--")
            ++first;
        FUZZ_CHECK(line.names.size() == size_t(argc - first));
        for (size_t i = 0; i < line.names.size(); ++i) {
            const std::string& given = args[first + i];
            const std::string& name = line.names[i];
            FUZZ_CHECK(!name.empty() && name.front() == '/');
            FUZZ_CHECK(name.find('\0') == std::string::npos);
            std::string_view tail = given;
            while (tail.substr(0, 2) == "./")
                tail.remove_prefix(2);
            FUZZ_CHECK(name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0);
            FUZZ_CHECK(given.front() == '/' ? name == given : name.rfind(cwd, 0) == 0);
        }
    } else if (deleteAt < argc) {
        FUZZ_CHECK(line.kind == CommandLine::Usage);
    }

    // What the toolkit leaves: one name opens it as a document, exactly.
    const std::vector<std::string> rest(args.begin() + 1, args.begin() + std::min(deleteAt, argc));
    const CommandLine after = ReadRemainingArguments(line, rest);
    if (after.kind == CommandLine::Document)
        FUZZ_CHECK(line.kind == CommandLine::Window && rest.size() == 1 && after.names == rest);
    if (line.kind == CommandLine::Delete && after.kind == CommandLine::Delete)
        FUZZ_CHECK(rest.empty() && after.names == line.names);
    return 0;
}
