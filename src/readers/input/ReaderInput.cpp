#include "readers/input/ReaderInput.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
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

// Digests the buffers it is given on a thread of its own, in the order given. A reader that
// hands out pieces waits while two are still undigested, so that the copies stay few.
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

  void add(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    std::unique_lock lock(mutex_);
    if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    room_.wait(lock, [this] { return queue_.size() < 2; });
    queue_.push_back(std::move(bytes));
    work_.notify_one();
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
  void stop() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
      work_.notify_one();
    }
    if (worker_.joinable()) worker_.join();
  }

  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      work_.wait(lock, [this] { return done_ || !queue_.empty(); });
      if (queue_.empty() || abandoned_) return;
      const std::shared_ptr<const std::vector<std::uint8_t>> bytes = std::move(queue_.front());
      lock.unlock();
      // A whole file comes as one buffer: it is taken in slices, so that dropping it is quick.
      const std::span<const std::uint8_t> all(*bytes);
      for (std::size_t at = 0; at < all.size() && !abandoned_; at += kSlice)
        digests_.add(all.subspan(at, std::min(kSlice, all.size() - at)));
      size_ += bytes->size();
      lock.lock();
      queue_.pop_front();
      room_.notify_one();
    }
  }

  static constexpr std::size_t kSlice = std::size_t{1} << 20;

  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable room_;
  std::deque<std::shared_ptr<const std::vector<std::uint8_t>>> queue_;
  bool done_ = false;
  std::atomic<bool> abandoned_ = false;
  std::thread worker_;
  Digests digests_;         // the worker's alone until it is joined
  std::uint64_t size_ = 0;  // the same
  std::optional<SourceDigest> finished_;
};

ReaderInput::ReaderInput(std::string name, std::shared_ptr<const std::vector<std::uint8_t>> bytes)
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
  return ReaderInput(std::move(name),
                     std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)));
}

void ReaderInput::open() {
  if (!bytes_ && !source_) source_ = std::make_unique<FileSource>(name_);
}

std::shared_ptr<const std::vector<std::uint8_t>> ReaderInput::readAll() {
  throwIfStopped();
  std::shared_ptr<const std::vector<std::uint8_t>> all =
      bytes_ ? std::move(bytes_) : std::make_shared<const std::vector<std::uint8_t>>(readFile());
  // The digest worker shares the bytes, so they outlive a reader that lets them go early.
  digests_->add(all);
  atEnd_ = true;
  return all;
}

std::vector<std::uint8_t> ReaderInput::readFile() {
  open();
  std::vector<std::uint8_t> data;
  data.reserve(source_->size());
  // In pieces, so that a stop asked for meanwhile ends even the read of a large file soon.
  std::uint8_t piece[1 << 16];
  while (const std::size_t n = source_->read(piece, sizeof piece)) {
    throwIfStopped();
    data.insert(data.end(), piece, piece + n);
  }
  return data;
}

std::size_t ReaderInput::read(char* to, std::size_t room) {
  throwIfStopped();
  std::size_t n = 0;
  if (bytes_) {
    n = std::min(room, bytes_->size() - taken_);
    if (n > 0) std::memcpy(to, bytes_->data() + taken_, n);
    taken_ += n;
  } else {
    open();
    n = source_->read(to, room);
  }
  if (n == 0) {
    atEnd_ = true;
  } else {
    const auto* first = reinterpret_cast<const std::uint8_t*>(to);
    digests_->add(std::make_shared<const std::vector<std::uint8_t>>(first, first + n));
  }
  return n;
}

SourceDigest ReaderInput::digest() {
  return digests_->finish(atEnd_);
}

}  // namespace kestrel
