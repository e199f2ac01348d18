#include "encoder.h"

#include <sstream>

#include "base/system.h"

namespace {
void appendWords(std::vector<std::string>& args, const std::string& words) {
  std::istringstream in(words);
  std::string word;
  while (in >> word) args.push_back(word);
}
}  // namespace

std::vector<std::string> encoderArguments(const EncoderSettings& settings) {
  std::vector<std::string> args = {
      "-hide_banner", "-nostats", "-loglevel", "error", "-y",
      // The frames, exactly 50 a second, and the soundtrack, both from time 0.
      "-f", "rawvideo", "-pixel_format", "rgb24", "-video_size",
      std::to_string(settings.width) + "x" + std::to_string(settings.height), "-framerate", "50",
      "-i", "pipe:0", "-i", settings.soundFile, "-map", "0:v", "-map", "1:a"};
  if (settings.web) {
    // 4:2:0 H.264 as web players need, converted with the matrix the file is tagged with.
    appendWords(args,
                "-vf scale=out_color_matrix=bt709:out_range=tv -c:v libx264 -preset veryfast "
                "-crf 18 -tune animation -pix_fmt yuv420p -colorspace bt709 "
                "-color_primaries bt709 -color_trc bt709 -color_range tv "
                "-c:a aac -b:a 192k -movflags +faststart");
  } else {
    // Lossless RGB H.264 and FLAC: every pixel and sample comes back exactly. Of the
    // lossless coders at hand it makes the smallest files of the enlarged flat pixel art
    // in the least time.
    appendWords(args, "-c:v libx264rgb -qp 0 -preset veryfast -c:a flac");
  }
  // The same file from the same frames on any machine: no version strings or creation
  // times written, and a fixed number of encoder threads, which the coding depends on.
  appendWords(args, "-threads 4 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact");
  args.push_back(settings.outputFile);
  return args;
}

bool Encoder::finish(std::string& error) {
  if (!endProcess()) {
    error = failure("ffmpeg failed");
    return false;
  }
  // A clean exit alone does not prove the video was written.
  PathInfo info;
  if (!pathInfo(output_, info) || info.size == 0) {
    error = failure("ffmpeg ended without writing the video");
    return false;
  }
  return true;
}

std::string Encoder::failure(const std::string& what) {
  endProcess();
  std::string text = messages();
  // The last non-empty line is the one that names the cause.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const size_t lineStart = text.find_last_of('\n');
  const std::string last = lineStart == std::string::npos ? text : text.substr(lineStart + 1);
  return last.empty() ? what : what + ": " + last;
}
