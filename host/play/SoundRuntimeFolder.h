// Without XDG_RUNTIME_DIR, SDL's PulseAudio client makes $TMPDIR/pulse-* and a link to it in
// ~/.config/pulse, and leaves both behind. While one of these lives, XDG_RUNTIME_DIR names a
// private folder (mode 0700 in $TMPDIR) instead, removed with it.
#pragma once

#include "scratchfolder.h"

namespace play {

class SoundRuntimeFolder {
public:
    // Changes nothing when XDG_RUNTIME_DIR is set, or when ~/.config/pulse already exists: a
    // sound server started there may be found through it.
    SoundRuntimeFolder();
    ~SoundRuntimeFolder();
    SoundRuntimeFolder(const SoundRuntimeFolder&) = delete;
    SoundRuntimeFolder& operator=(const SoundRuntimeFolder&) = delete;

private:
    video::ScratchFolder mFolder;
};

} // namespace play
