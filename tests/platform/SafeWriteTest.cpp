#include "platform/Errors.h"
#include "platform/SafeWrite.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SafeWrite : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/safewrite-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        FDir = tmpl;
    }
    void TearDown() override { std::system(("chmod -R u+w " + FDir + " && rm -rf " + FDir).c_str()); }

    std::string Path(const std::string& name) const { return FDir + "/" + name; }
    static void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static mode_t Mode(const std::string& path) {
        struct stat st{};
        EXPECT_EQ(stat(path.c_str(), &st), 0);
        return st.st_mode & 07777;
    }
    // Every name in the folder: a stray temporary shows up here.
    std::set<std::string> Names(const std::string& sub = "") const {
        std::set<std::string> names;
        DIR* dir = opendir((FDir + sub).c_str());
        while (dirent* e = readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
        closedir(dir);
        return names;
    }

    std::string FDir;
};

TEST_F(SafeWrite, ReplacesTheContentAndKeepsThePermissions) {
    Write(Path("page.html"), "old content that is longer");
    chmod(Path("page.html").c_str(), 0640);
    Platform::SaveFileSafely(Path("page.html"), "caf\xE9 \x80 \xB6");
    EXPECT_EQ(Read(Path("page.html")), "caf\xE9 \x80 \xB6");
    EXPECT_EQ(Mode(Path("page.html")), 0640u);
    EXPECT_EQ(Names(), std::set<std::string>{"page.html"});

    const mode_t mask = umask(022);
    Platform::SaveFileSafely(Path("new.rtf"), "");
    umask(mask);
    EXPECT_EQ(Mode(Path("new.rtf")), 0644u); // not the temporary's private 0600
    EXPECT_EQ(Read(Path("new.rtf")), "");
}

TEST_F(SafeWrite, WritesThroughSymbolicLinks) {
    mkdir(Path("real").c_str(), 0755);
    Write(Path("real/doc.rtf"), "old");
    ASSERT_EQ(symlink("real/doc.rtf", Path("link.rtf").c_str()), 0);  // relative to the link's folder
    ASSERT_EQ(symlink(Path("link.rtf").c_str(), Path("link2.rtf").c_str()), 0); // a chain
    Platform::SaveFileSafely(Path("link2.rtf"), "new");
    struct stat st{};
    ASSERT_EQ(lstat(Path("link2.rtf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(lstat(Path("link.rtf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Read(Path("real/doc.rtf")), "new");
    EXPECT_EQ(Names("/real"), std::set<std::string>{"doc.rtf"});
}

TEST_F(SafeWrite, RefusalsLeaveEverythingAsItWas) {
    Write(Path("locked.rtf"), "keep me");
    chmod(Path("locked.rtf").c_str(), 0444);
    mkdir(Path("folder").c_str(), 0755);
    const struct {
        std::string target, reason;
    } cases[] = {
        {Path("locked.rtf"), "Permission denied"},
        {Path("folder"), "Is a directory"},
        {Path("missing/x.rtf"), "No such file or directory"},
    };
    for (const auto& c : cases) {
        try {
            Platform::SaveFileSafely(c.target, "new");
            ADD_FAILURE() << c.target;
        } catch (const Platform::EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + c.target + ": " + c.reason);
        }
    }
    EXPECT_EQ(Read(Path("locked.rtf")), "keep me");
    EXPECT_EQ(Names(), (std::set<std::string>{"folder", "locked.rtf"}));
}

TEST_F(SafeWrite, AFailedFillRemovesTheTemporary) {
    Write(Path("out.rtf"), "old");
    std::string seen;
    EXPECT_THROW(Platform::WriteFileSafely(Path("out.rtf"),
                                           [&](const std::string& temp) {
                                               seen = temp;
                                               Write(temp, "half");
                                               throw std::runtime_error("converter failed");
                                           }),
                 std::runtime_error);
    EXPECT_EQ(Read(Path("out.rtf")), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"out.rtf"});
    EXPECT_EQ(seen.rfind(FDir + "/", 0), 0u); // beside the target
}

// The full-disk case: a file-size limit makes the write fail part way.
TEST_F(SafeWrite, AShortWriteIsAnErrorAndKeepsTheOldFile) {
    Write(Path("big.rtf"), "old");
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(Platform::SaveFileSafely(Path("big.rtf"), std::string(5000, 'x')), Platform::EWriteError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(Read(Path("big.rtf")), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"big.rtf"});
}

// Two writers of one file at once each get their own temporary; the last to finish wins.
TEST_F(SafeWrite, ConcurrentWritersDoNotShareATemporary) {
    Platform::WriteFileSafely(Path("shared.rtf"), [&](const std::string& temp) {
        Write(temp, "outer");
        Platform::SaveFileSafely(Path("shared.rtf"), "inner");
        EXPECT_EQ(Read(temp), "outer");
    });
    EXPECT_EQ(Read(Path("shared.rtf")), "outer");
    EXPECT_EQ(Names(), std::set<std::string>{"shared.rtf"});
}

TEST_F(SafeWrite, AFolderWithoutWriteAccessIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
    mkdir(Path("ro").c_str(), 0755);
    Write(Path("ro/doc.rtf"), "old");
    chmod(Path("ro").c_str(), 0555);
    EXPECT_THROW(Platform::SaveFileSafely(Path("ro/doc.rtf"), "new"), Platform::EFCreateError);
    EXPECT_EQ(Read(Path("ro/doc.rtf")), "old");
}

} // namespace
