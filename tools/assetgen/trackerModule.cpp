#include "trackerModule.h"

namespace {

const int periods[noteCount] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

void putText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? text[i] : 0);
}

void putWord(std::vector<uint8_t>& out, size_t value) {
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void putSampleHeader(std::vector<uint8_t>& out, const ModuleSample* sample) {
  if (!sample) {
    putText(out, "", 22);
    putWord(out, 0);
    out.push_back(0), out.push_back(0);
    putWord(out, 0), putWord(out, 1);
    return;
  }
  putText(out, sample->name, 22);
  putWord(out, sample->data.size() / 2);
  out.push_back(0);  // finetune
  out.push_back(static_cast<uint8_t>(sample->volume));
  if (sample->loopLength > 0) {
    putWord(out, sample->loopStart / 2);
    putWord(out, sample->loopLength / 2);
  } else {
    putWord(out, 0), putWord(out, 1);
  }
}

void putCell(std::vector<uint8_t>& out, const ModuleCell& cell) {
  const int period = cell.note == noNote ? 0 : notePeriod(cell.note);
  out.push_back(static_cast<uint8_t>((cell.sample & 0xF0) | (period >> 8)));
  out.push_back(static_cast<uint8_t>(period & 0xFF));
  out.push_back(static_cast<uint8_t>(((cell.sample & 0x0F) << 4) | (cell.effect & 0x0F)));
  out.push_back(static_cast<uint8_t>(cell.param & 0xFF));
}

}  // namespace

int notePeriod(int note) {
  return note >= 0 && note < noteCount ? periods[note] : 0;
}

std::vector<uint8_t> encodeModule(const Module& module) {
  std::vector<uint8_t> out;
  putText(out, module.title, 20);
  for (int slot = 0; slot < maxSamples; ++slot) {
    const bool used = slot < static_cast<int>(module.samples.size());
    putSampleHeader(out, used ? &module.samples[slot] : nullptr);
  }
  out.push_back(static_cast<uint8_t>(module.order.size()));
  out.push_back(127);
  for (int i = 0; i < maxOrders; ++i) {
    out.push_back(
        static_cast<uint8_t>(i < static_cast<int>(module.order.size()) ? module.order[i] : 0));
  }
  putText(out, "M.K.", 4);
  for (const ModulePattern& pattern : module.patterns) {
    for (const auto& row : pattern.rows) {
      for (const ModuleCell& cell : row) putCell(out, cell);
    }
  }
  for (const ModuleSample& sample : module.samples) {
    for (int8_t value : sample.data) out.push_back(static_cast<uint8_t>(value));
  }
  return out;
}
