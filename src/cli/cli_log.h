// SPDX-License-Identifier: GPL-2.0-or-later
// CliLog writes a build run's log to a stream, each line once it is complete: the line of an
// image is held back until the next line starts, since the run keeps appending to it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "builder/run_log.h"

namespace vellumix {

class CliLog : public RunLog {
 public:
  explicit CliLog(std::FILE* out) : out_(out) {}
  ~CliLog() override { Flush(); }

  void Clear() override { pending_.reset(); }
  void AddLine(std::string_view line) override;
  void AppendToLastLine(std::string_view text) override;
  // A script has no one to beep at and nothing to open or play.
  void Beep() override {}
  void OpenIndexPage(const std::string&) override {}
  void PlaySound(const std::string&) override {}

  // Writes the line still held back, if any.
  void Flush();

 private:
  std::FILE* out_;
  std::optional<std::string> pending_;
};

}  // namespace vellumix
