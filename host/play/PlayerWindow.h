// The window a movie plays in: the movie's size, made smaller to fit the screen, resizable,
// the picture kept at its own shape with black bars.
#pragma once

#include "PlayQueue.h"

#include <SDL.h>

#include <memory>
#include <string>

namespace play {

class PlayerWindow {
public:
    // Null with the reason. SDL's video must be running.
    static std::unique_ptr<PlayerWindow> Open(SInt32 theWidth, SInt32 theHeight, const std::string& theTitle,
                                              std::string& outProblem);
    ~PlayerWindow();
    PlayerWindow(const PlayerWindow&) = delete;
    PlayerWindow& operator=(const PlayerWindow&) = delete;

    // Shows theFrame until the next Show; false with the reason when SDL cannot.
    bool Show(const PlayFrame& theFrame, std::string& outProblem);
    // Draws the last frame again, after the window was uncovered or resized.
    void Redraw();
    void SetTitle(const std::string& theTitle);
    Uint32 WindowID() const { return SDL_GetWindowID(mWindow); }

private:
    PlayerWindow() = default;
    SDL_Window* mWindow = nullptr;
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTexture = nullptr;
    SInt32 mTextureWidth = 0;
    SInt32 mTextureHeight = 0;
    std::string mTitle;
};

} // namespace play
