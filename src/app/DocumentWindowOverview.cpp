// The document window's overview page and the way from a line of it to that line's calls.

#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>

#include "DocumentWindow.h"
#include "OverviewPage.h"
#include "TableFilterModel.h"
#include "Text.h"
#include "core/Overview.h"

namespace kestrel::app {

void DocumentWindow::buildOverviewPage() {
  overview_ = new OverviewPage(frame_);
  overview_->setObjectName(QStringLiteral("overview"));
  overviewPage_ = tabs_->addTab(overview_, QStringLiteral("Обзор"));
  tabs_->setTabVisible(overviewPage_, false);
  connect(overview_, &OverviewPage::lineChosen, this, &DocumentWindow::showCallsOfLine);
}

void DocumentWindow::waitForOverview() {
  if (overviewBuilding_.joinable()) overviewBuilding_.join();
}

void DocumentWindow::rebuildOverview() {
  waitForOverview();
  const int generation = ++overviewGeneration_;
  const bool shown = !isReading() && hasOverview(doc_);
  tabs_->setTabVisible(overviewPage_, shown);
  if (!shown) return;
  overview_->showBuilding();
  // Hundreds of thousands of calls take a while: the window's thread goes on meanwhile. The
  // document's tables stay as they are until the build is waited for (tablesAboutToChange).
  overviewBuilding_ = std::jthread([this, generation] {
    auto built = std::make_shared<const Overview>(buildOverview(doc_));
    QMetaObject::invokeMethod(
        this,
        [this, generation, built = std::move(built)] {
          if (generation != overviewGeneration_) return;
          overview_->showOverview(built);
          emit overviewBuilt();
        },
        Qt::QueuedConnection);
  });
}

void DocumentWindow::showCallsOfLine(std::size_t line) {
  const Overview* overview = overview_->overview();
  QTableView* calls = view(doc_.calls);
  QLineEdit* filter = filterField(doc_.calls);
  if (overview == nullptr || line >= overview->numbers.size() || calls == nullptr ||
      filter == nullptr)
    return;
  const NumberSummary& summary = overview->numbers[line];
  filter->setText(toQString(summary.number));
  const std::span<const std::size_t> rows = overview->callRows(summary);
  static_cast<TableFilterModel*>(calls->model())
      ->setRowFilter(filter->text(), {rows.begin(), rows.end()});
  tabs_->setCurrentWidget(calls->parentWidget());
}

}  // namespace kestrel::app
