// Renders the program's SVG icon as a square PNG of the given size, for icon themes that want
// one: render-icon ICON.svg OUT.png SIZE.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: render-icon ICON.svg OUT.png SIZE\n");
    return 2;
  }
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  const int size = QString::fromLocal8Bit(argv[3]).toInt();
  if (!svg.isValid() || size <= 0) {
    std::fprintf(stderr, "render-icon: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  svg.render(&painter);
  painter.end();
  if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "render-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
