#pragma once

#include <string>

class wxImage;
class wxWindow;

namespace zelvo::platform::ui {

// What the X display shows of `window` right now, read back from the screen (so it is what a
// person would see); an invalid image when the window is not shown or there is no X display.
wxImage CaptureWindow(wxWindow* window);

// Saves CaptureWindow's picture as a PNG file. False when there is no picture or the file
// cannot be written.
bool SaveWindowScreenshot(wxWindow* window, const std::string& path);

}  // namespace zelvo::platform::ui
