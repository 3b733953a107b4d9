#include "core/ColumnLetters.h"

#include <string_view>

namespace kestrel {

std::vector<std::string> makeColumnLetters(int count) {
  constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(count) + 1);
  out.emplace_back();
  for (int i = 1; i <= count; ++i) {
    const int k = i - 1;
    if (k < 26) {
      out.emplace_back(1, kLetters[static_cast<std::size_t>(k)]);
    } else {
      const int group = k / 26 - 1;  // 0 = A, 1 = B, ...
      out.push_back(std::string{kLetters[static_cast<std::size_t>(group)],
                                kLetters[static_cast<std::size_t>(k % 26)]});
    }
  }
  return out;
}

}  // namespace kestrel
