#pragma once

namespace kestrel::output {

// Which tables a report holds: the boxes ticked in the save or print selection dialog.
struct TableChoice {
  bool phonebook = false;  // "Записная книжка"
  bool calls = false;      // "Вызовы"
  bool calendar = false;   // "Календарь"
};

}  // namespace kestrel::output
