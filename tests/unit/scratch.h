// Real files for the tests of the readers and writers that use stdio.
#pragma once
#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <string>

inline void WriteFile(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

inline std::string ReadFile(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return "<missing>";
    std::string bytes;
    for (int c; (c = getc(f)) != EOF;)
        bytes += (char)c;
    fclose(f);
    return bytes;
}

// Runs write with files limited to limit bytes, as on a full disk: a write
// fails part-way instead of at the open.
inline bool WithFileSizeLimit(rlim_t limit, const std::function<bool()> &write)
{
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tight = old;
    tight.rlim_cur = limit;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    bool result = write();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    return result;
}

// A fresh directory per test with path naming one file in it (and its
// ".TMP" companion); all are removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    explicit ScratchDir(const char *fileName) : name(fileName) {}
    void SetUp() override
    {
        char pattern[] = "/tmp/unit_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/" + name;
    }
    void TearDown() override
    {
        unlink(path.c_str());
        unlink((path + ".TMP").c_str());
        rmdir(dir.c_str());
    }
    std::string name, dir, path;
};
