#include "JpegImage.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
// clang-format on

#include <csetjmp>

namespace kestrel::app {
namespace {

// libjpeg's own error handler ends the process; this one jumps back to the step that failed.
// Warnings (corrupt data libjpeg would paper over with grey) count as errors: a picture it had
// to patch up is not shown.
struct ErrorManager {
  jpeg_error_mgr base;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failDecode(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  errors->base.format_message(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
  if (level < 0) failDecode(info);  // a warning; trace messages (level >= 0) are dropped
}

void dropMessage(j_common_ptr) {}

// Runs one step of libjpeg calls; false when libjpeg reported an error in it. The jump leaves
// only the step's own calls, which hold nothing to destroy: every object with a destructor
// lives outside, and nothing set inside is read after a jump.
template <typename Step>
bool jpegStepSucceeded(ErrorManager& errors, Step step) {
  if (setjmp(errors.jump) != 0) return false;
  step();
  return true;
}

// Owns the decompressor: destroyed on every way out.
struct Decompressor {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  bool created = false;
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&info);
  }
  DecodedJpeg failure() const { return {QImage(), QString::fromLocal8Bit(errors.message)}; }
};

}  // namespace

DecodedJpeg decodeJpeg(QByteArrayView bytes) {
  if (bytes.isEmpty()) return {QImage(), QStringLiteral("Empty input file")};

  Decompressor d;
  jpeg_decompress_struct* info = &d.info;
  d.info.err = jpeg_std_error(&d.errors.base);
  d.errors.base.error_exit = failDecode;
  d.errors.base.emit_message = onMessage;
  d.errors.base.output_message = dropMessage;

  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto size = static_cast<unsigned long>(bytes.size());
  if (!jpegStepSucceeded(d.errors, [info, data, size] {
        jpeg_create_decompress(info);
        jpeg_mem_src(info, data, size);
      }))
    return d.failure();
  d.created = true;
  if (!jpegStepSucceeded(d.errors, [info] { jpeg_read_header(info, TRUE); })) return d.failure();

  if (static_cast<qint64>(info->image_width) * info->image_height > kMaxJpegPixels) {
    return {QImage(), QStringLiteral("Picture too large: %1 x %2")
                          .arg(info->image_width)
                          .arg(info->image_height)};
  }
  info->out_color_space = JCS_RGB;
  if (!jpegStepSucceeded(d.errors, [info] { jpeg_start_decompress(info); })) return d.failure();
  if (info->output_components != 3) return {QImage(), QStringLiteral("Not an RGB picture")};

  QImage image(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
               QImage::Format_RGB888);
  if (image.isNull()) return {QImage(), QStringLiteral("No memory for the picture")};
  uchar* const bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  if (!jpegStepSucceeded(d.errors, [info, bits, stride] {
        while (info->output_scanline < info->output_height) {
          JSAMPROW row = bits + stride * info->output_scanline;
          jpeg_read_scanlines(info, &row, 1);
        }
        jpeg_finish_decompress(info);
      }))
    return d.failure();
  return {std::move(image), {}};
}

}  // namespace kestrel::app
