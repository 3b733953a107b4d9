#include "core/PhoneLines.h"

#include <cstddef>

namespace kestrel {

namespace {

constexpr std::size_t kLineDigits = 10;
// No number in the world's plan is longer.
constexpr std::size_t kMostDigits = 15;

bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Characters that only lay a number out.
bool isLayout(char c) {
  return isBlank(c) || c == '-' || c == '.' || c == '(' || c == ')';
}

// What a blank-free piece of a cell is, for joining the pieces of one number.
struct Piece {
  std::string_view text;
  std::size_t digits = 0;
  bool plainDigits = false;  // digits and layout only, at least one digit
  bool canStart = false;     // may begin a number written in groups
};

Piece pieceOf(std::string_view text) {
  Piece piece{text};
  bool other = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (isDigit(c))
      ++piece.digits;
    else if (!isLayout(c) && !(c == '+' && i == 0))
      other = true;
  }
  const bool plus = text.front() == '+';
  piece.plainDigits = !other && !plus && piece.digits > 0;
  piece.canStart = !other && piece.digits > 0 && piece.digits < kLineDigits &&
                   (plus || text.front() == '(' || piece.digits <= 4);
  return piece;
}

// The piece of the cell that starts at or after `at`, or an empty one at the end; `at` moves
// behind it.
Piece nextPiece(std::string_view cell, std::size_t& at) {
  while (at < cell.size() && isBlank(cell[at]))
    ++at;
  const std::size_t begin = at;
  while (at < cell.size() && !isBlank(cell[at]))
    ++at;
  if (begin == at) return {};
  return pieceOf(cell.substr(begin, at - begin));
}

// Whether the groups from `at` on make a number of a whole line by themselves, joined as
// nextPhonebookNumber joins them.
bool startsALine(std::string_view cell, std::size_t at) {
  const Piece first = nextPiece(cell, at);
  if (first.text.empty() || !first.canStart) return false;
  std::size_t digits = first.digits;
  while (digits < kLineDigits) {
    const Piece piece = nextPiece(cell, at);
    if (!piece.plainDigits || piece.digits > 8 || digits + piece.digits > kMostDigits) return false;
    digits += piece.digits;
  }
  return true;
}

}  // namespace

std::string_view nextPhonebookNumber(std::string_view cell, std::size_t& at) {
  const Piece first = nextPiece(cell, at);
  if (first.text.empty() || !first.canStart) return first.text;
  // Groups join while the number is short of a line, and short groups after that
  // ("+380 44 123 45 67") unless they begin the next number ("8 (495) 123-45-67"), never beyond
  // the longest number there is.
  std::size_t digits = first.digits;
  std::size_t joinedDigits = digits;
  std::size_t joinedEnd = at;
  for (std::size_t next = at;;) {
    const std::size_t before = next;
    const Piece piece = nextPiece(cell, next);
    if (!piece.plainDigits || piece.digits > 8 || digits + piece.digits > kMostDigits) break;
    if (digits >= kLineDigits && (piece.digits > 2 || startsALine(cell, before))) break;
    digits += piece.digits;
    if (digits >= kLineDigits) {
      joinedDigits = digits;
      joinedEnd = next;
    }
  }
  if (joinedDigits < kLineDigits) return first.text;
  at = joinedEnd;
  const std::size_t begin = static_cast<std::size_t>(first.text.data() - cell.data());
  return cell.substr(begin, joinedEnd - begin);
}

void phoneLineKeyInto(std::string_view number, std::string& key) {
  key.clear();
  std::size_t digits = 0;
  bool text = false;
  for (const char c : number) {
    if (isLayout(c)) continue;
    if (isDigit(c))
      ++digits;
    else if (c != '+' || !key.empty())
      text = true;
    key += c;
  }
  if (digits == 0) {
    key.clear();
  } else if (!text && digits >= kLineDigits) {
    key.erase(0, key.size() - kLineDigits);
  }
}

std::string phoneLineKey(std::string_view number) {
  std::string key;
  phoneLineKeyInto(number, key);
  return key;
}

bool isSamePhoneLine(std::string_view a, std::string_view b) {
  const std::string key = phoneLineKey(a);
  return !key.empty() && key == phoneLineKey(b);
}

std::vector<std::string_view> phonebookNumbers(std::string_view cell) {
  std::vector<std::string_view> numbers;
  std::size_t at = 0;
  for (std::string_view n = nextPhonebookNumber(cell, at); !n.empty();
       n = nextPhonebookNumber(cell, at))
    numbers.push_back(n);
  return numbers;
}

std::string_view firstNumberOf(std::string_view cell) {
  std::size_t at = 0;
  return nextPhonebookNumber(cell, at);
}

}  // namespace kestrel
