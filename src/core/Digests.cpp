#include "core/Digests.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace kestrel {

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

}  // namespace

struct Digests::Contexts {
  DigestContext sha256 = startDigest(EVP_sha256());
  DigestContext md5 = startDigest(EVP_md5());
};

Digests::Digests() : contexts_(std::make_unique<Contexts>()) {}
Digests::~Digests() = default;

void Digests::add(std::span<const std::uint8_t> bytes) {
  addToSha256(bytes);
  addToMd5(bytes);
}

void Digests::addToSha256(std::span<const std::uint8_t> bytes) {
  EVP_DigestUpdate(contexts_->sha256.get(), bytes.data(), bytes.size());
}

void Digests::addToMd5(std::span<const std::uint8_t> bytes) {
  EVP_DigestUpdate(contexts_->md5.get(), bytes.data(), bytes.size());
}

void Digests::add(std::string_view bytes) {
  add(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string Digests::sha256() {
  return finishDigest(contexts_->sha256.get());
}

std::string Digests::md5() {
  return finishDigest(contexts_->md5.get());
}

}  // namespace kestrel
