#include "blockFont.h"

#include <map>

namespace {

const std::map<char, BlockGlyph>& glyphs() {
  static const std::map<char, BlockGlyph> table = {
      {'O',
       {{".#####.", "#######", "##...##", "##...##", "##...##", "##...##", "##...##", "#######",
         ".#####."}}},
      {'R',
       {{"######.", "#######", "##...##", "##...##", "######.", "#####..", "##.###.", "##..###",
         "##...##"}}},
      {'B',
       {{"######.", "#######", "##...##", "##..##.", "######.", "##..###", "##...##", "#######",
         "######."}}},
      {'I', {{"####", "####", ".##.", ".##.", ".##.", ".##.", ".##.", "####", "####"}}},
      {'T',
       {{"######", "######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..",
         "..##.."}}},
      {'A',
       {{".#####.", "#######", "##...##", "##...##", "#######", "#######", "##...##", "##...##",
         "##...##"}}},
  };
  return table;
}

}  // namespace

const BlockGlyph& blockGlyph(char letter) {
  static const BlockGlyph empty{{std::string(), std::string(), std::string(), std::string(),
                                 std::string(), std::string(), std::string(), std::string(),
                                 std::string()}};
  const auto found = glyphs().find(letter);
  return found == glyphs().end() ? empty : found->second;
}
