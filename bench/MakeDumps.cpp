// Writes the large inputs of the benchmarks: make-dumps [--seed N] DIR.
//
// DIR/full holds every input at full size and DIR/half the same at half of every count: two PM
// dumps (dump.pm, and calls.pm where calls outnumber the rest of the user's data), each with its
// record values alone (a comparison's input), one GDFS dump in its three forms, an EEPROM image
// and a file of vCards. The same seed writes the same bytes.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/DemoDump.h"
#include "support/GdfsBuilder.h"
#include "support/PhoneRecords.h"
#include "support/PmBuilder.h"

namespace {

namespace fs = std::filesystem;
using kestrel::test::Bytes;
using kestrel::test::GdfsBuilder;
using kestrel::test::PmBuilder;

// SplitMix64: small, fast and the same on every platform, unlike the standard distributions.
class Rng {
 public:
  Rng(std::uint64_t seed, std::uint64_t stream) : state_(seed * 0x9E3779B97F4A7C15ull ^ stream) {
    next();
  }

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  int between(int low, int high) {
    return low + static_cast<int>(below(static_cast<std::size_t>(high - low + 1)));
  }
  bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
  template <typename T, std::size_t N>
  const T& pick(const std::array<T, N>& items) {
    return items[below(N)];
  }
  std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 56); }
  Bytes bytes(std::size_t n) {
    Bytes out(n);
    for (std::uint8_t& b : out)
      b = byte();
    return out;
  }

 private:
  std::uint64_t state_;
};

// How much of everything one folder holds.
struct Counts {
  int fillerBlocks = 1000;
  int contacts = 100'000;
  int calls = 100'000;
  int calendar = 20'000;
  int gdfsContacts = 160'000;
  int gdfsCalls = 160'000;
  int gdfsNotes = 80'000;
  std::size_t eepromBytes = std::size_t{64} << 20;
  int cards = 100'000;

  Counts halved() const {
    return {.fillerBlocks = fillerBlocks / 2,
            .contacts = contacts / 2,
            .calls = calls / 2,
            .calendar = calendar / 2,
            .gdfsContacts = gdfsContacts / 2,
            .gdfsCalls = gdfsCalls / 2,
            .gdfsNotes = gdfsNotes / 2,
            .eepromBytes = eepromBytes / 2,
            .cards = cards / 2};
  }
};

constexpr int kFillerRecords = 400;
constexpr std::size_t kFillerBytes = 120;

// --- Words the generated people, notes and places are made of. ---

constexpr std::array<std::u16string_view, 12> kCyrillicMen = {
    u"Иван",   u"Пётр",    u"Сергей",   u"Алексей", u"Дмитрий",  u"Андрей",
    u"Михаил", u"Николай", u"Владимир", u"Павел",   u"Григорий", u"Фёдор"};
constexpr std::array<std::u16string_view, 12> kCyrillicWomen = {
    u"Ольга",    u"Анна", u"Мария",   u"Елена", u"Наталья", u"Татьяна",
    u"Светлана", u"Юлия", u"Людмила", u"Ирина", u"Жанна",   u"Эльвира"};
// Family names in the form for men; "а" makes the form for women.
constexpr std::array<std::u16string_view, 24> kCyrillicFamily = {
    u"Иванов",   u"Петров",   u"Сидоров",  u"Смирнов", u"Кузнецов", u"Попов",
    u"Васильев", u"Соколов",  u"Михайлов", u"Новиков", u"Фёдоров",  u"Морозов",
    u"Волков",   u"Алексеев", u"Лебедев",  u"Семёнов", u"Егоров",   u"Павлов",
    u"Козлов",   u"Степанов", u"Николаев", u"Орлов",   u"Андреев",  u"Макаров"};
constexpr std::array<std::u16string_view, 16> kLatinFirst = {
    u"John", u"Anna",  u"Peter", u"Mary", u"James",  u"Linda", u"Robert", u"Susan",
    u"Mike", u"Laura", u"Kevin", u"Emma", u"Thomas", u"Julia", u"Oliver", u"Sophie"};
constexpr std::array<std::u16string_view, 16> kLatinLast = {
    u"Smith",  u"Brown",  u"Wilson", u"Taylor", u"Clarke", u"Walker", u"Wright", u"Hughes",
    u"Turner", u"Parker", u"Evans",  u"Baker",  u"Miller", u"Fisher", u"Morgan", u"Cooper"};
constexpr std::array<std::string_view, 16> kMailNames = {
    "ivanov", "petrova", "sidorov", "smirnov", "kuznetsova", "popov",  "volkov", "orlov",
    "smith",  "brown",   "wilson",  "taylor",  "walker",     "turner", "evans",  "baker"};
constexpr std::array<std::string_view, 6> kMailDomains = {"mail.ru",     "yandex.ru",  "gmail.com",
                                                          "example.com", "rambler.ru", "inbox.ru"};
constexpr std::array<std::u16string_view, 20> kWords = {
    u"встреча",   u"купить", u"позвонить", u"маме",    u"хлеб",    u"молоко",   u"отчёт",
    u"совещание", u"в",      u"офисе",     u"завтра",  u"день",    u"рождения", u"подарок",
    u"билеты",    u"на",     u"поезд",     u"Meeting", u"dentist", u"project"};
constexpr std::array<std::u16string_view, 8> kCities = {
    u"Москва", u"Санкт-Петербург", u"Новосибирск", u"Екатеринбург",
    u"Казань", u"Самара",          u"London",      u"Berlin"};
constexpr std::array<std::u16string_view, 8> kStreets = {
    u"ул. Ленина",  u"пр. Мира",    u"ул. Гагарина", u"ул. Садовая",
    u"Невский пр.", u"ул. Пушкина", u"Baker Street", u"Hauptstraße"};
constexpr std::array<std::u16string_view, 8> kCompanies = {
    u"ООО Ромашка", u"ЗАО Вектор", u"ОАО Газпром", u"ИП Сидоров",
    u"Acme Ltd",    u"Siemens AG", u"НИИ Химии",   u"Банк Зенит"};
constexpr std::array<std::u16string_view, 6> kJobs = {u"Бухгалтер", u"Инженер",  u"Директор",
                                                      u"Менеджер",  u"Engineer", u"Врач"};
constexpr std::array<std::u16string_view, 6> kGroups = {u"Семья",  u"Работа", u"Друзья",
                                                        u"Соседи", u"Спорт",  u"VIP"};

struct Person {
  std::u16string first;
  std::u16string last;
  bool cyrillic = true;
};

Person person(Rng& rng) {
  if (rng.chance(70)) {
    const bool woman = rng.chance(50);
    return {std::u16string(woman ? rng.pick(kCyrillicWomen) : rng.pick(kCyrillicMen)),
            std::u16string(rng.pick(kCyrillicFamily)) + (woman ? u"а" : u""), true};
  }
  return {std::u16string(rng.pick(kLatinFirst)), std::u16string(rng.pick(kLatinLast)), false};
}

std::string email(Rng& rng) {
  return std::string(rng.pick(kMailNames)) + std::to_string(rng.below(1000)) + "@" +
         std::string(rng.pick(kMailDomains));
}

std::u16string sentence(Rng& rng, int words) {
  std::u16string out;
  for (int w = 0; w < words; ++w) {
    if (w > 0) out += u' ';
    out += rng.pick(kWords);
  }
  return out;
}

std::u16string address(Rng& rng) {
  return std::u16string(rng.pick(kCities)) + u", " + std::u16string(rng.pick(kStreets)) + u", " +
         std::u16string(u"д. ") + std::u16string(1, static_cast<char16_t>(u'1' + rng.below(9)));
}

std::string digits(Rng& rng, int count) {
  std::string out;
  for (int k = 0; k < count; ++k)
    out += static_cast<char>('0' + rng.below(10));
  return out;
}

// A phone number as the phones keep them; `plus` allows the international "+" form.
std::string phoneNumber(Rng& rng, bool plus) {
  switch (rng.below(10)) {
    case 0:
      return "8495" + digits(rng, 7);
    case 1:
      return rng.chance(50) ? "*100#" : "0" + digits(rng, 2);
    case 2:
    case 3:
    case 4:
      return "89" + digits(rng, 9);
    default:
      return (plus ? "+79" : "79") + digits(rng, 9);
  }
}

std::string utf8(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// --- Output files. ---

class OutputFile {
 public:
  explicit OutputFile(fs::path path) : path_(std::move(path)), out_(path_, std::ios::binary) {
    if (!out_) throw std::runtime_error("cannot create " + path_.string());
  }
  void write(std::string_view bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void close() {
    out_.close();
    if (!out_) throw std::runtime_error("cannot write " + path_.string());
    std::cout << path_.string() << "  " << (fs::file_size(path_) >> 20) << " MB\n";
  }

 private:
  fs::path path_;
  std::ofstream out_;
};

// --- The PM dump. ---

// The dump and its record values: each block is written to the dump as the builder gives it,
// and the hexadecimal value of every record line to the payload, one per line.
class PmFiles {
 public:
  explicit PmFiles(const fs::path& dump) : dump_(dump), payload_(dump.string() + ".payload") {}

  void add(const PmBuilder& block) {
    const std::string text = block.text();
    dump_.write(text);
    std::string values;
    values.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
      const std::size_t end = std::min(text.find("\r\n", pos), text.size());
      const std::string_view line(text.data() + pos, end - pos);
      if (const auto eq = line.find('='); eq != std::string_view::npos && !line.starts_with('[')) {
        values += line.substr(eq + 1);
        values += '\n';
      }
      pos = end + 2;
    }
    payload_.write(values);
  }
  void close() {
    dump_.close();
    payload_.close();
  }

 private:
  OutputFile dump_;
  OutputFile payload_;
};

Bytes contactRecord(Rng& rng) {
  using namespace kestrel::test::phone;
  const Person p = person(rng);
  // Latin names are kept in either byte order, Cyrillic ones low byte first.
  const bool bigEndian = !p.cyrillic && rng.chance(50);
  const auto phoneText = [&](const std::u16string& s) {
    return bigEndian ? textBigEndian(s) : text(s);
  };
  std::vector<Bytes> fields;
  if (rng.chance(90)) {
    fields.push_back(field(7, phoneText(p.first)));
    fields.push_back(field(70, phoneText(p.last)));
  } else {
    fields.push_back(field(71, phoneText(p.last + u" " + p.first)));
  }
  const int numbers = rng.between(1, 3);
  for (int k = 0; k < numbers; ++k)
    fields.push_back(field(11, number(phoneNumber(rng, true))));
  if (rng.chance(30)) {
    const std::string mail = email(rng);
    fields.push_back(field(8, phoneText(std::u16string(mail.begin(), mail.end()))));
  }
  if (rng.chance(10)) fields.push_back(field(85, text(std::u16string(rng.pick(kCompanies)))));
  if (rng.chance(5)) fields.push_back(field(84, text(std::u16string(rng.pick(kJobs)))));
  if (rng.chance(5)) fields.push_back(field(74, Bytes{0, 0, 0, 0} + text(address(rng))));
  if (rng.chance(10))
    fields.push_back(
        field(87, birthday(rng.between(1950, 2000), rng.between(1, 12), rng.between(1, 28))));
  if (rng.chance(5)) fields.push_back(field(10, text(sentence(rng, rng.between(2, 6)))));
  if (rng.chance(20))
    fields.push_back(field(
        67, Bytes{static_cast<std::uint8_t>(rng.between(1, static_cast<int>(kGroups.size())))}));
  return fieldList(fields);
}

Bytes callRecord(Rng& rng) {
  using namespace kestrel::test::phone;
  std::vector<Bytes> fields{field(11, number(phoneNumber(rng, true)))};
  if (rng.chance(50)) {
    const Person p = person(rng);
    fields.push_back(field(7, text(p.last + u" " + p.first)));
  }
  fields.push_back(field(
      19, callTime(rng.between(2009, 2014), rng.between(1, 12), rng.between(1, 28),
                   rng.between(0, 23), rng.between(0, 59), rng.between(0, 59), rng.chance(10))));
  return fieldList(fields);
}

Bytes calendarEntry(Rng& rng) {
  using namespace kestrel::test::phone;
  const bool note = rng.chance(70);
  std::u16string title;
  if (note) {
    title = sentence(rng, rng.between(1, 6));
  } else {
    const Person p = person(rng);
    title = p.last + u" " + p.first;
  }
  return calendarRecord({.year = rng.between(2008, 2014),
                         .month = rng.between(1, 12),
                         .day = rng.between(1, 28),
                         .note = note,
                         .birthYear = rng.between(1950, 2000),
                         .bigEndianYears = rng.chance(10),
                         .shifted = rng.chance(20),
                         .skip = rng.chance(10) ? rng.between(1, 2) : 0,
                         .title = title});
}

void writePm(const fs::path& dump, const Counts& counts, Rng rng) {
  PmFiles files(dump);
  {
    PmBuilder b;
    const std::string serial = digits(rng, 10);
    const std::string imei = "35" + digits(rng, 13);
    addInformationBlocks(b, serial, imei);
    files.add(b);
  }
  // The user's data, in the blocks the phone keeps it in.
  const auto userBlock = [&](int number, int count, auto record) {
    PmBuilder b;
    b.block(number);
    for (int i = 0; i < count; ++i)
      b.record(i, record(rng));
    b.blankLine();
    files.add(b);
  };
  userBlock(51, counts.calendar, calendarEntry);
  userBlock(58, counts.contacts, contactRecord);
  userBlock(59, counts.calls * 2 / 5, callRecord);
  userBlock(60, counts.calls / 5, callRecord);
  userBlock(61, counts.calls - counts.calls * 2 / 5 - counts.calls / 5, callRecord);

  // The phone's other blocks, of records nothing decodes, with the caller groups among them.
  constexpr int kGroupBlock = 314;
  int number = 100;
  for (int k = 0; k < counts.fillerBlocks; ++k, ++number) {
    if (number == kGroupBlock) {
      PmBuilder b;
      b.block(kGroupBlock);
      for (std::size_t g = 0; g < kGroups.size(); ++g) {
        using namespace kestrel::test::phone;
        b.record(static_cast<int>(g),
                 fieldList({field(7, groupName(text(std::u16string(kGroups[g]))))}));
      }
      b.blankLine();
      files.add(b);
      ++number;
    }
    PmBuilder b;
    b.block(number);
    for (int r = 0; r < kFillerRecords; ++r)
      b.record(r, rng.bytes(kFillerBytes));
    b.blankLine();
    files.add(b);
  }
  files.close();
}

// --- The GDFS dump. ---

std::uint32_t phoneTime(Rng& rng) {
  return 1'200'000'000u + static_cast<std::uint32_t>(rng.below(200'000'000));
}

Bytes gdfsContact(Rng& rng) {
  using namespace kestrel::test::gdfs_bytes;
  const Person p = person(rng);
  std::vector<Bytes> fields{textField(p.first), textField(p.last)};
  const int numbers = rng.between(1, 3);
  for (int k = 0; k < numbers; ++k)
    fields.push_back(numberField(phoneNumber(rng, false)));
  std::uint8_t presence11 = 0;
  std::uint8_t presence12 = 0;
  std::uint8_t presence13 = 0;
  // The presence bits tell where the texts after the name go, in the order the phone keeps
  // them: e-mail or web site, then company, job title, address and notes.
  if (rng.chance(30)) {
    presence13 |= 0x08;
    fields.push_back(plainField(email(rng)));
  } else if (rng.chance(3)) {
    presence12 |= 0x20;
    fields.push_back(plainField("www." + std::string(rng.pick(kMailDomains))));
  }
  if (rng.chance(10))
    fields.push_back(birthday(rng.between(1, 28), rng.between(1, 12), rng.between(1950, 2000)));
  if (rng.chance(15)) {
    presence11 |= 0x04;
    fields.push_back(textField(rng.pick(kCompanies)));
  }
  if (rng.chance(5)) {
    presence11 |= 0x08;
    fields.push_back(textField(rng.pick(kJobs)));
  }
  if (rng.chance(5)) {
    presence11 |= 0x20;
    fields.push_back(textField(address(rng)));
  }
  if (rng.chance(5)) {
    presence13 |= 0x04;
    fields.push_back(textField(sentence(rng, rng.between(2, 6))));
  }
  return contact(presence11, presence12, presence13, fields);
}

Bytes gdfsCall(Rng& rng) {
  using namespace kestrel::test::gdfs_bytes;
  std::vector<Bytes> fields{numberField(phoneNumber(rng, false), 0x20)};
  if (rng.chance(30)) {
    const Person p = person(rng);
    fields.push_back(textField(p.first + u" " + p.last));
  }
  return call(static_cast<std::uint8_t>(rng.below(3)), phoneTime(rng), fields);
}

Bytes gdfsNote(Rng& rng) {
  using namespace kestrel::test::gdfs_bytes;
  const std::u16string text = sentence(rng, rng.between(1, 8));
  const auto count = static_cast<std::uint8_t>(text.size());
  switch (rng.below(10)) {
    case 0:
    case 1:
    case 2:
      return event(utf16le(text), count, phoneTime(rng));
    case 3:
    case 4:
    case 5:
      return eventWithTexts({text, sentence(rng, 3), std::u16string(rng.pick(kCities)), u"конец"},
                            phoneTime(rng));
    default:
      return note(utf16le(text), count, phoneTime(rng));
  }
}

void writeGdfs(const fs::path& folder, const Counts& counts, std::uint64_t seed) {
  Rng rng(seed, 2);
  GdfsBuilder b;
  const auto text = [](const std::string& s) {
    Bytes out(s.begin(), s.end());
    out.push_back(0);
    return out;
  };
  b.record(8, 52, text("35" + digits(rng, 13)));
  b.record(12, 188, text("V 05.20"));
  b.record(13, 187, text("Kestrel Bench K1"));
  b.record(14, 21, text("V 20.0.011 12-01-09"));
  b.record(14, 22, text("Bench platform"));
  // Contacts in blocks 20 to 27, notes and events in 28 and 29, calls in 30 to 37; a record
  // number is one byte and repeats within a block.
  const auto spread = [&](int firstBlock, int blocks, int count, auto record) {
    for (int i = 0; i < count; ++i)
      b.record(firstBlock + i * blocks / count, i % 256, record(rng));
  };
  spread(20, 8, counts.gdfsContacts, gdfsContact);
  spread(28, 2, counts.gdfsNotes, gdfsNote);
  spread(30, 8, counts.gdfsCalls, gdfsCall);
  for (const std::string& ending : GdfsBuilder::endings()) {
    OutputFile out(folder / ("dump" + ending));
    out.write(b.form(ending));
    out.close();
  }
}

// --- The EEPROM image. ---

// Two-byte text, high byte first, as the phone's EEPROM keeps it.
void appendBigEndian(std::string& out, std::u16string_view text) {
  for (const char16_t c : text) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
}

void writeEeprom(const fs::path& folder, const Counts& counts, std::uint64_t seed) {
  Rng rng(seed, 3);
  OutputFile out(folder / "eeprom.img");
  std::string chunk;
  std::size_t written = 0;
  const auto randomBytes = [&](std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
      chunk += static_cast<char>(rng.byte());
  };
  while (written < counts.eepromBytes) {
    switch (rng.below(20)) {
      case 0:
      case 1:
      case 2:
      case 3:
      case 4:
      case 5:
      case 6:
      case 7:
      case 8:
      case 9: {
        // A record: block number, an unused byte, the length from the marker on, the marker.
        std::string payload;
        if (rng.chance(50)) {
          const Person p = person(rng);
          appendBigEndian(payload, p.last + u" " + p.first);
          payload += std::string(2, '\0');
        }
        for (std::size_t k = rng.below(200) + 8; k > 0; --k)
          payload += static_cast<char>(rng.byte());
        const std::size_t length = 4 + payload.size();
        chunk += static_cast<char>(rng.between(1, 40));
        chunk += '\0';
        chunk += static_cast<char>(length & 0xFF);
        chunk += static_cast<char>(length >> 8);
        chunk += rng.chance(50) ? "4321" : "1234";
        chunk += payload;
        break;
      }
      case 10:
      case 11:
      case 12:
      case 13: {
        // A run of text: words of two-byte characters, a 0 character after it.
        appendBigEndian(chunk, sentence(rng, rng.between(1, 5)));
        chunk += std::string(2, '\0');
        break;
      }
      case 14:
        // Erased memory.
        chunk += std::string(rng.below(960) + 64, '\xFF');
        break;
      default:
        randomBytes(rng.below(1000) + 16);
        break;
    }
    if (chunk.size() >= (std::size_t{1} << 20) || written + chunk.size() >= counts.eepromBytes) {
      chunk.resize(std::min(chunk.size(), counts.eepromBytes - written));
      out.write(chunk);
      written += chunk.size();
      chunk.clear();
    }
  }
  out.close();
}

// --- The vCard file. ---

// Quoted-printable of UTF-8 text, every byte outside printable ASCII as "=XX"; soft breaks keep
// the physical lines at most 76 characters long, counting from `used` characters already on the
// first one.
std::string quotedPrintable(std::string_view text, std::size_t used) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  std::size_t column = used;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = c >= 32 && c < 127 && c != '=';
    const std::size_t width = plain ? 1 : 3;
    if (column + width > 75) {
      out += "=\r\n";
      column = 0;
    }
    if (plain) {
      out += ch;
    } else {
      out += '=';
      out += kDigits[c >> 4];
      out += kDigits[c & 0x0F];
    }
    column += width;
  }
  return out;
}

// A vCard 3.0 line folded at 75 bytes (a line break and a space), never inside a character.
std::string folded(const std::string& line) {
  std::string out;
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.size();) {
    std::size_t n = 1;
    while (i + n < line.size() && (static_cast<unsigned char>(line[i + n]) & 0xC0) == 0x80)
      ++n;
    if (column + n > 75) {
      out += "\r\n ";
      column = 1;
    }
    out.append(line, i, n);
    column += n;
    i += n;
  }
  return out + "\r\n";
}

std::string card21(Rng& rng) {
  const Person p = person(rng);
  std::string out = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
  const auto textLine = [&](std::string_view name, std::u16string_view value) {
    if (!p.cyrillic && rng.chance(80)) {
      out += std::string(name) + ":" + utf8(value) + "\r\n";
      return;
    }
    const std::string head = std::string(name) + ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
    out += head + quotedPrintable(utf8(value), head.size()) + "\r\n";
  };
  textLine("N", p.last + u";" + p.first + u";;;");
  textLine("FN", p.first + u" " + p.last);
  static constexpr std::array<std::string_view, 4> kTypes = {"CELL", "HOME", "WORK", "CELL;PREF"};
  for (int k = rng.between(1, 3); k > 0; --k)
    out += "TEL;" + std::string(rng.pick(kTypes)) + ":" + phoneNumber(rng, true) + "\r\n";
  if (rng.chance(30)) out += "EMAIL;INTERNET:" + email(rng) + "\r\n";
  if (rng.chance(20)) {
    textLine("ADR;HOME", u";;" + std::u16string(rng.pick(kStreets)) + u";" +
                             std::u16string(rng.pick(kCities)) + u";;" + u"1234" +
                             std::u16string(1, static_cast<char16_t>(u'0' + rng.below(10))) +
                             u";Россия");
  }
  if (rng.chance(15)) textLine("NOTE", sentence(rng, rng.between(4, 20)));
  return out + "END:VCARD\r\n";
}

std::string card30(Rng& rng) {
  const Person p = person(rng);
  std::string out = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
  out += folded("N:" + utf8(p.last) + ";" + utf8(p.first) + ";;;");
  out += folded("FN:" + utf8(p.first) + " " + utf8(p.last));
  static constexpr std::array<std::string_view, 4> kTypes = {"TYPE=CELL", "TYPE=HOME", "TYPE=WORK",
                                                             "TYPE=CELL,PREF"};
  for (int k = rng.between(1, 3); k > 0; --k)
    out += "TEL;" + std::string(rng.pick(kTypes)) + ":" + phoneNumber(rng, true) + "\r\n";
  if (rng.chance(30)) out += "EMAIL;TYPE=INTERNET:" + email(rng) + "\r\n";
  if (rng.chance(20)) {
    out += folded("ADR;TYPE=HOME:;;" + utf8(rng.pick(kStreets)) + ";" + utf8(rng.pick(kCities)) +
                  ";;1234" + std::to_string(rng.below(10)) + ";" + utf8(u"Россия"));
  }
  if (rng.chance(15)) out += folded("NOTE:" + utf8(sentence(rng, rng.between(4, 20))));
  return out + "END:VCARD\r\n";
}

void writeVcards(const fs::path& folder, const Counts& counts, std::uint64_t seed) {
  Rng rng(seed, 4);
  OutputFile out(folder / "cards.vcf");
  std::string chunk;
  for (int i = 0; i < counts.cards; ++i) {
    chunk += rng.chance(50) ? card21(rng) : card30(rng);
    if (chunk.size() >= (std::size_t{1} << 20)) {
      out.write(chunk);
      chunk.clear();
    }
  }
  out.write(chunk);
  out.close();
}

void writeFolder(const fs::path& folder, const Counts& counts, std::uint64_t seed) {
  fs::create_directories(folder);
  writePm(folder / "dump.pm", counts, Rng(seed, 1));
  // The same blocks with three times the calls: the decoder's share of the load grows.
  Counts callsDominate = counts;
  callsDominate.calls *= 3;
  writePm(folder / "calls.pm", callsDominate, Rng(seed, 5));
  writeGdfs(folder, counts, seed);
  writeEeprom(folder, counts, seed);
  writeVcards(folder, counts, seed);
}

int usage() {
  std::cerr << "usage: make-dumps [--seed N] DIR\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t seed = 1;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--seed" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
      if (ec != std::errc() || end != value.data() + value.size()) return usage();
    } else if (dir.empty() && !arg.starts_with("-")) {
      dir = arg;
    } else {
      return usage();
    }
  }
  if (dir.empty()) return usage();
  try {
    const Counts full;
    writeFolder(fs::path(dir) / "full", full, seed);
    writeFolder(fs::path(dir) / "half", full.halved(), seed);
  } catch (const std::exception& e) {
    std::cerr << "make-dumps: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
