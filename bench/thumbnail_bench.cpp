// SPDX-License-Identifier: GPL-2.0-or-later
// Times the two ways of making a 160x120 thumbnail of a 12-megapixel photo: sampling rows while
// decoding (JpegImage::DecodeStretched) against a full-size decode followed by the plain stretch.
// Each way runs in a child process of its own, so that its peak resident size is its own too.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/jpeg_image.h"
#include "platform/rgb_image.h"

namespace vellumix {
namespace {

constexpr int kSourceWidth = 4000;
constexpr int kSourceHeight = 3000;
constexpr int kThumbWidth = 160;
constexpr int kThumbHeight = 120;
constexpr int kRepetitions = 5;

// A photo-like picture: smooth gradients with some fine detail, so that the entropy-coded data
// has a realistic size.
std::string MakeSourceJpeg() {
  RgbImage picture(kSourceWidth, kSourceHeight);
  for (int y = 0; y < kSourceHeight; ++y) {
    uint8_t* p = picture.Row(y);
    for (int x = 0; x < kSourceWidth; ++x) {
      p[0] = static_cast<uint8_t>(x * 255 / kSourceWidth);
      p[1] = static_cast<uint8_t>(y * 255 / kSourceHeight);
      p[2] = static_cast<uint8_t>((x * 7 + y * 13) % 251);
      p += 3;
    }
  }
  return EncodeJpeg(picture, 90);
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

template <typename Thumbnail>
void Measure(const char* name, const JpegImage& image, Thumbnail thumbnail) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (child > 0) {
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    return;
  }
  const long rss_before = PeakRssKiB();
  uint64_t checksum = 0;  // keeps the work from being optimised away
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRepetitions; ++i) {
    const RgbImage thumb = thumbnail(image);
    for (uint8_t byte : thumb.pixels) checksum += byte;
  }
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - start;
  std::printf("%-28s %8.1f ms per image   peak RSS %7.1f MiB (+%.1f MiB)   [%llu]\n", name,
              elapsed.count() / kRepetitions, PeakRssKiB() / 1024.0,
              (PeakRssKiB() - rss_before) / 1024.0, static_cast<unsigned long long>(checksum));
  std::fflush(stdout);
  std::_Exit(0);
}

}  // namespace
}  // namespace vellumix

int main() {
  using namespace vellumix;
  try {
    const JpegImage image = JpegImage::FromBytes(MakeSourceJpeg());
    std::printf("source %dx%d, %zu bytes; thumbnail %dx%d; %d repetitions\n", image.Width(),
                image.Height(), image.Bytes().size(), kThumbWidth, kThumbHeight, kRepetitions);
    Measure("DecodeStretched", image, [](const JpegImage& source) {
      return source.DecodeStretched(kThumbWidth, kThumbHeight);
    });
    Measure("DecodeFull + StretchNearest", image, [](const JpegImage& source) {
      return StretchNearest(source.DecodeFull(), kThumbWidth, kThumbHeight);
    });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
