// A large file read whole is held as its own pages. These tests change the file under a held
// copy, as another program would, and read a page that can no longer be read.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "core/MappedFile.h"
#include "core/UniqueFd.h"
#include "export/FileFacts.h"
#include "readers/input/ReaderInput.h"
#include "support/TempDir.h"

namespace kestrel {
namespace {

using output::md5Hex;
using output::sha256Hex;

std::string pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t k = 0; k < text.size(); ++k)
    text[k] = static_cast<char>(k * 13 + k / 4099);
  return text;
}

bool holds(const HeldBytes& held, const std::string& text) {
  return std::string_view(reinterpret_cast<const char*>(held.data()), held.size()) == text;
}

// Whether this file system lets the program hold a lease on the file, which keeping its pages
// needs.
bool leasesHeldOn(const std::string& name) {
  const UniqueFd fd(::open(name.c_str(), O_RDONLY));
  const bool held = ::fcntl(fd.get(), F_SETLEASE, F_RDLCK) == 0;
  ::fcntl(fd.get(), F_SETLEASE, F_UNLCK);
  return held;
}

// Whoever opens the file to write it or truncates it waits while the held pages become a copy,
// so that the document keeps the bytes it was read with and its digest still describes them. A
// reader of the bytes meanwhile sees them as they were throughout.
TEST(HeldFile, KeepsTheBytesReadWhateverIsDoneToTheFile) {
  test::TempDir dir;
  const std::string text = pattern((std::size_t{9} << 20) + 123);
  const std::string name = dir.write("dump.pm", text);
  if (!leasesHeldOn(name)) GTEST_SKIP() << "the temporary folder's file system holds no leases";
  const struct {
    const char* change;
    std::function<void()> apply;
  } changes[] = {
      {"rewritten", [&] { std::ofstream(name, std::ios::binary | std::ios::trunc) << "new"; }},
      {"truncated", [&] { ASSERT_EQ(::truncate(name.c_str(), 4096), 0); }},
      {"written in place",
       [&] {
         const UniqueFd fd(::open(name.c_str(), O_WRONLY));
         ASSERT_EQ(::pwrite(fd.get(), "XXXX", 4, 5 << 20), 4);
       }},
  };
  for (const auto& c : changes) {
    dir.write("dump.pm", text);
    ReaderInput input = ReaderInput::file(name);
    const std::shared_ptr<const HeldBytes> held = input.readAllToKeep();
    const auto* mapped = dynamic_cast<const MappedFile*>(held.get());
    ASSERT_NE(mapped, nullptr) << c.change;
    EXPECT_FALSE(mapped->copied()) << c.change;
    std::atomic<bool> done = false;
    std::atomic<int> differentReads = 0;
    std::thread reader([&] {
      while (!done)
        differentReads += holds(*held, text) ? 0 : 1;
    });
    c.apply();
    done = true;
    reader.join();
    EXPECT_EQ(differentReads, 0) << c.change;
    EXPECT_TRUE(mapped->copied()) << c.change;
    EXPECT_TRUE(holds(*held, text)) << c.change;
    EXPECT_EQ(input.digest().sha256, sha256Hex(text)) << c.change;
    EXPECT_FALSE(mapped->changed()) << c.change;
  }
}

// A file another program has open for writing cannot be kept from change: it is read into
// memory, as is a small file.
TEST(HeldFile, AFileOpenForWritingIsCopied) {
  test::TempDir dir;
  const std::string text = pattern(std::size_t{5} << 20);
  const std::string name = dir.write("dump.pm", text);
  const UniqueFd writer(::open(name.c_str(), O_WRONLY));
  ReaderInput input = ReaderInput::file(name);
  const std::shared_ptr<const HeldBytes> held = input.readAllToKeep();
  EXPECT_EQ(dynamic_cast<const MappedFile*>(held.get()), nullptr);
  EXPECT_TRUE(holds(*held, text));
  EXPECT_EQ(input.digest().md5, md5Hex(text));
}

// A mapped page past the end of a file cut short without a lease (as a read error would) reads
// as zeros; the pages before it keep their bytes.
TEST(HeldFile, APageThatCannotBeReadReadsAsZeros) {
  test::TempDir dir;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::string name = dir.write("f.bin", std::string(3 * page, 'a'));
  const UniqueFd fd(::open(name.c_str(), O_RDWR));
  void* at = ::mmap(nullptr, 3 * page, PROT_READ, MAP_SHARED, fd.get(), 0);
  ASSERT_NE(at, MAP_FAILED);
  const int slot = detail::guardBusErrors(at, 3 * page);
  ASSERT_GE(slot, 0);
  ASSERT_EQ(::ftruncate(fd.get(), static_cast<off_t>(page)), 0);
  const volatile char* bytes = static_cast<const char*>(at);
  EXPECT_EQ(bytes[page - 1], 'a');
  EXPECT_FALSE(detail::busErrorSeen(slot));
  EXPECT_EQ(bytes[page + 7], 0);
  EXPECT_EQ(bytes[3 * page - 1], 0);
  EXPECT_TRUE(detail::busErrorSeen(slot));
  detail::forgetBusErrorRange(slot);
  ::munmap(at, 3 * page);
}

}  // namespace
}  // namespace kestrel
