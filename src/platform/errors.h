// SPDX-License-Identifier: GPL-2.0-or-later
// The two ways a build run can stop early. They are unrelated types on purpose: an Abort is one
// of the run's own listed messages and is caught only by the run's abort handler, which logs it;
// a Failure is everything else (I/O, the JPEG decoder, an unwritable INI file) and passes on to
// the caller after the run's clean-up.
#pragma once

#include <stdexcept>
#include <string>

namespace vellumix {

// A problem the build run detected itself. what() is the message in the active code page.
class Abort : public std::runtime_error {
 public:
  explicit Abort(const std::string& message) : std::runtime_error(message) {}
};

// Any other failure. what() is the message in the active code page (the decoder's own text for
// JPEG errors, "<path> に書き込めません" for INI writes, a system error text for file I/O).
class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vellumix
