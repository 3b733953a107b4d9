#include "core/ColumnLetters.h"

#include <algorithm>
#include <string_view>

namespace kestrel {

std::vector<std::string> makeColumnLetters(int count) {
  constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(std::max(count, 0)) + 1);
  out.emplace_back();
  for (int i = 1; i <= count; ++i) {
    // Letters as digits 1 to 26, with no zero: Z, AA, ZZ, AAA, ...
    std::string name;
    for (int n = i; n > 0; n = (n - 1) / 26)
      name.insert(name.begin(), kLetters[static_cast<std::size_t>((n - 1) % 26)]);
    out.push_back(std::move(name));
  }
  return out;
}

}  // namespace kestrel
