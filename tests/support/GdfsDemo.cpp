#include "support/GdfsBuilder.h"

namespace kestrel::test {

namespace {

Bytes text(std::string_view s) {
  Bytes out(s.begin(), s.end());
  out.push_back(0);
  return out;
}

}  // namespace

GdfsBuilder demoDump() {
  using namespace gdfs_bytes;
  GdfsBuilder b;
  // Calls first and information last: the blocks still come out in ascending number.
  b.record(30, 0, call(1, 1234567890, {numberField("89161234567", 0x20)}));
  b.record(30, 1, call(0, 1234600000, {numberField("4951112233", 0x20)}));
  b.record(30, 2,
           call(2, 1234700000,
                {numberField("123", 0x20), textField(u"Anna"), numberField("*100#", 0x20)}));
  b.record(20, 0,
           contact(0x04, 0x00, 0x08,
                   {textField(u"Иван"), textField(u"Петров"), numberField("89161234567"),
                    plainField("ivan@example.com"), birthday(15, 3, 1990),
                    textField(u"Рога и копыта")}));
  b.record(20, 1,
           contact(0x08, 0x20, 0x04,
                   {textField(u"Anna"), textField(u"Smith"), numberField("1234"),
                    numberField("5678"), plainField("www.example.org"), textField(u"Engineer"),
                    textField(u"Call after six")}));
  b.record(25, 0, note(utf16le(u"Купить хлеб"), 11, 1300000000));
  b.record(25, 1, event(utf16le(u"Встреча"), 7, 1300100000));
  b.record(25, 2, eventWithTexts({u"Отпуск", u"Море и солнце", u"Билеты", u"конец"}, 1300200000));
  b.record(8, 52, text("356938035643809"));
  b.record(12, 188, text("V 05.20"));
  b.record(13, 187, text("Kestrel Demo K1"));
  b.record(14, 21, text("V 20.0.011 12-01-09"));
  b.record(14, 22, text("Demo platform"));
  b.record(14, 40, text("not an information record"));
  return b;
}

}  // namespace kestrel::test
