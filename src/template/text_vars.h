// SPDX-License-Identifier: GPL-2.0-or-later
// The ten user texts of a project ($TEXT1$ to $TEXT10$).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

namespace vellumix {

// `text` with "$TEXT1$" ... "$TEXTn$" replaced by texts[0] ... texts[n-1], in increasing order,
// each a ReplaceAll over the result of the previous one. "$TEXT1$" never matches inside
// "$TEXT10$". An empty entry removes its placeholder.
std::string ReplaceTextVars(std::string_view text, const std::vector<std::string>& texts,
                            CodePage cp = ActiveCodePage());

}  // namespace vellumix
