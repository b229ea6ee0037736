// Reading a Windows program's PE header, import table and version
// resource, and judging them against a checked-in list of reviewed imports
// and the product's version (tools/pecheck.cpp).
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

// The version resource as Windows shows it on the file's Properties: the
// fixed file and product versions, and the strings (FileVersion,
// ProductName ...) of its first string table, in ASCII.
struct Version {
    bool present = false;
    uint16_t file[4] = {};
    uint16_t product[4] = {};
    std::vector<std::pair<std::string, std::string>> strings;
};

struct Program {
    uint16_t machine = 0;  // 0x14c for i386
    uint16_t subsystemMajor = 0;
    uint16_t subsystemMinor = 0;
    std::vector<Import> imports;
    Version version;
    std::string manifest;  // the program's manifest (resource 1 of type 24), as stored; "" without one
};

// Reads the headers, the import table, the version resource and the
// manifest; false with the reason in *error when the image is not a PE
// file or a table lies outside it.
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

// Why the version resource does not name the product's version ("1.4"):
// fixed versions other than 1.4.0.0, FileVersion or ProductVersion other
// than "1.4", ProductName other than "Tessaron", no FileDescription.
std::vector<std::string> VersionObjections(const Program &program, const std::string &version);

}  // namespace pefile
