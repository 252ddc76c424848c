// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/thumbnail_table.h"

#include <gtest/gtest.h>

namespace vellumix {
namespace {

CellValues Image(size_t j) {
  CellValues v;
  v.index = j + 1;
  return v;
}

std::string Rows(int column, size_t images, bool is_table, std::string blank = "-") {
  ThumbnailTable table(column, is_table ? "<td>$INDEX$</td>" : "[$INDEX$]", is_table, "", false);
  for (size_t j = 0; j < images; ++j) table.AddCells(j, Image(j));
  table.CloseRows(blank);
  return table.IndexRows();
}

TEST(ThumbnailTable, RowsAndFillerCells) {
  const struct {
    int column;
    size_t images;
    const char* expected;
  } cases[] = {
      {3, 7,
       "<tr>\r\n<td>1</td>\r\n<td>2</td>\r\n<td>3</td>\r\n</tr>\r\n"
       "<tr>\r\n<td>4</td>\r\n<td>5</td>\r\n<td>6</td>\r\n</tr>\r\n"
       "<tr>\r\n<td>7</td>\r\n<td>-</td>\r\n<td>-</td>\r\n</tr>\r\n"},
      {3, 6,
       "<tr>\r\n<td>1</td>\r\n<td>2</td>\r\n<td>3</td>\r\n</tr>\r\n"
       "<tr>\r\n<td>4</td>\r\n<td>5</td>\r\n<td>6</td>\r\n</tr>\r\n"},
      {1, 2, "<tr>\r\n<td>1</td>\r\n</tr>\r\n<tr>\r\n<td>2</td>\r\n</tr>\r\n"},
      {5, 2,
       "<tr>\r\n<td>1</td>\r\n<td>2</td>\r\n<td>-</td>\r\n<td>-</td>\r\n<td>-</td>\r\n"
       "</tr>\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Rows(c.column, c.images, true)) << c.column << " " << c.images;
  }
}

TEST(ThumbnailTable, CellsWithoutTableTagsJustFollowOneAnother) {
  EXPECT_EQ("[1]\r\n[2]\r\n[3]\r\n", Rows(2, 3, false));
}

TEST(ThumbnailTable, EmptyBlankCellAndBothTablesShareTheRowCount) {
  ThumbnailTable table(2, "<td>i</td>", true, "<li>m</li>", false);
  table.AddCells(0, Image(0));
  table.CloseRows("");
  EXPECT_EQ("<tr>\r\n<td>i</td>\r\n<td></td>\r\n</tr>\r\n", table.IndexRows());
  EXPECT_EQ("<li>m</li>\r\n", table.MenuRows());
}

TEST(FillCell, ReplacesEveryCellPlaceholderInOrder) {
  CellValues v;
  v.href = "htmsub/a.htm";
  v.src = "htmsub/t.jpg";
  v.cell_width = 50;
  v.cell_height = 37;
  v.index = 12;
  v.image_name = "a.jpg";
  v.file_size = 1536;
  v.pixel_width = 640;
  v.pixel_height = 480;
  EXPECT_EQ("htmsub/a.htm htmsub/t.jpg 50x37 #12 a.jpg 2KB 640x480 $CUR_P$",
            FillCell("$HREF$ $SRC$ $WIDTH$x$HEIGHT$ #$INDEX$ $IMG_FNAME$ $IMG_FSIZE$KB "
                     "$IMG_WIDTH$x$IMG_HEIGHT$ $CUR_P$",
                     v));
  // Later passes search what earlier ones inserted.
  v.href = "$WIDTH$";
  EXPECT_EQ("50", FillCell("$HREF$", v));
}

TEST(Kilobytes, RoundsHalvesUp) {
  const struct {
    int64_t bytes;
    const char* kb;
  } cases[] = {{0, "0"}, {511, "0"}, {512, "1"}, {1535, "1"}, {1536, "2"}, {10485760, "10240"}};
  for (const auto& c : cases) EXPECT_EQ(c.kb, Kilobytes(c.bytes)) << c.bytes;
}

TEST(PutRowsIntoTemplate, ReplacesTheMarkedSection) {
  const struct {
    std::vector<std::string> lines;
    std::vector<std::string> expected;
  } cases[] = {
      {{"a", "<!--THUMBNAIL-->", "cell", "<!--THUMBNAIL-->", "b"}, {"a", "ROWS", "b"}},
      {{"a", "<!--THUMBNAIL-->", "<!--THUMBNAIL-->"}, {"a", "ROWS"}},
      {{"a", " <!--THUMBNAIL-->", "b"}, {"a", " <!--THUMBNAIL-->", "b"}},  // not a marker
      {{"a", "<!--THUMBNAIL-->", "c", "d"}, {"a"}},  // no closing marker: rows are lost
      {{"<!--THUMBNAIL-->", "x", "<!--THUMBNAIL-->", "y", "<!--THUMBNAIL-->"},
       {"ROWS", "y", "<!--THUMBNAIL-->"}},
  };
  for (const auto& c : cases) {
    LineList page(c.lines);
    PutRowsIntoTemplate(page, "ROWS");
    EXPECT_EQ(c.expected, page.Lines()) << LineList(c.lines).Text();
  }
}

TEST(PutRowsIntoTemplate, EmptyLineFollowsTheRowsInTheWrittenText) {
  LineList page({"<table>", "<!--THUMBNAIL-->", "x", "<!--THUMBNAIL-->", "</table>"});
  PutRowsIntoTemplate(page, "<tr>\r\n</tr>\r\n");
  EXPECT_EQ("<table>\r\n<tr>\r\n</tr>\r\n\r\n</table>\r\n", page.Text());
}

}  // namespace
}  // namespace vellumix
