#include "core/FileIo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <numeric>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/Errors.h"
#include "core/TemporaryFiles.h"
#include "support/TempDir.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Sets the umask for one test and puts the old one back.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(previous_); }

 private:
  mode_t previous_;
};

std::string reasonOf(const std::function<void()>& write) {
  try {
    write();
  } catch (const IoError& e) {
    return e.reason();
  }
  return "(no error)";
}

TEST(FileIo, ReadsOnlyRegularFiles) {
  test::TempDir dir;
  EXPECT_EQ(readWholeFile(dir.write("a.pm", std::string("x\0y", 3))),
            (std::vector<std::uint8_t>{'x', 0, 'y'}));
  // A directory, a device that never ends and a pipe without a writer are refused at once.
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  const std::vector<std::string> refused = {dir.path().string(), "/dev/zero", dir.file("pipe"),
                                            dir.file("missing")};
  for (const std::string& name : refused) {
    try {
      readWholeFile(name);
      ADD_FAILURE() << name;
    } catch (const IoError& e) {
      EXPECT_EQ(e.fileName(), name);
      EXPECT_FALSE(e.reason().empty());
    }
  }
}

TEST(FileIo, WritesCompletelyOrNotAtAll) {
  test::TempDir dir;
  const std::string target = dir.file("out.txt");
  writeWholeFile(target, "old");
  writeWholeFile(target, "new text");
  EXPECT_EQ(test::readFile(target), "new text");
  // A name at the length limit of a file name is written as it is.
  const std::string longName = dir.file(std::string(255, 'n'));
  writeWholeFile(longName, "x");
  EXPECT_EQ(test::readFile(longName), "x");
  std::filesystem::remove(longName);
  // A failure just before the replacement keeps the old file.
  detail::setBeforeReplaceHook([] { throw IoError("hook", "failed on purpose"); });
  EXPECT_THROW(writeWholeFile(target, "lost"), IoError);
  detail::setBeforeReplaceHook(nullptr);
  EXPECT_EQ(test::readFile(target), "new text");
}

// Pieces of every size, some larger than the sink's buffer, arrive in order and complete, whether
// the file is new, replaced or rewritten in place.
TEST(FileIo, StreamedPiecesArriveExactly) {
  test::TempDir dir;
  const std::size_t sizes[] = {0, 1, FileSink::kBufferSize - 3, 7, 2 * FileSink::kBufferSize + 1};
  std::string all(std::accumulate(std::begin(sizes), std::end(sizes), std::size_t{0}), ' ');
  for (std::size_t i = 0; i < all.size(); ++i)
    all[i] = static_cast<char>('a' + i % 23);
  const auto produce = [&](FileSink& sink) {
    std::size_t at = 0;
    for (const std::size_t size : sizes)
      sink.write(std::string_view(all).substr(std::exchange(at, at + size), size));
  };
  const std::string shared = dir.write("shared.txt", "old");
  ASSERT_EQ(::link(shared.c_str(), dir.file("shared-too.txt").c_str()), 0);
  for (const std::string& target : {dir.file("new.txt"), dir.write("old.txt", "old"), shared}) {
    writeWholeFileFrom(target, produce);
    EXPECT_TRUE(test::readFile(target) == all) << target;
  }
  EXPECT_TRUE(test::readFile(dir.file("shared-too.txt")) == all);
}

// Limits the size of the files this process writes, so that a write stops short as on a full
// disk; the signal such a write raises is ignored meanwhile.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) : signal_(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    const rlimit limited{bytes, previous_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, signal_);
  }

 private:
  rlimit previous_{};
  void (*signal_)(int);
};

// Whatever stops a streamed write (the disk, the place, the target or the producer itself), the
// target stays as it was and no temporary file is left. A file error names the file as given,
// and a target refused at once is refused before anything is produced.
TEST(FileIo, FailedStreamedWriteLeavesTheTargetAsItWas) {
  test::TempDir dir;
  dir.write("plain", "x");
  fs::create_directory(dir.path() / "folder.txt");
  const std::string kept = dir.write("kept.txt", "old");
  const std::string shared = dir.write("shared.txt", "old");
  ASSERT_EQ(::link(shared.c_str(), dir.file("shared-too.txt").c_str()), 0);
  const std::string closed = dir.file("closed");
  fs::create_directory(closed);
  const std::string closedKept = dir.write("closed/kept.txt", "old");
  ASSERT_EQ(::chmod(closed.c_str(), 0555), 0);
  const bool fullDevice = ::access("/dev/full", W_OK) == 0;
  if (fullDevice) {
    ASSERT_EQ(::symlink("/dev/full", dir.file("full.txt").c_str()), 0);
  }

  struct Case {
    std::string name;
    std::string target;
    std::string reason;  // empty: the producer gives up midway
    int produced;
    rlim_t sizeLimit = RLIM_INFINITY;
  };
  std::vector<Case> cases = {
      {"file size limit", kept, std::strerror(EFBIG), 1, FileSink::kBufferSize},
      {"folder that takes no new file", closed + "/new.txt", std::strerror(EACCES), 0},
      {"parent that is a file", dir.file("plain/inner.txt"), std::strerror(ENOTDIR), 0},
      {"target that is a folder", dir.file("folder.txt"), std::strerror(EISDIR), 0},
      {"producer gives up", kept, "", 1},
      {"producer gives up on a file with two names", shared, "", 1},
      {"producer gives up in a folder that takes no new file", closedKept, "", 1},
  };
  if (fullDevice) cases.push_back({"full disk", dir.file("full.txt"), std::strerror(ENOSPC), 1});
  const std::set<std::string> names = namesIn(dir.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int produced = 0;
    const auto produce = [&](FileSink& sink) {
      ++produced;
      sink.write(std::string(3 * FileSink::kBufferSize, 'n'));
      if (c.reason.empty()) throw std::runtime_error("gave up");
    };
    try {
      const ScopedFileSizeLimit limit(c.sizeLimit);
      writeWholeFileFrom(c.target, produce);
      ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
      EXPECT_EQ(e.fileName(), c.target);
      EXPECT_EQ(e.reason(), c.reason);
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(c.reason.empty()) << e.what();
    }
    EXPECT_EQ(produced, c.produced);
    for (const std::string& file : {kept, shared, closedKept})
      EXPECT_TRUE(test::readFile(file) == "old") << file;
    EXPECT_EQ(namesIn(dir.path()), names);
    EXPECT_EQ(namesIn(closed), std::set<std::string>{"kept.txt"});
  }
  ::chmod(closed.c_str(), 0755);
}

TEST(FileIo, ReplacementKeepsModeAndOwner) {
  test::TempDir dir;
  const ScopedUmask umask(027);
  // Root hands the file to another owner first, so that keeping the owner is seen.
  const bool root = ::geteuid() == 0;
  for (const mode_t mode : {0600, 0640, 0751, 0604}) {
    SCOPED_TRACE(mode);
    const std::string target = dir.write("kept.txt", "old");
    ASSERT_EQ(::chmod(target.c_str(), mode), 0);
    ASSERT_TRUE(!root || ::chown(target.c_str(), 65534, 65534) == 0);
    const struct stat before = statOf(target);
    writeWholeFile(target, "new");
    const struct stat after = statOf(target);
    EXPECT_EQ(test::readFile(target), "new");
    EXPECT_EQ(after.st_mode & 07777, mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    fs::remove(target);
  }
  // A new file gets the usual mode under the umask, and the umask stays.
  writeWholeFile(dir.file("new.txt"), "x");
  EXPECT_EQ(statOf(dir.file("new.txt")).st_mode & 07777, 0640u);
  EXPECT_EQ(::umask(027), 027u);
  EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"new.txt"});
}

TEST(FileIo, RefusesReadOnlyTargetsAndOwnSources) {
  test::TempDir dir;
  const std::string source = dir.write("phone.pm", "dump");
  // A second source reached through a hard link, so that the first keeps a single link.
  const std::string linked = dir.write("linked.pm", "dump");
  ASSERT_EQ(::link(linked.c_str(), dir.file("hard.pm").c_str()), 0);
  ASSERT_EQ(::symlink("phone.pm", dir.file("soft.pm").c_str()), 0);
  const std::string readOnly = dir.write("locked.txt", "old");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  ASSERT_EQ(::symlink("locked.txt", dir.file("locked-link").c_str()), 0);
  const std::vector<std::string> sources = {source, linked, dir.file("gone.pm")};
  const std::string ownSource = "это файл, из которого прочитан документ";
  // Root included: a file without write bits is not replaced behind its owner's back.
  const std::pair<std::string, std::string> cases[] = {
      {source, ownSource},
      {dir.path().string() + "/./phone.pm", ownSource},
      {dir.file("hard.pm"), ownSource},
      {dir.file("soft.pm"), ownSource},
      {readOnly, std::strerror(EACCES)},
      {dir.file("locked-link"), std::strerror(EACCES)},
  };
  const std::set<std::string> before = namesIn(dir.path());
  const ino_t inodes[] = {statOf(source).st_ino, statOf(readOnly).st_ino};
  for (const auto& [target, reason] : cases) {
    EXPECT_EQ(reasonOf([&] { writeWholeFile(target, "overwritten", sources); }), reason) << target;
  }
  EXPECT_EQ(test::readFile(source) + test::readFile(linked) + test::readFile(readOnly),
            "dumpdumpold");
  EXPECT_EQ(statOf(source).st_ino, inodes[0]);
  EXPECT_EQ(statOf(readOnly).st_ino, inodes[1]);
  EXPECT_EQ(namesIn(dir.path()), before);
  // Any other file is written as usual, and a source that no longer exists blocks nothing.
  writeWholeFile(dir.file("report.txt"), "ok", sources);
  EXPECT_EQ(test::readFile(dir.file("report.txt")), "ok");
}

TEST(FileIo, WritesThroughSymbolicLinks) {
  test::TempDir dir;
  fs::create_directory(dir.path() / "sub");
  const std::string real = dir.write("sub/real.txt", "old");
  // The link's name, where it points, and the file the bytes must reach.
  const std::string cases[][3] = {
      {"relative", "sub/real.txt", real},
      {"sub/up", "../sub/./real.txt", real},
      {"chain", "relative", real},
      {"dangling", "sub/made.txt", dir.file("sub/made.txt")},
  };
  for (const auto& [name, pointsTo, written] : cases) {
    SCOPED_TRACE(name);
    const std::string link = dir.file(name);
    ASSERT_EQ(::symlink(pointsTo.c_str(), link.c_str()), 0);
    writeWholeFile(link, "via " + name);
    EXPECT_EQ(test::readFile(written), "via " + name);
    EXPECT_EQ(fs::read_symlink(link).string(), pointsTo);
  }
  EXPECT_EQ(namesIn(dir.path() / "sub"), (std::set<std::string>{"made.txt", "real.txt", "up"}));
}

TEST(FileIo, WritesInPlaceWhereAReplacementWouldLoseSomething) {
  test::TempDir dir;
  // Hard links: every name must see the new text, so the file itself is rewritten.
  const std::string first = dir.write("first.txt", "old old old");
  ASSERT_EQ(::link(first.c_str(), dir.file("second.txt").c_str()), 0);
  const ino_t inode = statOf(first).st_ino;
  writeWholeFile(first, "new");
  EXPECT_EQ(test::readFile(first) + test::readFile(dir.file("second.txt")), "newnew");
  EXPECT_EQ(statOf(first).st_ino, inode);
  EXPECT_EQ(statOf(first).st_nlink, 2u);

  // A folder without write bits takes no new file (for root too: there the bits decide), but an
  // existing writable file in it is still written.
  const std::string closed = dir.file("closed");
  fs::create_directory(closed);
  const std::string inside = dir.write("closed/report.txt", "old old old");
  const ino_t insideInode = statOf(inside).st_ino;
  ASSERT_EQ(::chmod(closed.c_str(), 0555), 0);
  writeWholeFile(inside, "new");
  const std::string fresh = reasonOf([&] { writeWholeFile(closed + "/fresh.txt", "x"); });
  ::chmod(closed.c_str(), 0755);
  EXPECT_EQ(fresh, std::strerror(EACCES));
  EXPECT_EQ(test::readFile(inside), "new");
  EXPECT_EQ(statOf(inside).st_ino, insideInode);
  EXPECT_EQ(namesIn(closed), std::set<std::string>{"report.txt"});
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"closed", "first.txt", "second.txt"}));
}

int signalToRaise = 0;
void raiseSignal() {
  ::raise(signalToRaise);
}

TEST(FileIo, InterruptedWriteLeavesNothing) {
  // The signal, and whether it comes during a folder rather than a single file.
  const std::pair<int, bool> cases[] = {
      {SIGTERM, false}, {SIGHUP, false}, {SIGINT, true}, {SIGTERM, true}};
  for (const auto& [sig, folder] : cases) {
    SCOPED_TRACE(std::string(::strsignal(sig)) + (folder ? " during a folder" : " during a file"));
    test::TempDir dir;
    const std::string target = dir.write("out.txt", "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The signal comes while a temporary exists; the handler must remove it and end the child.
      removeTemporaryFilesOnSignals();
      signalToRaise = sig;
      detail::setBeforeReplaceHook(raiseSignal);
      try {
        if (folder) {
          writeNewFolder(dir.file("cards"), 3, [](std::size_t k) {
            if (k == 1) raiseSignal();
            return std::pair<std::string, std::string>(std::to_string(k) + ".vcf", "card");
          });
        } else {
          writeWholeFile(target, "new");
        }
      } catch (...) {
      }
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "status " << status;
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"out.txt"});
    EXPECT_EQ(test::readFile(target), "old");
  }
}

// Threads that keep making and removing temporary folders, and a signal that may come in any
// thread at any moment: what the threads made is gone when the process has ended.
TEST(FileIo, SignalAmongThreadsMakingTemporariesLeavesNothing) {
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      removeTemporaryFilesOnSignals();
      const int dirFd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      std::vector<std::thread> makers;
      for (int t = 0; t < 3; ++t) {
        makers.emplace_back([dirFd] {
          for (;;) {
            Temporary folder(dirFd, TemporaryKind::Folder);
            folder.create();
          }
        });
      }
      for (;;)
        ::pause();
    }
    ::usleep(static_cast<useconds_t>(5000 + 1000 * (round % 7)));
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{});
  }
}

// A file system of a few hundred KB for one test, where this process may mount one.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& folder) : folder_(folder) {
    fs::create_directory(folder);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") != 0) {
      whyNot_ = std::string("no tmpfs can be mounted here: ") + std::strerror(errno);
    }
  }
  ~SmallDisk() {
    if (whyNot_.empty()) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  const std::string& whyNot() const { return whyNot_; }

 private:
  std::string folder_;
  std::string whyNot_;
};

// Takes what is left of the disk holding folder, down to the last page.
std::string folderToFill;
void fillDisk() {
  const int fd = ::open((folderToFill + "/filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  const std::string page(4096, 'f');
  for (std::size_t size = page.size(); size > 0; size /= 2) {
    while (::write(fd, page.data(), size) > 0) {
    }
  }
  ::close(fd);
}

// A file with a second name is rewritten in place. Whatever comes once the new text exists (a
// full disk, a limit on file sizes, a signal while the file is rewritten), both names end with the
// whole old text or the whole new one, never a part, and nothing else is left in the folder.
TEST(FileIo, RewriteInPlaceKeepsTheOldTextUntilTheNewIsWhole) {
  test::TempDir dir;
  const SmallDisk disk(dir.file("disk"));
  const std::string oldText(300 * 1024, 'o');
  const std::string newText(400 * 1024, 'n');
  enum class Trouble { None, DiskFull, SizeLimit };
  struct Case {
    std::string name;
    bool onSmallDisk;
    Trouble onceProduced;      // what comes when every byte exists
    void (*whileRewriting)();  // what comes once the target is about to be rewritten
    int signal;                // the signal that ends the writer, or 0
    std::string reason;        // the failure, or empty
    const std::string& text;   // what both names hold afterwards
  };
  const Case cases[] = {
      {"disk full", true, Trouble::DiskFull, nullptr, 0, std::strerror(ENOSPC), oldText},
      {"file size limit", false, Trouble::SizeLimit, nullptr, 0, std::strerror(EFBIG), oldText},
      {"disk filled while rewriting", true, Trouble::None, fillDisk, 0, "", newText},
      {"SIGTERM while rewriting", false, Trouble::None, raiseSignal, SIGTERM, "", newText},
      {"SIGINT while rewriting", false, Trouble::None, raiseSignal, SIGINT, "", newText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.onSmallDisk && !disk.whyNot().empty()) {
      std::cout << "[ SKIPPED  ] " << c.name << ": " << disk.whyNot() << "\n";
      continue;
    }
    const std::string folder = c.onSmallDisk ? dir.file("disk") : dir.file("plain");
    fs::create_directories(folder);
    const std::string target = folder + "/first.txt";
    const std::string second = folder + "/second.txt";
    writeWholeFile(target, oldText);
    ASSERT_EQ(::link(target.c_str(), second.c_str()), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      removeTemporaryFilesOnSignals();
      std::signal(SIGXFSZ, SIG_IGN);
      signalToRaise = c.signal;
      folderToFill = folder;
      detail::setBeforeReplaceHook(c.whileRewriting);
      try {
        writeWholeFileFrom(target, [&](FileSink& sink) {
          // Larger than the sink's buffer: these bytes are already in the temporary file.
          sink.write(newText);
          if (c.onceProduced == Trouble::DiskFull) fillDisk();
          if (c.onceProduced == Trouble::SizeLimit) {
            const rlimit limit{oldText.size() + 1000, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
          }
        });
        ::_exit(0);
      } catch (const IoError& e) {
        ::_exit(e.fileName() == target && e.reason() == c.reason ? 1 : 2);
      } catch (...) {
        ::_exit(3);
      }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (c.signal != 0) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << "status " << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (c.reason.empty() ? 0 : 1))
          << "status " << status;
    }
    fs::remove(folder + "/filler");
    EXPECT_TRUE(test::readFile(target) == c.text);
    EXPECT_TRUE(test::readFile(second) == c.text);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"first.txt", "second.txt"}));
    fs::remove(target);
    fs::remove(second);
  }
}

// While the bytes are produced, nothing new has a name in the target's folder, whichever way
// the target is written; a new folder is open to its user alone while it fills, and its cards
// have no name until all of them exist.
TEST(FileIo, StagedBytesHaveNoNameAndStagedFoldersArePrivate) {
  test::TempDir dir;
  const ScopedUmask umask(022);
  const std::string shared = dir.write("shared.txt", "old");
  ASSERT_EQ(::link(shared.c_str(), dir.file("shared-too.txt").c_str()), 0);
  for (const std::string& target : {dir.file("new.txt"), dir.write("old.txt", "old"), shared}) {
    SCOPED_TRACE(target);
    const std::set<std::string> before = namesIn(dir.path());
    std::set<std::string> whileProducing;
    writeWholeFileFrom(target, [&](FileSink& sink) {
      sink.write(std::string(2 * FileSink::kBufferSize, 'n'));
      whileProducing = namesIn(dir.path());
    });
    EXPECT_EQ(whileProducing, before);
    EXPECT_EQ(test::readFile(target).size(), 2 * FileSink::kBufferSize);
  }

  const std::set<std::string> before = namesIn(dir.path());
  ASSERT_TRUE(writeNewFolder(dir.file("cards"), 3, [&](std::size_t k) {
    if (k == 2) {
      std::set<std::string> staging = namesIn(dir.path());
      for (const std::string& name : before)
        staging.erase(name);
      EXPECT_EQ(staging.size(), 1u);
      for (const std::string& name : staging) {
        EXPECT_EQ(statOf(dir.file(name)).st_mode & 07777, 0700u);
        EXPECT_TRUE(fs::is_empty(dir.path() / name));
      }
    }
    return std::pair<std::string, std::string>(std::to_string(k) + ".vcf", "card");
  }));
  EXPECT_EQ(statOf(dir.file("cards")).st_mode & 07777, 0755u);
}

// The kernel's rule for links in shared folders, which it cannot apply to links resolved by
// hand: in a sticky folder everyone may write to, a link made by someone other than the caller
// or the folder's owner is not followed.
TEST(FileIo, FollowsLinksInSharedFoldersOnlyFromTheCallerOrTheFolderOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  test::TempDir dir;
  const std::string victim = dir.write("victim.conf", "secret");
  constexpr uid_t kRoot = 0;
  constexpr uid_t kOther = 65534;
  struct Case {
    std::string name;
    mode_t folderMode;
    uid_t folderOwner;
    uid_t linkOwner;
    bool followed;
  };
  const Case cases[] = {
      {"another user's link in a shared sticky folder", 01777, kRoot, kOther, false},
      {"the folder owner's link", 01777, kOther, kOther, true},
      {"the caller's own link", 01777, kOther, kRoot, true},
      {"a folder without the sticky bit", 0777, kRoot, kOther, true},
      {"a sticky folder only its owner writes to", 01755, kRoot, kOther, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = dir.file("shared");
    fs::create_directory(folder);
    const std::string link = folder + "/case-report.html";
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    if (::fchownat(AT_FDCWD, link.c_str(), c.linkOwner, c.linkOwner, AT_SYMLINK_NOFOLLOW) != 0) {
      GTEST_SKIP() << "a link cannot be given to another user here: " << std::strerror(errno);
    }
    ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, c.folderOwner), 0);
    ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
    const std::string reason = reasonOf([&] { writeWholeFile(link, "report"); });
    EXPECT_EQ(reason, c.followed ? "(no error)"
                                 : "это символическая ссылка другого пользователя в папке, "
                                   "где файлы может создавать любой");
    EXPECT_EQ(test::readFile(victim), c.followed ? "report" : "secret");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"case-report.html"});
    writeWholeFile(victim, "secret");
    fs::remove_all(folder);
  }
}

TEST(FileIo, WritesNewFolderAllOrNothing) {
  test::TempDir dir;
  const ScopedUmask umask(022);
  const std::string folder = dir.file("cards");
  ASSERT_TRUE(writeNewFolder(folder, 3, [](std::size_t k) {
    return std::pair<std::string, std::string>(std::to_string(k) + ".vcf", std::to_string(k));
  }));
  const std::set<std::string> cards = {"0.vcf", "1.vcf", "2.vcf"};
  EXPECT_EQ(namesIn(folder), cards);
  EXPECT_EQ(test::readFile(folder + "/2.vcf"), "2");
  EXPECT_EQ(statOf(folder).st_mode & 07777, 0755u);
  EXPECT_EQ(statOf(folder + "/1.vcf").st_mode & 07777, 0644u);

  // An existing folder or file is left as it is, and a missing parent makes nothing.
  for (const std::string& taken : {folder, folder + "/", folder + "/1.vcf", folder + "/no/x"}) {
    EXPECT_FALSE(writeNewFolder(taken, 1, [](std::size_t) {
      return std::pair<std::string, std::string>("x", "y");
    })) << taken;
  }
  EXPECT_EQ(namesIn(folder), cards);

  // A failure at the second file leaves neither the folder nor a temporary one. An empty second
  // name stands for the caller giving up by throwing.
  for (const std::string& second :
       {std::string(300, 'n'), std::string("../out.vcf"), std::string("0.vcf"), std::string()}) {
    SCOPED_TRACE(second);
    const auto failing = [&](std::size_t k) {
      if (k == 1 && second.empty()) throw std::runtime_error("no more cards");
      return std::pair<std::string, std::string>(k == 1 ? second : "0.vcf", "card");
    };
    try {
      writeNewFolder(dir.file("broken"), 3, failing);
      ADD_FAILURE() << "no error";
    } catch (const IoError& e) {
      EXPECT_EQ(e.fileName(), dir.file("broken") + "/" + second);
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(second.empty()) << e.what();
    }
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"cards"});
  }
}

}  // namespace
}  // namespace kestrel
