// glintweave: a stand-in for the video editor that drives the Glintweave transition plug-in.
#include "commands.h"

#include "ToolboxDisplay.h"

#include <cstdio>
#include <exception>

namespace {

std::string lgCommandName;

void ReportFailure(const std::string& theError)
{
    std::fflush(stdout);
    std::fprintf(stderr, "glintweave%s%s: %s\n", lgCommandName.empty() ? "" : " ", lgCommandName.c_str(),
                 theError.empty() ? "failed" : theError.c_str());
}

// The platform ends the process once this returns.
void DisplayLostHandler()
{
    ReportFailure("lost the display");
}

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
    theCommands.push_back(MatteCommand());
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
    std::string theError;
    ExitStatus theStatus = kFailed;
    GlintSetDisplayLostProc(DisplayLostHandler);
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
            lgCommandName = theCommand.name;
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
    ReportFailure(theError);
    return theStatus;
}
