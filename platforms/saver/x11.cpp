// The screen saver for X11: an XScreenSaver hack. It draws the intro's frames into the window it
// is given (-window-id ID, or XScreenSaver's $XSCREENSAVER_WINDOW with -root), the root window
// (-root) or a window of its own (-window, the default), and ends on SIGTERM or SIGINT, or when
// the window goes.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "app/intro.h"
#include "base/errors.h"
#include "picture.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
  stopRequested = 1;
}

// The only errors the saver can cause are about a window that is no longer there; the next
// frame finds it gone and ends the run (Xlib's own handler would end it at once, with a failure).
int xErrors = 0;
int ignoreError(Display*, XErrorEvent*) {
  ++xErrors;
  return 0;
}

int usage() {
  printError("usage: orbitra-saver [-root | -window | -window-id ID] [-display DISPLAY]");
  return 2;
}

// The pixels are made from the channel masks of a visual with 32 bits a pixel: one of colour
// maps, or of fewer bits, gets no picture, and the saver says so.
[[noreturn]] void cannotDraw() {
  printError("orbitra-saver: the window's visual has no 32-bit true-colour pixels");
  endRun(1);
}

bool isOption(const char* argument, const char* name) {
  // XScreenSaver 6 passes each option with two dashes, older ones and people with one.
  if (argument[0] == '-' && argument[1] == '-') ++argument;
  return std::strcmp(argument, name) == 0;
}

bool readWindowId(const char* text, Window& window) {
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);
  if (end == text || *end != '\0' || id == 0) return false;
  window = id;
  return true;
}

// The window and the image drawn into it, remade when the window's size changes. On the
// machine's own X server the image is memory both share (MIT-SHM): a frame's pixels are not
// copied through the connection.
class Output {
 public:
  Output(Display* display, Window window)
      : display_(display), window_(window), shared_(XShmQueryExtension(display) == True) {
    gc_ = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc_, BlackPixel(display, DefaultScreen(display)));
  }
  ~Output() {
    release();
    XFreeGC(display_, gc_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // False when the window is gone.
  bool show(const SaverPicture& picture) {
    XWindowAttributes window;
    if (XGetWindowAttributes(display_, window_, &window) == 0) return false;
    // A window keeps the visual it was made with, and has at least one pixel: only its size
    // changes what is made.
    if (window.width != width_ || window.height != height_) remake(picture, window);
    picture.scaleInto(fit_, reinterpret_cast<uint32_t*>(image_->data), image_->bytes_per_line / 4,
                      colours_);
    if (attached_) {
      XShmPutImage(display_, window_, gc_, image_, 0, 0, fit_.x, fit_.y,
                   static_cast<unsigned>(fit_.width), static_cast<unsigned>(fit_.height), False);
    } else {
      XPutImage(display_, window_, gc_, image_, 0, 0, fit_.x, fit_.y,
                static_cast<unsigned>(fit_.width), static_cast<unsigned>(fit_.height));
    }
    // The black around the picture, drawn each frame so that nothing of the window shows there.
    const int right = fit_.x + fit_.width, bottom = fit_.y + fit_.height;
    XRectangle border[] = {
        {0, 0, static_cast<unsigned short>(width_), static_cast<unsigned short>(fit_.y)},
        {0, static_cast<short>(bottom), static_cast<unsigned short>(width_),
         static_cast<unsigned short>(height_ - bottom)},
        {0, static_cast<short>(fit_.y), static_cast<unsigned short>(fit_.x),
         static_cast<unsigned short>(fit_.height)},
        {static_cast<short>(right), static_cast<short>(fit_.y),
         static_cast<unsigned short>(width_ - right), static_cast<unsigned short>(fit_.height)}};
    XFillRectangles(display_, window_, gc_, border, static_cast<int>(std::size(border)));
    XSync(display_, False);
    return true;
  }

 private:
  void release() {
    if (image_ == nullptr) return;
    if (attached_) {
      XShmDetach(display_, &segment_);
      XSync(display_, False);
      shmdt(segment_.shmaddr);
      image_->data = nullptr;
    }
    XDestroyImage(image_);
    image_ = nullptr;
    attached_ = false;
  }

  // A shared image, or null when the server cannot take one (another machine's).
  XImage* sharedImage(const XWindowAttributes& window) {
    XImage* image = XShmCreateImage(display_, window.visual, static_cast<unsigned>(window.depth),
                                    ZPixmap, nullptr, &segment_, static_cast<unsigned>(fit_.width),
                                    static_cast<unsigned>(fit_.height));
    if (image == nullptr) return nullptr;
    segment_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height,
                            IPC_CREAT | 0600);
    void* memory = segment_.shmid == -1 ? nullptr : shmat(segment_.shmid, nullptr, 0);
    if (memory == nullptr || memory == reinterpret_cast<void*>(-1)) {
      if (segment_.shmid != -1) shmctl(segment_.shmid, IPC_RMID, nullptr);
      XDestroyImage(image);
      return nullptr;
    }
    image->data = segment_.shmaddr = static_cast<char*>(memory);
    segment_.readOnly = False;
    const int errorsBefore = xErrors;
    XShmAttach(display_, &segment_);
    XSync(display_, False);
    // Gone once both sides have let go of it, however the saver ends.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (xErrors != errorsBefore) {
      shmdt(memory);
      image->data = nullptr;
      XDestroyImage(image);
      shared_ = false;
      return nullptr;
    }
    attached_ = true;
    return image;
  }

  void remake(const SaverPicture& picture, const XWindowAttributes& window) {
    release();
    width_ = window.width;
    height_ = window.height;
    fit_ = fitPicture(width_, height_);
    if (window.visual->c_class != TrueColor) cannotDraw();
    if (shared_) image_ = sharedImage(window);
    if (image_ == nullptr) {
      const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(fit_.width) * fit_.height;
      char* data = static_cast<char*>(std::malloc(bytes));
      image_ = XCreateImage(display_, window.visual, static_cast<unsigned>(window.depth), ZPixmap,
                            0, data, static_cast<unsigned>(fit_.width),
                            static_cast<unsigned>(fit_.height), 32, 0);
      if (image_ == nullptr) cannotDraw();
      // Pixels are written in this machine's order; Xlib reorders them for the server.
      const uint16_t one = 1;
      image_->byte_order = *reinterpret_cast<const uint8_t*>(&one) == 1 ? LSBFirst : MSBFirst;
    }
    if (image_->bits_per_pixel != 32) cannotDraw();
    colours_ = picture.colourTable(static_cast<uint32_t>(window.visual->red_mask),
                                   static_cast<uint32_t>(window.visual->green_mask),
                                   static_cast<uint32_t>(window.visual->blue_mask));
  }

  Display* display_;
  Window window_;
  GC gc_;
  XImage* image_ = nullptr;
  bool shared_;
  bool attached_ = false;
  XShmSegmentInfo segment_ = {};
  int width_ = 0, height_ = 0;
  PictureFit fit_;
  std::vector<uint32_t> colours_;
};
}  // namespace

int main(int argc, char** argv) {
  enum class Where { ownWindow, root, given } where = Where::ownWindow;
  Window given = 0;
  const char* displayName = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (isOption(argv[i], "-root")) {
      where = Where::root;
    } else if (isOption(argv[i], "-window")) {
      where = Where::ownWindow;
    } else if (isOption(argv[i], "-window-id") && i + 1 < argc) {
      if (!readWindowId(argv[++i], given)) return usage();
      where = Where::given;
    } else if (isOption(argv[i], "-display") && i + 1 < argc) {
      displayName = argv[++i];
    } else {
      return usage();
    }
  }
  Display* display = XOpenDisplay(displayName);
  if (display == nullptr) {
    printError(
        (std::string("orbitra-saver: cannot open display ") + XDisplayName(displayName)).c_str());
    return 1;
  }
  XSetErrorHandler(ignoreError);
  // XScreenSaver names the window it wants drawn in; the root window otherwise.
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (where == Where::root && named != nullptr && readWindowId(named, given)) where = Where::given;
  Window window = where == Where::given ? given : DefaultRootWindow(display);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  if (where == Where::ownWindow) {
    const int screenNumber = DefaultScreen(display);
    window =
        XCreateSimpleWindow(display, window, 0, 0, 640, 480, 0, BlackPixel(display, screenNumber),
                            BlackPixel(display, screenNumber));
    XStoreName(display, window, introCaption);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapWindow(display, window);
  }

  SaverPicture picture;
  if (!picture.start()) return 1;
  // Set after the library's start, which puts handlers of its own on these signals.
  struct sigaction stop = {};
  stop.sa_handler = requestStop;
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  {
    Output output(display, window);
    while (stopRequested == 0) {
      picture.drawFrame();
      if (!output.show(picture)) break;
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
          stopRequested = 1;
        }
      }
      picture.waitForNextFrame();
    }
  }
  XCloseDisplay(display);
  return 0;
}
