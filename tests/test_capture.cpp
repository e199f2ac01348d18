// orbitra-capture run as users run it: its files are read back with readers of their own here
// and checked against the golden frame hashes, the mixer's own output and each other.
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/frameHash.h"
#include "check/goldenList.h"
#include "check/sha256.h"
#include "support/runProgram.h"
#include "support/testPlatform.h"

namespace {
namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string errText, outText;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the tool from `folder` (the source tree by default, where res/ lives), its standard
// output a pipe.
Outcome capture(const std::string& arguments, const std::string& environment = "",
                const std::string& folder = ORBITRA_SOURCE_DIR,
                const std::string& program = ORBITRA_CAPTURE) {
  if (!mayStart(program)) return {};
  const std::string errFile =
      fs::temp_directory_path() / ("capture-err-" + std::to_string(getpid()));
  // Bounded: a file the tool should refuse may otherwise hold it for ever.
  const std::string command = "cd '" + folder + "' && timeout 120 env " + environment + " '" +
                              program + "' " + arguments + " 2>'" + errFile + "' </dev/null";
  Outcome run;
  FILE* output = popen(command.c_str(), "r");
  char buffer[65536];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, output)) > 0;)
    run.outText.append(buffer, got);
  const int raw = pclose(output);
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  run.errText = readFile(errFile);
  std::remove(errFile.c_str());
  return run;
}

uint32_t little(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// A YUV4MPEG2 stream: its header words and its frames' planes.
struct Y4m {
  int width = 0, height = 0;
  std::string chroma, rate;
  std::vector<std::string> frames;
  int chromaWidth() const { return chroma == "444" ? width : (width + 1) / 2; }
  int chromaHeight() const { return chroma == "444" ? height : (height + 1) / 2; }
  uint8_t sample(int frame, int plane, int x, int y) const {
    const size_t luma = static_cast<size_t>(width) * height;
    const size_t chromaSize = static_cast<size_t>(chromaWidth()) * chromaHeight();
    const size_t start = plane == 0 ? 0 : luma + (plane - 1) * chromaSize;
    const int rowLength = plane == 0 ? width : chromaWidth();
    return static_cast<uint8_t>(frames[frame][start + static_cast<size_t>(y) * rowLength + x]);
  }
};

Y4m readY4m(const std::string& path) {
  const std::string data = readFile(path);
  Y4m y4m;
  const size_t headerEnd = data.find('\n');
  std::istringstream words(data.substr(0, headerEnd));
  std::string word;
  words >> word;
  EXPECT_EQ(word, "YUV4MPEG2");
  while (words >> word) {
    if (word[0] == 'W') y4m.width = std::stoi(word.substr(1));
    if (word[0] == 'H') y4m.height = std::stoi(word.substr(1));
    if (word[0] == 'C') y4m.chroma = word.substr(1);
    if (word[0] == 'F') y4m.rate = word.substr(1);
  }
  const size_t frameSize = static_cast<size_t>(y4m.width) * y4m.height +
                           2 * static_cast<size_t>(y4m.chromaWidth()) * y4m.chromaHeight();
  for (size_t at = headerEnd + 1; at < data.size(); at += 6 + frameSize) {
    EXPECT_EQ(data.substr(at, 6), "FRAME\n");
    y4m.frames.push_back(data.substr(at + 6, frameSize));
  }
  return y4m;
}

// A PNG as 8-bit RGB, read by the image library.
struct Rgb {
  int width = 0, height = 0;
  std::vector<uint8_t> bytes;
  const uint8_t* at(int x, int y) const { return &bytes[(static_cast<size_t>(y) * width + x) * 3]; }
};

Rgb readPng(const std::string& path) {
  Rgb image;
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return image;
  }
  image.width = loaded->w;
  image.height = loaded->h;
  SDL_LockSurface(loaded);
  for (int y = 0; y < loaded->h; ++y) {
    for (int x = 0; x < loaded->w; ++x) {
      const Uint8* p = static_cast<Uint8*>(loaded->pixels) + y * loaded->pitch +
                       x * loaded->format->BytesPerPixel;
      Uint32 value = 0;
      std::memcpy(&value, p, loaded->format->BytesPerPixel);
      Uint8 r, g, b;
      SDL_GetRGB(value, loaded->format, &r, &g, &b);
      image.bytes.insert(image.bytes.end(), {r, g, b});
    }
  }
  SDL_UnlockSurface(loaded);
  SDL_FreeSurface(loaded);
  return image;
}

// The hash the golden file holds, of the display's 16-bit little-endian RGB565 pixels, which
// the RGB of a captured frame gives back exactly.
std::string displayHash(const Rgb& image) {
  std::vector<uint8_t> display;
  for (size_t i = 0; i < image.bytes.size(); i += 3) {
    const unsigned value =
        (image.bytes[i] >> 3) << 11 | (image.bytes[i + 1] >> 2) << 5 | image.bytes[i + 2] >> 3;
    display.insert(display.end(),
                   {static_cast<uint8_t>(value & 0xff), static_cast<uint8_t>(value >> 8)});
  }
  const int rowBytes = image.width * 2;
  return frameHashText(hashFrame(display.data(), rowBytes, image.height, rowBytes));
}

std::map<uint32_t, std::string> goldenHashes() {
  std::map<uint32_t, std::string> hashes;
  std::ifstream in(std::string(ORBITRA_SOURCE_DIR) + "/res/golden/frames.txt");
  std::string tick, hash;
  std::getline(in, tick);  // the run's arguments
  while (in >> tick >> hash) {
    if (tick != "all") hashes[static_cast<uint32_t>(std::stoul(tick))] = hash;
  }
  return hashes;
}

bool haveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}
}  // namespace

// Frames through both picture paths, every frame into a folder and single shots, from the
// clock's start as the golden run draws them: each hashes as the golden file says. The folder
// starts later (--from, off the 20 ms grid: at the next frame), after the frames before it
// were drawn as its history.
TEST(CaptureExecTest, FramesMatchTheGoldenHashes) {
  TempWorkDir work;
  for (const std::string& arguments :
       {"--quiet --start 0 --from 10990 --frames 30 --png-dir " + work.path() + "/all",
        "--quiet --start 0 --shot 1000 --shot 80000 --shot-dir " + work.path()}) {
    const Outcome run = capture(arguments);
    ASSERT_EQ(run.status, 0) << run.errText;
  }
  const std::map<uint32_t, std::string> golden = goldenHashes();
  int compared = 0;
  for (auto mark = golden.lower_bound(11000); mark != golden.lower_bound(11000 + 30 * 20); ++mark) {
    char name[32];
    std::snprintf(name, sizeof name, "/all/%06u.png", (mark->first - 11000) / 20);
    EXPECT_EQ(displayHash(readPng(work.path() + name)), mark->second) << "tick " << mark->first;
    ++compared;
  }
  EXPECT_EQ(compared, 3);
  // The curtain, and the red ball over the bars after 4000 frames of history.
  for (uint32_t tick : {1000u, 80000u}) {
    ASSERT_EQ(golden.count(tick), 1u);
    const Rgb shot = readPng(work.path() + "/frame-" + std::to_string(tick) + ".png");
    EXPECT_EQ(displayHash(shot), golden.at(tick)) << "shot at tick " << tick;
  }
}

// --verify by a copy of the tool whose own data folder (a build tree's source tree) holds golden
// lists of a short run (listed by --hashes and --sound-hashes, their lines the golden lists' own)
// and sums made by sha256sum: it passes, naming that folder; a changed byte in a file names the
// file and its line of the sums, also when started from a folder whose own res/ is intact; an
// altered line of a list (its sums made again) the first frame or second that differs, a damaged
// music file the intro's own message. A res/ in the working folder is checked too.
TEST(CaptureExecTest, VerifyNamesTheFirstDifference) {
  TempWorkDir work, other;
  fs::copy(std::string(ORBITRA_SOURCE_DIR) + "/res", work.path() + "/res",
           fs::copy_options::recursive);
  fs::copy(std::string(ORBITRA_SOURCE_DIR) + "/res", other.path() + "/res",
           fs::copy_options::recursive);
  fs::create_directory(work.path() + "/bin");
  const std::string tool = work.path() + "/bin/orbitra-capture";
  fs::copy_file(ORBITRA_CAPTURE, tool);
  std::ofstream(work.path() + "/bin/orbitra-source-tree") << work.path() << "\n";
  const std::string own = fs::canonical(work.path()).string() + "/res";
  const std::string here = fs::canonical(other.path()).string() + "/res";
  const std::string both = "orbitra-capture: the intro started here reads " + here + ", not " +
                           own + ": checking both\n";
  const Outcome listed = capture("--hashes 1000 250 330890");
  ASSERT_EQ(listed.status, 0) << listed.errText;
  const Outcome sounds = capture("--sound-hashes 2");
  ASSERT_EQ(sounds.status, 0) << sounds.errText;
  const std::map<uint32_t, std::string> golden = goldenHashes();
  std::istringstream lines(listed.outText);
  std::string header;
  std::getline(lines, header);
  EXPECT_EQ(header, "frames 1000 250 330890");
  for (std::string tick, hash; lines >> tick >> hash;) {
    if (tick != "all" && std::stoul(tick) <= 1000) {  // the jump depends on a longer history
      EXPECT_EQ(hash, golden.at(std::stoul(tick))) << "tick " << tick;
    }
  }
  const std::string goldenSound =
      readFile(std::string(ORBITRA_SOURCE_DIR) + "/res/golden/sound.txt");
  EXPECT_EQ(sounds.outText.substr(8, 38), goldenSound.substr(10, 38)) << "seconds 0 and 1";
  const std::string dir = work.path() + "/res/golden/";
  const auto makeSums = [&] {
    return std::system(("cd '" + work.path() + "' && sha256sum res/*.dat res/*.ttf " +
                        "res/golden/frames.txt res/golden/sound.txt >res/golden/sums.txt")
                           .c_str());
  };
  // The lists with the last digit of the line that starts with `alter` changed, and the files
  // with byte 100 of `damage` changed after their sums were made.
  // With `mixer32`, the hash this build played kept on the line as the 32-bit player's.
  const auto verify = [&](const std::string& alter, const std::string& damage = "",
                          bool mixer32 = false) {
    std::string frames = listed.outText, sound = sounds.outText;
    std::string& list = alter.find(' ') == 1 ? sound : frames;
    if (!alter.empty() && alter != "here") {
      const size_t end = list.find('\n', list.find("\n" + alter) + 1);
      const std::string played = list.substr(end - 16, 16);
      char& digit = list[end - 1];
      digit = digit == '0' ? '1' : '0';
      if (mixer32) list.insert(end, " " + played);
    }
    std::ofstream(dir + "frames.txt") << frames;
    std::ofstream(dir + "sound.txt") << sound;
    EXPECT_EQ(makeSums(), 0);
    if (!damage.empty()) {
      std::fstream file(work.path() + "/" + damage,
                        std::ios::in | std::ios::out | std::ios::binary);
      file.seekp(100);
      file.put('\x5a');
    }
    return capture("--verify", "", alter == "here" ? other.path() : work.path(), tool);
  };
  // Passed, from its own folder and then from one with the same files; failed from one with a
  // changed file.
  std::string all = "orbitra-capture: all 52 frames and 2 s of sound identical, 8 files intact in ";
  all += own;
  EXPECT_EQ(verify("").errText, all + "\n");
  // A download's programs list beside res/: each program it names, in the tool's folder, counted;
  // one changed, or cut short, named.
  const std::string bin = work.path() + "/bin",
                    programs = own.substr(0, own.size() - 3) + "programs.txt";
  fs::copy_file(ORBITRA_CAPTURE, bin + "/orbitra");
  ASSERT_EQ(std::system(
                ("cd '" + bin + "' && sha256sum orbitra orbitra-capture >../programs.txt").c_str()),
            0);
  std::string counted = all;
  EXPECT_EQ(verify("").errText, counted.replace(counted.find(" 8 "), 3, " 10 ") + "\n");
  for (const auto size : {fs::file_size(bin + "/orbitra") + 1, uintmax_t{4096}}) {
    fs::resize_file(bin + "/orbitra", size);
    EXPECT_EQ(verify("").errText, "orbitra-capture: " + fs::canonical(bin).string() +
                                      "/orbitra is damaged: its SHA-256 differs from line 1 of " +
                                      programs + "\n");
  }
  // A list naming no program, or none that can be read, fails too.
  std::ofstream(programs, std::ios::trunc);
  EXPECT_EQ(verify("").errText, "orbitra-capture: " + programs + " lists no program\n");
  fs::remove(programs);
  fs::create_directory(programs);
  EXPECT_EQ(verify("").errText, "orbitra-capture: cannot read the programs' sums " + programs +
                                    ": it is not a regular file\n");
  fs::remove(programs);
  fs::copy(work.path() + "/res", other.path() + "/res",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  const Outcome passed = verify("here");
  EXPECT_EQ(passed.status, 0);
  EXPECT_EQ(passed.errText, both + all + "; the intro started here reads " + here +
                                ", whose 8 files are the same\n");
  std::ofstream(other.path() + "/res/rball.dat", std::ios::app) << "x";
  const Outcome failedHere = verify("here");
  EXPECT_EQ(failedHere.status, 1);
  EXPECT_EQ(failedHere.errText, both + all + ", but the intro started here reads " + here + ": " +
                                    here +
                                    "/rball.dat is damaged: its SHA-256 differs from line 4 of " +
                                    own + "/golden/sums.txt\n");
  for (const auto& [line, verdict] : std::map<std::string, std::string>{
           {"500 ", "frame 25 (tick 500 ms) differs from the golden list"},
           {"all ",
            "a frame between ticks 0 and 1000 ms differs from the golden list, none of "
            "those it lists"},
           {"330890 ", "frame 51 (tick 330890 ms) differs from the golden list"},
           {"1 ", "second 1 of the sound differs from the golden list"}}) {
    const Outcome failed = verify(line);
    EXPECT_EQ(failed.status, 1) << line;
    EXPECT_EQ(failed.errText, "orbitra-capture: " + verdict + " in " + own + "\n");
  }
  // The 32-bit player's hash passes only a build that plays its mixing.
  EXPECT_EQ(verify("1 ", "", true).errText,
            ORBITRA_TOOL_MIXER32 ? all + "\n"
                                 : "orbitra-capture: second 1 of the sound differs from the golden "
                                   "list in " +
                                       own + "\n");
  // The own copy damaged, the working folder's intact: the own copy is the one that fails.
  for (const auto& [file, line] : std::map<std::string, std::string>{
           {"zak.dat", "5"}, {"logo.dat", "3"}, {"golden/frames.txt", "7"}}) {
    const Outcome failed = verify("here", "res/" + file);
    EXPECT_EQ(failed.status, 1) << file;
    EXPECT_EQ(failed.errText, both + "orbitra-capture: " + own + "/" + file +
                                  " is damaged: its SHA-256 differs from line " + line + " of " +
                                  own + "/golden/sums.txt\n");
  }
  // A music file that the sums let pass but the mixer cannot load ends as the intro would.
  std::ofstream(dir + "frames.txt") << listed.outText;
  fs::copy_file(std::string(ORBITRA_SOURCE_DIR) + "/res/logo.dat", work.path() + "/res/logo.dat",
                fs::copy_options::overwrite_existing);
  std::ofstream(work.path() + "/res/zak.dat", std::ios::trunc);
  ASSERT_EQ(makeSums(), 0);
  const Outcome unloadable = capture("--verify", "", work.path(), tool);
  EXPECT_EQ(unloadable.status, 1);
  EXPECT_EQ(unloadable.errText, "Music load error! File: res/zak.dat (read from " + own + ")\n");
  // A list that is no list, none at all, a pipe or a file far too large is named, with the
  // reason, before anything is loaded or read from it.
  std::ofstream(dir + "sound.txt") << "sound\n";
  ASSERT_EQ(makeSums(), 0);
  const auto refused = [&] { return capture("--verify", "", work.path(), tool).errText; };
  EXPECT_EQ(refused(), "orbitra-capture: cannot read the golden list " + own +
                           "/golden/sound.txt: line 1 is not \"sound <seconds>\"\n");
  fs::resize_file(dir + "sound.txt", (1 << 20) + 1);
  EXPECT_EQ(refused(), "orbitra-capture: cannot read " + own +
                           "/golden/sound.txt: it is larger than 1048576 bytes\n");
  std::ofstream(dir + "sound.txt") << "sound\n";
  fs::resize_file(work.path() + "/res/zak.dat", 16 << 20 | 1);
  EXPECT_EQ(refused(),
            "orbitra-capture: cannot read " + own + "/zak.dat: it is larger than 16777216 bytes\n");
  fs::resize_file(work.path() + "/res/zak.dat", 0);
  fs::remove(dir + "sums.txt");
  EXPECT_EQ(refused(), "orbitra-capture: cannot read the golden list " + own +
                           "/golden/sums.txt: No such file or directory\n");
  ASSERT_EQ(mkfifo((dir + "sums.txt").c_str(), 0600), 0);
  EXPECT_EQ(refused(), "orbitra-capture: cannot read the golden list " + own +
                           "/golden/sums.txt: it is not a regular file\n");
}

// The golden lists' readers take a list only whole: every line complete and in its place,
// the count the first line asks for, whatever the line ends; and the sums only of files
// inside the data, every shipped one named.
TEST(CaptureExecTest, GoldenListsAreReadWhole) {
  const std::string hash = "0123456789abcdef";
  const auto line = [&](const std::string& label) { return label + " " + hash + "\n"; };
  const std::string frames =
      "frames 40 20 99\n" + line("0") + line("20") + line("40") + line("all") + line("99");
  const auto readFrames = [](const std::string& text) {
    GoldenCheck check;
    std::string error;
    return check.read(text, error) ? "read" : error;
  };
  std::string crlf = "\xEF\xBB\xBF";
  for (char c : frames) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(readFrames(frames), "read");
  EXPECT_EQ(readFrames(crlf), "read");
  EXPECT_EQ(readFrames(frames.substr(0, frames.size() - 1)), "read");  // no last line end
  std::string damaged = frames;
  damaged.insert(damaged.find("\n40 "), "zz");
  EXPECT_EQ(readFrames(damaged), "line 3 is not \"20 <hash>\"");
  EXPECT_EQ(readFrames(frames.substr(0, frames.rfind("99 "))),
            "line 6 is missing: the list ends early (6 lines expected)");
  EXPECT_EQ(readFrames(frames + line("100")), "line 7 is past the list's end (6 lines expected)");
  EXPECT_EQ(readFrames("frames 40 20\n" + line("0") + line("40") + line("all")),
            "line 3 is \"40\" where the run has \"20\"");
  EXPECT_EQ(readFrames("frames 4294967290 20\n"),
            "line 1 asks for an end tick the clock cannot reach without wrapping");
  // Refused from its first line alone, before a line is kept for the run it asks for.
  EXPECT_EQ(readFrames("frames 4294967275 20\n"), "line 1 asks for a run longer than a day");

  const auto readSound = [&](const std::string& text) {
    SoundCheck check;
    std::string error;
    return check.read(text, false, error) ? "read" : error;
  };
  EXPECT_EQ(readSound("sound 2\n" + line("0") + line("1") + line("all")), "read");
  EXPECT_EQ(readSound("sound 2\n" + line("0") + line("all")), "line 3 is not \"1 <hash>\"");
  // A second as the 32-bit mixer plays it passes only in a build that plays it so.
  const std::vector<int16_t> silence(2 * SoundCheck::framesPerSecond);
  const int bytes = static_cast<int>(silence.size() * 2);
  const std::string silent = frameHashText(hashFrame(silence.data(), bytes, 1, bytes));
  for (bool mixer32 : {false, true}) {
    SoundCheck check;
    std::string error;
    ASSERT_TRUE(check.read("sound 1\n0 " + hash + " " + silent + "\nall " + silent, mixer32, error))
        << error;
    check.add(silence.data(), SoundCheck::framesPerSecond);
    EXPECT_EQ(check.passed(), mixer32);
    EXPECT_EQ(check.failure().empty(), mixer32) << check.failure();
  }

  const std::vector<std::string> shipped = {"res/a.dat", "res/b.dat"};
  const auto sums = [&](const std::string& text) {
    int files = 0;
    std::string error;
    const auto read = [](const std::string& name, std::string& contents, std::string& why) {
      contents = name == "res/a.dat" ? "abc" : "";
      why = "gone";
      return name.compare(0, 4, "res/") == 0;
    };
    return checkSums(text, shipped, read, files, error, "/d/") ? std::to_string(files) + " intact"
                                                               : error;
  };
  const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  const std::string empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
  EXPECT_EQ(sums(abc + "  res/a.dat\n" + empty + " *res/b.dat\n"), "2 intact");
  EXPECT_EQ(sums(abc + "  res/a.dat\n" + abc + "  res/b.dat\n"),
            "/d/res/b.dat is damaged: its SHA-256 differs from line 2 of /d/res/golden/sums.txt");
  EXPECT_EQ(sums(abc + "  res/a.dat\n"), "/d/res/golden/sums.txt does not list res/b.dat");
  EXPECT_EQ(sums(abc + "  res/a.dat\n" + empty + "  res/b.dat\n" + empty + "  res/../x\n"),
            "line 3 of /d/res/golden/sums.txt is not \"<sha-256>  <file>\"");
  // A name the download does not ship is the list's damage; a shipped file is the file's.
  EXPECT_EQ(sums(abc + "  res/a.dat\n" + empty + "  res/b.dat\n" + empty + "  x/c\n"),
            "line 3 of /d/res/golden/sums.txt names x/c, which cannot be read: gone");

  // SHA-256 of each length class of the padding (a block has room for the length after at most
  // 55 bytes), fed in uneven pieces, and the standard million bytes; 0 bytes is the empty file's.
  for (const auto& [length, digest] : std::map<size_t, std::string>{
           {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
           {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
           {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
           {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
           {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
           {120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
           {1000000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}}) {
    const std::string letters(length, 'a');
    Sha256 sum;
    for (size_t at = 0; at < length; at += 7)
      sum.add(&letters[at], std::min<size_t>(7, length - at));
    EXPECT_EQ(sum.hex(), digest) << length << " bytes";
  }
}

// A symbolic link is written through and kept; a link to an open file (/dev/stdout is one,
// here to a pipe) is written in place; finished files get the ordinary mode; --seconds rounds
// to whole frames.
TEST(CaptureExecTest, OutputsGoThroughLinksAndIntoOpenFiles) {
  TempWorkDir work;
  const std::string out = work.path() + "/";
  fs::create_symlink("sound.wav", out + "link.wav");
  const mode_t usual = umask(027);
  const Outcome linked = capture("--quiet --seconds 0.07 --wav " + out +
                                 "link.wav --y4m /dev/fd/3 3>" + out + "open.y4m");
  umask(usual);
  // Added to, as through a descriptor the shell opened with >>.
  std::ofstream(out + "added.y4m") << "kept\n";
  const Outcome piped =
      capture("--quiet --frames 1 --wav /dev/stdout --y4m /dev/fd/4 4>>" + out + "added.y4m");
  ASSERT_EQ(linked.status, 0) << linked.errText;
  ASSERT_EQ(piped.status, 0) << piped.errText;
  EXPECT_TRUE(fs::is_symlink(out + "link.wav"));
  EXPECT_EQ(fs::file_size(out + "sound.wav"), 44u + 4 * 441 * 4);
  EXPECT_EQ(fs::status(out + "sound.wav").permissions(), static_cast<fs::perms>(0640));
  EXPECT_EQ(readY4m(out + "open.y4m").frames.size(), 4u);
  EXPECT_EQ(piped.outText.size(), 44u + 441 * 4);
  EXPECT_EQ(readFile(out + "added.y4m").substr(0, 15), "kept\nYUV4MPEG2 ");
}

// Not a test on its own, so disabled: the mixer playing the module as the program asks,
// through the disk audio driver, for the test below. The classic SDL 1.2 writes the mixer's
// 22050 Hz stream as it is; the compatibility library over SDL 2 would resample it on the way
// to the device.
TEST(CaptureExecTest, DISABLED_MixerReference) {
  const char* output = std::getenv("ORBITRA_MIXER_OUTPUT");
  ASSERT_NE(output, nullptr) << "run by CaptureExecTest.SoundtrackIsWhatTheMixerPlays";
  const uintmax_t wanted = std::stoull(std::getenv("ORBITRA_MIXER_BYTES"));
  const SDL_version* linked = SDL_Linked_Version();
  ASSERT_LT(SDL_VERSIONNUM(linked->major, linked->minor, linked->patch), SDL_VERSIONNUM(1, 2, 50))
      << "the compatibility library is loaded, not the classic one";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output, 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 2048), 0) << Mix_GetError();
  Mix_Music* music = Mix_LoadMUS(ORBITRA_SOURCE_DIR "/res/zak.dat");
  ASSERT_NE(music, nullptr) << Mix_GetError();
  // Silent buffers come first, as many as the driver wrote before the music started; the
  // file lags the driver by at most its write buffer.
  SDL_LockAudio();
  ASSERT_EQ(Mix_PlayMusic(music, -1), 0);
  const uintmax_t before = fs::file_size(output) + 3 * 8192;
  SDL_UnlockAudio();
  for (int waited = 0; waited < 60000; waited += 10) {
    std::error_code ignored;
    if (fs::file_size(output, ignored) >= before + wanted && !ignored) break;
    SDL_Delay(10);
  }
  Mix_HaltMusic();
  Mix_FreeMusic(music);
  Mix_CloseAudio();
  SDL_Quit();
}

// 95 s, past the module's end at about 92 s, so the restart is compared as well.
TEST(CaptureExecTest, SoundtrackIsWhatTheMixerPlays) {
  TempWorkDir work;
  const int frames = 95 * 50;
  ASSERT_EQ(
      capture("--quiet --frames " + std::to_string(frames) + " --wav " + work.path() + "/sound.wav")
          .status,
      0);
  const std::string wav = readFile(work.path() + "/sound.wav");
  const uint32_t dataBytes = frames * 441 * 4;
  ASSERT_EQ(wav.size(), 44 + dataBytes);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(little(wav, 4, 4), 36 + dataBytes);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(little(wav, 16, 4), 16u);
  EXPECT_EQ(little(wav, 20, 2), 1u);  // PCM
  EXPECT_EQ(little(wav, 22, 2), 2u);
  EXPECT_EQ(little(wav, 24, 4), 22050u);
  EXPECT_EQ(little(wav, 28, 4), 22050u * 4);
  EXPECT_EQ(little(wav, 32, 2), 4u);
  EXPECT_EQ(little(wav, 34, 2), 16u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(little(wav, 40, 4), dataBytes);

  // The mixer's own output, from a second run of this test on the classic library.
  const std::string raw = work.path() + "/mixer.raw";
  const uintmax_t wanted = dataBytes;
  // Asked in-process: under an emulator /proc/<pid>/exe would name the emulator instead.
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(length, 0);
  const ProgramResult mixer = runProgram(
      work.path(), std::string(self, static_cast<size_t>(length)),
      {"--gtest_also_run_disabled_tests", "--gtest_filter=CaptureExecTest.DISABLED_MixerReference"},
      {"LD_LIBRARY_PATH=" ORBITRA_CLASSIC_SDL_DIR, "ORBITRA_MIXER_OUTPUT=" + raw,
       "ORBITRA_MIXER_BYTES=" + std::to_string(wanted)},
      120);
  ASSERT_EQ(mixer.status, 0) << "the mixer's run failed: " << mixer.errText;
  const std::string mixed = readFile(raw);
  // The music starts on a buffer boundary (2048 samples of 4 bytes) after silent ones.
  const std::string samples = wav.substr(44);
  size_t start = 0;
  while (start + 8192 <= mixed.size() && mixed.compare(start, 8192, std::string(8192, '\0')) == 0) {
    start += 8192;
  }
  ASSERT_LT(std::count(samples.begin(), samples.begin() + 8192, '\0'), 8192)
      << "the music starts with a silent buffer: the alignment above would skip it";
  ASSERT_GE(mixed.size(), start + samples.size());
  size_t differing = 0;
  for (size_t i = 0; i < samples.size(); i += 2) {
    if (samples.compare(i, 2, mixed, start + i, 2) != 0) ++differing;
  }
  EXPECT_EQ(differing, 0u) << "of " << samples.size() / 2 << " samples";

  // A later part alone (--from) has the same samples as that part of the whole.
  ASSERT_EQ(capture("--quiet --from 60300 --frames 100 --wav " + work.path() + "/part.wav").status,
            0);
  EXPECT_TRUE(readFile(work.path() + "/part.wav").substr(44) ==
              samples.substr(3000 * 441 * 4, 100 * 441 * 4));
}

// Nearest-neighbour enlargement in both picture paths (RGB for PNG and video, YUV for the
// stream), fitted frames, the colours by the studio-range BT.601 formulas, and 4:2:0 chroma
// against 4:4:4.
TEST(CaptureExecTest, EnlargementIsAnExactCopy) {
  TempWorkDir work;
  const std::string out = work.path() + "/";
  const std::string common = " --quiet --start 45000 --frames 2 --shot 45020 --shot-dir ";
  for (const std::string& run :
       {common + out + "s1 --y4m " + out + "s1.y4m", common + out + "s3 --scale 3",
        common + out + "fit --fit 1000x700 --y4m " + out + "fit.y4m",
        common + out + "low --fit 640x300",
        common + out + "odd --420 --fit 962x480 --y4m " + out + "odd.y4m",
        common + out + "s2 --scale 2 --y4m " + out + "s2.y4m",
        common + out + "h1 --420 --y4m " + out + "h1.y4m",
        common + out + "h2 --420 --scale 2 --y4m " + out + "h2.y4m"}) {
    ASSERT_EQ(capture(run).status, 0) << run;
  }
  int mismatches = 0;
  // RGB: three times, twice centred at (180, 110) on black in 1000x700, once at (160, 30).
  const Rgb one = readPng(out + "s1/frame-45020.png");
  const uint8_t black[3] = {0, 0, 0};
  const auto expectAt = [&](const std::string& name, int width, int height, int scale, int left,
                            int top) {
    const Rgb image = readPng(out + name + "/frame-45020.png");
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool inside =
            x >= left && x < left + 320 * scale && y >= top && y < top + 240 * scale;
        const uint8_t* expected = inside ? one.at((x - left) / scale, (y - top) / scale) : black;
        mismatches += std::memcmp(image.at(x, y), expected, 3) != 0;
      }
    }
  };
  expectAt("s3", 960, 720, 3, 0, 0);
  expectAt("fit", 1000, 700, 2, 180, 110);
  expectAt("low", 640, 300, 1, 160, 30);
  // YUV: the same, with studio-range black; all below 720 lines, so all one colour matrix.
  const Y4m s1 = readY4m(out + "s1.y4m"), s2 = readY4m(out + "s2.y4m");
  const Y4m fit = readY4m(out + "fit.y4m"), h1 = readY4m(out + "h1.y4m"),
            h2 = readY4m(out + "h2.y4m"), odd = readY4m(out + "odd.y4m");
  ASSERT_EQ(s1.frames.size(), 2u);
  EXPECT_EQ(s1.rate, "50:1");
  EXPECT_EQ(s1.chroma, "444");
  EXPECT_EQ(h1.chroma, "420jpeg");
  ASSERT_EQ(s2.width, 640);
  ASSERT_EQ(fit.width, 1000);
  ASSERT_EQ(fit.height, 700);
  for (const Y4m* y4m : {&s2, &fit, &h1, &h2, &odd}) ASSERT_EQ(y4m->frames.size(), 2u);
  for (int frame = 0; frame < 2; ++frame) {
    for (int plane = 0; plane < 3; ++plane) {
      for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
          mismatches += s2.sample(frame, plane, x, y) != s1.sample(frame, plane, x / 2, y / 2);
        }
      }
      for (int y = 0; y < 700; ++y) {
        for (int x = 0; x < 1000; ++x) {
          const bool inside = x >= 180 && x < 820 && y >= 110 && y < 590;
          const uint8_t border = plane == 0 ? 16 : 128;
          const int expected =
              inside ? s1.sample(frame, plane, (x - 180) / 2, (y - 110) / 2) : border;
          mismatches += fit.sample(frame, plane, x, y) != expected;
        }
      }
      // BT.601 in studio range from the shot's colours, exact but for the final rounding.
      const double matrix[3][3] = {
          {65.481, 128.553, 24.966}, {-37.797, -74.203, 112.0}, {112.0, -93.786, -18.214}};
      for (int y = 0; frame == 1 && y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
          const uint8_t* c = one.at(x, y);
          const double* m = matrix[plane];
          const double exact = (plane ? 128 : 16) + (m[0] * c[0] + m[1] * c[1] + m[2] * c[2]) / 255;
          mismatches += std::abs(s1.sample(frame, plane, x, y) - exact) > 0.5 + 1e-9;
        }
      }
      // An odd left border (161 columns): each 4:2:0 block spans two enlarged pixels.
      const auto wide = [&](int x, int y) {
        return x >= 161 && x < 801 ? s1.sample(frame, plane, (x - 161) / 2, y / 2) : 128;
      };
      for (int y = 0; plane > 0 && y < 240; ++y) {
        for (int x = 0; x < 481; ++x) {
          const int sum = wide(2 * x, 2 * y) + wide(2 * x + 1, 2 * y) + wide(2 * x, 2 * y + 1) +
                          wide(2 * x + 1, 2 * y + 1);
          mismatches += odd.sample(frame, plane, x, y) != (sum + 2) / 4;
        }
      }
      // 4:2:0 halves the chroma: each sample the rounded mean of a 2x2 block, so at twice
      // the size it is the picture's own chroma.
      for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
          if (plane == 0) {
            mismatches += h1.sample(frame, 0, x, y) != s1.sample(frame, 0, x, y);
            continue;
          }
          mismatches += h2.sample(frame, plane, x, y) != s1.sample(frame, plane, x, y);
          if (x < 160 && y < 120) {
            const int sum = s1.sample(frame, plane, 2 * x, 2 * y) +
                            s1.sample(frame, plane, 2 * x + 1, 2 * y) +
                            s1.sample(frame, plane, 2 * x, 2 * y + 1) +
                            s1.sample(frame, plane, 2 * x + 1, 2 * y + 1);
            mismatches += h1.sample(frame, plane, x, y) != (sum + 2) / 4;
          }
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Each refusal and failure: one line naming the cause, its status, and nothing left behind
// under any name.
TEST(CaptureExecTest, BadOptionsAndUnwritableOutputsFailCleanly) {
  TempWorkDir work;
  const std::string out = work.path() + "/out";
  fs::create_directory(out);
  const std::string wav = " --quiet --frames 5 --wav " + out + "/a.wav";
  // Encoders that read every frame, then fail or end cleanly without writing the video.
  for (const char* ending : {"1", "0"}) {
    fs::create_directory(work.path() + "/exit" + ending);
    const std::string fake = work.path() + "/exit" + ending + "/ffmpeg";
    std::ofstream(fake) << "#!/bin/sh\n/bin/cat >/dev/null\necho first >&2\necho last >&2\nexit "
                        << ending << "\n";
    fs::permissions(fake, fs::perms::owner_all);
  }
  // Not to be replaced: a read-only file, even for the superuser.
  const std::string readOnly = work.path() + "/kept.wav";
  std::ofstream(readOnly) << "kept";
  fs::permissions(readOnly, fs::perms::owner_read);
  // The intro's files with an empty music file.
  fs::create_directories(work.path() + "/silent");
  fs::copy(ORBITRA_SOURCE_DIR "/res", work.path() + "/silent/res", fs::copy_options::recursive);
  fs::resize_file(work.path() + "/silent/res/zak.dat", 0);
  // Usage errors end with status 2, as the manual says; failures with 1.
  struct Case {
    std::string arguments, says;
    int status = 2;
    std::string environment = "", folder = ORBITRA_SOURCE_DIR;
  };
  const std::vector<Case> cases = {
      {"--frobnicate", "unknown option --frobnicate"},
      {wav + " --scale 0", "--scale needs a whole factor"},
      {wav + " --scale 2x", "--scale needs a whole factor"},
      {wav + " --fit 300x200", "smaller than the 320x240 picture"},
      {wav + " --fit 1920x1080 --scale 2", "exclude each other"},
      {wav + " --seconds 0", "--seconds needs"},
      {"--quiet --frames 5", "nothing to make"},
      {"--quiet --frames 5 --shot 9000", "comes after the last frame"},
      {"--quiet -o " + out + "/a.mp4", "lossless video goes into .mkv"},
      {wav + " --y4m " + out + "/./a.wav",
       "--wav " + out + "/a.wav and --y4m " + out + "/./a.wav name the same file"},
      {"--quiet --frames 5 --wav " + out + "/no/such/folder/a.wav",
       "cannot write " + out + "/no/such/folder/a.wav", 1},
      {"--quiet --frames 5 --y4m " + out, "it is a folder", 1},
      {"--quiet --frames 5 --wav " + readOnly, "cannot write " + readOnly + ": Permission denied",
       1},
      {wav + " >&-", "standard output is closed", 1},
      // Missing programs and files.
      {wav, "cannot read res/zak.dat: No such file or directory; run it from", 1, "", work.path()},
      {wav + " -o " + out + "/a.mkv", "apt-get install ffmpeg", 1, "PATH=/nonexistent"},
      {wav, "cannot load the music res/zak.dat: it is empty", 1, "", work.path() + "/silent"},
      {wav + " -o " + out + "/a.mkv", "ffmpeg failed: last\n", 1, "PATH=" + work.path() + "/exit1"},
      {wav + " -o " + out + "/a.mkv", "without writing the video", 1,
       "PATH=" + work.path() + "/exit0"},
      // A full disk halfway: the WAV, complete by then, must not appear either.
      {wav + " --y4m /dev/full", "cannot write /dev/full: No space left on device", 1},
  };
  for (const Case& c : cases) {
    const Outcome run = capture(c.arguments, c.environment, c.folder);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(std::count(run.errText.begin(), run.errText.end(), '\n'), 1) << run.errText;
    EXPECT_EQ(run.errText.rfind("orbitra-capture: ", 0), 0u) << run.errText;
    EXPECT_EQ(run.outText, "");
    EXPECT_NE(run.errText.find(c.says), std::string::npos) << c.arguments << "\n" << run.errText;
    EXPECT_TRUE(fs::is_empty(out))
        << c.arguments << " left " << fs::directory_iterator(out)->path();
  }
  EXPECT_EQ(readFile(readOnly), "kept");
  // Standard input or error closed: refused as well, and nothing written. (Under an emulator
  // the emulator's own file takes a closed standard input's number before the tool starts.)
  for (const char* closed : {" 2>&-", ORBITRA_EMULATED ? "" : " <&- 2>/dev/null"}) {
    if (*closed == '\0') continue;
    const std::string run = "cd " ORBITRA_SOURCE_DIR " && " ORBITRA_CAPTURE + wav + closed;
    EXPECT_EQ(std::system(run.c_str()), 1 << 8) << closed;
    EXPECT_TRUE(fs::is_empty(out)) << closed;
  }
  // Started under nohup, a hangup leaves it running; ended by any signal that ends it while an
  // encoder stalls, or by the file-size limit, it leaves nothing. (A job started by a shell in
  // the background ignores SIGQUIT unless told otherwise.)
  std::ofstream(work.path() + "/exit1/ffmpeg") << "#!/bin/sh\nexec sleep 3\n";
  for (int signal : {SIGTERM, SIGQUIT, SIGUSR1, SIGALRM}) {
    const int ended = std::system(
        ("cd " ORBITRA_SOURCE_DIR " && PATH=" + work.path() +
         "/exit1:$PATH sh -c \"(trap '' HUP; exec env --default-signal=QUIT " ORBITRA_CAPTURE +
         wav + " -o " + out + "/a.mkv) & sleep 1; kill -HUP \\$!; sleep 0.2; kill -" +
         std::to_string(signal) + " \\$!; wait \\$!\"")
            .c_str());
    EXPECT_EQ(WEXITSTATUS(ended), 128 + signal);
    EXPECT_TRUE(fs::is_empty(out)) << signal << " left " << fs::directory_iterator(out)->path();
  }
  const int limited =
      std::system(("cd " ORBITRA_SOURCE_DIR " && sh -c 'ulimit -f 8; exec " +
                   std::string(ORBITRA_CAPTURE) + " --quiet --frames 100 --wav " + out + "/a.wav'")
                      .c_str());
  EXPECT_EQ(WEXITSTATUS(limited), 128 + SIGXFSZ);
  EXPECT_TRUE(fs::is_empty(out)) << fs::directory_iterator(out)->path();
  // A name as long as the file system allows is written.
  const std::string longest = out + "/" + std::string(251, 'n') + ".wav";
  EXPECT_EQ(capture("--quiet --frames 1 --wav " + longest).status, 0);
  EXPECT_EQ(fs::file_size(longest), 44u + 441 * 4);
}

// A finished two-second video: lossless, so its first frame and its sound decode back to
// exactly what was captured.
TEST(CaptureExecTest, VideoDecodesBackToTheCapture) {
  if (!haveProgram("ffmpeg"))
    GTEST_SKIP() << "ffmpeg is not installed (Debian: apt-get install ffmpeg)";
  TempWorkDir work;
  const std::string out = work.path() + "/";
  const Outcome run = capture("--quiet --seconds 2 --scale 2 -o " + out + "intro.mkv --wav " + out +
                              "sound.wav --shot 0 --shot-dir " + out);
  ASSERT_EQ(run.status, 0) << run.errText;
  for (const fs::directory_entry& entry : fs::directory_iterator(work.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
  }
  const std::string decode = "ffmpeg -loglevel error -i " + out + "intro.mkv ";
  ASSERT_EQ(
      std::system((decode + "-frames:v 1 -f rawvideo -pix_fmt rgb24 " + out + "first.rgb").c_str()),
      0);
  ASSERT_EQ(std::system((decode + "-map 0:a -f s16le " + out + "sound.raw").c_str()), 0);
  ASSERT_EQ(std::system(("ffprobe -loglevel error -count_frames -select_streams v "
                         "-show_entries stream=nb_read_frames,width,height -of csv=p=0 " +
                         out + "intro.mkv > " + out + "probe.txt")
                            .c_str()),
            0);
  EXPECT_EQ(readFile(out + "probe.txt"), "640,480,100\n");
  const Rgb shot = readPng(out + "frame-0.png");
  ASSERT_EQ(shot.width, 640);
  const std::string first = readFile(out + "first.rgb");
  EXPECT_TRUE(first == std::string(shot.bytes.begin(), shot.bytes.end())) << "first frame differs";
  EXPECT_TRUE(readFile(out + "sound.raw") == readFile(out + "sound.wav").substr(44))
      << "sound differs";
  // Web video goes into the container its name asks for.
  ASSERT_EQ(capture("--quiet --frames 5 --web -o " + out + "web.mp4").status, 0);
  EXPECT_EQ(readFile(out + "web.mp4").substr(4, 4), "ftyp");
}
