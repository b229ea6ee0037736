// Reading and patching WinHelp (.hlp) files: the numeric help contexts.
//
// The help compiler we use names topics but leaves the context map
// (|CTXOMAP) empty, and WinHelp's HELP_CONTEXT looks numbers up only there.
// AddContextMap fills it from a list of (number, topic name) pairs: each
// name is found in the |CONTEXT B+ tree by its WinHelp hash, a new
// |CTXOMAP internal file is appended, and the directory points at it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hlpfile {

using Bytes = std::vector<uint8_t>;

// WinHelp's hash of a topic name (case-insensitive; "" hashes to 1).
uint32_t TopicHash(const std::string& name);

// One line of the context list: "<number> <topic name>".
struct ContextLine {
    uint32_t number = 0;
    std::string topic;
    int line = 0;
};

// Parses the context list; '#' starts a comment line.  Fails with
// "<source>:<line>: <reason>" on a malformed line or a number given twice.
bool ParseContextList(const std::string& text, const std::string& source,
                      std::vector<ContextLine>* lines, std::string* error);

struct MapEntry {
    uint32_t number = 0;
    uint32_t topicOffset = 0;
};

// The offset of the named topic in |TOPIC, as |CONTEXT records it.
// *found is false (and the result true) when the file has no such topic.
bool FindTopicOffset(const Bytes& hlp, const std::string& topic, uint32_t* offset,
                     bool* found, std::string* error);

// The entries of the file's |CTXOMAP.
bool ReadContextMap(const Bytes& hlp, std::vector<MapEntry>* entries, std::string* error);

// Appends a |CTXOMAP holding every line's number and its topic's offset,
// repoints the directory at it, updates the file size and zeroes the build
// date in |SYSTEM so that equal sources give equal bytes.  A topic name
// that the file does not define fails with "<source>:<line>: ..." and
// leaves *hlp unchanged.
bool AddContextMap(Bytes* hlp, const std::vector<ContextLine>& lines, const std::string& source,
                   std::string* error);

}  // namespace hlpfile
