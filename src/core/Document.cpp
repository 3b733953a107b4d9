#include "core/Document.h"

#include "core/Cp1251.h"
#include "core/Kinds.h"
#include "core/Progress.h"

#include <utility>

namespace kestrel {

namespace {

ResultTable::Column col(std::string_view caption, int width) {
  return {std::string(caption), width};
}

}  // namespace

DocumentData::DocumentData()
    : caption("Kestrel"),
      information("Информация"_cp, {col("Name", 150), col("Value", 150)}),
      phonebook("Зап. Книжка"_cp,
                {col("N п/п"_cp, 50), col("ФИО"_cp, 100), col("Номера"_cp, 130),
                 col("Организация"_cp, 100), col("Адрес"_cp, 50), col("Группа"_cp, 50),
                 col("EMAIL", 50), col("День рожд."_cp, 50), col("Заметки"_cp, 50),
                 col("Псевдоним"_cp, 50), col("Офиц. Имя"_cp, 50), col("Должность"_cp, 50),
                 col("Адрес PTT"_cp, 50), col("Сайт"_cp, 50)}),
      calls("Вызовы"_cp, {col("N п/п"_cp, 50), col("Статус"_cp, 50), col("Номер"_cp, 130),
                          col("ФИО"_cp, 200), col("Дата"_cp, 100)}),
      calendar("Календарь"_cp, {col("N п/п"_cp, 50), col("Дата"_cp, 100), col("Тип"_cp, 60),
                                col("Название"_cp, 100), col("Текст"_cp, 300)}) {
  setNewDocumentWidths();
}

void DocumentData::setNewDocumentWidths() {
  // A new document shows only the running number of the phonebook and the call log; a reader
  // gives a column its width when it puts data into it.
  phonebook.hideColumnsFrom(1);
  calls.hideColumnsFrom(1);
}

void DocumentData::resetForLoad() {
  for (ResultTable* table : shownTables())
    table->reset();
  setNewDocumentWidths();
  sourceFiles.clear();
  sourceDigests.clear();
  pmSections.clear();
  model.clear();
}

void DocumentData::swapData(DocumentData& other) noexcept {
  using std::swap;
  swap(caption, other.caption);
  information.swap(other.information);
  phonebook.swap(other.phonebook);
  calls.swap(other.calls);
  calendar.swap(other.calendar);
  swap(sourceFiles, other.sourceFiles);
  swap(sourceDigests, other.sourceDigests);
  pmSections.swap(other.pmSections);
  swap(model, other.model);
  swap(memo, other.memo);
}

Document::Document() = default;

Document::TableUpdate::TableUpdate(Document& doc) : doc_(doc) {
  if (doc_.tableUpdateDepth_++ == 0 && doc_.view_) doc_.view_->tablesAboutToChange();
}

Document::TableUpdate::~TableUpdate() {
  if (--doc_.tableUpdateDepth_ == 0 && doc_.view_) doc_.view_->tablesChanged();
}

void DocumentData::addPresenceRow(InformationCaption caption, bool present) {
  addInformationRow(information, caption, std::string(presenceText(present)));
}

Document::~Document() = default;

void Document::setStatus(std::string_view text) {
  status_ = text;
  if (view_) view_->statusChanged(status_);
}

void Document::setProgressMaximum(int maximum) {
  progressMaximum_ = maximum;
  if (view_) view_->progressMaximumChanged(maximum);
}

void Document::setProgressPosition(int position) {
  progressPosition_ = position;
  if (view_) view_->progressPositionChanged(position);
}

void Document::setDataCommandsEnabled(bool enabled) {
  exportToExcelEnabled_ = enabled;
  saveEnabled_ = enabled;
  if (view_) view_->commandsChanged();
}

void Document::setSavePmEnabled(bool enabled) {
  savePmEnabled_ = enabled;
  if (view_) view_->commandsChanged();
}

void Document::pmSectionsChanged() {
  if (view_) view_->pmSectionsChanged();
}

void Document::showMessage(std::string_view text) {
  if (view_) view_->showMessage(text);
}

void Document::showFileError(const IoError& cause, std::string_view readFailureMessage) {
  if (view_) view_->showFileError(cause, readFailureMessage);
}

Progress progressOf(Document& doc) {
  return {[&doc](std::string_view text) { doc.setStatus(text); },
          [&doc](int maximum) { doc.setProgressMaximum(maximum); },
          [&doc](int position) { doc.setProgressPosition(position); }};
}

}  // namespace kestrel
