// SPDX-License-Identifier: GPL-2.0-or-later
// Times whole build runs: N 12-megapixel photos (default 40) copied, thumbnailed and paged into
// an album in a temporary folder, as a full run and then as an HTML-only run over it.
//
//   build_run_bench [N]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>

#include "builder/build_run.h"
#include "platform/jpeg_image.h"
#include "platform/rgb_image.h"

namespace vellumix {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

class QuietLog : public RunLog {
 public:
  void Clear() override {}
  void AddLine(std::string_view) override {}
  void AppendToLastLine(std::string_view) override {}
  void Beep() override {}
  void OpenIndexPage(const std::string&) override {}
  void PlaySound(const std::string&) override {}
};

std::string MakePhoto(int seed) {
  RgbImage picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* p = picture.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      p[0] = static_cast<uint8_t>(x * 255 / kWidth + seed);
      p[1] = static_cast<uint8_t>(y * 255 / kHeight);
      p[2] = static_cast<uint8_t>((x * 7 + y * 13 + seed) % 251);
      p += 3;
    }
  }
  return EncodeJpeg(picture, 90);
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double TimedRun(const std::string& project, bool html_only) {
  VellumixState state;
  state.ProjectPath = project;
  state.HtmlOnly = html_only;
  QuietLog log;
  const auto start = std::chrono::steady_clock::now();
  RunBuild(state, log);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!state.LastError.empty()) {
    std::fprintf(stderr, "run aborted: %s\n", state.LastError.c_str());
    std::exit(1);
  }
  return took.count();
}

int Main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 40;
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("vellumix-bench-" + std::to_string(getpid()));
  fs::create_directories(root / "src");
  std::printf("making %d photos of %dx%d...\n", count, kWidth, kHeight);
  for (int i = 0; i < count; ++i) {
    // A handful of distinct pictures is enough; the decoder does the same work for each.
    static std::string photos[4];
    if (photos[i % 4].empty()) photos[i % 4] = MakePhoto(i % 4);
    Write(root / "src" / ("p" + std::to_string(i) + ".jpg"), photos[i % 4]);
  }
  Write(root / "index.htm", "<table>\n<!--THUMBNAIL-->\n<td><a href=\"$HREF$\"><img src=\"$SRC$\"></a></td>\n<!--THUMBNAIL-->\n</table>\n");
  Write(root / "image.htm", "<img src=\"$IMG_SRC$\">\n<a href=\"$NEXT_PAGE$\">next</a>\n");
  Write(root / "p.prj", "[InOut]\nImgSrcDir=" + (root / "src").string() + "\nOutputDir=" +
                            (root / "out").string() +
                            "\n[Thumbnail]\nWidth=160\nHeight=120\nQuality=85\n"
                            "[Template]\nIndexPage=index.htm\nImagePage=image.htm\n");

  const std::string project = (root / "p.prj").string();
  const double full = TimedRun(project, false);
  const double html = TimedRun(project, true);
  std::printf("full run:      %7.2f s  (%6.1f ms a photo)\n", full, 1000 * full / count);
  std::printf("HTML-only run: %7.2f s  (%6.1f ms a photo)\n", html, 1000 * html / count);
  fs::remove_all(root);
  return 0;
}

}  // namespace
}  // namespace vellumix

int main(int argc, char** argv) { return vellumix::Main(argc, argv); }
