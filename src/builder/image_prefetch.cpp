// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/image_prefetch.h"

#include <algorithm>
#include <utility>

namespace vellumix {

ImagePrefetcher::ImagePrefetcher(size_t count, size_t threads, size_t window, Prepare prepare)
    : count_(count), window_(std::max<size_t>(window, 1)), prepare_(std::move(prepare)),
      ready_(count) {
  threads = std::min(threads, count);
  for (size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

ImagePrefetcher::~ImagePrefetcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (auto& worker : workers_) worker.join();
}

size_t ImagePrefetcher::DefaultThreads(size_t count) {
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(cores, count);
}

void ImagePrefetcher::Work() {
  while (true) {
    size_t index;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] {
        return stopping_ || next_ >= count_ || next_ < taken_ + window_;
      });
      if (stopping_ || next_ >= count_) return;
      index = next_++;
    }
    PreparedImage prepared = prepare_(index);
    {
      std::lock_guard lock(mutex_);
      ready_[index] = std::move(prepared);
    }
    changed_.notify_all();
  }
}

PreparedImage ImagePrefetcher::Take(size_t index) {
  std::unique_lock lock(mutex_);
  if (workers_.empty() && !ready_[index]) {
    next_ = index + 1;
    lock.unlock();
    PreparedImage prepared = prepare_(index);
    lock.lock();
    ready_[index] = std::move(prepared);
  }
  changed_.wait(lock, [&] { return ready_[index].has_value(); });
  PreparedImage prepared = std::move(*ready_[index]);
  ready_[index].reset();  // the file's bytes are not kept past their image
  taken_ = index + 1;
  lock.unlock();
  changed_.notify_all();
  return prepared;
}

}  // namespace vellumix
