#pragma once
// JPEG pictures decoded by libjpeg.

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace kestrel::app {

struct DecodedJpeg {
  QImage image;   // null when the bytes are not a whole, sound JPEG picture
  QString error;  // what libjpeg found wrong; empty on success
  bool ok() const { return !image.isNull(); }
};

// Decodes a JPEG picture into an RGB image. Damaged bytes (a broken header, a cut or corrupt
// scan), a colour model with no RGB conversion or a size beyond kMaxJpegPixels fail with the
// reason; nothing is half-decoded and the program goes on.
DecodedJpeg decodeJpeg(QByteArrayView bytes);

// No picture of the program comes near this; a larger declared size is a damaged header.
inline constexpr qint64 kMaxJpegPixels = 4096 * 4096;

}  // namespace kestrel::app
