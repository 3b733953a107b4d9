#pragma once
// "Найти во всех документах": a panel of the frame with one field and the cells every open
// document holds of its text. A double click or Enter on a result brings its document to the
// front with the tab and the row shown.

#include <QDockWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace kestrel::app {

class FoundCellsModel;
class MainWindow;

class FindAllPanel : public QDockWidget {
  Q_OBJECT
 public:
  explicit FindAllPanel(MainWindow& frame);

  // Ctrl+Shift+F: the panel shown and its field ready for typing.
  void start();
  // Searches every open document for the field's text.
  void search();
  // Shows the found cell of a row of the results in its document.
  void showFound(int row);

  QLineEdit* field() const { return field_; }
  QTableView* results() const { return results_; }
  QLabel* summary() const { return summary_; }
  FoundCellsModel& model() const { return *model_; }

 private:
  void showSummary();

  MainWindow& frame_;
  QLineEdit* field_ = nullptr;
  QTableView* results_ = nullptr;
  QLabel* summary_ = nullptr;
  FoundCellsModel* model_ = nullptr;
  bool searched_ = false;
};

}  // namespace kestrel::app
