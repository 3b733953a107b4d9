#include "export/FileFacts.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "core/FileIo.h"

namespace kestrel::output {

namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

DigestContext startDigest(const EVP_MD* kind) {
  DigestContext context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), kind, nullptr) != 1)
    throw std::runtime_error("the digest cannot be computed");
  return context;
}

std::string finishDigest(EVP_MD_CTX* context) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context, digest, &length) != 1)
    throw std::runtime_error("the digest cannot be computed");
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned int k = 0; k < length; ++k) {
    text += kDigits[digest[k] >> 4];
    text += kDigits[digest[k] & 0x0F];
  }
  return text;
}

std::string digestHex(const EVP_MD* kind, std::string_view bytes) {
  const DigestContext context = startDigest(kind);
  EVP_DigestUpdate(context.get(), bytes.data(), bytes.size());
  return finishDigest(context.get());
}

}  // namespace

std::string sha256Hex(std::string_view bytes) {
  return digestHex(EVP_sha256(), bytes);
}

std::string md5Hex(std::string_view bytes) {
  return digestHex(EVP_md5(), bytes);
}

FileFacts factsOf(const std::string& fileName) {
  // The same check as every reader's: a device or a pipe would be read without end.
  FileSource file(fileName);
  FileFacts facts;
  facts.name = fileName;
  facts.modified = static_cast<std::time_t>(file.modified());
  const DigestContext sha256 = startDigest(EVP_sha256());
  const DigestContext md5 = startDigest(EVP_md5());
  std::vector<char> buffer(1 << 20);
  while (const std::size_t got = file.read(buffer.data(), buffer.size())) {
    facts.size += got;
    EVP_DigestUpdate(sha256.get(), buffer.data(), got);
    EVP_DigestUpdate(md5.get(), buffer.data(), got);
  }
  facts.sha256 = finishDigest(sha256.get());
  facts.md5 = finishDigest(md5.get());
  return facts;
}

std::string localTimeText(std::time_t time) {
  std::tm parts{};
  localtime_r(&time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

}  // namespace kestrel::output
