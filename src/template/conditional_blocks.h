// SPDX-License-Identifier: GPL-2.0-or-later
// Conditional blocks of the image page template: lines kept only on the first or the last image's
// page ("<!--IF_FIRST-->", "<!--IF_LAST-->"), with an optional "<!--ELSE-->" part for every other
// page, closed by "<!--ENDIF-->". Markers count only as whole lines, exactly as written; blocks do
// not nest, and a block without "<!--ENDIF-->" runs to the end.
#pragma once

#include "platform/line_list.h"

namespace vellumix {

// Removes the lines that do not belong on the page of an image that is `first` and/or `last`,
// and the marker lines that open, switch and close blocks. Never fails.
void ApplyConditionalBlocks(LineList& lines, bool first, bool last);

}  // namespace vellumix
