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
#include <fcntl.h>
#include <sys/file.h>
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

// A link another user planted in a shared sticky folder (as in /tmp) is not
// followed; our own link there still is.
TEST_F(SafeWrite, ALinkOfAnotherUserInASharedFolderIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
    mkdir(Path("shared").c_str(), 0755);
    chmod(Path("shared").c_str(), 01777);
    chown(Path("shared").c_str(), 4321, 4321); // the folder's owner is neither us nor the planter
    Write(Path("victim.conf"), "precious");
    ASSERT_EQ(symlink(Path("victim.conf").c_str(), Path("shared/report.html").c_str()), 0);
    ASSERT_EQ(lchown(Path("shared/report.html").c_str(), 1234, 1234), 0);
    try {
        Platform::SaveFileSafely(Path("shared/report.html"), "caf\xE9 \x80");
        ADD_FAILURE() << "the planted link was followed";
    } catch (const Platform::EFCreateError& e) {
        EXPECT_NE(std::string(e.what()).find(Path("shared/report.html")), std::string::npos) << e.what();
    }
    EXPECT_EQ(Read(Path("victim.conf")), "precious");
    EXPECT_EQ(Names("/shared"), std::set<std::string>{"report.html"});

    ASSERT_EQ(symlink(Path("victim.conf").c_str(), Path("shared/mine.html").c_str()), 0);
    Platform::SaveFileSafely(Path("shared/mine.html"), "mine");
    EXPECT_EQ(Read(Path("victim.conf")), "mine");
}

// Told to keep existing files, a write never replaces one, nor writes through a
// link (dangling or not), and a new file still gets the usual mode.
TEST_F(SafeWrite, AWriteThatKeepsExistingFilesRefusesEveryExistingName) {
    Write(Path("0006.rtf"), "the user's own");
    ASSERT_EQ(symlink(Path("elsewhere.rtf").c_str(), Path("0007.rtf").c_str()), 0);
    const Platform::TWriteOptions keep{.replaceExisting = false, .syncNow = false};
    for (const std::string name : {"0006.rtf", "0007.rtf"}) {
        try {
            Platform::SaveFileSafely(Path(name), "merged \x80", keep);
            ADD_FAILURE() << name;
        } catch (const Platform::EFileExistsError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + Path(name) + ": it exists already");
        }
    }
    EXPECT_EQ(Read(Path("0006.rtf")), "the user's own");
    const mode_t mask = umask(027);
    Platform::SaveFileSafely(Path("0008.rtf"), "merged \x80", keep);
    umask(mask);
    EXPECT_EQ(Read(Path("0008.rtf")), "merged \x80");
    EXPECT_EQ(Mode(Path("0008.rtf")), 0640u);
    EXPECT_EQ(Names(), (std::set<std::string>{"0006.rtf", "0007.rtf", "0008.rtf"}));
    EXPECT_NO_THROW(Platform::SyncFileSystem(FDir));
    EXPECT_THROW(Platform::SyncFileSystem(Path("missing")), Platform::EWriteError);
}

// A killed write's temporary goes at the next write into its folder; a live
// writer's temporary and files that only look alike stay.
TEST_F(SafeWrite, TemporariesOfKilledWritesAreRemovedByTheNextWrite) {
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const char* name : {".big.pdf.kdJnV9~", ".live.html.Ab12Cd~", ".notes~", ".a.b~"}) {
        Write(Path(name), std::string(100, 'x'));
        utimensat(AT_FDCWD, Path(name).c_str(), old, 0);
    }
    const int live = open(Path(".live.html.Ab12Cd~").c_str(), O_RDONLY);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    Platform::SaveFileSafely(Path("letter.rtf"), "new");
    close(live);
    EXPECT_EQ(Names(), (std::set<std::string>{".a.b~", ".live.html.Ab12Cd~", ".notes~", "letter.rtf"}));
}

} // namespace
