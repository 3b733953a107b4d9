#include "readers/input/ReaderInput.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <utility>

namespace kestrel {

namespace {

const Progress& silent() {
  static const Progress none;
  return none;
}

}  // namespace

// Digests the pieces it is given on threads of their own, in the order given; each piece comes
// with what keeps its bytes alive. MD5 takes about as long as reading and decoding most dumps,
// so it has a thread of its own and SHA-256 another. A piece is let go once both have taken it;
// a reader that hands out copies waits while two are still undigested, so that they stay few.
class ReaderInput::BackgroundDigests {
 public:
  BackgroundDigests() = default;
  BackgroundDigests(const BackgroundDigests&) = delete;
  BackgroundDigests& operator=(const BackgroundDigests&) = delete;
  // Digests nobody asked for are not finished: what is still queued is dropped.
  ~BackgroundDigests() {
    abandoned_ = true;
    stop();
  }

  void add(std::span<const std::uint8_t> bytes, std::shared_ptr<const void> owner,
           std::size_t waitingAtMost = 2) {
    std::unique_lock lock(mutex_);
    if (!workers_[0].joinable()) {
      workers_[0] = std::thread([this] { run(0); });
      workers_[1] = std::thread([this] { run(1); });
    }
    room_.wait(lock, [&] { return queue_.size() < waitingAtMost; });
    queue_.push_back({bytes, std::move(owner)});
    work_.notify_all();
  }

  // Returns once every piece given is digested.
  void drain() {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return queue_.empty(); });
  }

  SourceDigest finish(bool whole) {
    if (finished_) return *finished_;
    stop();
    SourceDigest& digest = finished_.emplace();
    digest.size = size_;
    digest.taken = std::time(nullptr);
    if (whole) {
      digest.sha256 = digests_.sha256();
      digest.md5 = digests_.md5();
    }
    return digest;
  }

 private:
  struct Piece {
    std::span<const std::uint8_t> bytes;
    std::shared_ptr<const void> owner;
  };

  void stop() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
      work_.notify_all();
    }
    for (std::thread& worker : workers_) {
      if (worker.joinable()) worker.join();
    }
  }

  // Worker 0 takes the SHA-256 and counts the bytes, worker 1 takes the MD5. Both yield to the
  // reader: where the reader and the two workers share two cores, the reader's thread, which
  // decides when the open is done, runs undisturbed and the workers fill the other core.
  void run(std::size_t worker) {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice);
    std::unique_lock lock(mutex_);
    for (;;) {
      work_.wait(lock, [&] { return done_ || taken_[worker] - letGo_ < queue_.size(); });
      if (abandoned_ || taken_[worker] - letGo_ == queue_.size()) return;
      // The element stays where it is while others are added behind it.
      const std::span<const std::uint8_t> bytes = queue_[taken_[worker] - letGo_].bytes;
      lock.unlock();
      // Bytes in memory come as one piece: they are taken in slices, so that dropping them is
      // quick.
      for (std::size_t at = 0; at < bytes.size() && !abandoned_; at += kSlice) {
        const auto slice = bytes.subspan(at, std::min(kSlice, bytes.size() - at));
        if (worker == 0) {
          digests_.addToSha256(slice);
        } else {
          digests_.addToMd5(slice);
        }
      }
      if (worker == 0) size_ += bytes.size();
      lock.lock();
      ++taken_[worker];
      while (!queue_.empty() && taken_[0] > letGo_ && taken_[1] > letGo_) {
        queue_.pop_front();
        ++letGo_;
        room_.notify_all();
      }
    }
  }

  static constexpr std::size_t kSlice = std::size_t{1} << 20;
  static constexpr int kWorkerNice = 10;

  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable room_;
  std::deque<Piece> queue_;
  std::size_t letGo_ = 0;                      // pieces taken by both and let go
  std::array<std::size_t, 2> taken_ = {0, 0};  // pieces each worker has digested
  bool done_ = false;
  std::atomic<bool> abandoned_ = false;
  std::array<std::thread, 2> workers_;
  Digests digests_;         // each digest its worker's alone until the workers are joined
  std::uint64_t size_ = 0;  // worker 0's alone until then
  std::optional<SourceDigest> finished_;
};

// A buffer of readAfter: while the digests hold a piece in it, the buffer is theirs; once they
// and the reader let it go, it goes back to the free ones for the next piece. A few buffers are
// thus reused from piece to piece, rather than fresh memory taken for every piece.
struct ReaderInput::Buffer {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
};

class ReaderInput::Buffers : public std::enable_shared_from_this<Buffers> {
 public:
  // A buffer of at least `size` bytes, its contents undefined.
  std::shared_ptr<Buffer> take(std::size_t size) {
    Buffer buffer;
    {
      const std::lock_guard lock(mutex_);
      const auto fits =
          std::ranges::find_if(free_, [&](const Buffer& b) { return b.size >= size; });
      if (fits != free_.end()) {
        buffer = std::move(*fits);
        free_.erase(fits);
      }
    }
    // Sizes go by powers of two, so that the next piece, with a carry of another length, fits
    // in a buffer let go before.
    if (!buffer.bytes) {
      const std::size_t rounded = std::bit_ceil(size);
      buffer = {std::make_unique_for_overwrite<char[]>(rounded), rounded};
    }
    // The buffer returns here when its last holder lets it go, even after the input is gone.
    return std::shared_ptr<Buffer>(new Buffer(std::move(buffer)),
                                   [buffers = shared_from_this()](Buffer* b) {
                                     buffers->giveBack(std::move(*b));
                                     delete b;
                                   });
  }

  // The text is read to its end: the free buffers go, and so do those let go from now on, so
  // that an input kept until the others of its document are read holds no more than its last
  // piece.
  void stopKeeping() {
    const std::lock_guard lock(mutex_);
    keeping_ = false;
    free_.clear();
  }

 private:
  static constexpr std::size_t kKept = 4;

  void giveBack(Buffer buffer) {
    const std::lock_guard lock(mutex_);
    if (keeping_ && free_.size() < kKept) free_.push_back(std::move(buffer));
  }

  std::mutex mutex_;
  std::vector<Buffer> free_;
  bool keeping_ = true;
};

ReaderInput::ReaderInput(std::string name, std::shared_ptr<const HeldBytes> bytes)
    : name_(std::move(name)),
      bytes_(std::move(bytes)),
      progress_(&silent()),
      digests_(std::make_unique<BackgroundDigests>()) {}

ReaderInput::ReaderInput(ReaderInput&&) noexcept = default;
ReaderInput& ReaderInput::operator=(ReaderInput&&) noexcept = default;
ReaderInput::~ReaderInput() = default;

ReaderInput ReaderInput::file(std::string name) {
  return ReaderInput(std::move(name), nullptr);
}

ReaderInput ReaderInput::bytes(std::string name, std::vector<std::uint8_t> bytes) {
  return ReaderInput(std::move(name), std::make_shared<const HeldBytes>(std::move(bytes)));
}

void ReaderInput::open() {
  if (!bytes_ && !source_) source_ = std::make_unique<FileSource>(name_);
}

std::shared_ptr<const HeldBytes> ReaderInput::readAll(bool toKeep) {
  throwIfStopped();
  if (bytes_) {
    // The digest worker shares the bytes, so they outlive a reader that lets them go early.
    digests_->add(bytes_->span(), bytes_);
    atEnd_ = true;
    return std::move(bytes_);
  }
  // Pieces of a few megabytes: each is digested while the next is read.
  constexpr std::size_t kPiece = std::size_t{4} << 20;
  constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
  open();
  // Its size is taken once it can no longer change.
  if (toKeep && source_->size() >= kPiece) {
    if (std::shared_ptr<MappedFile> mapped = source_->map()) {
      const std::span<const std::uint8_t> all = mapped->span();
      for (std::size_t at = 0; at < all.size(); at += kPiece) {
        throwIfStopped();
        const std::size_t n = std::min(kPiece, all.size() - at);
        if (!mapped->populate(at, n)) throw IoError(name_, std::strerror(EIO));
        digests_->add(all.subspan(at, n), mapped, kAll);
      }
      atEnd_ = true;
      return mapped;
    }
  }
  // Any other is read straight into a copy in pieces. Once the copy is full, a small read tells
  // whether the file grew since it was opened; only then is a larger one taken, after the
  // workers have finished the pieces they were given of the one that is let go.
  struct Copy : HeldBytes {
    explicit Copy(std::size_t size) { resize(size); }
    void resize(std::size_t size) { bytes = resizeCopy(size); }
    std::uint8_t* bytes = nullptr;
  };
  auto all = std::make_shared<Copy>(source_->size());
  std::size_t used = 0;
  for (;;) {
    if (used == all->size()) {
      std::uint8_t probe[4096];
      const std::size_t more = source_->read(probe, sizeof probe);
      if (more == 0) break;
      digests_->drain();
      all->resize(used + more + kPiece);
      std::memcpy(all->bytes + used, probe, more);
      digests_->add(all->span().subspan(used, more), all, kAll);
      used += more;
    }
    // A stop asked for meanwhile ends even the read of a large file soon.
    throwIfStopped();
    const std::size_t n = source_->read(all->bytes + used, std::min(kPiece, all->size() - used));
    if (n == 0) break;
    digests_->add(all->span().subspan(used, n), all, kAll);
    used += n;
  }
  if (used < all->size()) {
    digests_->drain();
    all->resize(used);
  }
  atEnd_ = true;
  return all;
}

std::string_view ReaderInput::readAfter(std::string_view carry, std::size_t pieceBytes) {
  throwIfStopped();
  open();
  if (!buffers_) buffers_ = std::make_shared<Buffers>();
  // A small file, or the end of a large one, takes a small buffer: what is left as far as the
  // size when opened tells, and a little more to find the end or a file that grew. At least the
  // carry's length is read, so that a long line is copied a bounded number of times.
  constexpr std::size_t kLeastRead = 4096;
  const std::size_t size = bytes_ ? bytes_->size() : source_->size();
  const std::size_t left = size > taken_ ? size - taken_ : 0;
  const std::size_t room =
      std::max(carry.size(), std::min(pieceBytes, std::max(left + 1, kLeastRead)));
  std::shared_ptr<Buffer> next = buffers_->take(carry.size() + room);
  // The carry may lie in the last piece's buffer, which is kept until it is copied.
  if (!carry.empty()) std::memmove(next->bytes.get(), carry.data(), carry.size());
  char* fresh = next->bytes.get() + carry.size();
  std::size_t n = 0;
  if (bytes_) {
    n = std::min(room, bytes_->size() - taken_);
    if (n > 0) std::memcpy(fresh, bytes_->data() + taken_, n);
  } else {
    n = source_->read(fresh, room);
  }
  taken_ += n;
  if (n == 0) {
    atEnd_ = true;
    buffers_->stopKeeping();
  } else {
    digests_->add(std::span(reinterpret_cast<const std::uint8_t*>(fresh), n), next);
  }
  piece_ = std::move(next);
  return {piece_->bytes.get(), carry.size() + n};
}

SourceDigest ReaderInput::digest() {
  return digests_->finish(atEnd_);
}

}  // namespace kestrel
