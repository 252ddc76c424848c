// SPDX-License-Identifier: GPL-2.0-or-later
#include "template/conditional_blocks.h"

#include <string_view>

namespace vellumix {

namespace {

constexpr std::string_view kIfFirst = "<!--IF_FIRST-->";
constexpr std::string_view kIfLast = "<!--IF_LAST-->";
constexpr std::string_view kElse = "<!--ELSE-->";
constexpr std::string_view kEndIf = "<!--ENDIF-->";

enum class BlockState { kOutside, kInFirst, kInFirstElse, kInLast, kInLastElse };

}  // namespace

void ApplyConditionalBlocks(LineList& lines, bool first, bool last) {
  BlockState state = BlockState::kOutside;
  size_t k = 0;
  while (k < lines.Count()) {
    const std::string_view line = lines[k];
    bool keep = true;
    switch (state) {
      case BlockState::kOutside:
        // A stray ELSE or ENDIF outside a block is ordinary text.
        if (line == kIfFirst) {
          keep = false;
          state = BlockState::kInFirst;
        } else if (line == kIfLast) {
          keep = false;
          state = BlockState::kInLast;
        }
        break;
      case BlockState::kInFirst:
      case BlockState::kInLast: {
        const bool selected = state == BlockState::kInFirst ? first : last;
        if (line == kEndIf) {
          keep = false;
          state = BlockState::kOutside;
        } else if (line == kElse) {
          keep = false;
          state =
              state == BlockState::kInFirst ? BlockState::kInFirstElse : BlockState::kInLastElse;
        } else {
          // Blocks do not nest: an IF_FIRST or IF_LAST in here is an ordinary line.
          keep = selected;
        }
        break;
      }
      case BlockState::kInFirstElse:
      case BlockState::kInLastElse: {
        const bool selected = state == BlockState::kInFirstElse ? first : last;
        if (line == kEndIf) {
          keep = false;
          state = BlockState::kOutside;
        } else {
          // Only the first ELSE switches; a further one belongs to the ELSE part.
          keep = !selected;
        }
        break;
      }
    }
    if (keep) {
      ++k;
    } else {
      lines.Delete(k);
    }
  }
}

}  // namespace vellumix
