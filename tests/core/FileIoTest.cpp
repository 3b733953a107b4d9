#include "core/FileIo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <stdexcept>

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
  // A place that cannot hold the file leaves nothing behind.
  EXPECT_THROW(writeWholeFile(dir.file("out.txt/inner"), "x"), IoError);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
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
  const std::string ownSource = "is the file the document was read from";
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
