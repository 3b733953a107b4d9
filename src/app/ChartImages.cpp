#include "ChartImages.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QWidget>

#include "Dialogs.h"
#include "FileNames.h"
#include "FrameServices.h"
#include "core/FileIo.h"

namespace kestrel::app {

namespace {

void drawWidget(QWidget& widget, QPainter& painter) {
  // A chart view's scene is drawn as shapes, so that an SVG keeps its lines and texts.
  if (auto* view = qobject_cast<QGraphicsView*>(&widget)) {
    const QRect shown = view->viewport()->rect();
    view->render(&painter, QRectF(QPointF(0, 0), widget.size()), shown);
  } else {
    widget.render(&painter);
  }
}

struct FormatEntry {
  QString filter;
  QString ending;
};

FormatEntry formatEntry(ChartImageFormat format) {
  if (format == ChartImageFormat::Png)
    return {QStringLiteral("Изображение PNG|*.png"), QStringLiteral(".png")};
  return {QStringLiteral("Рисунок SVG|*.svg"), QStringLiteral(".svg")};
}

void saveChart(QWidget& widget, FrameServices& frame, const QString& proposed,
               ChartImageFormat format) {
  const AppServices& services = frame.services();
  const FormatEntry entry = formatEntry(format);
  const auto answer = services.files->getSaveFileName(
      &widget, FileDialogs::SaveRequest{entry.filter, proposed + entry.ending});
  if (!answer) return;
  // A name that already ends with the type's ending keeps it.
  QString fileName = answer->fileName;
  if (!fileName.endsWith(entry.ending, Qt::CaseInsensitive)) fileName += entry.ending;
  if (QFileInfo::exists(fileName) && !services.messages->confirmReplace(&widget, fileName)) return;
  const QByteArray bytes = chartImage(widget, format);
  frame.runReportingErrors(&widget, [&] {
    writeWholeFile(systemFileName(fileName), std::string_view(bytes.constData(), bytes.size()));
  });
}

}  // namespace

QByteArray chartImage(QWidget& widget, ChartImageFormat format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QSize size = widget.size();
  if (format == ChartImageFormat::Png) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      drawWidget(widget, painter);
    }
    image.save(&buffer, "PNG");
  } else {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(widget.accessibleName());
    QPainter painter(&svg);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    drawWidget(widget, painter);
  }
  return bytes;
}

void offerChartSaving(QWidget& widget, FrameServices& frame, const QString& fileName) {
  const auto add = [&](const QString& text, ChartImageFormat format) {
    auto* action = new QAction(text, &widget);
    QObject::connect(action, &QAction::triggered, &widget, [&widget, &frame, fileName, format] {
      saveChart(widget, frame, fileName, format);
    });
    widget.addAction(action);
  };
  add(QStringLiteral("Сохранить как PNG…"), ChartImageFormat::Png);
  add(QStringLiteral("Сохранить как SVG…"), ChartImageFormat::Svg);
  widget.setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace kestrel::app
