// Internal: where input comes from and where windows are shown. Headless by default; the SDL2
// backend when the program asks for a display.
#pragma once

#include "HeadlessScript.h"
#include "toolboxrecords.h"

#include <string>

namespace toolbox_internal {

struct InputEvent {
    enum class Kind { MouseDown, MouseDrag, MouseUp, Key, Callback, MenuChoice, Close };
    Kind kind = Kind::MouseDown;
    WindowRef window = nullptr; // null: the window of the innermost modal loop, else the front one
    Point where{};              // local to that window
    UInt32 modifiers = 0;
    UInt8 charCode = 0;
    HeadlessCallbackProcPtr callback = nullptr;
    void* callbackData = nullptr;
    SInt16 menuItem = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    // The next input, waiting for it if the backend can wait; false when there is none.
    virtual bool NextInput(InputEvent& outEvent) = 0;
    virtual bool IsHeadless() const = 0;
    virtual void WindowShown(WindowRef) {}
    virtual void WindowHidden(WindowRef) {}
    virtual void WindowRetitled(WindowRef) {}
    // Shows a window's pixels as they are now.
    virtual void Present(WindowRef) {}
    // A short pause that lets a person see a button flash; nothing when headless.
    virtual void Pause(int) {}
};

Backend& CurrentBackend();
Backend& HeadlessBackend();
// Presents every visible window; called before waiting for input.
void PresentAll();
// The window an input event is for.
WindowRef InputWindow(const InputEvent& theEvent);

// Starts SDL's video on a driver that shows windows to a person; false with the reason.
bool OpenVisibleVideo(std::string& outProblem);
// The SDL2 backend, or null with the reason when no display can be opened (or this build has none).
Backend* OpenDisplayBackend(std::string& outProblem);
void UseBackend(Backend* theBackend);
// The display went away: tells the program and ends the process.
[[noreturn]] void DisplayLost();

} // namespace toolbox_internal
