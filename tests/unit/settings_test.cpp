#include <gtest/gtest.h>

#include <limits.h>
#include <signal.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "settings.h"
#include "textops.h"

namespace {

// A fresh directory per test, removed with its files afterwards.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/settings_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/TESSARON.INI";
        Settings = InitialSettings();
    }
    void TearDown() override
    {
        Settings = InitialSettings();  // other tests share the record
        unlink(path.c_str());
        unlink((path + ".TMP").c_str());
        rmdir(dir.c_str());
    }
    void Write(const std::string &bytes)
    {
        FILE *f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    std::string Read(const std::string &name)
    {
        std::string bytes;
        FILE *f = fopen(name.c_str(), "rb");
        if (f == nullptr)
            return "<missing>";
        for (int c; (c = getc(f)) != EOF;)
            bytes += (char)c;
        fclose(f);
        return bytes;
    }
    std::string dir, path;
};

bool Rename(const char *from, const char *to) { return rename(from, to) == 0; }
bool FailToReplace(const char *, const char *) { return false; }

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
    EXPECT_STREQ(a.szExplorerLocation, b.szExplorerLocation);
    EXPECT_STREQ(a.szScanLocation, b.szScanLocation);
    EXPECT_STREQ(a.szDefragmentLocation, b.szDefragmentLocation);
    EXPECT_STREQ(a.szBackupLocation, b.szBackupLocation);
    EXPECT_STREQ(a.szDriveSpaceLocation, b.szDriveSpaceLocation);
    EXPECT_STREQ(a.szCompressionAgentLocation, b.szCompressionAgentLocation);
    EXPECT_STREQ(a.szDrivesToScan, b.szDrivesToScan);
    EXPECT_STREQ(a.szDrivesToDefrag, b.szDrivesToDefrag);
}

TEST(DefaultToolPath, JoinsTheWindowsDirectory)
{
    const std::string longDir(498, 'D');  // 498 + "\" + 12 = 511 characters: fits
    struct Case {
        std::string dir;
        const char *expected;
    };
    const Case cases[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\scandskw.exe"},
        {"C:\\", "C:\\scandskw.exe"},
        {"", ""},
        {longDir, nullptr},
        {longDir + "D", ""},  // one more would be cut: left empty instead
    };
    for (const Case &c : cases) {
        char dest[LocationSize] = "old text";
        DefaultToolPath(dest, sizeof dest, c.dir.c_str(), "scandskw.exe");
        std::string expected = c.expected ? c.expected : c.dir + "\\scandskw.exe";
        EXPECT_EQ(dest, expected) << c.dir.size();
    }
    char path[4096];
    EXPECT_TRUE(SettingsFilePath("C:\\WINDOWS", path, sizeof path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\TESSARON.INI");
    EXPECT_TRUE(SettingsFilePath("C:\\", path, sizeof path));
    EXPECT_STREQ(path, "C:\\TESSARON.INI");
    EXPECT_FALSE(SettingsFilePath("", path, sizeof path));
    EXPECT_FALSE(SettingsFilePath("C:\\WINDOWS", path, 20));
    EXPECT_STREQ(path, "");
}

// Leaves the shared record as it found it for the tests that follow.
class SettingsLine : public ::testing::Test {
protected:
    void TearDown() override { Settings = InitialSettings(); }
};

struct NumberCase {
    const char *line;
    int SettingsRecord::*field;
    int before, after;
};

TEST_F(SettingsLine, FlagsModesAndNumbers)
{
    using S = SettingsRecord;
    const NumberCase cases[] = {
        {"iShowScanIcon = yes\n", &S::iShowScanIcon, 1, 0},  // YES is case-sensitive
        {"iShowScanIcon=YES\n", &S::iShowScanIcon, 0, 1},    // spacing does not matter
        {"iSingleDriveView = YES\n", &S::iSingleDriveView, 0, 1},
        {"iScanInterval=7\n", &S::iScanInterval, 5, 5},  // key without " = ": no number
        {"iScanInterval = 7 days\n", &S::iScanInterval, 5, 7},
        {"iScanInterval = -3\n", &S::iScanInterval, 5, -3},
        {"iScanInterval =\n", &S::iScanInterval, 5, 5},
        {"  iLastScan = 200\n", &S::iLastScan, 61, 200},
        {"iLastScan = iLastScan = 9\n", &S::iLastScan, 61, 9},
        {"iLastScan = -2147483648\n", &S::iLastScan, 61, INT_MIN},
        {"iLastScan = 2147483648\n", &S::iLastScan, 61, 61},  // out of range: no number
        {"lMinimumSpace = 99999999999\n", &S::lMinimumSpace, 10, 10},
        {"lMinimumSpace = 250\n", &S::lMinimumSpace, 10, 250},
        {"iDefragmentMode = FOUR\n", &S::iDefragmentMode, 0, 2},
        {"iDefragmentMode = TWO ONE\n", &S::iDefragmentMode, 2, 0},  // ONE is tested first
        {"iDefragmentDisplayMode = one\n", &S::iDefragmentDisplayMode, 0, 2},
        {"iDefragDiskDrivesSetting = THREE\n", &S::iDefragDiskDrivesSetting, 0, 0},
        {"iScanDiskDrivesSetting = ONE\n", &S::iScanDiskDrivesSetting, 1, 0},
    };
    for (const NumberCase &c : cases) {
        Settings = InitialSettings();
        Settings.*c.field = c.before;
        SettingsRecord expected = Settings;
        expected.*c.field = c.after;
        Parse(c.line);
        SCOPED_TRACE(c.line);
        ExpectSameSettings(Settings, expected);  // nothing else changes
    }
}

TEST_F(SettingsLine, Texts)
{
    const std::string longPath(600, 'p');
    const std::string longList(200, 'd');
    struct Case {
        std::string line;
        size_t offset, size;
        const char *before;
        std::string after;
    };
    const size_t backup = offsetof(SettingsRecord, szBackupLocation);
    const size_t scan = offsetof(SettingsRecord, szScanLocation);
    const size_t drives = offsetof(SettingsRecord, szDrivesToScan);
    const Case cases[] = {
        {"szBackupLocation = <undefined>\n", backup, LocationSize, "X", ""},
        {"szBackupLocation = D:\\TOOLS\\BACKUP.EXE  \n", backup, LocationSize, "",
         "D:\\TOOLS\\BACKUP.EXE  "},
        {"  szBackupLocation = D:\\TOOLS\\BACKUP.EXE\n", backup, LocationSize, "",
         "  D:\\TOOLS\\BACKUP.EXE"},
        {"szBackupLocation=X\n", backup, LocationSize, "old", "old"},
        {"szBackupLocation = " + longPath + "\n", backup, LocationSize, "",
         longPath.substr(0, LocationSize - 1)},
        {"szDrivesToScan = " + longList + "\n", drives, DriveListSize, "",
         longList.substr(0, DriveListSize - 1)},
        // <undefined> finishes the line at the first text key found.
        {"szExplorerLocation = A szScanLocation = <undefined>\n", scan, LocationSize, "S", "S"},
        {"szExplorerLocation = A szScanLocation = B\n", scan, LocationSize, "S", "A B"},
    };
    for (const Case &c : cases) {
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
    struct Case {
        std::string bytes;
        int scan, backup;
        const char *location;
    };
    const Case cases[] = {
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
    for (const Case &c : cases) {
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
    ASSERT_TRUE(SaveSettingsFile(path.c_str(), Rename));
    EXPECT_EQ(Read(path), FirstStartFile);
    EXPECT_EQ(Read(path + ".TMP"), "<missing>");
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
    int SettingsRecord::*const flags[] = {
        &SettingsRecord::iShowExplorerIcon, &SettingsRecord::iShowScanIcon,
        &SettingsRecord::iShowDefragmentIcon, &SettingsRecord::iShowBackupIcon,
        &SettingsRecord::iShowDriveSpaceIcon, &SettingsRecord::iShowCompressionAgentIcon,
        &SettingsRecord::iSingleDriveView, &SettingsRecord::iExplorerView,
        &SettingsRecord::iCheckFloppySpace, &SettingsRecord::iLowSpaceWarningEnabled,
        &SettingsRecord::iEnableMaintenance, &SettingsRecord::iScanDiskDrivesSetting,
        &SettingsRecord::iDefragDiskDrivesSetting, &SettingsRecord::iStartStopSetting,
        &SettingsRecord::iIgnore};
    for (int SettingsRecord::*f : flags)
        s.*f = !(s.*f);
    s.iLastScan = 1, s.iLastDefragment = 366, s.iLastBackup = -5, s.iLastCompression = 0;
    s.iScanInterval = 7, s.iDefragmentInterval = 30, s.iBackupInterval = INT_MAX;
    s.iCompressionInterval = INT_MIN, s.lMinimumSpace = 0;
    s.iDefragmentMode = 1, s.iDefragmentDisplayMode = 0;
    CopyText(s.szExplorerLocation, LocationSize, "  C:\\PROGRA~1\\EXPLORER.EXE /x  ");
    CopyText(s.szDefragmentLocation, LocationSize, std::string(511, 'q').c_str());
    CopyText(s.szDriveSpaceLocation, LocationSize, "D:\\DRV.EXE");
    CopyText(s.szCompressionAgentLocation, LocationSize, "=");
    CopyText(s.szDrivesToDefrag, DriveListSize, "C: D:, E:");
    for (int mode = 0; mode <= 2; mode++) {
        s.iDefragmentMode = s.iDefragmentDisplayMode = mode;
        Settings = s;
        ASSERT_TRUE(SaveSettingsFile(path.c_str(), Rename));
        Settings = InitialSettings();
        ASSERT_TRUE(LoadSettingsFile(path.c_str()));
        ExpectSameSettings(Settings, s);
    }
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFileWhole)
{
    Write("old contents\r\n");
    FirstStart("C:\\WINDOWS");
    EXPECT_FALSE(SaveSettingsFile(path.c_str(), FailToReplace));
    EXPECT_EQ(Read(path), "old contents\r\n");
    EXPECT_EQ(Read(path + ".TMP"), "<missing>");

    // A full disk in the middle of the file: the write fails, not the open.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 100;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    bool saved = SaveSettingsFile(path.c_str(), Rename);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(path), "old contents\r\n");
    EXPECT_EQ(Read(path + ".TMP"), "<missing>");

    const std::string missing = dir + "/no such directory/TESSARON.INI";
    EXPECT_FALSE(SaveSettingsFile(missing.c_str(), Rename));
    EXPECT_EQ(Read(missing), "<missing>");
}

}  // namespace
