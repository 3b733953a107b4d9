#pragma once

namespace kestrel::output {

// The sections ticked in the save or print selection dialog.
struct Sections {
  bool phonebook = false;  // "Записная книжка"
  bool calls = false;      // "Вызовы"
  bool calendar = false;   // "Календарь"
};

}  // namespace kestrel::output
