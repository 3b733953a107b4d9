#include "export/ExportFormats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "core/Cp1251.h"

namespace kestrel::output {
namespace {

// The dialog's file types, their order and so the meaning of every filter index stay as they
// are: a format is only ever added at the end.
TEST(ExportFormats, MakeTheSaveDialogsFilterInItsOrder) {
  EXPECT_EQ(
      saveFilter(),
      "Текстовый|*.txt*|CSV (Разделители - точка с зап.)|*.csv*|CSV (Разделители - "
      "запятая)|*.csv*|VCF(UTF-8 Для Телефона)|*.vcf*|VCF(windows-1251 Для Outlook)|*.vcf*|"
      "vCard одним файлом (*.vcf)|*.vcf|iCalendar (*.ics)|*.ics|HTML-отчёт (*.html)|*.html"_cp);
  const auto formats = exportFormats();
  for (std::size_t i = 0; i < formats.size(); ++i)
    EXPECT_EQ(exportFormatOf(static_cast<int>(i) + 1), &formats[i]);
  EXPECT_EQ(exportFormatOf(0), nullptr);
  EXPECT_EQ(exportFormatOf(static_cast<int>(formats.size()) + 1), nullptr);
}

// The README's list of `export --format N` is the registry's: number, caption, what the name
// becomes, and whether the ticked sections apply.
TEST(ExportFormats, AreListedInTheReadme) {
  std::ifstream readme(KESTREL_SOURCE_DIR "/README.md");
  ASSERT_TRUE(readme) << "README.md not found";
  const std::regex entry(R"(    (\d+)  (.+?)  +(folder NAME|NAME\S*)  +(.*))");
  std::vector<std::string> listed;
  for (std::string line; std::getline(readme, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, entry)) continue;
    const bool ticked = m[4].str().ends_with(", ticked");
    listed.push_back(m[1].str() + "|" + m[2].str() + "|" + m[3].str() + (ticked ? "|ticked" : ""));
  }

  std::vector<std::string> expected;
  int number = 0;
  for (const ExportFormat& format : exportFormats()) {
    const std::string ending(format.ending);
    const std::string name = ending.empty() ? "folder NAME" : "NAME[" + ending + "]";
    expected.push_back(std::to_string(++number) + "|" + toUtf8(format.caption) + "|" + name +
                       (format.usesTableChoice ? "|ticked" : ""));
  }
  EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace kestrel::output
