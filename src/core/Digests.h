#pragma once
// The SHA-256 and MD5 digests of bytes that come in pieces, taken together, and a file's digests
// as they were when it was read.

#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

class Digests {
 public:
  Digests();
  ~Digests();
  Digests(const Digests&) = delete;
  Digests& operator=(const Digests&) = delete;

  void add(std::span<const std::uint8_t> bytes);
  void add(std::string_view bytes);
  // Each digest alone, so that two threads may take one each.
  void addToSha256(std::span<const std::uint8_t> bytes);
  void addToMd5(std::span<const std::uint8_t> bytes);
  // Lower-case hexadecimal; the digests are done with afterwards.
  std::string sha256();
  std::string md5();

 private:
  struct Contexts;
  std::unique_ptr<Contexts> contexts_;
};

// A source file's digests, taken from the very bytes its reader read.
struct SourceDigest {
  std::string sha256;  // lower-case hexadecimal; empty when the file was not read to its end
  std::string md5;
  std::uint64_t size = 0;  // the bytes read
  std::time_t taken = 0;   // when they were read
  bool whole() const { return !sha256.empty(); }
};

}  // namespace kestrel
