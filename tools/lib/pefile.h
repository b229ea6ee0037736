// Reading a Windows program's PE header and import table, and judging it
// against a checked-in list of reviewed imports (tools/pecheck.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pefile {

using Bytes = std::vector<uint8_t>;

struct Import {
    std::string dll;
    std::string function;  // "#<ordinal>" for an import by number
};

struct Program {
    uint16_t machine = 0;  // 0x14c for i386
    uint16_t subsystemMajor = 0;
    uint16_t subsystemMinor = 0;
    std::vector<Import> imports;
};

// Reads the headers and the import table; false with the reason in *error
// when the image is not a PE file or a table lies outside it.
bool ReadProgram(const Bytes &image, Program *program, std::string *error);

// One reviewed import: "<dll> <function> <first Windows that exports it>".
struct Reviewed {
    std::string dll;
    std::string function;
    std::string since;
};

// Parses the list; '#' starts a comment.  Fails with "<line>: <reason>".
bool ParseReviewedList(const std::string &text, std::vector<Reviewed> *list, std::string *error);

// Why the program may not ship: not i386, a subsystem version above 4.x,
// a DLL that the list does not name, a function that it does not list.
// Empty when it may.
std::vector<std::string> Objections(const Program &program, const std::vector<Reviewed> &list);

}  // namespace pefile
