#include "core/FileIo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/Errors.h"
#include "support/TempDir.h"

namespace kestrel {
namespace {

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
  // A place that cannot hold the file leaves nothing behind.
  EXPECT_THROW(writeWholeFile(dir.file("out.txt/inner"), "x"), IoError);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace kestrel
