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

// The facts of the files, a block of lines per file: as they were read, and whether each file
// is still the same.
QString fileFactsText(const DocumentData& doc) {
  QStringList blocks;
  for (std::size_t k = 0; k < doc.sourceFiles.size(); ++k) {
    const std::string& file = doc.sourceFiles[k];
    QStringList lines{QStringLiteral("Файл: ") +
                      QFile::decodeName(QByteArray::fromStdString(file))};
    for (const output::SourceFileLine& fact :
         output::sourceFileLines(file, output::digestAtOpen(doc, k))) {
      if (!fact.value.empty())
        lines << QString::fromStdString(fact.caption) + QStringLiteral(": ") +
                     QString::fromLocal8Bit(fact.value);
    }
    blocks << lines.join(QLatin1Char('\n'));
  }
  return blocks.join(QStringLiteral("\n\n"));
}

}  // namespace

FileInfoDialog::FileInfoDialog(const DocumentData& doc, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Сведения о файле"));
  setObjectName(QStringLiteral("fileInfoDialog"));
  auto* layout = new QVBoxLayout(this);
  facts_ = new QPlainTextEdit(fileFactsText(doc));
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
