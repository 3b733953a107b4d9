#pragma once
// The overview's charts as image files: drawn at the size they are shown, as PNG or as SVG, from
// their context menu.

#include <QByteArray>
#include <QString>

class QWidget;

namespace kestrel::app {

class FrameServices;

enum class ChartImageFormat { Png, Svg };

// The widget drawn as the bytes of an image file of the format, at the widget's size: a chart
// view draws its scene (in SVG as shapes and text), another widget paints itself.
QByteArray chartImage(QWidget& widget, ChartImageFormat format);

// Gives the widget the context-menu commands "Сохранить как PNG…" and "Сохранить как SVG…": the
// save dialog proposes `fileName` with the format's ending, and the file is written completely
// or not at all.
void offerChartSaving(QWidget& widget, FrameServices& frame, const QString& fileName);

}  // namespace kestrel::app
