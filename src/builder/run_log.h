// SPDX-License-Identifier: GPL-2.0-or-later
// RunLog is how a build run reports: the log pane's lines, the abort beep and the completion
// actions. The window, vellumix-cli and the tests each implement it, so the run never knows
// which one it talks to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumix {

class RunLog {
 public:
  virtual ~RunLog() = default;

  // Empties the log (opening a project starts a fresh one).
  virtual void Clear() = 0;
  // Adds `line` as the new last line.
  virtual void AddLine(std::string_view line) = 0;
  // Extends the last line by `text` with no separator; adds it as a line when the log is empty.
  virtual void AppendToLastLine(std::string_view text) = 0;

  // The default beep, sounded after an abort.
  virtual void Beep() = 0;
  // Completion actions of a finished run: hand the index page to the system's viewer, and play a
  // sound file to its end (the system's default sound when it cannot be played). Both report
  // nothing.
  virtual void OpenIndexPage(const std::string& path) = 0;
  virtual void PlaySound(const std::string& path) = 0;

  // The start and menu buttons were enabled or disabled (read them from the state).
  virtual void ButtonsChanged() {}
  // `done` of `total` images have been processed; for a progress display.
  virtual void Progress(size_t done, size_t total) {
    (void)done;
    (void)total;
  }
};

}  // namespace vellumix
