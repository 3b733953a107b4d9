// The document window's save command "Сохранить".

#include <QFile>

#include "DocumentWindow.h"
#include "FrameServices.h"
#include "SaveSectionsDialog.h"
#include "Text.h"
#include "export/SaveCommand.h"

namespace kestrel::app {

namespace {

// The save command's questions, answered by the window's dialogs.
class WindowSaveUi : public output::SaveCommandUi {
 public:
  WindowSaveUi(QWidget* window, SaveSectionsDialog& selection, const AppServices& services)
      : window_(window), selection_(selection), services_(services) {}

  std::optional<output::TableChoice> askTableChoice() override {
    if (!services_.dialogs->run(selection_)) return std::nullopt;
    return selection_.tableChoice();
  }

  std::optional<output::SaveTarget> askTarget() override {
    const auto answer = services_.files->getSaveFileName(
        window_, FileDialogs::SaveRequest{toQString(output::saveFilter()), {}});
    if (!answer) return std::nullopt;
    return output::SaveTarget{QFile::encodeName(answer->fileName).toStdString(),
                              answer->filterIndex};
  }

  void warning(std::string_view text) override {
    services_.messages->warning(window_, toQString(text));
  }

  bool confirmReplace(const std::string& fileName) override {
    return services_.messages->confirmReplace(
        window_, QFile::decodeName(QByteArray::fromStdString(fileName)));
  }

 private:
  QWidget* window_;
  SaveSectionsDialog& selection_;
  const AppServices& services_;
};

}  // namespace

void DocumentWindow::save() {
  // A file that cannot be written reaches the general error report with its name and reason.
  frame_.runReportingErrors(this, [this] {
    WindowSaveUi ui(this, frame_.saveSectionsDialog(), services_);
    output::runSave(doc_, ui);
  });
}

}  // namespace kestrel::app
