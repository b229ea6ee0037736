// pecheck: may these Windows programs ship?  Checked without running them,
// since these machines cannot run 32-bit programs.
//
//   pecheck [-v] <reviewed imports list> <program>...
//
// Each program must be an i386 program of subsystem version 4.x that
// imports only from the DLLs the list names and only the functions it
// lists (tools/pe-imports.txt: each with the first Windows that exports
// it).  Prints every objection as "<program>: <reason>" and exits 1 if any
// program has one; -v also lists the imports.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char **argv)
{
    int first = 1;
    bool verbose = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    if (verbose)
        first++;
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: pecheck [-v] <reviewed imports list> <program>...\n");
        return 2;
    }
    std::string text, error;
    std::vector<pefile::Reviewed> list;
    if (!ReadFile(argv[first], &text) || !pefile::ParseReviewedList(text, &list, &error)) {
        std::fprintf(stderr, "pecheck: %s: %s\n", argv[first], error.empty() ? "cannot read" : error.c_str());
        return 2;
    }
    int failed = 0;
    for (int i = first + 1; i < argc; i++) {
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
        std::vector<std::string> reasons = pefile::Objections(program, list);
        for (const std::string &reason : reasons)
            std::printf("%s: %s\n", name.c_str(), reason.c_str());
        if (!reasons.empty())
            failed++;
        else
            std::printf("%s: i386, subsystem %u.%u, %zu reviewed imports\n", name.c_str(),
                        program.subsystemMajor, program.subsystemMinor, program.imports.size());
        if (verbose)
            for (const pefile::Import &import : program.imports)
                std::printf("  %s %s\n", import.dll.c_str(), import.function.c_str());
    }
    return failed == 0 ? 0 : 1;
}
