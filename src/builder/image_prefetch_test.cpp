// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/image_prefetch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace vellumix {
namespace {

// A prepared image that says which index it was made for, through its thumbnail text.
PreparedImage Marked(size_t index) {
  PreparedImage prepared;
  prepared.thumbnail = std::to_string(index);
  return prepared;
}

TEST(ImagePrefetcher, DeliversEveryImageInOrderWhateverTheThreads) {
  for (size_t threads : {0, 1, 2, 5}) {
    ImagePrefetcher prefetcher(9, threads, 3, Marked);
    for (size_t i = 0; i < 9; ++i) {
      EXPECT_EQ(std::to_string(i), prefetcher.Take(i).thumbnail.value()) << threads;
    }
  }
}

TEST(ImagePrefetcher, KeepsFailuresForTheirImage) {
  ImagePrefetcher prefetcher(3, 2, 2, [](size_t index) {
    PreparedImage prepared;
    if (index == 1) prepared.load_failure = std::make_exception_ptr(std::runtime_error("bad"));
    return prepared;
  });
  EXPECT_FALSE(prefetcher.Take(0).load_failure);
  EXPECT_TRUE(prefetcher.Take(1).load_failure);
  EXPECT_FALSE(prefetcher.Take(2).load_failure);
}

TEST(ImagePrefetcher, NeverWorksMoreThanTheWindowAhead) {
  std::atomic<size_t> highest{0};
  ImagePrefetcher prefetcher(50, 4, 3, [&](size_t index) {
    size_t seen = highest.load();
    while (index > seen && !highest.compare_exchange_weak(seen, index)) {
    }
    return Marked(index);
  });
  prefetcher.Take(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // Image 0 is taken; images 1 to 3 may be prepared, image 4 not yet.
  EXPECT_LE(highest.load(), 3u);
  for (size_t i = 1; i < 50; ++i) prefetcher.Take(i);
  EXPECT_EQ(49u, highest.load());
}

TEST(ImagePrefetcher, StopsWithoutWaitingForImagesNeverTaken) {
  std::atomic<int> prepared{0};
  {
    ImagePrefetcher prefetcher(1000, 2, 4, [&](size_t index) {
      ++prepared;
      return Marked(index);
    });
    prefetcher.Take(0);
  }  // a run that ends early, by an abort or a failure
  EXPECT_LE(prepared.load(), 5);
}

}  // namespace
}  // namespace vellumix
