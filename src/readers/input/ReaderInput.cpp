#include "readers/input/ReaderInput.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
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
  ~BackgroundDigests() { stop(); }

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
      if (queue_.empty()) return;
      const std::shared_ptr<const std::vector<std::uint8_t>> bytes = std::move(queue_.front());
      lock.unlock();
      digests_.add(*bytes);
      size_ += bytes->size();
      lock.lock();
      queue_.pop_front();
      room_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable room_;
  std::deque<std::shared_ptr<const std::vector<std::uint8_t>>> queue_;
  bool done_ = false;
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
  std::shared_ptr<const std::vector<std::uint8_t>> all =
      bytes_ ? std::move(bytes_)
             : std::make_shared<const std::vector<std::uint8_t>>(readWholeFile(name_));
  // The digest worker shares the bytes, so they outlive a reader that lets them go early.
  digests_->add(all);
  atEnd_ = true;
  return all;
}

std::size_t ReaderInput::read(char* to, std::size_t room) {
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
