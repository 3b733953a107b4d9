#include "export/FileFacts.h"

#include <optional>
#include <vector>

#include "core/Digests.h"
#include "core/FileIo.h"

namespace kestrel::output {

std::string sha256Hex(std::string_view bytes) {
  Digests digests;
  digests.add(bytes);
  return digests.sha256();
}

std::string md5Hex(std::string_view bytes) {
  Digests digests;
  digests.add(bytes);
  return digests.md5();
}

FileFacts factsOf(const std::string& fileName) {
  // The same check as every reader's: a device or a pipe would be read without end.
  FileSource file(fileName);
  FileFacts facts;
  facts.name = fileName;
  facts.modified = static_cast<std::time_t>(file.modified());
  Digests digests;
  std::vector<char> buffer(1 << 20);
  while (const std::size_t got = file.read(buffer.data(), buffer.size())) {
    facts.size += got;
    digests.add(std::string_view(buffer.data(), got));
  }
  facts.sha256 = digests.sha256();
  facts.md5 = digests.md5();
  return facts;
}

std::vector<SourceFileLine> sourceFileLines(const std::string& fileName,
                                            const SourceDigest& atOpen) {
  std::optional<FileFacts> now;
  std::string reason;
  try {
    now = factsOf(fileName);
  } catch (const std::exception& e) {
    reason = e.what();
  }
  const bool whole = atOpen.whole();
  std::string state;
  if (whole && now) {
    state = now->sha256 == atOpen.sha256 && now->md5 == atOpen.md5
                ? "не изменился"
                : "ИЗМЕНЁН после чтения: SHA-256 " + now->sha256 + ", MD5 " + now->md5;
  } else if (whole) {
    state = "недоступен: " + reason;
  } else if (now) {
    state = "не был прочитан целиком: дайджесты взяты сейчас";
  } else {
    state = reason;
  }
  const auto either = [&](const std::string& read, const std::string& current) {
    return whole ? read : now ? current : std::string();
  };
  const std::array<std::string, kSourceFileCaptions.size()> values = {
      whole ? std::to_string(atOpen.size)
      : now ? std::to_string(now->size)
            : std::string(),
      now ? localTimeText(now->modified) : std::string(),
      either(atOpen.sha256, now ? now->sha256 : ""),
      either(atOpen.md5, now ? now->md5 : ""),
      whole ? localTimeText(atOpen.taken) : std::string(),
      state};
  std::vector<SourceFileLine> lines;
  for (std::size_t k = 0; k < values.size(); ++k)
    lines.push_back({std::string(kSourceFileCaptions[k]), values[k]});
  return lines;
}

SourceDigest digestAtOpen(const DocumentData& doc, std::size_t k) {
  return k < doc.sourceDigests.size() ? doc.sourceDigests[k] : SourceDigest{};
}

std::string localTimeText(std::time_t time) {
  std::tm parts{};
  localtime_r(&time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

}  // namespace kestrel::output
