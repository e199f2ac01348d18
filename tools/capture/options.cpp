#include "options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/system.h"

const char* const usageText =
    "usage: orbitra-capture [options]\n"
    "Renders the intro offline: frame n with the clock at START + 20 n ms, and the music\n"
    "from its first sample at frame 0.\n"
    "  -o, --output FILE   finished video with sound, made by ffmpeg: lossless RGB H.264 and\n"
    "                      FLAC in .mkv, or with --web H.264 and AAC in .mp4, .mkv or .mov\n"
    "      --web           web-friendly video for -o\n"
    "      --y4m FILE      YUV4MPEG2 stream, 4:4:4 (FILE - for standard output)\n"
    "      --420           4:2:0 chroma in the --y4m stream\n"
    "      --wav FILE      the soundtrack: 16-bit stereo 22050 Hz, 441 samples a frame\n"
    "      --png-dir DIR   every frame as DIR/000000.png, DIR/000001.png, ...\n"
    "      --shot TICK     the first frame at or after TICK as frame-TICK.png (repeatable)\n"
    "      --shot-dir DIR  where --shot writes (default: the working folder)\n"
    "      --seconds S     length, to the nearest frame (default 100; with only --shot,\n"
    "                      up to the last shot)\n"
    "      --frames N      length in frames of 20 ms\n"
    "      --start MS      clock reading of the first frame (default 300)\n"
    "      --from MS       write from the first frame at or after MS; the frames before\n"
    "                      are drawn all the same, as the history that leads there\n"
    "      --scale N       enlarge N times, nearest neighbour (1 to 16)\n"
    "      --fit WxH       the largest whole enlargement that fits WxH, centred on black\n"
    "      --quiet         no progress bar or summary\n"
    "      --hashes END EVERY [TICK...]\n"
    "                      print \"<tick> <hash>\" of the frames from tick 0 to END at every\n"
    "                      EVERY ms, \"all <hash>\", then one frame at each TICK\n"
    "      --sound-hashes S\n"
    "                      print \"sound S\", \"<second> <hash>\" of each of the first S\n"
    "                      seconds of the soundtrack, then \"all <hash>\"\n"
    "      --verify        check this copy's files with the golden lists shipped with them\n"
    "                      (and its programs with programs.txt beside res/, when there),\n"
    "                      load them as the intro does, play and draw the golden run here\n"
    "                      and compare it with the golden lists: \"all N frames and S s of\n"
    "                      sound identical, F files intact in DIR\" and status 0, or the\n"
    "                      first difference (the file, the frame and tick, the second of\n"
    "                      sound) and status 1; a res/ in the working folder is compared too\n";

namespace {
constexpr int64_t maxFrames = 10 * 3600 * 50;  // ten hours: the WAV stays under 4 GiB

bool wholeNumber(const char* text, uint64_t limit, uint64_t& value) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || parsed > limit) return false;
  value = parsed;
  return true;
}

bool tickValue(const char* text, Uint32& value) {
  uint64_t parsed;
  if (!wholeNumber(text, UINT32_MAX, parsed)) return false;
  value = static_cast<Uint32>(parsed);
  return true;
}

bool sizeValue(const char* text, int& width, int& height) {
  const char* cross = text ? std::strchr(text, 'x') : nullptr;
  if (cross == nullptr) return false;
  const std::string first(text, cross);
  uint64_t w, h;
  if (!wholeNumber(first.c_str(), 16384, w) || !wholeNumber(cross + 1, 16384, h)) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

std::string extensionOf(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.find_last_of(pathSeparators);
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}
}  // namespace

bool parseOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
  bool lengthGiven = false, scaleGiven = false;
  Uint32 from = 0;
  bool fromGiven = false;
  const auto bad = [&](const std::string& text) {
    error = text;
    return false;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    const auto needs = [&](const std::string& what) { return bad(arg + " needs " + what); };
    uint64_t number = 0;
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--web") {
      options.web = true;
    } else if (arg == "--420") {
      options.halfChroma = true;
    } else if (arg == "-o" || arg == "--output" || arg == "--y4m" || arg == "--wav" ||
               arg == "--png-dir" || arg == "--shot-dir") {
      if (value == nullptr || *value == '\0') return needs("a file or folder name");
      std::string& target = arg == "--y4m"        ? options.y4m
                            : arg == "--wav"      ? options.wav
                            : arg == "--png-dir"  ? options.pngDir
                            : arg == "--shot-dir" ? options.shotDir
                                                  : options.video;
      target = value;
      ++i;
    } else if (arg == "--shot") {
      Uint32 tick;
      if (!tickValue(value, tick)) return needs("a tick in ms (a whole number)");
      options.shots.push_back(tick);
      ++i;
    } else if (arg == "--start") {
      if (!tickValue(value, options.start)) return needs("a tick in ms (a whole number)");
      ++i;
    } else if (arg == "--from") {
      if (!tickValue(value, from)) return needs("a tick in ms (a whole number)");
      fromGiven = true;
      ++i;
    } else if (arg == "--frames") {
      if (!wholeNumber(value, maxFrames, number) || number == 0) {
        return needs("a number of frames from 1 to " + std::to_string(maxFrames));
      }
      options.frames = static_cast<int64_t>(number);
      lengthGiven = true;
      ++i;
    } else if (arg == "--seconds") {
      char* end = nullptr;
      const double seconds = value ? std::strtod(value, &end) : 0;
      const double frames = std::round(seconds * 50);
      if (value == nullptr || *end != '\0' || !(frames >= 1) || frames > maxFrames) {
        return needs("a length in seconds from 0.02 to 36000");
      }
      options.frames = static_cast<int64_t>(frames);
      lengthGiven = true;
      ++i;
    } else if (arg == "--scale") {
      if (!wholeNumber(value, 16, number) || number == 0)
        return needs("a whole factor from 1 to 16");
      options.scale = static_cast<int>(number);
      scaleGiven = true;
      ++i;
    } else if (arg == "--fit") {
      if (!sizeValue(value, options.fitWidth, options.fitHeight)) {
        return needs("a frame size such as 1920x1080");
      }
      if (options.fitWidth < 320 || options.fitHeight < 240) {
        return bad("--fit " + std::string(value) + " is smaller than the 320x240 picture");
      }
      ++i;
    } else if (arg == "--verify") {
      if (argc != 2) return bad("--verify takes no other options");
      options.verify = true;
    } else if (arg == "--sound-hashes") {
      uint64_t seconds = 0;
      if (!wholeNumber(value, 86400, seconds) || seconds == 0) {
        return needs("a number of seconds from 1 to 86400");
      }
      if (argc != 3) return bad("--sound-hashes takes no other options");
      options.soundSeconds = static_cast<int>(seconds);
      break;
    } else if (arg == "--hashes") {
      options.hashes = true;
      if (!tickValue(value, options.hashEnd) || i + 2 >= argc ||
          !tickValue(argv[i + 2], options.hashEvery) || options.hashEvery == 0) {
        return needs("an end tick and a step in ms, then any ticks");
      }
      // The run steps 20 ms past its end: an end the clock cannot step past never stops.
      if (options.hashEnd > UINT32_MAX - 20) {
        return bad("--hashes: the clock cannot step past " + std::string(value) +
                   " without wrapping");
      }
      for (int k = i + 3; k < argc; ++k) {
        Uint32 tick;
        if (!tickValue(argv[k], tick))
          return bad("--hashes: " + std::string(argv[k]) + " is not a tick");
        options.jumps.push_back(tick);
      }
      if (i != 1) return bad("--hashes takes no other options");
      break;
    } else {
      return bad("unknown option " + arg + " (see --help)");
    }
  }
  if (options.help || options.hashes || options.verify || options.soundSeconds > 0) return true;

  if (scaleGiven && options.fitWidth > 0) return bad("--scale and --fit exclude each other");
  if (options.video.empty() && options.y4m.empty() && options.wav.empty() &&
      options.pngDir.empty() && options.shots.empty()) {
    return bad("nothing to make: give -o, --y4m, --wav, --png-dir or --shot (see --help)");
  }
  if (options.web && options.video.empty()) return bad("--web goes with -o");
  if (options.halfChroma && options.y4m.empty()) return bad("--420 goes with --y4m");
  if (options.y4m == "-" && options.wav == "-")
    return bad("only one output can be standard output");
  if (options.video == "-" || options.pngDir == "-") return bad("-o and --png-dir need a name");
  const std::vector<const std::string*> files = {&options.video, &options.y4m, &options.wav};
  for (size_t a = 0; a < files.size(); ++a) {
    for (size_t b = a + 1; b < files.size(); ++b) {
      if (!files[a]->empty() && *files[a] == *files[b] && *files[a] != "-") {
        return bad("two outputs write " + *files[a]);
      }
    }
  }
  if (!options.video.empty()) {
    const std::string extension = extensionOf(options.video);
    if (options.web && extension != "mp4" && extension != "mkv" && extension != "mov") {
      return bad("-o " + options.video + ": web video goes into .mp4, .mkv or .mov");
    }
    if (!options.web && extension != "mkv") {
      return bad("-o " + options.video + ": lossless video goes into .mkv (add --web for .mp4)");
    }
    if (options.web && options.fitWidth > 0 && (options.fitWidth % 2 || options.fitHeight % 2)) {
      return bad("--web needs an even --fit size");
    }
  }
  std::sort(options.shots.begin(), options.shots.end());
  if (fromGiven && from > options.start) {
    options.skipFrames = (static_cast<int64_t>(from) - options.start + 19) / 20;
    if (options.skipFrames + options.frames > 2 * maxFrames) return bad("--from is too far on");
  }
  if (!lengthGiven && !options.shots.empty() && options.video.empty() && options.y4m.empty() &&
      options.wav.empty() && options.pngDir.empty()) {
    // Only shots: run until the last one is drawn.
    const Uint32 last = options.shots.back();
    options.frames = last <= options.start ? 1 : (last - options.start + 19) / 20 + 1;
    options.frames = std::max<int64_t>(1, options.frames - options.skipFrames);
    if (options.frames > maxFrames) return bad("--shot " + std::to_string(last) + " is too far on");
  }
  if (!options.shots.empty()) {
    const uint64_t end = options.start + 20ull * (options.skipFrames + options.frames - 1);
    if (options.shots.back() > end) {
      return bad("--shot " + std::to_string(options.shots.back()) +
                 " comes after the last frame (tick " + std::to_string(end) + ")");
    }
  }
  return true;
}
