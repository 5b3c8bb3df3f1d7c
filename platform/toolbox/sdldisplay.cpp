// The SDL2 backend: one real window per shown toolbox window. A window's pixels reach the screen
// through a streaming texture whose byte order is the port's (alpha, red, green, blue in memory).
// Shift and Alt are followed from the key events in their order, so that a mouse event sees the
// modifiers as they were when it happened. Characters come from SDL's text input, so they arrive
// as the keyboard layout and Shift make them ('#', 'F', '<'); key events give only the keys that
// type nothing (Return, Escape, Backspace, Delete, Tab, the arrows).
#include "MacRoman.h"
#include "backend.h"
#include "grafport.h"
#include "modalloop.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

using namespace toolbox_internal;

namespace {

struct NativeWindow {
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int width;
    int height;
};

NativeWindow* NativeOf(WindowRef theWindow)
{
    return static_cast<NativeWindow*>(theWindow->native);
}

class SDLDisplay final : public Backend {
public:
    bool IsHeadless() const override { return false; }

    bool NextInput(InputEvent& outEvent) override
    {
        SDL_Event theEvent;
        while (mTyped.empty() && SDL_WaitEvent(&theEvent))
            if (Translate(theEvent, outEvent)) return true;
        if (mTyped.empty()) return false;
        outEvent = mTyped.front();
        mTyped.pop_front();
        return true;
    }

    void WindowShown(WindowRef theWindow) override
    {
        if (!theWindow->native && !Open(theWindow)) return;
        SDL_RaiseWindow(NativeOf(theWindow)->window);
        Present(theWindow);
    }

    void WindowHidden(WindowRef theWindow) override
    {
        NativeWindow* theNative = NativeOf(theWindow);
        if (!theNative) return;
        SDL_DestroyTexture(theNative->texture);
        SDL_DestroyRenderer(theNative->renderer);
        SDL_DestroyWindow(theNative->window);
        delete theNative;
        theWindow->native = nullptr;
    }

    void WindowRetitled(WindowRef theWindow) override
    {
        if (NativeWindow* theNative = NativeOf(theWindow)) SDL_SetWindowTitle(theNative->window, theWindow->title.c_str());
    }

    void Present(WindowRef theWindow) override
    {
        NativeWindow* theNative = NativeOf(theWindow);
        if (!theNative) return;
        void* thePixels = nullptr;
        int thePitch = 0;
        if (SDL_LockTexture(theNative->texture, nullptr, &thePixels, &thePitch) != 0) return;
        for (int theRow = 0; theRow < theNative->height; ++theRow)
            std::memcpy(static_cast<UInt8*>(thePixels) + static_cast<long>(theRow) * thePitch,
                        quickdraw_internal::PixelAddress(theWindow->port, theRow, 0),
                        static_cast<size_t>(theNative->width) * 4);
        SDL_UnlockTexture(theNative->texture);
        SDL_RenderClear(theNative->renderer);
        SDL_RenderCopy(theNative->renderer, theNative->texture, nullptr, nullptr);
        SDL_RenderPresent(theNative->renderer);
    }

    void Pause(int theMilliseconds) override { SDL_Delay(static_cast<Uint32>(theMilliseconds)); }

private:
    bool Open(WindowRef theWindow)
    {
        Rect theBounds;
        GetPortBounds(theWindow->port, &theBounds);
        auto theNative = new NativeWindow{};
        theNative->width = theBounds.right - theBounds.left;
        theNative->height = theBounds.bottom - theBounds.top;
        theNative->window = SDL_CreateWindow(theWindow->title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                             theNative->width, theNative->height, SDL_WINDOW_SHOWN);
        if (theNative->window) {
            theNative->renderer = SDL_CreateRenderer(theNative->window, -1, 0);
            if (!theNative->renderer) theNative->renderer = SDL_CreateRenderer(theNative->window, -1, SDL_RENDERER_SOFTWARE);
        }
        if (theNative->renderer)
            theNative->texture = SDL_CreateTexture(theNative->renderer, SDL_PIXELFORMAT_ARGB32,
                                                   SDL_TEXTUREACCESS_STREAMING, theNative->width, theNative->height);
        if (!theNative->texture) {
            std::fprintf(stderr, "Toolbox: cannot open a window on the display: %s\n", SDL_GetError());
            if (theNative->renderer) SDL_DestroyRenderer(theNative->renderer);
            if (theNative->window) SDL_DestroyWindow(theNative->window);
            delete theNative;
            return false;
        }
        // The port's alpha carries no meaning: the window shows the colours as they are.
        SDL_SetTextureBlendMode(theNative->texture, SDL_BLENDMODE_NONE);
        theWindow->native = theNative;
        return true;
    }

    WindowRef WindowOf(Uint32 theID)
    {
        SDL_Window* theSDLWindow = SDL_GetWindowFromID(theID);
        for (WindowRef theWindow : WindowList())
            if (theWindow->native && NativeOf(theWindow)->window == theSDLWindow) return theWindow;
        return nullptr;
    }

    // Returns true for a key that only changes the modifiers.
    bool TrackModifier(SDL_Scancode theCode, bool theDown)
    {
        UInt32 theBit = 0;
        switch (theCode) {
        case SDL_SCANCODE_LSHIFT: theBit = 1 << 0; break;
        case SDL_SCANCODE_RSHIFT: theBit = 1 << 1; break;
        case SDL_SCANCODE_LALT: theBit = 1 << 2; break;
        case SDL_SCANCODE_RALT: theBit = 1 << 3; break;
        case SDL_SCANCODE_LCTRL: theBit = 1 << 4; break;
        case SDL_SCANCODE_RCTRL: theBit = 1 << 5; break;
        case SDL_SCANCODE_LGUI: theBit = 1 << 6; break;
        case SDL_SCANCODE_RGUI: theBit = 1 << 7; break;
        default: return false;
        }
        mKeysDown = theDown ? (mKeysDown | theBit) : (mKeysDown & ~theBit);
        return true;
    }

    UInt32 Modifiers() const
    {
        UInt32 theModifiers = 0;
        if (mKeysDown & 0x03) theModifiers |= shiftKey;
        if (mKeysDown & 0x0C) theModifiers |= optionKey;
        if (mKeysDown & 0x30) theModifiers |= controlKey;
        if (mKeysDown & 0xC0) theModifiers |= cmdKey;
        return theModifiers;
    }

    // The character code of a key that types nothing; 0 for the others.
    static UInt8 ControlCharOf(SDL_Keycode theKey)
    {
        switch (theKey) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return '\r';
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_DELETE: return 0x7F;
        case SDLK_TAB: return '\t';
        case SDLK_LEFT: return 0x1C;
        case SDLK_RIGHT: return 0x1D;
        case SDLK_UP: return 0x1E;
        case SDLK_DOWN: return 0x1F;
        default: return 0;
        }
    }

    // Queues one key event per typed character that Mac Roman has.
    void QueueTyped(const SDL_TextInputEvent& theText)
    {
        const std::string theUTF8(theText.text);
        WindowRef theWindow = WindowOf(theText.windowID);
        for (size_t i = 0; i < theUTF8.size();) {
            UInt32 theCode = 0;
            if (!DecodeUTF8(theUTF8, i, theCode)) return;
            const int theByte = MacRomanFromUnicode(theCode);
            if (theByte < 0x20 || theByte == 0x7F) continue;
            InputEvent theEvent;
            theEvent.kind = InputEvent::Kind::Key;
            theEvent.charCode = static_cast<UInt8>(theByte);
            theEvent.window = theWindow;
            theEvent.modifiers = Modifiers();
            mTyped.push_back(theEvent);
        }
    }

    bool Translate(const SDL_Event& theEvent, InputEvent& outEvent)
    {
        outEvent = InputEvent{};
        switch (theEvent.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (TrackModifier(theEvent.key.keysym.scancode, theEvent.type == SDL_KEYDOWN)) return false;
            if (theEvent.type == SDL_KEYUP) return false;
            outEvent.kind = InputEvent::Kind::Key;
            outEvent.charCode = ControlCharOf(theEvent.key.keysym.sym);
            outEvent.window = WindowOf(theEvent.key.windowID);
            outEvent.modifiers = Modifiers();
            return outEvent.charCode != 0;
        case SDL_TEXTINPUT:
            QueueTyped(theEvent.text);
            return false;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (theEvent.button.button != SDL_BUTTON_LEFT) return false;
            outEvent.kind = theEvent.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp;
            outEvent.window = WindowOf(theEvent.button.windowID);
            outEvent.where = Point{static_cast<SInt16>(theEvent.button.y), static_cast<SInt16>(theEvent.button.x)};
            outEvent.modifiers = Modifiers();
            return outEvent.window != nullptr;
        case SDL_MOUSEMOTION:
            if (!(theEvent.motion.state & SDL_BUTTON_LMASK)) return false;
            outEvent.kind = InputEvent::Kind::MouseDrag;
            outEvent.window = WindowOf(theEvent.motion.windowID);
            outEvent.where = Point{static_cast<SInt16>(theEvent.motion.y), static_cast<SInt16>(theEvent.motion.x)};
            outEvent.modifiers = Modifiers() | btnState;
            return outEvent.window != nullptr;
        case SDL_WINDOWEVENT:
            if (theEvent.window.event == SDL_WINDOWEVENT_CLOSE) {
                outEvent.kind = InputEvent::Kind::Close;
                outEvent.window = WindowOf(theEvent.window.windowID);
                return outEvent.window != nullptr;
            }
            if (theEvent.window.event == SDL_WINDOWEVENT_EXPOSED)
                if (WindowRef theWindow = WindowOf(theEvent.window.windowID)) Present(theWindow);
            return false;
        case SDL_QUIT:
            outEvent.kind = InputEvent::Kind::Close;
            return true;
        default:
            return false;
        }
    }

    UInt32 mKeysDown = 0;
    std::deque<InputEvent> mTyped; // characters of a text input event not yet handed out
};

// Xlib's own handler would exit, and SDL_Quit at exit would then talk to the dead display and
// abort; ending past the exit hooks touches it no more.
int DisplayLostHandler(Display*)
{
    DisplayLost();
}

// SDL_Init with stderr silenced: Xlib and libwayland print their own complaints about a display
// they cannot reach, and the caller says what went wrong in one line.
bool InitQuietly()
{
    std::fflush(stderr);
    const int theSaved = dup(STDERR_FILENO);
    const int theNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (theSaved >= 0 && theNull >= 0) dup2(theNull, STDERR_FILENO);
    const bool theDone = SDL_Init(SDL_INIT_VIDEO) == 0;
    if (theSaved >= 0 && theNull >= 0) dup2(theSaved, STDERR_FILENO);
    if (theNull >= 0) close(theNull);
    if (theSaved >= 0) close(theSaved);
    return theDone;
}

} // namespace

namespace toolbox_internal {

bool OpenVisibleVideo(std::string& outProblem)
{
    // Only a driver that puts a window on a screen will do: SDL's fallbacks (offscreen, dummy)
    // would show windows where nobody can see or answer them.
    std::vector<std::pair<const char*, std::string>> theCandidates;
    if (const char* theWayland = std::getenv("WAYLAND_DISPLAY"); theWayland && *theWayland)
        theCandidates.push_back({"wayland", std::string("Wayland display '") + theWayland + "'"});
    if (const char* theX = std::getenv("DISPLAY"); theX && *theX)
        theCandidates.push_back({"x11", std::string("X display '") + theX + "'"});
    if (theCandidates.empty()) {
        outProblem = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
        return false;
    }
    for (const auto& [theDriver, theName] : theCandidates) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, theDriver, SDL_HINT_OVERRIDE);
        if (InitQuietly()) {
            const char* theCurrent = SDL_GetCurrentVideoDriver();
            if (theCurrent && std::strcmp(theCurrent, theDriver) == 0) {
                static const bool lgQuitAtExit = std::atexit(SDL_Quit) == 0;
                (void)lgQuitAtExit;
                if (std::strcmp(theDriver, "x11") == 0) XSetIOErrorHandler(DisplayLostHandler);
                return true;
            }
            SDL_Quit();
        }
        if (!outProblem.empty()) outProblem += "; ";
        outProblem += "the " + theName + " cannot be opened";
    }
    return false;
}

Backend* OpenDisplayBackend(std::string& outProblem)
{
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (!OpenVisibleVideo(outProblem)) return nullptr;
    SDL_StartTextInput();
    static SDLDisplay* lgDisplay = new SDLDisplay;
    return lgDisplay;
}

} // namespace toolbox_internal
