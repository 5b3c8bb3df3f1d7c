// glintweave: a stand-in for the video editor that drives the Glintweave transition plug-in.
#include "commands.h"

#include <cctype>
#include <cstdio>
#include <exception>

namespace {

std::vector<Command> AllCommands()
{
    std::vector<Command> theCommands;
    theCommands.push_back(InfoCommand());
#ifdef GLINT_WITH_VIDEO
    theCommands.push_back(RenderCommand());
    theCommands.push_back(PlayCommand());
    theCommands.push_back(DemoCommand());
    theCommands.push_back(ConfigureCommand());
    theCommands.push_back(LumaCommand());
#endif
#ifdef GLINT_WITH_MIXER
    theCommands.push_back(InstallCommand(false));
    theCommands.push_back(InstallCommand(true));
#endif
    return theCommands;
}

enum ExitStatus { kDone = 0, kFailed = 1, kUsageError = 2 };

// Parses and runs one command; false with one line in outError and the status to end with.
bool RunCommand(const Command& theCommand, const Arguments& theArguments, ExitStatus& outStatus, std::string& outError)
{
    Arguments theOperands;
    outStatus = kUsageError;
    switch (ParseCommandLine(theCommand, theArguments, theOperands, outError)) {
    case ParseOutcome::kHelp: PrintCommandHelp(theCommand, stdout); return true;
    case ParseOutcome::kUsageError: return false;
    case ParseOutcome::kParsed: break;
    }
    if (theCommand.check && !theCommand.check(theOperands, outError)) return false;
    outStatus = kFailed;
    return theCommand.run(theOperands, outError);
}

} // namespace

// Every way out but success and help comes here: one line, prefixed with the command.
int main(int argc, char** argv)
{
    std::string theName, theError;
    ExitStatus theStatus = kFailed;
    try {
        const std::vector<Command> theCommands = AllCommands();
        const std::string theFirst = argc > 1 ? argv[1] : "";
        if (theFirst == "--help" || theFirst == "-h") {
            PrintProgramUsage(theCommands, stdout);
            return kDone;
        }
        theStatus = kUsageError;
        if (argc < 2) {
            PrintProgramUsage(theCommands, stderr);
            return kUsageError;
        }
        theError = "unknown command '" + theFirst + "' (see glintweave --help)";
        for (const Command& theCommand : theCommands) {
            if (theFirst != theCommand.name) continue;
            theName = theCommand.name;
            theError.clear();
            if (RunCommand(theCommand, Arguments(argv + 2, argv + argc), theStatus, theError)) return kDone;
            break;
        }
    } catch (const std::exception& theException) {
        theError = theException.what();
        theStatus = kFailed;
    } catch (...) {
        theError = "an unexpected failure";
        theStatus = kFailed;
    }
    std::fflush(stdout);
    if (theError.empty()) theError = "failed";
    // Lower case after the command's name, whichever layer wrote it ("Cannot", not "FFmpeg").
    const auto theCharacter = [&](size_t i) { return static_cast<unsigned char>(theError[i]); };
    if (theError.size() > 1 && std::isupper(theCharacter(0)) && std::islower(theCharacter(1)))
        theError[0] = char(std::tolower(theCharacter(0)));
    std::fprintf(stderr, "glintweave%s%s: %s\n", theName.empty() ? "" : " ", theName.c_str(), theError.c_str());
    return theStatus;
}
