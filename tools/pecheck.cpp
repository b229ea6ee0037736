// pecheck: may these Windows programs ship?  Checked without running them,
// since these machines cannot run 32-bit programs.
//
//   pecheck [-v] <reviewed imports list> <program>...
//   pecheck --version <version> <program>...
//   pecheck --i486 <objdump> <program>...
//   pecheck --manifest <program>
//
// Each program must be an i386 program of subsystem version 4.x that
// imports only from the DLLs the list names and only the functions it
// lists (tools/pe-imports.txt: each with the first Windows that exports
// it).  With --version, each program's version resource must name the
// product and that version instead.  With --i486, every instruction that
// objdump finds in each program must be one the i486 and its FPU have,
// the least processor Windows 98 runs on (tools/lib/i486.h).  With
// --manifest, the program's manifest is printed as it is stored, for the
// checks of tests/dist/manifests.cmake.  Otherwise prints every objection
// as "<program>: <reason>" and exits 1 if any program has one; -v also
// lists the imports.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "i486.h"
#include "pefile.h"

namespace {

bool ReadFile(const char *path, std::string *data)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *data = buffer.str();
    return true;
}

std::string BaseName(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the version resource says, in one line.
std::string VersionSummary(const pefile::Version &v)
{
    std::string summary;
    for (const auto &entry : v.strings)
        summary += (summary.empty() ? "" : ", ") + entry.first + " \"" + entry.second + "\"";
    return summary;
}

// The objections to the instructions of one program, at most Shown of
// them printed; false when it has any or cannot be disassembled.
bool CheckInstructions(const char *objdump, const char *path)
{
    const int Shown = 20;
    std::string name = BaseName(path);
    std::string command = std::string("'") + objdump + "' -d --no-show-raw-insn '" + path + "'";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        std::printf("%s: cannot run %s\n", name.c_str(), objdump);
        return false;
    }
    long instructions = 0, refused = 0;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c != '\n') {
            line += (char)c;
            continue;
        }
        std::string address, why = i486::Objection(line, &address);
        if (!address.empty())
            instructions++;
        if (!why.empty() && ++refused <= Shown)
            std::printf("%s: 0x%s: %s\n", name.c_str(), address.c_str(), why.c_str());
        line.clear();
    }
    int status = pclose(pipe);
    if (status != 0 || instructions == 0) {
        std::printf("%s: %s could not disassemble it\n", name.c_str(), objdump);
        return false;
    }
    if (refused > Shown)
        std::printf("%s: ... %ld more instructions an i486 lacks\n", name.c_str(), refused - Shown);
    if (refused == 0)
        std::printf("%s: %ld instructions, all of the i486 and its FPU\n", name.c_str(), instructions);
    return refused == 0;
}

// Prints the manifest the system reads for the program; 1 without one.
int PrintManifest(const char *path)
{
    std::string data, error;
    pefile::Program program;
    if (!ReadFile(path, &data) || !pefile::ReadProgram(pefile::Bytes(data.begin(), data.end()), &program, &error)) {
        std::printf("%s: %s\n", BaseName(path).c_str(), error.empty() ? "cannot read" : error.c_str());
        return 1;
    }
    if (program.manifest.empty()) {
        std::printf("%s: no manifest\n", BaseName(path).c_str());
        return 1;
    }
    std::fwrite(program.manifest.data(), 1, program.manifest.size(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--manifest") == 0)
        return PrintManifest(argv[2]);
    if (argc > 3 && std::strcmp(argv[1], "--i486") == 0) {
        int failed = 0;
        for (int i = 3; i < argc; i++)
            failed += CheckInstructions(argv[2], argv[i]) ? 0 : 1;
        return failed == 0 ? 0 : 1;
    }
    int first = 1;
    bool verbose = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    const char *version = argc > 2 && std::strcmp(argv[1], "--version") == 0 ? argv[2] : nullptr;
    if (verbose || version)
        first += version ? 2 : 1;
    if (argc - first < (version ? 1 : 2)) {
        std::fprintf(stderr, "usage: pecheck [-v] <reviewed imports list> <program>...\n"
                             "       pecheck --version <version> <program>...\n"
                             "       pecheck --i486 <objdump> <program>...\n"
                             "       pecheck --manifest <program>\n");
        return 2;
    }
    std::string text, error;
    std::vector<pefile::Reviewed> list;
    if (!version && (!ReadFile(argv[first], &text) || !pefile::ParseReviewedList(text, &list, &error))) {
        std::fprintf(stderr, "pecheck: %s: %s\n", argv[first], error.empty() ? "cannot read" : error.c_str());
        return 2;
    }
    int failed = 0;
    for (int i = first + (version ? 0 : 1); i < argc; i++) {
        std::string name = BaseName(argv[i]), data;
        pefile::Program program;
        if (!ReadFile(argv[i], &data)) {
            std::printf("%s: cannot read %s\n", name.c_str(), argv[i]);
            failed++;
            continue;
        }
        if (!pefile::ReadProgram(pefile::Bytes(data.begin(), data.end()), &program, &error)) {
            std::printf("%s: %s\n", name.c_str(), error.c_str());
            failed++;
            continue;
        }
        std::vector<std::string> reasons =
            version ? pefile::VersionObjections(program, version) : pefile::Objections(program, list);
        for (const std::string &reason : reasons)
            std::printf("%s: %s\n", name.c_str(), reason.c_str());
        if (!reasons.empty())
            failed++;
        else if (version)
            std::printf("%s: version %u.%u.%u.%u, %s\n", name.c_str(), program.version.file[0],
                        program.version.file[1], program.version.file[2], program.version.file[3],
                        VersionSummary(program.version).c_str());
        else
            std::printf("%s: i386, subsystem %u.%u, %zu reviewed imports\n", name.c_str(),
                        program.subsystemMajor, program.subsystemMinor, program.imports.size());
        if (verbose)
            for (const pefile::Import &import : program.imports)
                std::printf("  %s %s\n", import.dll.c_str(), import.function.c_str());
    }
    return failed == 0 ? 0 : 1;
}
