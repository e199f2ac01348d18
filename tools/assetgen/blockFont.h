#pragma once

#include <string>
#include <vector>

// The title's own chunky letters, drawn on a grid of cells: '#' is filled, '.' is empty.
// Each glyph is nine rows high; widths differ (I and T are narrower).
struct BlockGlyph {
  std::vector<std::string> rows;
  int width() const { return static_cast<int>(rows.front().size()); }
  bool filled(int col, int row) const { return rows[row][col] == '#'; }
};

constexpr int blockGlyphRows = 9;

// The glyph for an upper-case letter of the title; an empty glyph for anything else.
const BlockGlyph& blockGlyph(char letter);
