#include "OptionTable.h"

#include <algorithm>

namespace {

constexpr size_t cHelpColumn = 29;

bool IsHelp(const std::string& theArgument)
{
    return theArgument == "--help" || theArgument == "-h";
}

const Option* FindOption(const Command& theCommand, const std::string& theName)
{
    for (const Option& theOption : theCommand.options)
        if (theName == theOption.name) return &theOption;
    return nullptr;
}

// A value that is itself an option was most likely meant as one: the value before it is missing.
bool IsOptionName(const Command& theCommand, const std::string& theArgument)
{
    return IsHelp(theArgument) || theArgument == "--" || FindOption(theCommand, theArgument);
}

std::string Named(const Option& theOption)
{
    return theOption.argument ? std::string(theOption.name) + " " + theOption.argument : theOption.name;
}

std::string SeeHelp(const Command& theCommand)
{
    return " (see glintweave " + std::string(theCommand.name) + " --help)";
}

void PrintOptionLine(const std::string& theNamed, const std::string& theHelp, FILE* theStream)
{
    const int theIndent = int(cHelpColumn);
    if (theNamed.size() + 3 > cHelpColumn) std::fprintf(theStream, "  %s\n%*s", theNamed.c_str(), theIndent, "");
    else std::fprintf(theStream, "  %-*s", theIndent - 2, theNamed.c_str());
    size_t theStart = 0;
    for (size_t theEnd; (theEnd = theHelp.find('\n', theStart)) != std::string::npos; theStart = theEnd + 1)
        std::fprintf(theStream, "%.*s\n%*s", int(theEnd - theStart), theHelp.c_str() + theStart, theIndent, "");
    std::fprintf(theStream, "%s\n", theHelp.c_str() + theStart);
}

std::string Synopsis(const Command& theCommand)
{
    std::string theLine = std::string("glintweave ") + theCommand.name;
    const auto theOptional = std::count_if(theCommand.options.begin(), theCommand.options.end(),
                                           [](const Option& theOption) { return !theOption.required; });
    for (const Option& theOption : theCommand.options) {
        if (theOption.required) theLine.append(" ").append(Named(theOption));
        else if (theOptional <= 3) theLine.append(" [").append(Named(theOption)).append("]");
    }
    if (theOptional > 3) theLine += " [options]";
    if (*theCommand.operands) theLine += std::string(" ") + theCommand.operands;
    return theLine;
}

} // namespace

Option FlagOption(const char* theName, const char* theHelp, bool& outFlag)
{
    return Option{theName, nullptr, theHelp, [&outFlag](const std::string&, std::string&) { return outFlag = true; }};
}

Option TextOption(const char* theName, const char* theArgument, const char* theHelp, std::string& outText)
{
    return Option{theName, theArgument, theHelp, [&outText](const std::string& theValue, std::string&) {
                      outText = theValue;
                      return true;
                  }};
}

ParseOutcome ParseCommandLine(const Command& theCommand, const Arguments& theArguments, Arguments& outOperands,
                              std::string& outError)
{
    outOperands.clear();
    outError.clear();
    // The first fault is the one reported, but the rest is still read for --help.
    const auto Refuse = [&outError](const std::string& theFault) {
        if (outError.empty()) outError = theFault;
    };
    std::vector<int> theSeen(theCommand.options.size(), 0);
    bool theOptionsEnded = false;
    for (size_t i = 0; i < theArguments.size(); ++i) {
        const std::string& theArgument = theArguments[i];
        if (theOptionsEnded || theArgument.size() < 2 || theArgument[0] != '-') {
            if (!*theCommand.operands) Refuse("unexpected argument '" + theArgument + "'" + SeeHelp(theCommand));
            outOperands.push_back(theArgument);
            continue;
        }
        if (theArgument == "--") {
            theOptionsEnded = true;
            continue;
        }
        if (IsHelp(theArgument)) return ParseOutcome::kHelp;
        const Option* theOption = FindOption(theCommand, theArgument);
        if (!theOption) {
            Refuse("unknown option '" + theArgument + "'" + SeeHelp(theCommand));
            continue;
        }
        std::string theValue;
        if (theOption->argument) {
            if (i + 1 == theArguments.size()) {
                Refuse(theArgument + " needs a value (" + Named(*theOption) + ")");
                continue;
            }
            theValue = theArguments[++i];
            if (IsOptionName(theCommand, theValue)) {
                Refuse(theArgument + " needs a value (" + Named(*theOption) + "), not the option '" + theValue + "'");
                continue;
            }
        }
        if (++theSeen[size_t(theOption - theCommand.options.data())] > 1 && !theOption->repeatable) {
            Refuse(theArgument + " is given more than once");
            continue;
        }
        std::string theWhat;
        if (!theOption->take(theValue, theWhat))
            Refuse(theArgument + " " + theWhat + (theOption->argument ? ", not '" + theValue + "'" : ""));
    }
    for (size_t i = 0; i < theSeen.size() && outError.empty(); ++i) {
        if (theCommand.options[i].required && !theSeen[i])
            Refuse(Named(theCommand.options[i]) + " is missing" + SeeHelp(theCommand));
    }
    return outError.empty() ? ParseOutcome::kParsed : ParseOutcome::kUsageError;
}

void PrintCommandHelp(const Command& theCommand, FILE* theStream)
{
    std::fprintf(theStream, "usage: %s\n\n%s\n\noptions:\n", Synopsis(theCommand).c_str(), theCommand.description);
    for (const Option& theOption : theCommand.options) PrintOptionLine(Named(theOption), theOption.help, theStream);
    PrintOptionLine("-h, --help", "this help", theStream);
    if (*theCommand.operands)
        PrintOptionLine("--", "the end of the options: what follows is a file, even when it\nstarts with '-'",
                        theStream);
}

void PrintProgramUsage(const std::vector<Command>& theCommands, FILE* theStream)
{
    std::fputs("usage: glintweave <command> [options]\n\ncommands:\n", theStream);
    for (const Command& theCommand : theCommands) std::fprintf(theStream, "  %-11s%s\n", theCommand.name, theCommand.summary);
    std::fputs("\nRun 'glintweave <command> --help' for a command's options.\n", theStream);
}
