#include "platform/ui/wx_screenshot.h"

#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/window.h>
// Xlib last: its macros would get in the way of the toolkit's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zelvo::platform::ui {
namespace {

// The channel that `mask` selects of `pixel`, scaled to 8 bits.
unsigned char Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while ((mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  const unsigned long value = (pixel >> shift) & mask;
  return static_cast<unsigned char>(value * 255 / mask);
}

}  // namespace

wxImage CaptureWindow(wxWindow* window) {
  if (window == nullptr || !window->IsShownOnScreen()) return wxImage();
  // The toolkit's own screen reading may give an old picture: ask the X server itself, on a
  // connection of our own, after everything drawn so far has arrived.
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return wxImage();
  XSync(display, False);
  const wxRect rect =
      window->GetScreenRect().Intersect(wxRect(0, 0, DisplayWidth(display, DefaultScreen(display)),
                                               DisplayHeight(display, DefaultScreen(display))));
  wxImage image;
  XImage* shot = rect.IsEmpty()
                     ? nullptr
                     : XGetImage(display, DefaultRootWindow(display), rect.x, rect.y,
                                 static_cast<unsigned int>(rect.width),
                                 static_cast<unsigned int>(rect.height), AllPlanes, ZPixmap);
  if (shot != nullptr) {
    image.Create(rect.width, rect.height, false);
    for (int y = 0; y < rect.height; ++y) {
      for (int x = 0; x < rect.width; ++x) {
        const unsigned long pixel = XGetPixel(shot, x, y);
        image.SetRGB(x, y, Channel(pixel, shot->red_mask), Channel(pixel, shot->green_mask),
                     Channel(pixel, shot->blue_mask));
      }
    }
    XDestroyImage(shot);
  }
  XCloseDisplay(display);
  return image;
}

bool SaveWindowScreenshot(wxWindow* window, const std::string& path) {
  const wxImage image = CaptureWindow(window);
  if (!image.IsOk()) return false;
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  return image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

}  // namespace zelvo::platform::ui
