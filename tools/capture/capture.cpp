#include "capture.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <utility>

#include "base/assetFiles.h"
#include "base/assetNames.h"
#include "base/frameHash.h"
#include "base/system.h"
#include "check/downloadCheck.h"
#include "encoder.h"
#include "frameQueue.h"
#include "frameSource.h"
#include "outputFile.h"
#include "picture.h"
#include "progress.h"
#include "soundtrack.h"

namespace {
constexpr int pictureWidth = 320;
constexpr int pictureHeight = 240;

namespace fs = std::filesystem;

int fail(const std::string& message) {
  std::fprintf(stderr, "orbitra-capture: %s\n", message.c_str());
  return 1;
}

// A folder as one canonical name ending in "/", for a verdict that names what it checked.
std::string folderName(const std::string& root) {
  std::error_code failed;
  const fs::path path = fs::weakly_canonical(fs::u8path(root.empty() ? "." : root), failed);
  std::string name = failed ? root : path.u8string();
  if (name.empty() || name.back() != '/') name += '/';
  return name;
}

uint64_t hashPicture(const Picture& picture, uint64_t hash = frameHashStart) {
  return hashFrame(picture.pixels, picture.width * 2, picture.height, picture.pitch, hash);
}

// The golden run: every frame 20 ms apart from tick 0 to `end`, each given to `each` with its
// hash, the hash of them all to `all`, then the frame at each of `jumps` to `each` again;
// stops where one of them returns false.
template <class Each, class All>
void drawGoldenRun(FrameSource& source, Uint32 end, const std::vector<Uint32>& jumps, Each each,
                   All all) {
  uint64_t allHash = frameHashStart;
  for (Uint32 tick = 0; tick <= end; tick += 20) {
    const Picture picture = source.draw(tick);
    allHash = hashPicture(picture, allHash);
    if (!each(tick, hashPicture(picture))) return;
  }
  if (!all(allHash)) return;
  for (Uint32 tick : jumps) {
    if (!each(tick, hashPicture(source.draw(tick)))) return;
  }
}

int printHashes(const CaptureOptions& options) {
  FrameSource source;
  std::string error;
  if (!source.start(error)) return fail(error);
  std::printf("frames %u %u", options.hashEnd, options.hashEvery);
  for (Uint32 jump : options.jumps) std::printf(" %u", jump);
  std::printf("\n");
  bool jumping = false;
  uint64_t nextMark = 0;
  drawGoldenRun(
      source, options.hashEnd, options.jumps,
      [&](Uint32 tick, uint64_t hash) {
        if (jumping || tick >= nextMark) {
          std::printf("%u %s\n", tick, frameHashText(hash).c_str());
          while (!jumping && nextMark <= tick) nextMark += options.hashEvery;
        }
        return true;
      },
      [&](uint64_t hash) {
        std::printf("all %s\n", frameHashText(hash).c_str());
        jumping = true;
        return true;
      });
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

// The sound list of this build's soundtrack, as the golden sound list holds it.
int printSoundHashes(const CaptureOptions& options) {
  std::printf("sound %d\n", options.soundSeconds);
  uint64_t secondHash = frameHashStart, allHash = frameHashStart;
  size_t inSecond = 0;
  int second = 0;
  std::string error;
  const bool rendered = renderSoundtrack(
      assetFile(assets::music), static_cast<uint64_t>(options.soundSeconds) * soundRate,
      [&](const int16_t* data, size_t count) {
        while (count > 0) {
          const size_t taken = std::min(count, static_cast<size_t>(soundRate) - inSecond);
          const int bytes = static_cast<int>(taken * soundChannels * sizeof(int16_t));
          secondHash = hashFrame(data, bytes, 1, bytes, secondHash);
          allHash = hashFrame(data, bytes, 1, bytes, allHash);
          data += taken * soundChannels;
          count -= taken;
          inSecond += taken;
          if (inSecond == static_cast<size_t>(soundRate)) {
            std::printf("%d %s\n", second++, frameHashText(secondHash).c_str());
            secondHash = frameHashStart;
            inSecond = 0;
          }
        }
        return true;
      },
      error);
  if (!rendered) return fail(error);
  std::printf("all %s\n", frameHashText(allHash).c_str());
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write standard output");
}

// The whole download checked here: the files against their sums, then loaded as the intro
// loads them, then the golden run played and drawn and compared with the golden lists. The copy
// checked is this program's own, wherever it is started from; a res/ in the working folder,
// which the intro started there would read instead, has its files compared with the same sums.
int verifyDownload() {
  const std::string own = ownDataRoot();
  const std::string root = folderName(own);
  std::error_code failed;
  const bool alsoWorking = !own.empty() && fs::is_directory("res", failed) &&
                           !fs::equivalent(fs::u8path(root + "res"), "res", failed);
  const std::string working = folderName("");
  if (alsoWorking) {
    std::fprintf(stderr,
                 "orbitra-capture: the intro started here reads %sres, not %sres: checking both\n",
                 working.c_str(), root.c_str());
  }
  useDataRoot(root);
  const std::string where = " in " + root + "res";
  const std::string missing = FrameSource::missingAsset();
  if (!missing.empty()) return fail("cannot read " + missing);
  DownloadCheck check;
  std::string error;
  if (!check.begin(playsMixer32, error)) return fail(error);
  GoldenCheck& frames = check.frames;
  SoundCheck& sound = check.sound;

  // The music through the mixer, the font and the images: a file that would end the intro
  // ends this run with the intro's own message.
  FrameSource source;
  if (!source.start(error)) return fail(error);

  // The progress lines only on a terminal: elsewhere the verdict is the run's one line. The
  // sound counts in seconds, the frames as the verdict counts them.
  const bool quiet = !errorsGoToLiveTerminal();
  Progress soundProgress(sound.seconds(), quiet, "s of sound");
  const bool rendered = renderSoundtrack(
      assetFile(assets::music), static_cast<uint64_t>(sound.seconds()) * soundRate,
      [&](const int16_t* data, size_t count) {
        const bool same = sound.add(data, count);
        soundProgress.update(sound.secondsChecked());
        return same;
      },
      error);
  soundProgress.finish();
  if (!rendered && sound.failure().empty()) return fail(error);
  Progress frameProgress(static_cast<int64_t>(frames.runFrames()), quiet);
  if (sound.passed()) {
    drawGoldenRun(
        source, frames.runEnd(), frames.jumps(),
        [&](Uint32 tick, uint64_t hash) {
          frameProgress.update(static_cast<int64_t>(frames.framesChecked()) + 1);
          return frames.frame(tick, hash);
        },
        [&](uint64_t hash) { return frames.allFrames(hash); });
  }
  frameProgress.finish();
  if (!check.passed()) return fail(check.verdict() + where);
  if (!alsoWorking) {
    fail(check.verdict() + where);
    return 0;
  }

  // The same bytes draw the same frames and play the same sound: the sums are enough.
  std::string sums, reason;
  readWholeFile(root + goldenSumsName, sums, maxListBytes, reason);
  std::vector<std::string> required(std::begin(assets::all), std::end(assets::all));
  required.insert(required.end(), {goldenFramesName, goldenSoundName});
  const auto read = [](const std::string& name, std::string& contents, std::string& why) {
    return readWholeFile(name, contents, maxAssetBytes, why);
  };
  int same = 0;
  if (!checkSums(sums, required, read, same, error, working, root + goldenSumsName)) {
    return fail(check.verdict() + where + ", but the intro started here reads " + working +
                "res: " + error);
  }
  fail(check.verdict() + where + "; the intro started here reads " + working + "res, whose " +
       std::to_string(same) + " files are the same");
  return 0;
}

// Everything done with a drawn frame, in frame order: the Y4M stream, the video, the PNGs.
class FrameWriter {
 public:
  FrameWriter(const CaptureOptions& options, const Canvas& canvas, Palette palette, OutputFile* y4m,
              Encoder* encoder)
      : options_(options),
        canvas_(canvas),
        palette_(std::move(palette)),
        y4m_(y4m),
        encoder_(encoder) {}

  bool begin(std::string& error) {
    if (y4m_ == nullptr) return true;
    const std::string header = "YUV4MPEG2 W" + std::to_string(canvas_.width) + " H" +
                               std::to_string(canvas_.height) + " F50:1 Ip A1:1 " +
                               (options_.halfChroma ? "C420jpeg" : "C444") + "\n";
    return y4m_->write(header.data(), header.size(), error);
  }

  bool write(const FrameQueue::Frame& frame, std::string& error) {
    const Picture picture{frame.pixels.data(), frame.width, frame.height, frame.width * 2};
    if (y4m_ != nullptr && !frame.history) {
      drawYuv(picture, canvas_, palette_, options_.halfChroma, yuv_);
      if (!y4m_->write("FRAME\n", 6, error) || !y4m_->write(yuv_.data(), yuv_.size(), error)) {
        return false;
      }
    }
    const bool wantShot =
        nextShot_ < options_.shots.size() && options_.shots[nextShot_] <= frame.tick;
    const bool wantVideo = encoder_ != nullptr && !frame.history;
    const bool wantPng = !options_.pngDir.empty() && !frame.history;
    if (!wantVideo && !wantPng && !wantShot) return true;
    drawRgb(picture, canvas_, palette_, rgb_);
    if (wantVideo && !encoder_->write(rgb_, error)) return false;
    if (wantPng && !writePng(options_.pngDir + numbered(frame.index), error)) {
      return false;
    }
    for (; nextShot_ < options_.shots.size() && options_.shots[nextShot_] <= frame.tick;
         ++nextShot_) {
      const std::string name = "/frame-" + std::to_string(options_.shots[nextShot_]) + ".png";
      if (!writePng(options_.shotDir + name, error)) return false;
    }
    return true;
  }

 private:
  bool writePng(const std::string& path, std::string& error) {
    OutputFile file;
    if (!file.open(path, error, ".png")) return false;
    file.handOver();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(canvas_.width);
    image.height = static_cast<png_uint_32>(canvas_.height);
    image.format = PNG_FORMAT_RGB;
    // Quick compression: frames are many, and for further work rather than for keeping.
    image.flags = PNG_IMAGE_FLAG_FAST;
    std::FILE* out = openFile(file.writingPath(), "wb");
    bool written =
        out != nullptr && png_image_write_to_stdio(&image, out, 0, rgb_.data(), 0, nullptr);
    if (out != nullptr && std::fclose(out) != 0) written = false;
    if (!written) {
      error = "cannot write " + path + ": " +
              (image.message[0] != '\0' ? image.message : std::strerror(errno));
      return false;
    }
    return file.commit(error);
  }

  static std::string numbered(int64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06lld.png", static_cast<long long>(frame));
    return name;
  }

  const CaptureOptions& options_;
  const Canvas canvas_;
  const Palette palette_;
  OutputFile* const y4m_;
  Encoder* const encoder_;
  size_t nextShot_ = 0;
  std::vector<uint8_t> rgb_, yuv_;
};

void copyPicture(const Picture& picture, FrameQueue::Frame& frame) {
  frame.width = picture.width;
  frame.height = picture.height;
  frame.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
  const auto* base = reinterpret_cast<const uint8_t*>(picture.pixels);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(frame.pixels.data() + static_cast<size_t>(y) * picture.width,
                base + static_cast<size_t>(y) * picture.pitch, picture.width * sizeof(Uint16));
  }
}
}  // namespace

namespace {
// True when two output names lead to one file: the same file when it exists, else the same
// canonical name.
bool sameFile(const std::string& first, const std::string& second) {
  std::error_code failed;
  const fs::path a = fs::u8path(first), b = fs::u8path(second);
  if (fs::exists(a, failed) && fs::exists(b, failed)) return fs::equivalent(a, b, failed);
  const fs::path canonicalA = fs::weakly_canonical(a, failed);
  if (failed) return false;
  const fs::path canonicalB = fs::weakly_canonical(b, failed);
  return !failed && canonicalA == canonicalB;
}

// One line naming two outputs that would overwrite each other, or "".
std::string clashingOutputs(const CaptureOptions& options) {
  const std::pair<const char*, std::string> outputs[] = {
      {"--wav", options.wav}, {"--y4m", options.y4m}, {"-o", options.video}};
  for (size_t i = 0; i < 3; ++i) {
    for (size_t k = i + 1; k < 3; ++k) {
      const std::string& a = outputs[i].second;
      const std::string& b = outputs[k].second;
      if (a.empty() || b.empty() || a == "-" || b == "-" || !sameFile(a, b)) continue;
      return std::string(outputs[i].first) + " " + a + " and " + outputs[k].first + " " + b +
             " name the same file";
    }
  }
  return "";
}
}  // namespace

int runCapture(const CaptureOptions& options) {
  const std::string clash = clashingOutputs(options);
  if (!clash.empty()) return fail(clash) + 1;  // refused as a wrong option is
  installOutputCleanup();
  if (options.verify) return verifyDownload();
  const std::string missing = FrameSource::missingAsset();
  if (!missing.empty()) {
    return fail("cannot read " + missing +
                "; run it from the folder that holds res/, or install the intro's files");
  }
  if (options.hashes) return printHashes(options);
  if (options.soundSeconds > 0) return printSoundHashes(options);

  Canvas canvas = scaledCanvas(pictureWidth, pictureHeight, options.scale);
  if (options.fitWidth > 0) {
    fittedCanvas(pictureWidth, pictureHeight, options.fitWidth, options.fitHeight, canvas);
  }
  std::string ffmpeg;
  if (!options.video.empty()) {
    ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty()) {
      return fail(
          "making a video file needs the ffmpeg program: install it "
          "(Debian: apt-get install ffmpeg), or write --y4m and --wav instead");
    }
  }

  // The scene loads first: a damaged asset ends the run at once, before any file is begun.
  std::string error;
  const bool needFrames = !options.y4m.empty() || !options.video.empty() ||
                          !options.pngDir.empty() || !options.shots.empty();
  FrameSource source;
  if (needFrames && !source.start(error)) return fail(error);

  // Every output is opened before the long work, so an unwritable one fails at once.
  OutputFile wav, y4m, video, videoSound;
  if (!options.wav.empty() && !wav.open(options.wav, error)) return fail(error);
  if (!options.y4m.empty() && !y4m.open(options.y4m, error)) return fail(error);
  if (!options.video.empty()) {
    // ffmpeg chooses the container by the name it writes, the temporary one: same extension.
    const std::string extension = options.video.substr(options.video.rfind('.'));
    if (!video.open(options.video, error, extension)) return fail(error);
    video.handOver();
    if (!videoSound.open(options.video + ".sound", error, ".wav")) return fail(error);
  }
  if (!options.pngDir.empty() && !makeFolder(options.pngDir, error)) return fail(error);
  if (!options.shots.empty() && !makeFolder(options.shotDir, error)) return fail(error);

  const auto began = std::chrono::steady_clock::now();
  const uint64_t samples = static_cast<uint64_t>(options.frames) * samplesPerFrame;
  // The music goes on under the frames drawn before --from; those samples are left out.
  uint64_t samplesToSkip = static_cast<uint64_t>(options.skipFrames) * samplesPerFrame;
  std::vector<OutputFile*> soundOutputs;
  if (wav.isOpen()) soundOutputs.push_back(&wav);
  if (videoSound.isOpen()) soundOutputs.push_back(&videoSound);
  if (!soundOutputs.empty()) {
    const std::string header = wavHeader(static_cast<uint32_t>(samples));
    for (OutputFile* out : soundOutputs) {
      if (!out->write(header.data(), header.size(), error)) return fail(error);
    }
    const bool rendered = renderSoundtrack(
        assetFile(assets::music), samplesToSkip + samples,
        [&](const int16_t* data, size_t count) {
          const size_t skipped = static_cast<size_t>(std::min<uint64_t>(samplesToSkip, count));
          samplesToSkip -= skipped;
          data += skipped * soundChannels;
          count -= skipped;
          for (OutputFile* out : soundOutputs) {
            if (!out->write(data, count * soundChannels * sizeof(int16_t), error)) return false;
          }
          return true;
        },
        error);
    if (!rendered) return fail(error);
  }

  if (needFrames) {
    Encoder encoder;
    if (!options.video.empty()) {
      videoSound.handOver();
      EncoderSettings settings;
      settings.width = canvas.width;
      settings.height = canvas.height;
      settings.web = options.web;
      settings.soundFile = videoSound.writingPath();
      settings.outputFile = video.writingPath();
      if (!encoder.start(ffmpeg, settings, error)) return fail(error);
    }
    FrameWriter writer(options, canvas, Palette(source.format(), matrixForHeight(canvas.height)),
                       y4m.isOpen() ? &y4m : nullptr, options.video.empty() ? nullptr : &encoder);
    if (!writer.begin(error)) return fail(error);

    // Drawing here, converting and writing on a second thread.
    FrameQueue queue(4);
    std::string writeError;
    std::thread output([&] {
      while (FrameQueue::Frame* frame = queue.nextFrame()) {
        const bool written = writer.write(*frame, writeError);
        queue.giveBack(frame);
        if (!written) {
          queue.stop();
          return;
        }
      }
    });
    const int64_t drawn = options.skipFrames + options.frames;
    Progress progress(drawn, options.quiet);
    size_t nextShot = 0;
    for (int64_t index = 0; index < drawn; ++index) {
      const Uint32 tick = options.start + static_cast<Uint32>(20 * index);
      const Picture picture = source.draw(tick);
      const bool history = index < options.skipFrames;
      bool shot = false;
      for (; nextShot < options.shots.size() && options.shots[nextShot] <= tick; ++nextShot)
        shot = true;
      if (!history || shot) {
        FrameQueue::Frame* frame = queue.emptySlot();
        if (frame == nullptr) break;
        copyPicture(picture, *frame);
        frame->tick = tick;
        frame->index = index - options.skipFrames;
        frame->history = history;
        queue.hand(frame);
      }
      progress.update(index + 1);
    }
    queue.close();
    output.join();
    if (!writeError.empty()) return fail(writeError);
    progress.finish();
    if (!options.video.empty() && !encoder.finish(error)) return fail(error);
  }

  for (OutputFile* out : {&wav, &y4m, &video}) {
    if (!out->path().empty() && !out->commit(error)) return fail(error);
  }
  videoSound.discard();
  if (!options.quiet) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const double length = options.frames / 50.0;
    std::fprintf(stderr,
                 "orbitra-capture: %lld frames (%.2f s of the intro) in %.2f s, %.1fx real time\n",
                 static_cast<long long>(options.frames), length, seconds,
                 seconds > 0 ? length / seconds : 0.0);
  }
  return 0;
}
