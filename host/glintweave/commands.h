// The glintweave program's commands; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int InfoCommand(const Arguments& theArguments);
// Native builds only: they read and write movies with FFmpeg.
int RenderCommand(const Arguments& theArguments);
int DemoCommand(const Arguments& theArguments);

// A one-line error on stderr, prefixed with the program name; returns the failure status.
int Fail(const std::string& theMessage);
