#pragma once
// The About box: credits, and links to the pages of the program's site opened in the desktop's
// registered browser.

#include <QDialog>
#include <QHash>
#include <QString>

class QLabel;
class QPushButton;

namespace kestrel::app {

class Desktop;

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  // The program's home page, a forum; the credited persons' addresses are member pages of it.
  static constexpr const char* kHomePage = "https://kestrel.example.org/forum/";
  static constexpr const char* kPersonPages[3] = {
      "https://kestrel.example.org/forum/member.php?u=2",
      "https://kestrel.example.org/forum/member.php?u=5",
      "https://kestrel.example.org/forum/member.php?u=11",
  };
  // Where the picture is kept among the program's resources.
  static constexpr const char* kPictureResource = ":/about/kestrel-about.jpg";

  explicit AboutDialog(Desktop& desktop, QWidget* parent = nullptr);

  // Opens the address in the program registered for HTML pages, started with the arguments its
  // command line gives it and the address in place of its field code. The registration is read
  // afresh on every call; when there is none, or it names no program, nothing opens. Nothing is
  // reported either way.
  void openUrl(const QString& address);

  QWidget* panel() const { return panel_; }
  QLabel* picture() const { return picture_; }
  QPushButton* okButton() const { return ok_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* addLabel(const QString& objectName, const QString& text, QPoint at, int pixelHeight);

  Desktop& desktop_;
  QWidget* panel_ = nullptr;
  QLabel* picture_ = nullptr;
  QPushButton* ok_ = nullptr;
  QHash<QObject*, QString> links_;  // the clickable elements and the addresses they open
};

}  // namespace kestrel::app
