#include "AboutDialog.h"

#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

#include "Dialogs.h"
#include "JpegImage.h"
#include "WindowManagerHints.h"
#include "core/ProgramCommand.h"

namespace kestrel::app {
namespace {

constexpr QSize kPanelSize(201, 281);
constexpr QSize kPictureSize(150, 45);

QFont boldFont(int pixelHeight) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelHeight);
  font.setBold(true);
  return font;
}

QImage aboutPicture() {
  QFile file(QString::fromLatin1(AboutDialog::kPictureResource));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return decodeJpeg(file.readAll()).image;
}

}  // namespace

AboutDialog::AboutDialog(Desktop& desktop, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      desktop_(desktop) {
  setWindowTitle(QStringLiteral("About"));

  // The box is its panel: fixed in size, so nothing of it can be resized.
  panel_ = new QWidget(this);
  panel_->setObjectName(QStringLiteral("panel"));
  panel_->setGeometry(QRect(QPoint(0, 0), kPanelSize));
  setFixedSize(kPanelSize);

  addLabel(QStringLiteral("madeIn"), QStringLiteral("Made In:"), {56, 8}, 19);

  picture_ = new QLabel(panel_);
  picture_->setObjectName(QStringLiteral("picture"));
  picture_->setGeometry(QRect(QPoint(24, 36), kPictureSize));
  picture_->setCursor(Qt::PointingHandCursor);
  // A picture that cannot be read leaves its place empty; the box works without it.
  const QImage image = aboutPicture();
  if (!image.isNull()) {
    picture_->setPixmap(QPixmap::fromImage(image));
    setWindowIcon(QIcon(picture_->pixmap()));
  }

  QLabel* credit = addLabel(QStringLiteral("credit"), QStringLiteral("Kestrel team"), {48, 89}, 19);
  credit->setCursor(Qt::ArrowCursor);
  QLabel* persons[] = {
      addLabel(QStringLiteral("person1"), QStringLiteral("Falco"), {48, 121}, 19),
      addLabel(QStringLiteral("person2"), QStringLiteral("Merlin"), {56, 148}, 24),
      nullptr,
  };
  addLabel(QStringLiteral("bigThanks"), QStringLiteral("Big Thanks:"), {40, 185}, 19);
  persons[2] = addLabel(QStringLiteral("person3"), QStringLiteral("Hobby"), {32, 217}, 19);

  links_.insert(picture_, QString::fromLatin1(kHomePage));
  links_.insert(credit, QString::fromLatin1(kHomePage));
  for (int i = 0; i < 3; ++i) {
    persons[i]->setCursor(Qt::PointingHandCursor);
    links_.insert(persons[i], QString::fromLatin1(kPersonPages[i]));
  }
  for (QObject* link : links_.keys())
    link->installEventFilter(this);

  ok_ = new QPushButton(QStringLiteral("Ок"), panel_);
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setGeometry(64, 248, 75, 25);
  ok_->setFont(boldFont(16));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::showEvent(QShowEvent* event) {
  // Before the window is mapped: its title bar has its close box only.
  keepOnlyTheCloseBox(*this);
  QDialog::showEvent(event);
}

QLabel* AboutDialog::addLabel(const QString& objectName, const QString& text, QPoint at,
                              int pixelHeight) {
  auto* label = new QLabel(text, panel_);
  label->setObjectName(objectName);
  label->setFont(boldFont(pixelHeight));
  label->move(at);
  label->adjustSize();  // sized to its text, from its top left corner
  return label;
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
  // A click is a left-button release over the element that was pressed.
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto link = links_.constFind(watched);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (link != links_.cend() && mouse->button() == Qt::LeftButton &&
        static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint())) {
      openUrl(*link);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void AboutDialog::openUrl(const QString& address) {
  const QString command = desktop_.htmlHandlerCommand();
  if (command.isEmpty()) return;
  const std::vector<std::string> arguments = commandArguments(
      QFile::encodeName(command).toStdString(), QFile::encodeName(address).toStdString());
  // A command that names no program starts nothing; a failed start is not reported.
  if (arguments.empty()) return;
  QStringList rest;
  for (std::size_t i = 1; i < arguments.size(); ++i)
    rest << QFile::decodeName(arguments[i].c_str());
  desktop_.startProgram(QFile::decodeName(arguments.front().c_str()), rest);
}

}  // namespace kestrel::app
