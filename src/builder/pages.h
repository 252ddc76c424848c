// SPDX-License-Identifier: GPL-2.0-or-later
// The album's pages: one page per image, the menu and blank pages, and the index page.
#pragma once

#include <string>
#include <string_view>

#include "builder/image_export.h"
#include "builder/run_log.h"
#include "builder/vellumix_state.h"
#include "platform/code_page.h"
#include "platform/line_list.h"

namespace vellumix {

// The page name of an image: its name with the extension replaced by `html_ext` (which starts
// with "."); a name without a "." after its last "/" gets `html_ext` appended.
std::string PageName(std::string_view image_name, std::string_view html_ext,
                     CodePage cp = ActiveCodePage());

// Begins the page of image `j` of `count` in `page`: empty when the template is empty, else the
// template with its conditional blocks resolved and "$CUR_P$", "$TOTAL_P$" and "$IMG_FNAME$"
// replaced.
void StartImagePage(const LineList& image_template, size_t j, size_t count,
                    const std::string& image_name, LineList& page,
                    CodePage cp = ActiveCodePage());

// What finishing an image page needs besides the page itself.
struct ImagePageValues {
  size_t j = 0;                        // 0-based position
  const LineList* image_names = nullptr;  // all image names, for the navigation links
  ImageFacts facts;
};

// Fills the image's own placeholders and the links to its neighbours, the first, last and index
// pages. "$PREV_PAGE$" stays on the first page and "$NEXT_PAGE$" on the last.
void FinishImagePage(LineList& page, const ImagePageValues& values, const VellumixState& state,
                     CodePage cp = ActiveCodePage());

// Writes a finished image page into the sub folder and appends "/  →" + page name to the log
// line; writes and logs nothing when the page has no text. Throws Failure when it cannot write.
void WriteImagePage(const LineList& page, const std::string& page_name,
                    const VellumixState& state, RunLog& log, CodePage cp = ActiveCodePage());

// Writes the menu page into the output folder and the blank page into the sub folder, each only
// when its template has text, logging "→ " + name and filling "$MENU_PAGE$" / "$BLANK_PAGE$" in
// the index template.
void WriteMenuAndBlankPages(const LineList& menu_page, const LineList& blank_page,
                            LineList& index_template, const VellumixState& state, RunLog& log,
                            CodePage cp = ActiveCodePage());

// Fills "$FIRST_PAGE$" and "$LAST_PAGE$", writes the index page into the output folder, logs
// "→ " + name and returns the path written.
std::string WriteIndexPage(LineList& index_template, const LineList& image_names,
                           const VellumixState& state, RunLog& log,
                           CodePage cp = ActiveCodePage());

}  // namespace vellumix
