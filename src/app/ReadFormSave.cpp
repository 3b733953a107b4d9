// The document window's save command "Сохранить".

#include <QFile>

#include "MainForm.h"
#include "ReadForm.h"
#include "Savefilec.h"
#include "Text.h"
#include "export/SaveCommand.h"

namespace kestrel::app {

namespace {

// The save command's questions, answered by the window's dialogs.
class WindowSaveUi : public output::SaveCommandUi {
 public:
  WindowSaveUi(QWidget* window, TSavefilec& selection, const AppServices& services)
      : window_(window), selection_(selection), services_(services) {}

  std::optional<output::Sections> askSections() override {
    if (selection_.exec() != QDialog::Accepted) return std::nullopt;
    return selection_.sections();
  }

  std::optional<output::SaveTarget> askTarget() override {
    const auto answer = services_.files->getSaveFileName(
        window_, FileDialogs::SaveRequest{qs(output::kSaveFilter), {}});
    if (!answer) return std::nullopt;
    return output::SaveTarget{QFile::encodeName(answer->fileName).toStdString(),
                              answer->filterIndex};
  }

  void warning(std::string_view text) override { services_.messages->warning(window_, qs(text)); }

 private:
  QWidget* window_;
  TSavefilec& selection_;
  const AppServices& services_;
};

}  // namespace

void TReadForm::N12Click() {
  // A file that cannot be written reaches the general error report with its name and reason.
  frame_.guarded(this, [this] {
    WindowSaveUi ui(this, frame_.Savefilec(), services_);
    output::N12Click(doc_, ui);
  });
}

}  // namespace kestrel::app
