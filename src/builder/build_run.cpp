// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/build_run.h"

#include <exception>
#include <string>
#include <vector>

#include "builder/image_collection.h"
#include "builder/image_export.h"
#include "builder/image_prefetch.h"
#include "builder/open_project.h"
#include "builder/output_names.h"
#include "builder/pages.h"
#include "builder/project_settings.h"
#include "builder/thumbnail.h"
#include "builder/thumbnail_table.h"
#include "platform/byte_string.h"
#include "platform/errors.h"
#include "platform/jpeg_image.h"
#include "template/template_loader.h"

namespace vellumix {

namespace {

// Enables both buttons and clears HtmlOnly however the run ends, an escaping failure included.
class RunCleanup {
 public:
  RunCleanup(VellumixState& state, RunLog& log) : state_(state), log_(log) {}
  ~RunCleanup() {
    state_.ExecBtnEnabled = true;
    state_.MenuBtnEnabled = true;
    state_.HtmlOnly = false;
    log_.ButtonsChanged();
  }
  RunCleanup(const RunCleanup&) = delete;
  RunCleanup& operator=(const RunCleanup&) = delete;

 private:
  VellumixState& state_;
  RunLog& log_;
};

// The run's own lists; they live exactly as long as one run.
struct WorkLists {
  LoadedTemplates templates;  // ImageTemplate, IndexTemplate, MenuTemplate, BlankTemplate
  LineList PageLines;
  std::vector<std::string> Texts;
  LineList ImageNames;
  LineList ThumbNames;
};

void PrepareTemplates(VellumixState& state, bool no_thumbnail, WorkLists& work, CodePage cp) {
  TemplateContext context;
  context.project_dir = state.ProjectDir;
  context.sub_dir_name = state.SubDirName;
  context.img_dir_name = state.ImgDirName;
  context.column = state.Column;
  context.has_thumbnail = !no_thumbnail;
  context.texts = work.Texts;
  context.image_count = state.SourceImages.Count();
  LoadedTemplates& t = work.templates;
  // The resolved paths stay on the state even when a later template aborts the run.
  const auto publish_paths = [&] {
    state.IndexPage = t.IndexPage;
    state.ImagePage = t.ImagePage;
    state.MenuPage = t.MenuPage;
    state.BlankPage = t.BlankPage;
  };
  try {
    LoadTemplates(*state.ProjectIni, context, t, cp);
  } catch (...) {
    publish_paths();
    throw;
  }
  publish_paths();
}

// Every name the run will write under the output folder must stay inside it.
void CheckOutputNames(const VellumixState& state, const WorkLists& work, CodePage cp) {
  RequireInsideOutputFolder(state.IndexName + state.HtmlExt, cp);
  for (size_t i = 0; i < work.ImageNames.Count(); ++i) {
    RequireInsideOutputFolder(state.ImgDirName + "/" + work.ImageNames[i], cp);
    RequireInsideOutputFolder(state.SubDirName + "/" + work.ThumbNames[i], cp);
  }
}

// Loads image `j` and, when the run will write its thumbnail, makes it. Runs on the prefetch
// workers while the pass goes on, so it only reads the state and the names, which nothing
// changes during the pass.
PreparedImage PrepareImage(size_t j, const VellumixState& state, bool no_thumbnail,
                           const WorkLists& work) {
  PreparedImage prepared;
  try {
    prepared.image = JpegImage::Load(state.SourceImages[j]);
  } catch (...) {
    prepared.load_failure = std::current_exception();
    return prepared;
  }
  if (!state.HtmlOnly && !no_thumbnail && !work.ThumbNames[j].empty()) {
    try {
      prepared.thumbnail = EncodeThumbnail(*prepared.image, state);
    } catch (...) {
      prepared.thumbnail_failure = std::current_exception();
    }
  }
  return prepared;
}

// One image: its log line, its page begun, the export, the thumbnail and cells, the page
// written. A failure met while preparing the image is raised at the step that met it, so the
// files written before it are exactly those a run one step at a time would have written.
void ProcessImage(size_t j, PreparedImage prepared, VellumixState& state, bool no_thumbnail,
                  WorkLists& work, ThumbnailTable& table, RunLog& log, CodePage cp) {
  const std::string& source_path = state.SourceImages[j];
  const size_t count = state.SourceImages.Count();
  const std::string& image_name = work.ImageNames[j];
  const std::string page_name = PageName(image_name, state.HtmlExt, cp);

  log.AddLine(std::string(FileNamePart(source_path, cp)));
  StartImagePage(work.templates.ImageTemplate, j, count, image_name, work.PageLines, cp);

  if (prepared.load_failure) std::rethrow_exception(prepared.load_failure);
  const JpegImage& image = *prepared.image;
  const ImageFacts facts = ExportImage(image, source_path, image_name, state, log, cp);
  if (!no_thumbnail) {
    if (prepared.thumbnail_failure) std::rethrow_exception(prepared.thumbnail_failure);
    const std::string* encoded = prepared.thumbnail ? &*prepared.thumbnail : nullptr;
    const Size cell = MakeThumbnail(image, work.ThumbNames[j], state, log, encoded, cp);
    CellValues values;
    values.href = state.SubDirName + "/" + page_name;
    values.src = state.SubDirName + "/" + work.ThumbNames[j];
    values.cell_width = cell.width;
    values.cell_height = cell.height;
    values.index = j + 1;
    values.image_name = image_name;
    values.file_size = facts.file_size;
    values.pixel_width = facts.width;
    values.pixel_height = facts.height;
    table.AddCells(j, values, cp);
  }

  if (!work.PageLines.Empty()) {
    FinishImagePage(work.PageLines, {j, &work.ImageNames, facts}, state, cp);
    WriteImagePage(work.PageLines, page_name, state, log, cp);
  }
  log.Progress(j + 1, count);
}

void Build(VellumixState& state, WorkLists& work, RunLog& log, CodePage cp) {
  const IniFile& project = *state.ProjectIni;
  ReadNameSettings(project, state, cp);
  const bool no_thumbnail = !ReadThumbnailSettings(project, state);
  work.Texts = ReadTexts(project);

  CollectSourceImages(state, log, cp);
  MakeOutputFolders(state, cp);
  PrepareTemplates(state, no_thumbnail, work, cp);
  ComputeOutputNames(state.SourceImages, state.ImgNameFormat, state.ThmNameFormat,
                     state.NameUpperCase, work.ImageNames, work.ThumbNames, cp);
  CheckOutputNames(state, work, cp);

  LoadedTemplates& t = work.templates;
  ThumbnailTable table(no_thumbnail ? 1 : state.Column, t.IndexCellTemplate, t.IndexIsTable,
                       t.MenuCellTemplate, t.MenuIsTable);
  const size_t count = state.SourceImages.Count();
  // Decoding is the only work worth spreading over the cores; without thumbnails to make, the
  // files are read in the pass itself.
  const bool decodes = !state.HtmlOnly && !no_thumbnail;
  const size_t threads = decodes ? ImagePrefetcher::DefaultThreads(count) : 0;
  // Two images a worker in flight keep every core busy while bounding the memory held.
  ImagePrefetcher prefetcher(count, threads, 2 * threads, [&](size_t j) {
    return PrepareImage(j, state, no_thumbnail, work);
  });
  for (size_t j = 0; j < count; ++j) {
    ProcessImage(j, prefetcher.Take(j), state, no_thumbnail, work, table, log, cp);
  }
  if (!no_thumbnail) table.CloseRows(state.BlankCell);

  PutRowsIntoTemplate(t.IndexTemplate, table.IndexRows());
  PutRowsIntoTemplate(t.MenuTemplate, table.MenuRows());
  WriteMenuAndBlankPages(t.MenuTemplate, t.BlankTemplate, t.IndexTemplate, state, log, cp);
  const std::string index_path = WriteIndexPage(t.IndexTemplate, work.ImageNames, state, log, cp);

  log.AddLine(Native("終了しました", cp));
  if (state.OpenResult) log.OpenIndexPage(index_path);
  if (!state.CompleteSound.empty()) log.PlaySound(state.CompleteSound);
}

}  // namespace

void RunBuild(VellumixState& state, RunLog& log, CodePage cp) {
  OpenProject(state, log, cp);
  log.AddLine("");
  log.AddLine(Native("作成開始", cp));
  state.ExecBtnEnabled = false;
  state.MenuBtnEnabled = false;
  log.ButtonsChanged();

  RunCleanup cleanup(state, log);
  WorkLists work;
  if (!state.ProjectIni) state.ProjectIni = std::make_unique<IniFile>(state.ProjectPath);
  try {
    Build(state, work, log, cp);
  } catch (const Abort& abort) {
    state.LastError = Native("エラー: ", cp) + abort.what();
    log.AddLine(state.LastError);
    log.AddLine(Native("中断しました", cp));
    log.Beep();
  }
}

}  // namespace vellumix
