// SPDX-License-Identifier: GPL-2.0-or-later
#include "template/text_vars.h"

#include "userfunc/userfunc.h"

namespace vellumix {

std::string ReplaceTextVars(std::string_view text, const std::vector<std::string>& texts,
                            CodePage cp) {
  std::string result(text);
  // In increasing order on the running result, so a text that holds "$TEXTn$" with a higher n
  // is filled in by a later step, one with a lower n stays as typed.
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string pattern = "$TEXT" + std::to_string(i + 1) + "$";
    result = ReplaceAll(result, pattern, texts[i], cp);
  }
  return result;
}

}  // namespace vellumix
