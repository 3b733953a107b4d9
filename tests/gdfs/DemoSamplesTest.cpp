#include <gtest/gtest.h>

#include "support/GdfsBuilder.h"
#include "support/TempDir.h"

namespace kestrel::test {
namespace {

// The committed samples are what the generator (samples/make-samples) writes today.
TEST(DemoSamples, AreTheGeneratorsOutput) {
  for (const std::string& ending : GdfsBuilder::endings()) {
    EXPECT_EQ(readFile(std::string(KESTREL_SOURCE_DIR) + "/samples/demo" + ending),
              demoDump().form(ending))
        << "regenerate with: cmake --build build/default --target make-samples && "
           "build/default/samples/make-samples; "
        << ending;
  }
}

}  // namespace
}  // namespace kestrel::test
