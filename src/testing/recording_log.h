// SPDX-License-Identifier: GPL-2.0-or-later
// RecordingLog keeps what a build run reported, for tests to inspect.
#pragma once

#include <string>
#include <vector>

#include "builder/run_log.h"

namespace vellumix::testing {

class RecordingLog : public RunLog {
 public:
  void Clear() override { lines.clear(); }
  void AddLine(std::string_view line) override { lines.emplace_back(line); }
  void AppendToLastLine(std::string_view text) override {
    if (lines.empty()) {
      lines.emplace_back(text);
    } else {
      lines.back() += text;
    }
  }
  void Beep() override { ++beeps; }
  void OpenIndexPage(const std::string& path) override { opened.push_back(path); }
  void PlaySound(const std::string& path) override { sounds.push_back(path); }

  std::vector<std::string> lines;
  int beeps = 0;
  std::vector<std::string> opened;
  std::vector<std::string> sounds;
};

}  // namespace vellumix::testing
