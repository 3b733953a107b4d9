// What `show` prints for every sample dump and every file of the vCard corpus, against JSON kept
// beside the samples and under golden/corpus/. The expected files hold the output indented for
// reading; the output itself must be their compact form byte for byte. The caption, the path as
// given, is written relative to the sample's folder. KESTREL_UPDATE_GOLDEN=1 rewrites the
// expected files from the current output and removes those whose input is gone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "CliRun.h"
#include "support/TempDir.h"

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

const fs::path kSamples = fs::path(KESTREL_SOURCE_DIR) / "samples";
const fs::path kCorpus = KESTREL_CORPUS_DIR;
const fs::path kCorpusGolden = fs::path(KESTREL_SOURCE_DIR) / "tests/cli/golden/corpus";
constexpr std::string_view kGoldenEnding = ".show.json";

std::string compact(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

// Every input under `inputs` with one of the endings, paired with its expected file under
// `golden` (the same relative path, kGoldenEnding added), in path order.
std::vector<std::pair<fs::path, fs::path>> table(const fs::path& inputs, const fs::path& golden,
                                                 const std::set<std::string>& endings) {
  std::vector<std::pair<fs::path, fs::path>> cases;
  for (const auto& entry : fs::recursive_directory_iterator(inputs)) {
    if (!entry.is_regular_file() || !endings.contains(entry.path().extension().string())) continue;
    const fs::path relative = fs::relative(entry.path(), inputs);
    cases.emplace_back(entry.path(), golden / (relative.string() + std::string(kGoldenEnding)));
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// Runs `show` over every case; then no expected file under `golden` may lack its input.
void expectGoldenShows(const std::vector<std::pair<fs::path, fs::path>>& cases,
                       const fs::path& golden, const fs::path& captionBase) {
  const bool update = std::getenv("KESTREL_UPDATE_GOLDEN") != nullptr;
  std::set<fs::path> expected;
  for (const auto& [input, goldenFile] : cases) {
    SCOPED_TRACE(input.string());
    expected.insert(goldenFile);
    const test::CliResult r = test::runCli({"show", input.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string out = r.out;
    const std::string given = R"({"caption":)" + Json(input.string()).dump();
    ASSERT_EQ(out.rfind(given, 0), 0u) << out.substr(0, 200);
    out.replace(0, given.size(),
                R"({"caption":)" + Json(fs::relative(input, captionBase).string()).dump());
    const std::string indented =
        Json::parse(out).dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
    if (update) {
      fs::create_directories(goldenFile.parent_path());
      std::ofstream(goldenFile, std::ios::binary) << indented;
    }
    ASSERT_TRUE(fs::exists(goldenFile)) << "no " << goldenFile << " (KESTREL_UPDATE_GOLDEN=1)";
    const std::string want = test::readFile(goldenFile.string());
    EXPECT_EQ(indented, want);
    // The same text once indented; compact, it must also be the output as it was written.
    if (indented == want) {
      EXPECT_EQ(out, compact(Json::parse(want)));
    }
  }
  if (!fs::is_directory(golden)) return;
  std::vector<fs::path> stale;
  for (const auto& entry : fs::recursive_directory_iterator(golden)) {
    if (entry.path().filename().string().ends_with(kGoldenEnding) &&
        !expected.contains(entry.path()))
      stale.push_back(entry.path());
  }
  for (const fs::path& file : stale) {
    if (update)
      fs::remove(file);
    else
      ADD_FAILURE() << file << " has no input (KESTREL_UPDATE_GOLDEN=1 removes it)";
  }
}

TEST(CliShowGolden, EverySample) {
  const auto cases = table(kSamples, kSamples, {".pm", ".gdfs", ".gdf", ".bin", ".vcf"});
  EXPECT_GE(cases.size(), 4u);
  expectGoldenShows(cases, kSamples, kSamples.parent_path());
}

// Files that other programs wrote lie beside the project's own checkouts only; they are read
// where they lie and never copied.
TEST(CliShowGolden, EveryCorpusFile) {
  if (!fs::is_directory(kCorpus))
    GTEST_SKIP() << "no corpus at " << kCorpus.string() << " (it lies beside the project's "
                 << "own checkouts only)";
  const auto cases = table(kCorpus, kCorpusGolden, {".vcf"});
  EXPECT_GE(cases.size(), 30u);
  expectGoldenShows(cases, kCorpusGolden, kCorpus.parent_path());
}

}  // namespace
}  // namespace kestrel::cli
