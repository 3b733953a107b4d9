// Draws the picture of the About box: a hovering kestrel's outline and the program's name on an
// evening sky, 150 x 45, written as a JPEG. The program ships its output (kestrel-about.jpg);
// run this again only to change the picture:
//   QT_QPA_PLATFORM=offscreen make-about-picture src/app/resources/kestrel-about.jpg

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-about-picture OUTPUT.jpg\n");
    return 2;
  }

  QImage picture(150, 45, QImage::Format_RGB32);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 45);
  sky.setColorAt(0, QColor(0x2b, 0x4a, 0x7a));
  sky.setColorAt(1, QColor(0xe9, 0xa6, 0x5c));
  painter.fillRect(picture.rect(), sky);

  // The bird from below, wings spread and tail fanned, as a kestrel hangs in the wind.
  QPainterPath bird;
  bird.moveTo(22, 14);
  bird.cubicTo(14, 9, 7, 11, 2, 16);
  bird.cubicTo(9, 15, 15, 17, 20, 20);
  bird.lineTo(19, 33);
  bird.lineTo(22, 36);
  bird.lineTo(25, 33);
  bird.lineTo(24, 20);
  bird.cubicTo(29, 17, 35, 15, 42, 16);
  bird.cubicTo(37, 11, 30, 9, 22, 14);
  painter.fillPath(bird, QColor(0x3a, 0x1e, 0x0e));
  painter.setBrush(QColor(0x3a, 0x1e, 0x0e));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(22, 13), 2.6, 2.6);

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(24);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(0xfb, 0xf3, 0xe4));
  painter.drawText(QRect(46, 0, 104, 45), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Kestrel"));
  painter.end();

  QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpeg");
  writer.setQuality(92);
  if (!writer.write(picture)) {
    std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
    return 1;
  }
  return 0;
}
