// SPDX-License-Identifier: GPL-2.0-or-later
#include "template/conditional_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/line_list.h"

namespace vellumix {
namespace {

using Lines = std::vector<std::string>;

const std::string F = "<!--IF_FIRST-->";
const std::string L = "<!--IF_LAST-->";
const std::string E = "<!--ELSE-->";
const std::string N = "<!--ENDIF-->";

// A template and the page it gives for the first, a middle and the last image of an album of
// three, and for the image of an album of one.
struct BlockCase {
  const char* name;
  Lines template_lines;
  Lines first;
  Lines middle;
  Lines last;
  Lines only;
};

Lines Apply(const Lines& template_lines, bool first, bool last) {
  LineList lines(template_lines);
  ApplyConditionalBlocks(lines, first, last);
  return lines.Lines();
}

void ExpectPages(const BlockCase& c) {
  SCOPED_TRACE(c.name);
  EXPECT_EQ(c.first, Apply(c.template_lines, true, false)) << "first of three";
  EXPECT_EQ(c.middle, Apply(c.template_lines, false, false)) << "middle of three";
  EXPECT_EQ(c.last, Apply(c.template_lines, false, true)) << "last of three";
  EXPECT_EQ(c.only, Apply(c.template_lines, true, true)) << "album of one";
}

TEST(ApplyConditionalBlocks, FirstAndLastBlocksWithElseParts) {
  const BlockCase cases[] = {
      {"IF_FIRST with ELSE",
       {"A", F, "B", E, "C", N, "D"},
       {"A", "B", "D"},
       {"A", "C", "D"},
       {"A", "C", "D"},
       {"A", "B", "D"}},
      {"IF_LAST with ELSE",
       {"A", L, "B", E, "C", N},
       {"A", "C"},
       {"A", "C"},
       {"A", "B"},
       {"A", "B"}},
      {"IF_FIRST without ELSE", {F, "B", N, "D"}, {"B", "D"}, {"D"}, {"D"}, {"B", "D"}},
      {"IF_LAST without ELSE", {L, "B", N, "D"}, {"D"}, {"D"}, {"B", "D"}, {"B", "D"}},
      {"two blocks in a row",
       {F, "A", N, L, "B", N, "C"},
       {"A", "C"},
       {"C"},
       {"B", "C"},
       {"A", "B", "C"}},
      {"several lines in each part",
       {"<a>", F, "1", "2", E, "3", "4", N, "</a>"},
       {"<a>", "1", "2", "</a>"},
       {"<a>", "3", "4", "</a>"},
       {"<a>", "3", "4", "</a>"},
       {"<a>", "1", "2", "</a>"}},
      {"empty lines belong to their part", {F, "", E, "", "", N}, {""}, {"", ""}, {"", ""}, {""}},
      {"empty block", {F, E, N, L, N}, {}, {}, {}, {}},
      {"empty template", {}, {}, {}, {}, {}},
  };
  for (const BlockCase& c : cases) ExpectPages(c);
}

TEST(ApplyConditionalBlocks, MarkersWhereNoBlockExpectsThem) {
  const BlockCase cases[] = {
      // Blocks do not nest: an opening marker inside a block is an ordinary line of it, and the
      // first ENDIF closes the block.
      {"IF_LAST inside IF_FIRST",
       {F, L, "X", N, "Y", N},
       {L, "X", "Y", N},
       {"Y", N},
       {"Y", N},
       {L, "X", "Y", N}},
      {"IF_FIRST inside IF_LAST",
       {L, F, "X", N, "Y", N},
       {"Y", N},
       {"Y", N},
       {F, "X", "Y", N},
       {F, "X", "Y", N}},
      {"IF_LAST inside an ELSE part",
       {F, "A", E, L, "B", N, "C"},
       {"A", "C"},
       {L, "B", "C"},
       {L, "B", "C"},
       {"A", "C"}},
      {"IF_FIRST inside an ELSE part",
       {L, "A", E, F, "B", N, "C"},
       {F, "B", "C"},
       {F, "B", "C"},
       {"A", "C"},
       {"A", "C"}},
      // ELSE and ENDIF outside a block are ordinary lines.
      {"stray ENDIF", {"A", N, "B"}, {"A", N, "B"}, {"A", N, "B"}, {"A", N, "B"}, {"A", N, "B"}},
      {"stray ELSE", {E, "A", E}, {E, "A", E}, {E, "A", E}, {E, "A", E}, {E, "A", E}},
      {"ENDIF after a closed block", {F, "A", N, N}, {"A", N}, {N}, {N}, {"A", N}},
      // Only the first ELSE switches; a second one is a line of the ELSE part.
      {"second ELSE in IF_FIRST",
       {F, "A", E, "B", E, "C", N},
       {"A"},
       {"B", E, "C"},
       {"B", E, "C"},
       {"A"}},
      {"second ELSE in IF_LAST",
       {L, "A", E, "B", E, "C", N},
       {"B", E, "C"},
       {"B", E, "C"},
       {"A"},
       {"A"}},
  };
  for (const BlockCase& c : cases) ExpectPages(c);
}

TEST(ApplyConditionalBlocks, BlockWithoutEndifRunsToTheEnd) {
  const BlockCase cases[] = {
      {"IF_LAST", {L, "A"}, {}, {}, {"A"}, {"A"}},
      {"IF_FIRST", {"X", F, "A", "B"}, {"X", "A", "B"}, {"X"}, {"X"}, {"X", "A", "B"}},
      {"ELSE part of IF_FIRST", {F, "A", E, "B"}, {"A"}, {"B"}, {"B"}, {"A"}},
      {"ELSE part of IF_LAST", {L, "A", E, "B"}, {"B"}, {"B"}, {"A"}, {"A"}},
      // A page left without lines is one the image page stage does not write.
      {"only one IF_FIRST block", {F, "A", N}, {"A"}, {}, {}, {"A"}},
  };
  for (const BlockCase& c : cases) ExpectPages(c);
}

TEST(ApplyConditionalBlocks, OnlyExactWholeLinesAreMarkers) {
  const Lines lines = {"<!--if_first-->",     "A", " <!--IF_FIRST-->", "<!--IF_LAST--> ",
                       "<!--IF_FIRST--><br>", "B", "\t<!--ELSE-->",    "<!--Endif-->"};
  ExpectPages({"look-alikes", lines, lines, lines, lines, lines});

  // Look-alikes inside a block are ordinary lines of it and do not end it.
  const Lines inside = {F, "<!--endif-->", " <!--ELSE-->", "<!--ENDIF--> ", N, "Z"};
  ExpectPages({"look-alikes inside a block",
               inside,
               {"<!--endif-->", " <!--ELSE-->", "<!--ENDIF--> ", "Z"},
               {"Z"},
               {"Z"},
               {"<!--endif-->", " <!--ELSE-->", "<!--ENDIF--> ", "Z"}});
}

}  // namespace
}  // namespace vellumix
