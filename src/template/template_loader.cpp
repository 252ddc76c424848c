// SPDX-License-Identifier: GPL-2.0-or-later
#include "template/template_loader.h"

#include "platform/byte_string.h"
#include "platform/errors.h"
#include "platform/file_system.h"
#include "template/text_vars.h"
#include "userfunc/userfunc.h"

namespace vellumix {

namespace {

constexpr std::string_view kTemplateSection = "Template";

// Reads the file at `path` into `lines`, or aborts with `not_found` when nothing but a file
// will do: a folder of that name is as good as a missing template.
void LoadTemplateFile(const std::string& path, std::string_view not_found, LineList& lines,
                      CodePage cp) {
  if (!IsFile(path)) throw Abort(Native(not_found, cp));
  lines.LoadFromFile(path);
}

// The placeholders whose value is the same on every page of the album. "$THUMB_COL$" is left to
// the caller: only the index page gets it, and only when thumbnails are made.
void ReplaceGlobalPlaceholders(LineList& lines, const TemplateContext& context, CodePage cp) {
  ReplaceInLines(lines, "$SUB_DIR$", context.sub_dir_name, cp);
  ReplaceInLines(lines, "$IMG_DIR$", context.img_dir_name, cp);
  ReplaceInLines(lines, "$TOTAL_P$", std::to_string(context.image_count), cp);
}

// The user texts go in after the other global placeholders, so a text that reads "$SUB_DIR$"
// stays as typed, while one that reads like a marker line acts as one.
void ReplaceUserTexts(LineList& lines, const TemplateContext& context, CodePage cp) {
  lines.SetText(ReplaceTextVars(lines.Text(), context.texts, cp));
}

}  // namespace

std::string ResolveTemplatePath(std::string_view path, std::string_view project_dir, CodePage cp) {
  if (FindBytes(path, "/", cp) == std::string_view::npos) {
    return std::string(project_dir) + std::string(path);
  }
  return std::string(path);
}

std::string CutCellTemplate(const LineList& lines) {
  std::string cell;
  bool inside = false;
  for (const std::string& line : lines) {
    if (!inside) {
      inside = line == kThumbnailMarker;
      continue;
    }
    if (line == kThumbnailMarker) break;
    // A break only goes in front of a line when something precedes it, which drops the empty
    // lines at the start of the section but keeps those after its first text.
    if (!cell.empty()) cell += "\r\n";
    cell += line;
  }
  return cell;
}

bool IsTableCellTemplate(std::string_view cell, CodePage cp) {
  return PosNoCase("<td", cell, cp) > 0 || PosNoCase("<th", cell, cp) > 0;
}

void LoadTemplates(const IniFile& project, const TemplateContext& context, LoadedTemplates& out,
                   CodePage cp) {
  // Index page: the one template every album needs.
  out.IndexPage = project.ReadString(kTemplateSection, "IndexPage", "");
  if (out.IndexPage.empty()) {
    throw Abort(Native("インデックスページのテンプレートが指定されていません", cp));
  }
  out.IndexPage = ResolveTemplatePath(out.IndexPage, context.project_dir, cp);
  LoadTemplateFile(out.IndexPage, "インデックスページのテンプレートが見つかりません",
                   out.IndexTemplate, cp);
  ReplaceGlobalPlaceholders(out.IndexTemplate, context, cp);
  if (context.has_thumbnail) {
    ReplaceInLines(out.IndexTemplate, "$THUMB_COL$", std::to_string(context.column), cp);
  }
  ReplaceUserTexts(out.IndexTemplate, context, cp);
  if (context.has_thumbnail) {
    out.IndexCellTemplate = CutCellTemplate(out.IndexTemplate);
    out.IndexIsTable = IsTableCellTemplate(out.IndexCellTemplate, cp);
  } else {
    out.IndexCellTemplate.clear();
    out.IndexIsTable = false;
  }

  // Image page: only the user texts now; every other placeholder is filled per image, after the
  // conditional blocks have been resolved.
  out.ImageTemplate.Clear();
  out.ImagePage = project.ReadString(kTemplateSection, "ImagePage", "");
  if (!out.ImagePage.empty()) {
    out.ImagePage = ResolveTemplatePath(out.ImagePage, context.project_dir, cp);
    LoadTemplateFile(out.ImagePage, "画像ページのテンプレートが見つかりません", out.ImageTemplate,
                     cp);
    ReplaceUserTexts(out.ImageTemplate, context, cp);
  }

  // Menu page: its cell template is cut whether or not thumbnails are made, and "$THUMB_COL$"
  // is not one of its placeholders.
  out.MenuTemplate.Clear();
  out.MenuCellTemplate.clear();
  out.MenuIsTable = false;
  out.MenuPage = project.ReadString(kTemplateSection, "MenuPage", "");
  if (!out.MenuPage.empty()) {
    out.MenuPage = ResolveTemplatePath(out.MenuPage, context.project_dir, cp);
    LoadTemplateFile(out.MenuPage, "メニューページのテンプレートが見つかりません", out.MenuTemplate,
                     cp);
    ReplaceGlobalPlaceholders(out.MenuTemplate, context, cp);
    ReplaceUserTexts(out.MenuTemplate, context, cp);
    out.MenuCellTemplate = CutCellTemplate(out.MenuTemplate);
    out.MenuIsTable = IsTableCellTemplate(out.MenuCellTemplate, cp);
  }

  // Blank page: global placeholders only, no cell template.
  out.BlankTemplate.Clear();
  out.BlankPage = project.ReadString(kTemplateSection, "BlankPage", "");
  if (!out.BlankPage.empty()) {
    out.BlankPage = ResolveTemplatePath(out.BlankPage, context.project_dir, cp);
    LoadTemplateFile(out.BlankPage, "ブランクページのテンプレートが見つかりません",
                     out.BlankTemplate, cp);
    ReplaceGlobalPlaceholders(out.BlankTemplate, context, cp);
    ReplaceUserTexts(out.BlankTemplate, context, cp);
  }
}

}  // namespace vellumix
