#include "FileInfoDialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "export/FileFacts.h"

namespace kestrel::app {

namespace {

// The facts of the files, a block of lines per file; a file that cannot be read shows the
// system's reason.
QString fileFactsText(const std::vector<std::string>& files) {
  QStringList blocks;
  for (const std::string& file : files) {
    const QString name = QFile::decodeName(QByteArray::fromStdString(file));
    try {
      const output::FileFacts facts = output::factsOf(file);
      blocks << QStringLiteral("Файл: %1\nРазмер: %2 байт\nИзменён: %3\nSHA-256: %4\nMD5: %5")
                    .arg(name)
                    .arg(facts.size)
                    .arg(QString::fromStdString(output::localTimeText(facts.modified)),
                         QString::fromStdString(facts.sha256), QString::fromStdString(facts.md5));
    } catch (const std::exception& e) {
      blocks << QStringLiteral("Файл: %1\n%2").arg(name, QString::fromLocal8Bit(e.what()));
    }
  }
  return blocks.join(QStringLiteral("\n\n"));
}

}  // namespace

FileInfoDialog::FileInfoDialog(const std::vector<std::string>& files, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Сведения о файле"));
  setObjectName(QStringLiteral("fileInfoDialog"));
  auto* layout = new QVBoxLayout(this);
  facts_ = new QPlainTextEdit(fileFactsText(files));
  facts_->setReadOnly(true);
  facts_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  facts_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  facts_->setMinimumSize(620, 140);
  layout->addWidget(facts_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  copy_ = buttons->addButton(QStringLiteral("Копировать"), QDialogButtonBox::ActionRole);
  connect(copy_, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(facts_->toPlainText()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

}  // namespace kestrel::app
