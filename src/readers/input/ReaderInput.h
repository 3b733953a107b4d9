#pragma once
// What every reader reads: one file, by its name, from the disk or from bytes already in
// memory. The name is what tells a GDFS dump's form and what a file error names. A reader takes
// the bytes whole, or piece by piece where a file may be larger than what it keeps of it. The
// SHA-256 and MD5 of the bytes handed out are taken on a thread of their own while the reader
// decodes, so that they describe what was read, not the file as it is later.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Digests.h"
#include "core/Errors.h"
#include "core/FileIo.h"
#include "core/HeldBytes.h"
#include "core/Progress.h"

namespace kestrel {

class ReaderInput {
 public:
  // The file of that name on the disk; nothing is opened until the reader asks for bytes.
  static ReaderInput file(std::string name);
  // Bytes in memory, read as a file of that name would be.
  static ReaderInput bytes(std::string name, std::vector<std::uint8_t> bytes);

  const std::string& name() const { return name_; }

  // Opens the file now, so that one that cannot be opened fails before anything is read from
  // it. Throws IoError.
  void open();
  // All the bytes, read into memory; asked for once. Throws IoError with the file's name and
  // the system's reason. Like every read, throws Cancelled once a stop was asked for (see
  // setStop).
  std::shared_ptr<const HeldBytes> readAll() { return readAll(false); }
  // The same for bytes the document keeps as long as it is open: a large file is held as its
  // own pages where they can be kept unchanged (see MappedFile). They are in memory already
  // when the file was read lately, where a copy would take as much fresh memory again, and
  // fresh memory is dear on some machines.
  std::shared_ptr<const HeldBytes> readAllToKeep() { return readAll(true); }
  // The next piece of a text read piece by piece: `carry` (the end of the last piece, still
  // unused) followed by the bytes read now, in a buffer of the input's own that stays as it is
  // until the next call. At least `pieceBytes` are read, and as many as `carry` holds, so that a
  // line longer than a piece is copied a bounded number of times. No bytes after `carry` once
  // the end is reached. The digests take the bytes where they lie, without a copy of their own.
  // Throws IoError.
  std::string_view readAfter(std::string_view carry, std::size_t pieceBytes);

  // The digests of the bytes handed out so far, once they are taken; whole only when the reader
  // read to the end.
  SourceDigest digest();

  // Where a long read tells how far it is; nobody listens unless told.
  const Progress& progress() const { return *progress_; }
  void setProgress(const Progress& progress) { progress_ = &progress; }

  // Where a stop of the read may be asked for: from then on every read throws Cancelled, and so
  // does throwIfStopped, which a reader calls in long stretches of work between reads and
  // reports.
  void setStop(std::stop_token stop) { stop_ = std::move(stop); }
  const std::stop_token& stop() const { return stop_; }
  void throwIfStopped() const {
    if (stop_.stop_requested()) throw Cancelled();
  }

 private:
  ReaderInput(std::string name, std::shared_ptr<const HeldBytes> bytes);

 public:
  ReaderInput(ReaderInput&&) noexcept;
  ReaderInput& operator=(ReaderInput&&) noexcept;
  ~ReaderInput();

 private:
  std::shared_ptr<const HeldBytes> readAll(bool toKeep);

  class BackgroundDigests;
  class Buffers;
  struct Buffer;

  std::string name_;
  std::shared_ptr<const HeldBytes> bytes_;  // null for a file on the disk
  std::size_t taken_ = 0;                   // the bytes handed out piece by piece
  std::unique_ptr<FileSource> source_;      // the file, once read piece by piece
  const Progress* progress_;
  std::stop_token stop_;
  std::unique_ptr<BackgroundDigests> digests_;
  // The buffers of readAfter: the one handed out last, and those the digests let go.
  std::shared_ptr<Buffers> buffers_;
  std::shared_ptr<Buffer> piece_;
  bool atEnd_ = false;
};

}  // namespace kestrel
