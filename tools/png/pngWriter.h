#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGB image (rows top to bottom, 3 bytes per pixel) as a PNG file. The file
// holds no time or text chunks, so the same pixels always give the same bytes. Returns false
// when the size does not match the data or the file cannot be written.
bool writeRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
