// glintweave: a stand-in for the video editor that drives the Glintweave transition plug-in.
#include "SettingsFolder.h"
#include "commands.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage(FILE* theStream)
{
    std::fputs("usage: glintweave <command> [options]\n"
               "\n"
               "commands:\n"
               "  info      what the plug-in reports about its three transitions\n"
#ifdef GLINT_WITH_VIDEO
               "  render    a movie with a transition from your clips\n"
               "  play      the same movie in a window, in real time, without writing it\n"
               "  demo      test clips, all three transitions and a contact sheet\n"
               "  configure the transition's settings dialog on your clips\n"
#endif
#ifdef GLINT_WITH_MIXER
               "  install   the frei0r mixer and its Kdenlive compositions, for MLT editors\n"
               "  uninstall takes them away again\n"
#endif
               "\n"
               "Run 'glintweave <command> --help' for a command's options.\n",
               theStream);
}

} // namespace

int Fail(const std::string& theMessage)
{
    std::fprintf(stderr, "glintweave: %s\n", theMessage.c_str());
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string theCommand = argv[1];
    const Arguments theArguments(argv + 2, argv + argc);
    // The plug-in keeps its settings there but never makes the folder; the demo has its own.
    if (theCommand == "info" || theCommand == "render" || theCommand == "play" ||
        theCommand == "configure") PrepareSettingsFolder();
    if (theCommand == "info") return InfoCommand(theArguments);
#ifdef GLINT_WITH_VIDEO
    if (theCommand == "render") return RenderCommand(theArguments);
    if (theCommand == "play") return PlayCommand(theArguments);
    if (theCommand == "demo") return DemoCommand(theArguments);
    if (theCommand == "configure") return ConfigureCommand(theArguments);
#endif
#ifdef GLINT_WITH_MIXER
    if (theCommand == "install" || theCommand == "uninstall")
        return InstallCommand(theArguments, theCommand == "uninstall");
#endif
    PrintUsage(stderr);
    return Fail("unknown command '" + theCommand + "'");
}
