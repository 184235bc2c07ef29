// Output files of a batch run: group names, temporary files committed by
// rename, removal on failure, and failures of write, sync and close.
#include "batch/output_files.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace talvenor::batch {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "talvenor-out-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // Every name in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

using V = std::vector<std::string>;

TEST(GroupNames, SplitAtTheLastDotOfThePath) {
  struct Case {
    const char* path;
    const char* group3;
    const char* base;
  };
  // clang-format off
  const Case cases[] = {
      {"/data/res.txt", "/data/res_GRP3.txt", "/data/res"},
      {"res", "res_GRP3", "res"},
      {"res.tar.gz", "res.tar_GRP3.gz", "res.tar"},
      {".hidden", ".hidden_GRP3", ".hidden"},  // a dot at the very start does not split
      {"v1.2/res", "v1_GRP3.2/res", "v1"},     // the last dot, even in a folder name
  };
  // clang-format on
  for (const Case& c : cases) {
    const V names = GroupNames(c.path);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[3], c.group3);
    EXPECT_EQ(GroupBase(c.path), c.base);
  }
  EXPECT_EQ(GroupNames("a.txt").front(), "a_GRP0.txt");
  EXPECT_EQ(GroupNames("a.txt").back(), "a_GRP9.txt");
}

TEST(OutputFiles, NothingHasItsNameBeforeTheCommit) {
  TempFolder folder;
  OutputFiles files(GroupNames(folder / "res.txt"));
  ASSERT_EQ(files.WriteRecord(2, "zwei\r\n"), RecordOutput::Status::kWritten);
  ASSERT_EQ(files.WriteRecord(5, "fünf\r\n"), RecordOutput::Status::kWritten);
  ASSERT_EQ(files.WriteRecord(2, "zwei b\r\n"), RecordOutput::Status::kWritten);
  const V during = folder.Names();
  ASSERT_EQ(during.size(), 2u);
  EXPECT_TRUE(during[0].starts_with(".res_GRP2.txt.talvenor-tmp-")) << during[0];
  EXPECT_TRUE(during[1].starts_with(".res_GRP5.txt.talvenor-tmp-")) << during[1];
  EXPECT_EQ(files.records(2), 2);

  V written;
  ASSERT_TRUE(files.Commit(written));
  EXPECT_EQ(written, (V{folder / "res_GRP2.txt", folder / "res_GRP5.txt"}));
  EXPECT_EQ(folder.Names(), (V{"res_GRP2.txt", "res_GRP5.txt"}));
  EXPECT_EQ(Contents(folder / "res_GRP2.txt"), "zwei\r\nzwei b\r\n");
}

TEST(OutputFiles, CommitRemovesOutputNamesWithoutRecords) {
  TempFolder folder;
  // An earlier run left group files; this run writes group 4 only, and its
  // group-0 file, created first, stays empty.
  for (int group : {0, 1, 4, 9})
    WriteFile(folder / ("res_GRP" + std::to_string(group) + ".txt"), "alt");
  OutputFiles files(GroupNames(folder / "res.txt"));
  ASSERT_TRUE(files.Open(0));
  ASSERT_EQ(files.WriteRecord(4, "neu\r\n"), RecordOutput::Status::kWritten);
  V written;
  ASSERT_TRUE(files.Commit(written));
  EXPECT_EQ(written, (V{folder / "res_GRP4.txt"}));
  EXPECT_EQ(folder.Names(), (V{"res_GRP4.txt"}));
  EXPECT_EQ(Contents(folder / "res_GRP4.txt"), "neu\r\n");
}

TEST(OutputFiles, DiscardKeepsWhatExistedBefore) {
  TempFolder folder;
  WriteFile(folder / "res_GRP0.txt", "alt 0");
  WriteFile(folder / "res_GRP4.txt", "alt 4");
  {
    OutputFiles files(GroupNames(folder / "res.txt"));
    ASSERT_EQ(files.WriteRecord(0, "neu\r\n"), RecordOutput::Status::kWritten);
    ASSERT_EQ(files.WriteRecord(7, "neu\r\n"), RecordOutput::Status::kWritten);
    files.Discard();
    EXPECT_EQ(folder.Names(), (V{"res_GRP0.txt", "res_GRP4.txt"}));
  }
  EXPECT_EQ(Contents(folder / "res_GRP0.txt"), "alt 0");
  EXPECT_EQ(Contents(folder / "res_GRP4.txt"), "alt 4");
}

TEST(OutputFiles, TemporaryFilesGoWithTheObject) {
  TempFolder folder;
  {
    OutputFiles files({folder / "res.txt"});
    ASSERT_TRUE(files.Open(0));
    ASSERT_EQ(folder.Names().size(), 1u);
  }
  EXPECT_TRUE(folder.Names().empty());
}

TEST(OutputFiles, FoldersAndMissingFoldersCannotBeCreated) {
  TempFolder folder;
  fs::create_directory(folder / "sub");
  OutputFiles files({folder / "sub", folder / "missing/res.txt", ""});
  EXPECT_FALSE(files.Open(0));
  EXPECT_FALSE(files.Open(1));
  EXPECT_FALSE(files.Open(2));
  EXPECT_EQ(files.WriteRecord(1, "x\r\n"), RecordOutput::Status::kCannotCreate);
  files.Discard();
  EXPECT_TRUE(fs::is_directory(folder / "sub"));  // never removed
}

TEST(OutputFiles, WriteProtectedFilesAreNeitherReplacedNorRemoved) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  TempFolder folder;
  WriteFile(folder / "res.txt", "alt");
  fs::permissions(folder / "res.txt", fs::perms::owner_read);
  OutputFiles files({folder / "res.txt"});
  EXPECT_FALSE(files.Open(0));
  files.Discard();
  EXPECT_EQ(Contents(folder / "res.txt"), "alt");
}

TEST(OutputFiles, CommittedFilesGetTheUsualPermissions) {
  TempFolder folder;
  const mode_t mask = ::umask(022);
  OutputFiles files({folder / "res.txt"});
  ASSERT_EQ(files.WriteRecord(0, "x\r\n"), RecordOutput::Status::kWritten);
  V written;
  ASSERT_TRUE(files.Commit(written));
  ::umask(mask);
  struct stat status {};
  ASSERT_EQ(::stat((folder / "res.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
}

TEST(OutputFiles, ReplacedFilesKeepTheirPermissions) {
  TempFolder folder;
  struct Case {
    const char* name;
    mode_t before;  // 0: no such file yet
    mode_t after;
  };
  // clang-format off
  const Case cases[] = {
      {"new.txt", 0, 0640},  // 0666 less the umask 027
      {"private.txt", 0600, 0600},
      {"shared.txt", 0664, 0664},
      {"odd.txt", 0701, 0701},
  };
  // clang-format on
  const mode_t mask = ::umask(027);
  for (const Case& c : cases) {
    if (c.before != 0) {
      WriteFile(folder / c.name, "alt");
      ASSERT_EQ(::chmod((folder / c.name).c_str(), c.before), 0);
    }
    OutputFiles files({folder / c.name});
    ASSERT_EQ(files.WriteRecord(0, "neu\r\n"), RecordOutput::Status::kWritten) << c.name;
    V written;
    ASSERT_TRUE(files.Commit(written)) << c.name;
    struct stat status {};
    ASSERT_EQ(::stat((folder / c.name).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.after) << c.name;
    EXPECT_EQ(Contents(folder / c.name), "neu\r\n");
  }
  ::umask(mask);
}

TEST(OutputFiles, ASymbolicLinkIsWrittenThroughToItsTarget) {
  TempFolder folder;
  fs::create_directory(folder / "data");
  WriteFile(folder / "data/res.txt", "alt");
  fs::create_symlink("data/res.txt", folder / "relative.txt");
  fs::create_symlink(folder / "relative.txt", folder / "chain.txt");
  fs::create_symlink("data/new.txt", folder / "dangling.txt");
  for (const char* name : {"relative.txt", "chain.txt", "dangling.txt"}) {
    OutputFiles files({folder / name});
    ASSERT_EQ(files.WriteRecord(0, std::string(name) + "\r\n"), RecordOutput::Status::kWritten);
    // The temporary file lies beside the target, not beside the link.
    EXPECT_EQ(folder.Names(), (V{"chain.txt", "dangling.txt", "data", "relative.txt"}));
    V written;
    ASSERT_TRUE(files.Commit(written)) << name;
    EXPECT_EQ(written, (V{folder / name}));
    EXPECT_TRUE(fs::is_symlink(folder / name)) << name;
  }
  EXPECT_EQ(Contents(folder / "data/res.txt"), "chain.txt\r\n");
  EXPECT_EQ(Contents(folder / "data/new.txt"), "dangling.txt\r\n");
  EXPECT_EQ(Contents(folder / "relative.txt"), "chain.txt\r\n");

  // A loop of links leads nowhere.
  fs::create_symlink("loop2.txt", folder / "loop1.txt");
  fs::create_symlink("loop1.txt", folder / "loop2.txt");
  OutputFiles loop({folder / "loop1.txt"});
  EXPECT_FALSE(loop.Open(0));
}

TEST(OutputFiles, OnlyRegularFilesAreReplaced) {
  TempFolder folder;
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  fs::create_symlink("/dev/null", folder / "null-link");
  OutputFiles files({folder / "fifo", "/dev/null", folder / "null-link"});
  for (int file = 0; file < 3; ++file) EXPECT_FALSE(files.Open(file)) << file;
  EXPECT_TRUE(fs::is_fifo(folder / "fifo"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(folder.Names(), (V{"fifo", "null-link"}));
}

// The file system calls of a disk that fills up, or fails to sync or close.
int failingCall = 0;  // 1 write, 2 fsync, 3 close
ssize_t WriteUnlessFull(int descriptor, const void* bytes, std::size_t size) {
  if (failingCall == 1) {
    errno = ENOSPC;
    return -1;
  }
  return ::write(descriptor, bytes, size);
}
int SyncOrFail(int descriptor) {
  if (failingCall == 2) {
    errno = EIO;
    return -1;
  }
  return ::fsync(descriptor);
}
int CloseOrFail(int descriptor) {
  const int result = ::close(descriptor);
  if (failingCall == 3) {
    errno = EIO;
    return -1;
  }
  return result;
}
const FileCalls kFailingCalls{WriteUnlessFull, SyncOrFail, CloseOrFail};

TEST(OutputFiles, AFullDiskFailsTheWriteThatOverflowsTheBuffer) {
  TempFolder folder;
  failingCall = 1;
  OutputFiles files({folder / "res.txt"}, kFailingCalls);
  const std::string line(1000, 'x');
  RecordOutput::Status status = RecordOutput::Status::kWritten;
  int records = 0;
  while (status == RecordOutput::Status::kWritten && records < 1000) {
    status = files.WriteRecord(0, line);
    ++records;
  }
  EXPECT_EQ(status, RecordOutput::Status::kWriteFailed);
  EXPECT_EQ(records, 66);  // 65 lines of 1000 fill the 64 KiB buffer (65536)
  V written;
  EXPECT_FALSE(files.Commit(written));
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(folder.Names().empty());
  failingCall = 0;
}

TEST(OutputFiles, CommitFailsWhenTheLastBytesCannotBeStored) {
  for (int failing : {1, 2, 3}) {
    TempFolder folder;
    WriteFile(folder / "res_GRP1.txt", "alt");
    failingCall = failing;
    OutputFiles files(GroupNames(folder / "res.txt"), kFailingCalls);
    ASSERT_EQ(files.WriteRecord(0, "a\r\n"), RecordOutput::Status::kWritten);
    ASSERT_EQ(files.WriteRecord(3, "b\r\n"), RecordOutput::Status::kWritten);
    V written;
    EXPECT_FALSE(files.Commit(written)) << failing;
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(folder.Names(), (V{"res_GRP1.txt"})) << failing;
    EXPECT_EQ(Contents(folder / "res_GRP1.txt"), "alt");
    failingCall = 0;
  }
}

}  // namespace
}  // namespace talvenor::batch
