// Times the portable readers of TESSARON.QAL and TESSARON.INI on large
// files, and writes such files.  Prints one "sample <metric> <ms>" line per
// timed pass; tools/bench.sh takes the medians.
//
//   corebench make-qal <file> <entries>   a list of <entries> folder paths
//   corebench make-ini <file> <bytes>     the written settings file, repeated
//                                         to at least <bytes> bytes
//   corebench qal <file> <runs> <prefix>  reads the list <runs> times with
//                                         every keeper
//   corebench ini <file> <runs> <prefix>  loads the settings <runs> times
#include "corebench.h"

#include <chrono>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "quickaccess.h"
#include "settings.h"

namespace {

double NowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The portable keeper: every entry copied once, as a menu keeps its text.
char CopyPool[8 << 20];
size_t CopyUsed;

void Nothing(void)
{
}

void CopyClear(void)
{
    CopyUsed = 0;
}

bool CopyAdd(void *, const char *text, size_t length)
{
    if (CopyUsed + length + 1 > sizeof CopyPool)
        return false;
    memcpy(CopyPool + CopyUsed, text, length + 1);
    CopyUsed += length + 1;
    return true;
}

void CopyEnd(long)
{
}

const EntryKeeper CopyKeeper = {"copy", Nothing, CopyClear, CopyAdd, CopyEnd, Nothing};

bool MakeQal(const char *path, long entries)
{
    FILE *file = fopen(path, "wb");
    if (!file)
        return false;
    // Folder paths of the usual lengths (25 to 60 characters).
    static const char *const roots[] = {"C:\\Projects", "D:\\Archive\\Customers", "C:\\My Documents",
                                        "E:\\Photos\\Holidays", "\\\\SERVER\\Shared\\Department"};
    for (long i = 0; i < entries; i++)
        fprintf(file, "%s\\Folder %05ld\\Reports %ld\r\n", roots[i % 5], i, 1990 + i % 10);
    return fclose(file) == 0;
}

bool MakeIni(const char *path, long bytes)
{
    // One file as the program writes it, with the tool locations of a
    // Windows directory C:\windows, repeated.
    Settings = InitialSettings();
    ApplyDefaultToolLocations("C:\\windows");
    FILE *once = tmpfile();
    if (!once || !WriteSettingsStream(once))
        return false;
    std::string text;
    rewind(once);
    int c;
    while ((c = getc(once)) != EOF)
        text += (char)c;
    fclose(once);
    if (text.empty())
        return false;
    FILE *file = fopen(path, "wb");
    if (!file)
        return false;
    for (long written = 0; written < bytes; written += (long)text.size())
        fwrite(text.data(), 1, text.size(), file);
    return fclose(file) == 0;
}

int TimeQal(const char *path, int runs, const char *prefix)
{
    const EntryKeeper *keepers[8] = {&CopyKeeper};
    int count = 1;
    for (int i = 0; i < PlatformKeeperCount && count < 8; i++)
        keepers[count++] = &PlatformKeepers[i];
    for (int k = 0; k < count; k++) {
        const EntryKeeper &keeper = *keepers[k];
        // Pass 0 warms the file cache and the heap and is not reported.
        for (int run = 0; run <= runs; run++) {
            keeper.prepare();
            double start = NowMs();
            keeper.clear();
            FILE *file = fopen(path, "rb");
            if (!file) {
                fprintf(stderr, "corebench: cannot open %s\n", path);
                return 1;
            }
            long entries = ReadQuickAccessEntries(file, QuickAccessMaxEntries, keeper.add, nullptr);
            fclose(file);
            keeper.end(entries);
            double ms = NowMs() - start;
            keeper.finish();
            if (run == 0)
                printf("info %s.qal.%s entries %ld, first pass %.3f ms\n", prefix, keeper.name,
                       entries, ms);
            else
                printf("sample %s.qal.%s %.3f\n", prefix, keeper.name, ms);
        }
    }
    return 0;
}

int TimeIni(const char *path, int runs, const char *prefix)
{
    for (int run = 0; run <= runs; run++) {  // pass 0 warms up
        Settings = InitialSettings();
        double start = NowMs();
        if (!LoadSettingsFile(path)) {
            fprintf(stderr, "corebench: cannot open %s\n", path);
            return 1;
        }
        double ms = NowMs() - start;
        if (run > 0)
            printf("sample %s.ini %.3f\n", prefix, ms);
    }
    // Where the time goes: the character reading alone (getc, as the reader
    // does it), and the line parsing alone on lines already in memory.
    std::vector<std::string> lines;
    for (int run = 0; run <= runs; run++) {
        double start = NowMs();
        FILE *file = fopen(path, "rb");
        if (!file)
            return 1;
        std::string line;
        long characters = 0;
        int c;
        while ((c = getc(file)) != EOF && c != 0x1A) {
            characters++;
            if (run == 0 && c != '\r') {
                line += (char)c;
                if (c == '\n' || line.size() == SettingsLineSize - 1) {
                    lines.push_back(line);
                    line.clear();
                }
            }
        }
        fclose(file);
        double ms = NowMs() - start;
        if (run > 0)
            printf("sample %s.ini_getc_only %.3f\n", prefix, ms);
        else
            printf("info %s.ini %ld characters, %zu lines\n", prefix, characters, lines.size());
    }
    for (int run = 0; run <= runs; run++) {
        Settings = InitialSettings();
        char buffer[SettingsLineSize];
        double start = NowMs();
        for (const std::string &line : lines) {
            memcpy(buffer, line.c_str(), line.size() + 1);
            ParseSettingsLine(buffer);
        }
        double ms = NowMs() - start;
        if (run > 0)
            printf("sample %s.ini_parse_only %.3f\n", prefix, ms);
    }
    // The file held the written defaults: reading it must give them back.
    printf("info %s.ini iShowScanIcon=%d lMinimumSpace=%d szScanLocation=%s\n", prefix,
           Settings.iShowScanIcon, Settings.lMinimumSpace, Settings.szScanLocation);
    return 0;
}

int Usage()
{
    fprintf(stderr, "usage: corebench make-qal <file> <entries> | make-ini <file> <bytes> |\n"
                    "       qal <file> <runs> <prefix> | ini <file> <runs> <prefix>\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 4 && strcmp(argv[1], "make-qal") == 0)
        return MakeQal(argv[2], atol(argv[3])) ? 0 : 1;
    if (argc == 4 && strcmp(argv[1], "make-ini") == 0)
        return MakeIni(argv[2], atol(argv[3])) ? 0 : 1;
    if (argc == 5 && strcmp(argv[1], "qal") == 0)
        return TimeQal(argv[2], atoi(argv[3]), argv[4]);
    if (argc == 5 && strcmp(argv[1], "ini") == 0)
        return TimeIni(argv[2], atoi(argv[3]), argv[4]);
    return Usage();
}
