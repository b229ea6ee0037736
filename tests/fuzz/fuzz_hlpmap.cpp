// Feeds arbitrary bytes to the help context map reader and writer as a
// compiled help file, and as a context list:
//   - the readers never read outside the file and fail rather than guess;
//   - adding the map either fails and leaves the file as it was, or
//     appends exactly the map, changes no more than the three words it
//     patches, and the map then reads back sorted, each number at its
//     topic, with every topic still where it was; mapping the result again
//     gives the same map;
//   - a context list is read into distinct numbers of at most nine digits
//     and topic names without blanks, in the order of their lines.
// Input: byte 0 chooses (bit 0: correct the file's size field, so that the
// bytes behind the header are reached; bits 1-3: which topics to map); the
// rest is the file, and the whole input is also the context list.
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hlpfile.h"

using hlpfile::Bytes;

static void Check(bool ok)
{
    if (!ok)
        abort();
}

static void CheckContextList(const std::string &text)
{
    std::vector<hlpfile::ContextLine> lines;
    std::string error;
    if (!hlpfile::ParseContextList(text, "fuzz", &lines, &error))
        return;
    for (size_t i = 0; i < lines.size(); i++) {
        Check(lines[i].number <= 999999999u && !lines[i].topic.empty());
        Check(lines[i].topic.find_first_of(" \t\n") == std::string::npos);
        for (size_t j = 0; j < i; j++)
            Check(lines[j].number != lines[i].number && lines[j].line < lines[i].line);
    }
}

// The topic offsets of names, or false when one cannot be found.
static bool Offsets(const Bytes &hlp, const std::vector<hlpfile::ContextLine> &lines,
                    std::vector<uint32_t> *offsets)
{
    offsets->clear();
    for (const hlpfile::ContextLine &line : lines) {
        uint32_t offset = 0;
        bool found = false;
        std::string error;
        if (!hlpfile::FindTopicOffset(hlp, line.topic, &offset, &found, &error) || !found)
            return false;
        offsets->push_back(offset);
    }
    return true;
}

static void CheckMapped(const Bytes &before, const Bytes &after, const std::vector<hlpfile::ContextLine> &lines)
{
    Check(after.size() == before.size() + 9 + 2 + 8 * lines.size());
    Check(after[12] + (after[13] << 8) + (after[14] << 16) + ((uint32_t)after[15] << 24) == after.size());
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); i++)
        changed += before[i] != after[i];
    Check(changed <= 12);

    std::vector<uint32_t> wanted, now;
    Check(Offsets(before, lines, &wanted) && Offsets(after, lines, &now) && now == wanted);
    std::vector<hlpfile::MapEntry> map;
    std::string error;
    Check(hlpfile::ReadContextMap(after, &map, &error) && map.size() == lines.size());
    for (size_t i = 0; i < map.size(); i++) {
        Check(i == 0 || map[i - 1].number < map[i].number);
        size_t line = 0;
        while (lines[line].number != map[i].number)
            line++;
        Check(map[i].topicOffset == wanted[line]);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CheckContextList(std::string((const char *)data, size));
    if (size < 1)
        return 0;
    Bytes hlp(data + 1, data + size);
    if ((data[0] & 1) && hlp.size() >= 16)
        for (int i = 0; i < 4; i++)
            hlp[12 + i] = (uint8_t)(hlp.size() >> (8 * i));

    std::vector<hlpfile::MapEntry> map;
    std::string error;
    if (hlpfile::ReadContextMap(hlp, &map, &error))
        Check(map.size() <= 0xFFFF && 8 * map.size() <= hlp.size());

    static const char *const topics[] = {"Top", "options", "maintenance"};
    static const uint32_t numbers[] = {9000, 2000, 3};
    std::vector<hlpfile::ContextLine> lines;
    for (int i = 0; i < 3; i++)
        if (data[0] & (2 << i))
            lines.push_back({numbers[i], topics[i], i + 1});

    Bytes mapped = hlp;
    if (!hlpfile::AddContextMap(&mapped, lines, "fuzz", &error)) {
        Check(mapped == hlp);
        return 0;
    }
    CheckMapped(hlp, mapped, lines);
    Bytes again = mapped;
    Check(hlpfile::AddContextMap(&again, lines, "fuzz", &error));
    CheckMapped(mapped, again, lines);
    return 0;
}
