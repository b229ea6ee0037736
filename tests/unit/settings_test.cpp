#include <gtest/gtest.h>

#include <limits.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "scratch.h"
#include "settings.h"
#include "textops.h"

namespace {

// The save's file operations on real files.  One step can be made to fail;
// a crash there also makes every later operation do nothing, as a power cut
// would.  Without the replacing move the save runs as on Windows 98.
enum class Step { None, Open, Write, Flush, Replace, Remove, Rename };
struct Injection {
    Step step;
    bool crash;
    bool canReplace;
} injected = {Step::None, false, true};
bool crashed;

bool Fails(Step step)
{
    if (step == injected.step && !crashed)
        crashed = injected.crash;
    return crashed || step == injected.step;
}

FILE *OpenStep(const char *path, const char *mode)
{
    if (crashed || Fails(Step::Open))
        return nullptr;
    if (!Fails(Step::Write))
        return fopen(path, mode);
    WriteFile(path, "iSingleDriveView = YES\r\niShowSca");  // the disk filled up here
    return fopen("/dev/full", mode);
}
bool ReplaceStep(const char *from, const char *to)
{
    return injected.canReplace && !Fails(Step::Replace) && rename(from, to) == 0;
}
bool RenameStep(const char *from, const char *to) { return !Fails(Step::Rename) && rename(from, to) == 0; }
bool RemoveStep(const char *path)
{
    bool temporary = strstr(path, ".TMP") != nullptr;
    return !crashed && (temporary || !Fails(Step::Remove)) && remove(path) == 0;
}
bool Exists(const char *path) { return access(path, F_OK) == 0; }
// The new file forced to disk; what comes after it must not come before.
bool flushed;
bool FlushStep(FILE *) { return (flushed = !Fails(Step::Flush)); }
bool ReplaceAfterFlush(const char *from, const char *to) { return flushed && ReplaceStep(from, to); }
const SettingsFileOps FileOps = {OpenStep, ReplaceAfterFlush, RenameStep, RemoveStep, Exists, FlushStep};

// Settings as the writer puts them in a file.
std::string Written(const SettingsRecord &s)
{
    SettingsRecord kept = Settings;
    Settings = s;
    char *text = nullptr;
    size_t size = 0;
    FILE *memory = open_memstream(&text, &size);
    WriteSettingsStream(memory);
    fclose(memory);
    std::string result(text, size);
    free(text);
    Settings = kept;
    return result;
}

// The settings file in a scratch directory; the shared record is reset.
class SettingsFile : public ScratchDir {
protected:
    SettingsFile() : ScratchDir("TESSARON.INI") {}
    void SetUp() override
    {
        ScratchDir::SetUp();
        Settings = InitialSettings();
    }
    void TearDown() override
    {
        Settings = InitialSettings();  // other tests share the record
        ScratchDir::TearDown();
    }
    void Write(const std::string &bytes) { WriteFile(path, bytes); }
    bool Save(bool canReplace, Injection injection = {Step::None, false, true})
    {
        injected = injection;
        injected.canReplace = canReplace;
        crashed = flushed = false;
        bool saved = SaveSettingsFile(path.c_str(), FileOps);
        injected = {Step::None, false, true};
        return saved;
    }
    // The file holds expected, or it is missing and the new file beside it
    // holds it; either way the reader finds expected.
    void ExpectWholeFile(const std::string &expected)
    {
        bool present = access(path.c_str(), F_OK) == 0;
        EXPECT_EQ(ReadFile(present ? path : path + ".TMP"), expected);
        SettingsRecord kept = Settings;
        Settings = InitialSettings();
        EXPECT_TRUE(LoadSettingsFile(path.c_str()));
        EXPECT_EQ(Written(Settings), expected);
        Settings = kept;
    }
};

void Parse(const char *text)
{
    char line[SettingsLineSize];
    CopyText(line, sizeof line, text);
    ParseSettingsLine(line);
}

// Every field compared, text fields up to their terminator only.
void ExpectSameSettings(const SettingsRecord &a, const SettingsRecord &b)
{
    enum { IntFields = offsetof(SettingsRecord, szExplorerLocation) / sizeof(int) };
    int ia[IntFields], ib[IntFields];
    memcpy(ia, &a, sizeof ia);
    memcpy(ib, &b, sizeof ib);
    for (int i = 0; i < IntFields; i++)
        EXPECT_EQ(ia[i], ib[i]) << "integer field " << i << " in declared order";
    for (auto field : {&SettingsRecord::szExplorerLocation, &SettingsRecord::szScanLocation,
                       &SettingsRecord::szDefragmentLocation, &SettingsRecord::szBackupLocation,
                       &SettingsRecord::szDriveSpaceLocation, &SettingsRecord::szCompressionAgentLocation})
        EXPECT_STREQ(a.*field, b.*field);
    EXPECT_STREQ(a.szDrivesToScan, b.szDrivesToScan);
    EXPECT_STREQ(a.szDrivesToDefrag, b.szDrivesToDefrag);
}

TEST(DefaultToolPath, JoinsTheWindowsDirectory)
{
    const std::string longDir(498, 'D');  // 498 + "\" + 12 = 511 characters: fits
    const struct {
        std::string dir;
        const char *expected;  // null: the directory, a backslash and the name
    } cases[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\scandskw.exe"},
        {"C:\\", "C:\\scandskw.exe"},
        {"", ""},
        {longDir, nullptr},
        {longDir + "D", ""},  // one more would be cut: left empty instead
    };
    for (const auto &c : cases) {
        char dest[LocationSize] = "old text";
        DefaultToolPath(dest, sizeof dest, c.dir.c_str(), "scandskw.exe");
        std::string expected = c.expected ? c.expected : c.dir + "\\scandskw.exe";
        EXPECT_EQ(dest, expected) << c.dir.size();
    }
    char path[4096];
    EXPECT_TRUE(SettingsFilePath("C:\\WINDOWS", path, sizeof path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\TESSARON.INI");
    EXPECT_FALSE(SettingsFilePath("C:\\WINDOWS", path, 20));
    EXPECT_STREQ(path, "");
}

TEST_F(SettingsFile, LineFlagsModesAndNumbers)
{
    using S = SettingsRecord;
    const struct {
        const char *line;
        int S::*field;
        int before, after;
    } cases[] = {
        {"iShowScanIcon = yes\n", &S::iShowScanIcon, 1, 0},  // YES is case-sensitive
        {"iShowScanIcon=YES\n", &S::iShowScanIcon, 0, 1},    // spacing does not matter
        {"iSingleDriveView = YES\n", &S::iSingleDriveView, 0, 1},
        {"iScanInterval=7\n", &S::iScanInterval, 5, 5},  // key without " = ": no number
        {"iScanInterval = 7 days\n", &S::iScanInterval, 5, 7},
        {"iScanInterval = -3\n", &S::iScanInterval, 5, -3},
        {"  iLastScan = 200\n", &S::iLastScan, 61, 200},
        {"iLastScan = iLastScan = 9\n", &S::iLastScan, 61, 9},
        {"iLastScan = 2147483648\n", &S::iLastScan, 61, 61},  // out of range: no number
        {"lMinimumSpace = 250\n", &S::lMinimumSpace, 10, 250},
        {"iDefragmentMode = FOUR\n", &S::iDefragmentMode, 0, 2},
        {"iDefragmentMode = TWO ONE\n", &S::iDefragmentMode, 2, 0},  // ONE is tested first
        {"iDefragmentDisplayMode = one\n", &S::iDefragmentDisplayMode, 0, 2},
        {"iDefragDiskDrivesSetting = THREE\n", &S::iDefragDiskDrivesSetting, 0, 0},
        {"iScanDiskDrivesSetting = ONE\n", &S::iScanDiskDrivesSetting, 1, 0},
    };
    for (const auto &c : cases) {
        Settings = InitialSettings();
        Settings.*c.field = c.before;
        SettingsRecord expected = Settings;
        expected.*c.field = c.after;
        Parse(c.line);
        SCOPED_TRACE(c.line);
        ExpectSameSettings(Settings, expected);  // nothing else changes
    }
}

TEST_F(SettingsFile, LineTexts)
{
    const std::string longPath(600, 'p');
    const std::string longList(200, 'd');
    const size_t backup = offsetof(SettingsRecord, szBackupLocation);
    const size_t scan = offsetof(SettingsRecord, szScanLocation);
    const size_t drives = offsetof(SettingsRecord, szDrivesToScan);
    const struct {
        std::string line;
        size_t offset, size;
        const char *before;
        std::string after;
    } cases[] = {
        {"szBackupLocation = <undefined>\n", backup, LocationSize, "X", ""},
        {"szBackupLocation = D:\\TOOLS\\BACKUP.EXE  \n", backup, LocationSize, "", "D:\\TOOLS\\BACKUP.EXE  "},
        {"  szBackupLocation = D:\\TOOLS\\BACKUP.EXE\n", backup, LocationSize, "", "  D:\\TOOLS\\BACKUP.EXE"},
        {"szBackupLocation=X\n", backup, LocationSize, "old", "old"},
        // A value longer than its field is cut to the field.
        {"szBackupLocation = " + longPath + "\n", backup, LocationSize, "", longPath.substr(0, LocationSize - 1)},
        {"szDrivesToScan = " + longList + "\n", drives, DriveListSize, "", longList.substr(0, DriveListSize - 1)},
        // <undefined> finishes the line at the first text key found.
        {"szExplorerLocation = A szScanLocation = <undefined>\n", scan, LocationSize, "S", "S"},
        {"szExplorerLocation = A szScanLocation = B\n", scan, LocationSize, "S", "A B"},
    };
    for (const auto &c : cases) {
        Settings = InitialSettings();
        char *field = (char *)&Settings + c.offset;
        CopyText(field, c.size, c.before);
        Parse(c.line.c_str());
        EXPECT_EQ(std::string(field), c.after) << c.line;
    }
}

TEST_F(SettingsFile, StreamRules)
{
    // Each file is read over the same starting record; the expected
    // differences are listed per case.
    const std::string pad2047 = "iScanInterval = 5" + std::string(2047 - 17, 'x');
    const std::string withCrs = "iScanInterval = 5" + std::string(10, '\r') + std::string(2047 - 17, 'x');
    const struct {
        std::string bytes;
        int scan, backup;
        const char *location;
    } cases[] = {
        {"", 0, 0, ""},
        {"[Tessaron]\r\n[iVersionMajor=1]\r\n[This file should not be altered manually.]\r\n", 0, 0, ""},
        {"iScanInterval = 3\r\nszBackupLocation = B.EXE\r\n", 3, 0, "B.EXE"},
        {"iScanInterval = 3\nszBackupLocation = B.EXE\n", 3, 0, "B.EXE"},  // LF only
        {"iScanInterval = 3\nszBackupLocation = B.EXE", 3, 0, "B.EXE"},    // no final break
        {"szBackupLocation = B.EXE\r\niScanInterval = 3\r\n", 3, 0, "B.EXE"},  // any order
        {"szBackupLocation = D:\\TO\rOLS\r\niScan\rInterval = 7\r\n", 7, 0, "D:\\TOOLS"},
        {"iScanInterval = 3\r\n\x1AszBackupLocation = B.EXE\r\n", 3, 0, ""},  // Ctrl-Z ends the file
        {"szBackupLocation = B\x1A" "C.EXE\r\niScanInterval = 3\r\n", 0, 0, "B"},
        // 3,000 characters: pieces of 2,047 and 953; the second piece starts
        // exactly at the key, so a boundary one off would lose the 9.
        {pad2047 + "iBackupInterval = 9" + std::string(3000 - 2047 - 19, 'y') + "\n", 5, 9, ""},
        {withCrs + "iBackupInterval = 9\r\n", 5, 9, ""},  // CRs do not count
    };
    for (const auto &c : cases) {
        Settings = InitialSettings();
        Write(c.bytes);
        ASSERT_TRUE(LoadSettingsFile(path.c_str()));
        SettingsRecord expected = InitialSettings();
        expected.iScanInterval = c.scan;
        expected.iBackupInterval = c.backup;
        CopyText(expected.szBackupLocation, LocationSize, c.location);
        SCOPED_TRACE(c.bytes.substr(0, 60));
        ExpectSameSettings(Settings, expected);
    }
    unlink(path.c_str());
    Settings = InitialSettings();
    EXPECT_FALSE(LoadSettingsFile(path.c_str()));  // missing file: nothing happens
    ExpectSameSettings(Settings, InitialSettings());
}

// The file of a first start on 1 March with the Windows directory C:\WINDOWS.
const char FirstStartFile[] =
    "[Tessaron]\r\n"
    "[iVersionMajor=1]\r\n"
    "[iVersionMinor=0]\r\n"
    "[iRevision=0]\r\n"
    "[This file should not be altered manually.]\r\n"
    "[Format:  typeVariableName <space> = <space> <value>]\r\n"
    "[<value> = YES, NO, NUMERIC, PATHNAME -- NO ABBREVIATIONS.]\r\n"
    "iSingleDriveView = NO\r\n"
    "iExplorerView = YES\r\n"
    "iShowScanIcon = YES\r\n"
    "iShowExplorerIcon = YES\r\n"
    "iCheckFloppySpace = NO\r\n"
    "iShowDefragmentIcon = YES\r\n"
    "iShowBackupIcon = NO\r\n"
    "iShowDriveSpaceIcon = NO\r\n"
    "iShowCompressionAgentIcon = NO\r\n"
    "szExplorerLocation = C:\\WINDOWS\\explorer.exe\r\n"
    "szScanLocation = C:\\WINDOWS\\scandskw.exe\r\n"
    "szDefragmentLocation = C:\\WINDOWS\\defrag.exe\r\n"
    "szBackupLocation = <undefined>\r\n"
    "szDriveSpaceLocation = <undefined>\r\n"
    "szCompressionAgentLocation = <undefined>\r\n"
    "iLowSpaceWarningEnabled = NO\r\n"
    "lMinimumSpace = 10\r\n"
    "iEnableMaintenance = NO\r\n"
    "iLastScan = 61\r\n"
    "iLastDefragment = 61\r\n"
    "iLastBackup = 61\r\n"
    "iLastCompression = 61\r\n"
    "iScanInterval = 0\r\n"
    "iDefragmentInterval = 0\r\n"
    "iBackupInterval = 0\r\n"
    "iCompressionInterval = 0\r\n"
    "iScanDiskDrivesSetting = TWO\r\n"
    "iDefragDiskDrivesSetting = TWO\r\n"
    "iStartStopSetting = YES\r\n"
    "iIgnore = NO\r\n"
    "iDefragmentMode = ONE\r\n"
    "iDefragmentDisplayMode = THREE\r\n"
    "szDrivesToScan = <undefined>\r\n"
    "szDrivesToDefrag = <undefined>\r\n";

void FirstStart(const char *windowsDir)
{
    Settings = InitialSettings();
    Settings.iLastScan = Settings.iLastDefragment = 61;
    Settings.iLastBackup = Settings.iLastCompression = 61;
    ApplyDefaultToolLocations(windowsDir);
}

TEST_F(SettingsFile, FirstStartWritesTheFileByteForByte)
{
    FirstStart("C:\\WINDOWS");
    for (bool canReplace : {true, false}) {  // without a replacing move as on Windows 98
        unlink(path.c_str());
        ASSERT_TRUE(Save(canReplace));
        EXPECT_EQ(ReadFile(path), FirstStartFile);
        EXPECT_EQ(ReadFile(path + ".TMP"), "<missing>");
    }

    // A file there that cannot be read is not taken for a missing one: the
    // new file waiting beside it is not read instead.  A root runner takes
    // another user's identity for the while.
    WriteFile(path + ".TMP", "iShowBackupIcon = YES\r\n");
    chmod(dir.c_str(), 0711);
    chmod(path.c_str(), 0222);
    bool root = geteuid() == 0;
    ASSERT_TRUE(!root || seteuid(65534) == 0);
    bool loaded = LoadSettingsFile(path.c_str());
    ASSERT_TRUE(!root || seteuid(0) == 0);
    chmod(path.c_str(), 0644);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(Settings.iShowBackupIcon, 0);
}

TEST_F(SettingsFile, RoundTripAndDefaults)
{
    // A file that empties the scan location gets the default back at start-up;
    // the backup location stays empty; iSingleDriveView changes nothing else.
    Write("szScanLocation = <undefined>\r\nszBackupLocation = <undefined>\r\n"
          "szExplorerLocation = E:\\X.EXE\r\niSingleDriveView = YES\r\n");
    FirstStart("");
    SettingsRecord expected = Settings;
    ASSERT_TRUE(LoadSettingsFile(path.c_str()));
    ApplyDefaultToolLocations("C:\\WINDOWS");
    expected.iSingleDriveView = 1;
    CopyText(expected.szExplorerLocation, LocationSize, "E:\\X.EXE");
    CopyText(expected.szScanLocation, LocationSize, "C:\\WINDOWS\\scandskw.exe");
    CopyText(expected.szDefragmentLocation, LocationSize, "C:\\WINDOWS\\defrag.exe");
    ExpectSameSettings(Settings, expected);

    // Every field away from its initial value survives a save and a load.
    SettingsRecord s = InitialSettings();
    for (int *flag : {&s.iShowExplorerIcon, &s.iShowScanIcon, &s.iShowDefragmentIcon, &s.iShowBackupIcon,
                      &s.iShowDriveSpaceIcon, &s.iShowCompressionAgentIcon, &s.iSingleDriveView, &s.iExplorerView,
                      &s.iCheckFloppySpace, &s.iLowSpaceWarningEnabled, &s.iEnableMaintenance,
                      &s.iScanDiskDrivesSetting, &s.iDefragDiskDrivesSetting, &s.iStartStopSetting, &s.iIgnore})
        *flag = !*flag;
    s.iLastScan = 1, s.iLastDefragment = 366, s.iLastBackup = -5, s.iLastCompression = 0;
    s.iScanInterval = 7, s.iDefragmentInterval = 30, s.iBackupInterval = INT_MAX;
    s.iCompressionInterval = INT_MIN, s.lMinimumSpace = 0;
    CopyText(s.szExplorerLocation, LocationSize, "  C:\\PROGRA~1\\EXPLORER.EXE /x  ");
    CopyText(s.szDefragmentLocation, LocationSize, std::string(511, 'q').c_str());
    CopyText(s.szDriveSpaceLocation, LocationSize, "D:\\DRV.EXE");
    CopyText(s.szCompressionAgentLocation, LocationSize, "=");
    CopyText(s.szDrivesToDefrag, DriveListSize, "C: D:, E:");
    for (int mode = 0; mode <= 2; mode++) {
        s.iDefragmentMode = s.iDefragmentDisplayMode = mode;
        Settings = s;
        ASSERT_TRUE(Save(true));
        Settings = InitialSettings();
        ASSERT_TRUE(LoadSettingsFile(path.c_str()));
        ExpectSameSettings(Settings, s);
    }
}

TEST_F(SettingsFile, EveryFailedStepLeavesOneWholeFile)
{
    const struct {
        Injection injection;
        bool saved;
        bool readsNew;
    } cases[] = {
        {{Step::None, false, true}, true, true},
        {{Step::None, false, false}, true, true},
        {{Step::Open, false, true}, false, false},
        {{Step::Write, false, true}, false, false},
        {{Step::Write, true, false}, false, false},
        {{Step::Flush, false, true}, false, false},
        {{Step::Replace, false, true}, true, true},  // by removing and renaming
        {{Step::Replace, true, true}, false, false},
        {{Step::Remove, false, false}, false, false},
        {{Step::Remove, true, false}, false, false},
        {{Step::Rename, false, false}, false, true},  // the new file waits beside
        {{Step::Rename, true, false}, false, true},
    };
    SettingsRecord old = InitialSettings(), next = old, third = old;
    next.iShowBackupIcon = 1;
    CopyText(next.szBackupLocation, LocationSize, "D:\\B.EXE");
    third.lMinimumSpace = 99;
    for (const auto &c : cases) {
        SCOPED_TRACE((int)(&c - cases));
        const bool canReplace = c.injection.canReplace;
        Settings = old;
        ASSERT_TRUE(Save(canReplace));
        Settings = next;
        EXPECT_EQ(Save(canReplace, c.injection), c.saved);
        const std::string expected = Written(c.readsNew ? next : old);
        ExpectWholeFile(expected);
        // A later save that fails while writing loses no waiting file.
        Settings = third;
        EXPECT_FALSE(Save(canReplace, {Step::Write, true, canReplace}));
        ExpectWholeFile(expected);
        // And the next save puts everything right.
        ASSERT_TRUE(Save(canReplace));
        EXPECT_EQ(ReadFile(path), Written(third));
        EXPECT_EQ(ReadFile(path + ".TMP"), "<missing>");
    }
}

}  // namespace
