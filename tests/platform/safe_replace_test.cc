// Replacing files as a whole: the old file survives every failure, the new
// one keeps the old one's permissions and links, and no temporary file
// stays behind.
#include "platform/safe_replace.h"

#include <errno.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace talvenor::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class SafeReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talvenor-replace-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_ / "locked", fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  static std::string Read(const std::string& path) { return test_support::ReadFile(path); }
  static void Write(const std::string& path, const std::string& text) {
    test_support::WriteFile(path, text);
  }
  static mode_t Mode(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
  }
  Names NamesIn(const std::string& sub = {}) const {
    return test_support::FileNames(folder_ / sub);
  }

  fs::path folder_;
};

// Runs `step` as a user without special rights (nobody, when the tests run
// as root, who may write anything) and returns its result.
int AsOrdinaryUser(const std::function<int()>& step) {
  if (::geteuid() != 0) return step();
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
    ::_exit(dropped ? step() & 0xff : 255);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 254;
}

TEST_F(SafeReplace, ReplacesAndCreatesWholeFilesWithTheirPermissions) {
  struct Case {
    const char* name;
    mode_t before;  // 0: no such file yet
    mode_t after;
  };
  // clang-format off
  const Case cases[] = {
      {"new.txt", 0, 0640},  // 0666 less the umask 027
      {"group.txt", 0640, 0640},
      {"private.txt", 0600, 0600},
      {"shared.txt", 0666, 0666},  // wider than the umask allows: kept
      {"setgid.txt", 02755, 02755},
  };
  // clang-format on
  const mode_t mask = ::umask(027);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.before != 0) {
      Write(Path(c.name), "alt");
      ASSERT_EQ(::chmod(Path(c.name).c_str(), c.before), 0);
    }
    EXPECT_EQ(ReplaceFileContents(Path(c.name), "neu", "talvenor-test"), 0);
    EXPECT_EQ(Read(Path(c.name)), "neu");
    EXPECT_EQ(Mode(Path(c.name)), c.after);
  }
  ::umask(mask);
  EXPECT_EQ(NamesIn(), (Names{"group.txt", "new.txt", "private.txt", "setgid.txt", "shared.txt"}));
}

TEST_F(SafeReplace, OwnerAndGroupAreKeptWhereAllowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to someone else";
  Write(Path("theirs.txt"), "alt");
  ASSERT_EQ(::chown(Path("theirs.txt").c_str(), 65534, 65534), 0);
  ASSERT_EQ(ReplaceFileContents(Path("theirs.txt"), "neu", "talvenor-test"), 0);
  struct stat status {};
  ASSERT_EQ(::stat(Path("theirs.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 65534u);
  EXPECT_EQ(status.st_gid, 65534u);
}

// The file system calls of a disk that fails in one of them.
int failingCall = 0;  // 1 write (a full disk), 2 fsync, 3 close
int Fail(int error) {
  errno = error;
  return -1;
}
ssize_t WriteUnlessFull(int descriptor, const void* bytes, std::size_t size) {
  return failingCall == 1 ? Fail(ENOSPC) : ::write(descriptor, bytes, size);
}
int SyncOrFail(int descriptor) { return failingCall == 2 ? Fail(EIO) : ::fsync(descriptor); }
int CloseOrFail(int descriptor) {
  const int result = ::close(descriptor);  // closed even when reported as failed
  return failingCall == 3 ? Fail(EBADF) : result;
}
const FileCalls kFailingCalls{WriteUnlessFull, SyncOrFail, CloseOrFail};

TEST_F(SafeReplace, AFailedStepLeavesTheOldFileAndNoTemporary) {
  Write(Path("res.txt"), "alt");
  ASSERT_EQ(::chmod(Path("res.txt").c_str(), 0640), 0);
  for (const auto& [failing, error] : {std::pair{1, ENOSPC}, {2, EIO}, {3, EBADF}}) {
    SCOPED_TRACE(failing);
    failingCall = failing;
    EXPECT_EQ(ReplaceFileContents(Path("res.txt"), "neu", "talvenor-test", kFailingCalls), error);
    failingCall = 0;
    EXPECT_EQ(Read(Path("res.txt")), "alt");
    EXPECT_EQ(Mode(Path("res.txt")), 0640u);
    EXPECT_EQ(NamesIn(), (Names{"res.txt"}));
  }
  // A caller that goes on after a failed write still cannot commit: a file
  // missing bytes never takes the name.
  failingCall = 1;
  PendingReplacement pending(kFailingCalls);
  ASSERT_EQ(pending.Create(Path("res.txt"), "talvenor-test"), 0);
  EXPECT_EQ(pending.Write("neu"), ENOSPC);
  failingCall = 0;
  EXPECT_EQ(pending.Write("neu"), 0);
  EXPECT_EQ(pending.Commit(), ENOSPC);
  EXPECT_EQ(Read(Path("res.txt")), "alt");
  EXPECT_EQ(NamesIn(), (Names{"res.txt"}));
}

TEST_F(SafeReplace, ASymbolicLinkIsWrittenThroughAndStaysALink) {
  fs::create_directory(folder_ / "data");
  Write(Path("data/res.txt"), "alt");
  fs::create_symlink("data/res.txt", folder_ / "relative.txt");
  fs::create_symlink(folder_ / "relative.txt", folder_ / "chain.txt");
  fs::create_symlink("data/new.txt", folder_ / "dangling.txt");
  for (const char* name : {"relative.txt", "chain.txt", "dangling.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReplaceFileContents(Path(name), name, "talvenor-test"), 0);
    EXPECT_TRUE(fs::is_symlink(folder_ / name));
  }
  EXPECT_EQ(Read(Path("data/res.txt")), "chain.txt");
  EXPECT_EQ(Read(Path("data/new.txt")), "dangling.txt");
  EXPECT_EQ(NamesIn("data"), (Names{"new.txt", "res.txt"}));

  fs::create_symlink("loop2.txt", folder_ / "loop1.txt");
  fs::create_symlink("loop1.txt", folder_ / "loop2.txt");
  EXPECT_EQ(ReplaceFileContents(Path("loop1.txt"), "x", "talvenor-test"), ELOOP);
}

TEST_F(SafeReplace, WhatIsNoRegularFileIsRefusedUntouched) {
  fs::create_directories(folder_ / "folder" / "inside");
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  fs::create_symlink("/dev/null", folder_ / "null-link");
  struct Case {
    std::string name;
    int error;
  };
  const Case cases[] = {
      {Path("folder"), EISDIR}, {Path("fifo"), EINVAL}, {Path("null-link"), EINVAL},
      {"/dev/null", EINVAL},    {"", ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReplaceFileContents(c.name, "x", "talvenor-test"), c.error);
  }
  EXPECT_TRUE(fs::is_directory(folder_ / "folder" / "inside"));
  EXPECT_TRUE(fs::is_fifo(folder_ / "fifo"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(NamesIn(), (Names{"fifo", "folder", "null-link"}));
}

TEST_F(SafeReplace, WhatMayNotBeWrittenGivesTheErrorAndStaysAsItWas) {
  fs::create_directory(folder_ / "locked");
  Write(Path("locked/res.txt"), "alt");
  Write(Path("protected.txt"), "alt");
  ASSERT_EQ(::chmod(Path("locked/res.txt").c_str(), 0666), 0);
  ASSERT_EQ(::chmod(Path("protected.txt").c_str(), 0444), 0);
  ASSERT_EQ(::chmod(Path("locked").c_str(), 0555), 0);
  ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);  // for nobody to reach the files
  EXPECT_EQ(AsOrdinaryUser([&] { return ReplaceFileContents(Path("locked/res.txt"), "neu", "t"); }),
            EACCES);
  EXPECT_EQ(AsOrdinaryUser([&] { return ReplaceFileContents(Path("protected.txt"), "neu", "t"); }),
            EACCES);
  EXPECT_EQ(Read(Path("locked/res.txt")), "alt");
  EXPECT_EQ(Read(Path("protected.txt")), "alt");
  EXPECT_EQ(NamesIn("locked"), (Names{"res.txt"}));
  EXPECT_EQ(NamesIn(), (Names{"locked", "protected.txt"}));
}

TEST_F(SafeReplace, AVeryLongNameGetsAShortenedTemporaryName) {
  const std::string name(NAME_MAX, 'n');
  Write(Path(name), "alt");
  EXPECT_EQ(ReplaceFileContents(Path(name), "neu", "talvenor-test"), 0);
  EXPECT_EQ(Read(Path(name)), "neu");
  EXPECT_EQ(NamesIn(), (Names{name}));
}

// Records what a watch is told, and whether the file exists at that moment.
class RecordingWatch final : public TemporaryFileWatch {
 public:
  bool Created(const std::string& path) override {
    events.push_back("created " + fs::path(path).filename().string() +
                     (fs::exists(path) ? " (exists)" : " (missing)"));
    last = path;
    return accept;
  }
  void Gone() override { events.push_back(fs::exists(last) ? "gone (exists)" : "gone"); }

  bool accept = true;
  std::string last;
  Names events;
};

TEST_F(SafeReplace, AWatchSeesEveryTemporaryFileComeAndGo) {
  RecordingWatch watch;
  {
    PendingReplacement committed(SystemFileCalls(), &watch);
    ASSERT_EQ(committed.Create(Path("res.txt"), "talvenor-tmp"), 0);
    EXPECT_TRUE(watch.last.starts_with(Path(".res.txt.talvenor-tmp-"))) << watch.last;
    EXPECT_EQ(watch.last.size(), Path(".res.txt.talvenor-tmp-").size() + 6);
    EXPECT_EQ(committed.temporaryPath(), watch.last);
    ASSERT_EQ(committed.Write("neu"), 0);
    EXPECT_EQ(committed.Commit(), 0);

    PendingReplacement discarded(SystemFileCalls(), &watch);
    ASSERT_EQ(discarded.Create(Path("other.txt"), "talvenor-tmp"), 0);
  }
  ASSERT_EQ(watch.events.size(), 4u);
  EXPECT_TRUE(watch.events[0].ends_with(" (exists)")) << watch.events[0];
  EXPECT_EQ(watch.events[1], "gone");
  EXPECT_EQ(watch.events[3], "gone");

  // A watch that cannot look after the file refuses it: it is not kept.
  watch.accept = false;
  PendingReplacement refused(SystemFileCalls(), &watch);
  EXPECT_EQ(refused.Create(Path("res.txt"), "talvenor-tmp"), EMFILE);
  EXPECT_TRUE(refused.temporaryPath().empty());
  EXPECT_EQ(NamesIn(), (Names{"res.txt"}));
  EXPECT_EQ(Read(Path("res.txt")), "neu");
}

}  // namespace
}  // namespace talvenor::platform
