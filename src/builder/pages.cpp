// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/pages.h"

#include <string>

#include "builder/image_collection.h"
#include "builder/thumbnail_table.h"
#include "platform/byte_string.h"
#include "template/conditional_blocks.h"
#include "userfunc/userfunc.h"

namespace vellumix {

namespace {

// Writes a page; the names come from the project's patterns, so check first that the file
// lands inside the output folder.
void SavePage(const LineList& page, const VellumixState& state, const std::string& relative,
              CodePage cp) {
  RequireInsideOutputFolder(relative, cp);
  page.SaveToFile(state.OutputDir + relative);
}

std::string NamedPage(std::string_view word, const VellumixState& state, CodePage cp) {
  std::string name = std::string(word) + state.HtmlExt;
  return state.NameUpperCase ? UpperCase(name, cp) : name;
}

}  // namespace

std::string PageName(std::string_view image_name, std::string_view html_ext, CodePage cp) {
  const size_t slash = FindLastByte(image_name, '/', cp);
  const size_t dot = FindLastByte(image_name, '.', cp);
  const bool has_extension =
      dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
  return std::string(has_extension ? image_name.substr(0, dot) : image_name) +
         std::string(html_ext);
}

void StartImagePage(const LineList& image_template, size_t j, size_t count,
                    const std::string& image_name, LineList& page, CodePage cp) {
  page.Clear();
  if (image_template.Empty()) return;
  page = image_template;
  ApplyConditionalBlocks(page, j == 0, j + 1 == count);
  ReplaceInLines(page, "$CUR_P$", std::to_string(j + 1), cp);
  ReplaceInLines(page, "$TOTAL_P$", std::to_string(count), cp);
  ReplaceInLines(page, "$IMG_FNAME$", image_name, cp);
}

void FinishImagePage(LineList& page, const ImagePageValues& values, const VellumixState& state,
                     CodePage cp) {
  const LineList& names = *values.image_names;
  const size_t j = values.j;
  const size_t count = names.Count();
  auto page_of = [&](size_t i) { return PageName(names[i], state.HtmlExt, cp); };

  const std::string& image_name = names[j];
  ReplaceInLines(page, "$IMG_SRC$",
                 state.ImgDirName.empty() ? "../" + image_name
                                          : "../" + state.ImgDirName + "/" + image_name,
                 cp);
  ReplaceInLines(page, "$IMG_WIDTH$", std::to_string(values.facts.width), cp);
  ReplaceInLines(page, "$IMG_HEIGHT$", std::to_string(values.facts.height), cp);
  ReplaceInLines(page, "$IMG_FNAME$", image_name, cp);
  ReplaceInLines(page, "$IMG_FSIZE$", Kilobytes(values.facts.file_size), cp);
  if (j > 0) ReplaceInLines(page, "$PREV_PAGE$", page_of(j - 1), cp);
  ReplaceInLines(page, "$INDEX_PAGE$", "../" + state.IndexName + state.HtmlExt, cp);
  if (j + 1 < count) ReplaceInLines(page, "$NEXT_PAGE$", page_of(j + 1), cp);
  ReplaceInLines(page, "$FIRST_PAGE$", page_of(0), cp);
  ReplaceInLines(page, "$LAST_PAGE$", page_of(count - 1), cp);
}

void WriteImagePage(const LineList& page, const std::string& page_name,
                    const VellumixState& state, RunLog& log, CodePage cp) {
  if (page.Empty()) return;
  SavePage(page, state, state.SubDirName + "/" + page_name, cp);
  log.AppendToLastLine(Native("/  →", cp) + page_name);
}

void WriteMenuAndBlankPages(const LineList& menu_page, const LineList& blank_page,
                            LineList& index_template, const VellumixState& state, RunLog& log,
                            CodePage cp) {
  if (!menu_page.Empty()) {
    const std::string name = NamedPage("menu", state, cp);
    SavePage(menu_page, state, name, cp);
    log.AddLine(Native("→ ", cp) + name);
    ReplaceInLines(index_template, "$MENU_PAGE$", name, cp);
  }
  if (!blank_page.Empty()) {
    const std::string name = NamedPage("blank", state, cp);
    SavePage(blank_page, state, state.SubDirName + "/" + name, cp);
    log.AddLine(Native("→ ", cp) + name);
    ReplaceInLines(index_template, "$BLANK_PAGE$", name, cp);
  }
}

std::string WriteIndexPage(LineList& index_template, const LineList& image_names,
                           const VellumixState& state, RunLog& log, CodePage cp) {
  ReplaceInLines(index_template, "$FIRST_PAGE$", PageName(image_names[0], state.HtmlExt, cp), cp);
  ReplaceInLines(index_template, "$LAST_PAGE$",
                 PageName(image_names[image_names.Count() - 1], state.HtmlExt, cp), cp);
  const std::string name = state.IndexName + state.HtmlExt;
  SavePage(index_template, state, name, cp);
  log.AddLine(Native("→ ", cp) + name);
  return state.OutputDir + name;
}

}  // namespace vellumix
