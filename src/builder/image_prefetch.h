// SPDX-License-Identifier: GPL-2.0-or-later
// ImagePrefetcher prepares the images of a build run ahead of the pass that writes them: worker
// threads load each file and decode and encode its thumbnail, while the run itself still takes
// the images one by one, in order, and does every write and log line itself. Nothing a user can
// see changes but the time: decoding is most of a run's work, and it is what runs side by side.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/jpeg_image.h"

namespace vellumix {

// What was made ahead for one image. A failure is kept, to be raised at the step where the
// image's run would have met it.
struct PreparedImage {
  std::optional<JpegImage> image;        // the loaded file; absent when loading failed
  std::exception_ptr load_failure;
  std::optional<std::string> thumbnail;  // the encoded thumbnail, when one is to be written
  std::exception_ptr thumbnail_failure;
};

class ImagePrefetcher {
 public:
  using Prepare = std::function<PreparedImage(size_t index)>;

  // Starts `threads` workers (none: every image is prepared by Take itself) that call `prepare`
  // for 0 .. count-1, never more than `window` images ahead of the last one taken, which bounds
  // the memory held. `prepare` must not throw and must be safe to call from several threads.
  ImagePrefetcher(size_t count, size_t threads, size_t window, Prepare prepare);
  // Stops the workers (each finishes the image it is on) and waits for them.
  ~ImagePrefetcher();
  ImagePrefetcher(const ImagePrefetcher&) = delete;
  ImagePrefetcher& operator=(const ImagePrefetcher&) = delete;

  // The prepared image `index`, waiting for it when needed.
  // REQUIRES: called once for each index, in increasing order.
  PreparedImage Take(size_t index);

  // Worker threads worth starting on this machine for `count` images.
  static size_t DefaultThreads(size_t count);

 private:
  void Work();

  const size_t count_;
  const size_t window_;
  const Prepare prepare_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::optional<PreparedImage>> ready_;  // guarded by mutex_
  size_t next_ = 0;                                  // next index to prepare
  size_t taken_ = 0;                                 // indices below this have been taken
  bool stopping_ = false;

  std::vector<std::thread> workers_;  // last, so they start after everything above exists
};

}  // namespace vellumix
