#include "PlayerWindow.h"

#include <algorithm>

namespace play {

namespace {

// The largest size of the movie's shape that fits theBounds, never larger than the movie.
void FitInside(const SDL_Rect& theBounds, SInt32& ioWidth, SInt32& ioHeight)
{
    const double theScale = std::min({1.0, double(theBounds.w) / ioWidth, double(theBounds.h) / ioHeight});
    ioWidth = std::max<SInt32>(1, SInt32(ioWidth * theScale));
    ioHeight = std::max<SInt32>(1, SInt32(ioHeight * theScale));
}

} // namespace

std::unique_ptr<PlayerWindow> PlayerWindow::Open(SInt32 theWidth, SInt32 theHeight, const std::string& theTitle,
                                                 std::string& outProblem)
{
    std::unique_ptr<PlayerWindow> thePlayer(new PlayerWindow);
    SInt32 theWindowWidth = theWidth, theWindowHeight = theHeight;
    SDL_Rect theUsable;
    if (SDL_GetDisplayUsableBounds(0, &theUsable) == 0) {
        // Room for the window's frame and title bar.
        theUsable.w -= 32;
        theUsable.h -= 64;
        if (theUsable.w > 0 && theUsable.h > 0) FitInside(theUsable, theWindowWidth, theWindowHeight);
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    thePlayer->mTitle = theTitle;
    thePlayer->mWindow = SDL_CreateWindow(theTitle.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          theWindowWidth, theWindowHeight, SDL_WINDOW_RESIZABLE);
    if (thePlayer->mWindow) thePlayer->mRenderer = SDL_CreateRenderer(thePlayer->mWindow, -1, 0);
    if (!thePlayer->mRenderer) {
        outProblem = std::string("cannot open a window: ") + SDL_GetError();
        return nullptr;
    }
    // Scaled to the window, the movie's shape kept, with black bars on the other sides.
    SDL_RenderSetLogicalSize(thePlayer->mRenderer, theWidth, theHeight);
    SDL_SetRenderDrawColor(thePlayer->mRenderer, 0, 0, 0, 255);
    SDL_RenderClear(thePlayer->mRenderer);
    SDL_RenderPresent(thePlayer->mRenderer);
    return thePlayer;
}

PlayerWindow::~PlayerWindow()
{
    if (mTexture) SDL_DestroyTexture(mTexture);
    if (mRenderer) SDL_DestroyRenderer(mRenderer);
    if (mWindow) SDL_DestroyWindow(mWindow);
}

bool PlayerWindow::Show(const PlayFrame& theFrame, std::string& outProblem)
{
    if (!mTexture || mTextureWidth != theFrame.width || mTextureHeight != theFrame.height) {
        if (mTexture) SDL_DestroyTexture(mTexture);
        // Memory order alpha, red, green, blue, as the GWorld holds it, on every processor.
        mTexture = SDL_CreateTexture(mRenderer, SDL_PIXELFORMAT_ARGB32, SDL_TEXTUREACCESS_STREAMING, theFrame.width,
                                     theFrame.height);
        if (!mTexture) {
            outProblem = std::string("cannot show a frame: ") + SDL_GetError();
            return false;
        }
        mTextureWidth = theFrame.width;
        mTextureHeight = theFrame.height;
    }
    if (SDL_UpdateTexture(mTexture, nullptr, theFrame.pixels.data(), theFrame.width * 4) != 0) {
        outProblem = std::string("cannot show a frame: ") + SDL_GetError();
        return false;
    }
    Redraw();
    return true;
}

void PlayerWindow::Redraw()
{
    SDL_RenderClear(mRenderer);
    if (mTexture) SDL_RenderCopy(mRenderer, mTexture, nullptr, nullptr);
    SDL_RenderPresent(mRenderer);
}

void PlayerWindow::SetTitle(const std::string& theTitle)
{
    if (theTitle == mTitle) return;
    mTitle = theTitle;
    SDL_SetWindowTitle(mWindow, theTitle.c_str());
}

} // namespace play
