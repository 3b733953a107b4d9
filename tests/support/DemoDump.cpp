#include "support/DemoDump.h"

#include "support/PhoneRecords.h"
#include "support/PmBuilder.h"

namespace kestrel::test {

namespace {

using namespace phone;

// An information value: the text, then the 0 byte the phone ends it with.
Bytes info(const std::string& s) {
  Bytes out(s.begin(), s.end());
  out.push_back(0x00);
  return out;
}

}  // namespace

void addInformationBlocks(PmBuilder& pm, const std::string& serial, const std::string& imei) {
  pm.block(4)
      .record(3, info(serial))
      .record(4, info("0512345"))
      .record(5, info("0500001"))
      .record(6, info("0201234"))
      .record(9, info("1000"))
      .record(18, info(imei))
      .blankLine()
      .block(31)
      .record(4, info("DSP 3.10"))
      .blankLine()
      .block(35)
      .record(0, info("0"))
      .blankLine();
}

std::string demoPmText() {
  PmBuilder pm;
  addInformationBlocks(pm, "0123456789", "353456789012345");

  pm.block(51)
      .record(0, calendarRecord({.year = 2012, .month = 3, .day = 8, .title = u"Купить цветы"}))
      .record(1, calendarRecord({.year = 2012,
                                 .month = 4,
                                 .day = 12,
                                 .note = false,
                                 .birthYear = 1975,
                                 .title = u"Иванов Иван"}))
      .record(2, calendarRecord({.year = 2012,
                                 .month = 5,
                                 .day = 21,
                                 .shifted = true,
                                 .skip = 1,
                                 .title = u"Meeting at 15:00"}))
      .record(3, calendarRecord({.year = 2012,
                                 .month = 9,
                                 .day = 30,
                                 .note = false,
                                 .birthYear = 1982,
                                 .bigEndianYears = true,
                                 .title = u"Петрова Анна"}))
      .blankLine();

  pm.block(58)
      .record(0, fieldList({field(7, text(u"Иван")), field(70, text(u"Иванов")),
                            field(11, number("+79161234567")), field(11, number("84951234567")),
                            field(8, text(u"ivanov@mail.ru")), field(87, birthday(1975, 4, 12)),
                            field(67, Bytes{1})}))
      .record(1, fieldList({field(7, text(u"Анна")), field(70, text(u"Петрова")),
                            field(11, number("+79031234567")), field(85, text(u"ООО Ромашка")),
                            field(84, text(u"Бухгалтер")), field(67, Bytes{2}),
                            field(10, text(u"Звонить после 18:00"))}))
      .record(2, fieldList({field(7, textBigEndian(u"Smith")), field(70, textBigEndian(u"John")),
                            field(11, number("+447700900123")),
                            field(8, textBigEndian(u"john.smith@example.com")),
                            field(44, textBigEndian(u"www.example.com")), field(67, Bytes{3})}))
      .record(3, fieldList({field(71, text(u"Сидоров Пётр")), field(86, text(u"Петя")),
                            field(11, number("89267654321")),
                            field(74, Bytes{0, 0, 0, 0} + text(u"Москва, ул. Ленина, 1")),
                            field(67, Bytes{3})}))
      .record(4, fieldList({field(7, text(u"Баланс")), field(11, number("*100#"))}))
      .blankLine();

  pm.block(59)
      .record(0, fieldList({field(11, number("+79031234567")), field(7, text(u"Петрова Анна")),
                            field(19, callTime(2012, 3, 15, 9, 30, 0))}))
      .record(1, fieldList({field(11, number("+447700900123")), field(7, text(u"John Smith")),
                            field(19, callTime(2012, 3, 16, 18, 5, 42))}))
      .blankLine();
  pm.block(60)
      .record(0, fieldList({field(11, number("+79265554433")),
                            field(19, callTime(2012, 3, 17, 7, 45, 3))}))
      .blankLine();
  pm.block(61)
      .record(0, fieldList({field(11, number("+79161234567")), field(7, text(u"Иванов Иван")),
                            field(19, callTime(2012, 3, 18, 20, 1, 9, true))}))
      .record(1, fieldList({field(11, number("89267654321")), field(7, text(u"Сидоров Петр")),
                            field(19, callTime(2012, 3, 19, 12, 0, 30))}))
      .blankLine();

  pm.block(314)
      .record(0, fieldList({field(7, groupName(text(u"Семья")))}))
      .record(1, fieldList({field(7, groupName(text(u"Работа")))}))
      .record(2, fieldList({field(7, groupName(text(u"Друзья")))}));
  return pm.text();
}

}  // namespace kestrel::test
