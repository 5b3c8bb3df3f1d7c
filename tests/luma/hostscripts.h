// The projects and commands with which each host plays a transition through a luma map: clip A
// (frames 0 to L-1) then clip B, overlapping by N frames from frame L-N, in a profile of the
// frame's own size at 25 frames a second. Every host writes lossless FFV1 to out.mkv.
#pragma once

#include <string>

struct HostShot {
    int width, height;
    int length;  // L: frames in each clip
    int frames;  // N: the transition's
    std::string map;
};

// An MLT profile file of the shot's size.
std::string ProfileFile(const HostShot& theShot);
// melt with the plain luma transition between the two clips.
std::string MeltCommand(const HostShot& theShot);
// A project as Shotcut 22.12 saves a transition: a tractor of two tracks with luma and mix.
std::string ShotcutProject(const HostShot& theShot);
// A project as Kdenlive 22.12 saves its "Luma" composition between two tracks.
std::string KdenliveProject(const HostShot& theShot);
// A project as Flowblade 2.8 exports it to MLT XML with a "Wipe Clip Length" compositor (MLT's
// luma transition) on clip B's track, its User Luma the map and softness 0.
std::string FlowbladeProject(const HostShot& theShot);
// melt rendering a project file.
std::string MeltProjectCommand(const std::string& theProject);
// FFmpeg alone: the map's levels against a level rising every frame, in the threshold filter.
std::string FfmpegCommand(const HostShot& theShot);
