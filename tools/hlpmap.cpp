// hlpmap: gives a compiled WinHelp file its numeric help contexts.
//
//   hlpmap <in.hlp> <contexts.txt> <out.hlp>   add the map, write out.hlp
//   hlpmap --check <file.hlp> <contexts.txt>   verify that every number
//                                              opens its named topic
//
// contexts.txt holds one "<number> <topic name>" a line; the topic names
// are those the help source gives with \cfg{winhelp-topic}.  A name that no
// topic has is an error, so a renamed topic cannot leave a Help button dead.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hlpfile.h"

namespace {

const char kUsage[] =
    "usage: hlpmap <in.hlp> <contexts.txt> <out.hlp>\n"
    "       hlpmap --check <file.hlp> <contexts.txt>\n";

bool ReadFile(const std::string& path, std::string* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "hlpmap: cannot read %s\n", path.c_str());
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *data = buffer.str();
    return true;
}

bool Load(const std::string& hlpPath, const std::string& listPath, hlpfile::Bytes* hlp,
          std::vector<hlpfile::ContextLine>* lines) {
    std::string data, list, error;
    if (!ReadFile(hlpPath, &data) || !ReadFile(listPath, &list)) return false;
    hlp->assign(data.begin(), data.end());
    if (!hlpfile::ParseContextList(list, listPath, lines, &error)) {
        std::fprintf(stderr, "hlpmap: %s\n", error.c_str());
        return false;
    }
    return true;
}

int Check(const std::string& hlpPath, const std::string& listPath) {
    hlpfile::Bytes hlp;
    std::vector<hlpfile::ContextLine> lines;
    if (!Load(hlpPath, listPath, &hlp, &lines)) return 1;
    std::vector<hlpfile::MapEntry> map;
    std::string error;
    if (!hlpfile::ReadContextMap(hlp, &map, &error)) {
        std::fprintf(stderr, "hlpmap: %s: %s\n", hlpPath.c_str(), error.c_str());
        return 1;
    }
    int faults = 0;
    for (const hlpfile::ContextLine& line : lines) {
        uint32_t offset = 0;
        bool found = false;
        if (!hlpfile::FindTopicOffset(hlp, line.topic, &offset, &found, &error) || !found) {
            std::fprintf(stderr, "hlpmap: %s: no topic '%s'\n", hlpPath.c_str(), line.topic.c_str());
            ++faults;
            continue;
        }
        int hits = 0;
        for (const hlpfile::MapEntry& e : map)
            if (e.number == line.number) hits += e.topicOffset == offset ? 1 : 100;
        if (hits != 1) {
            std::fprintf(stderr, "hlpmap: %s: context %u does not open topic '%s'\n", hlpPath.c_str(),
                         line.number, line.topic.c_str());
            ++faults;
        }
    }
    if (faults) return 1;
    std::printf("%s: %zu contexts, each opens its topic\n", hlpPath.c_str(), lines.size());
    return 0;
}

int Add(const std::string& inPath, const std::string& listPath, const std::string& outPath) {
    hlpfile::Bytes hlp;
    std::vector<hlpfile::ContextLine> lines;
    if (!Load(inPath, listPath, &hlp, &lines)) return 1;
    std::string error;
    if (!hlpfile::AddContextMap(&hlp, lines, listPath, &error)) {
        std::fprintf(stderr, "hlpmap: %s\n", error.c_str());
        return 1;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(hlp.data()), static_cast<std::streamsize>(hlp.size()));
    if (!out) {
        std::fprintf(stderr, "hlpmap: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--check") return Check(argv[2], argv[3]);
    if (argc == 4 && argv[1][0] != '-') return Add(argv[1], argv[2], argv[3]);
    std::fputs(kUsage, stderr);
    return 2;
}
