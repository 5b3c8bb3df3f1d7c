// The glintweave program's commands and their options as data: the one parser and the help
// texts are made from the same entries, so every command treats its command line alike.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using Arguments = std::vector<std::string>;

// Takes an option's value (empty for a flag). False with what the option takes, worded to
// follow its name ("takes a number from 0 to 1"); the parser adds the value given.
using OptionTaker = std::function<bool(const std::string& theValue, std::string& outError)>;

struct Option {
    Option(const char* theName, const char* theArgument, const char* theHelp, OptionTaker theTake)
        : name(theName), argument(theArgument), help(theHelp), take(std::move(theTake)) {}

    const char* name;     // "--speed", "-o"
    const char* argument; // "S", shown in the help; none for a flag
    const char* help;     // each line after the first is indented under the first
    OptionTaker take;
    bool required = false;
    bool repeatable = false;        // otherwise a second one is refused
};

// A flag that sets outFlag.
Option FlagOption(const char* theName, const char* theHelp, bool& outFlag);
// An option whose value is stored as it is given.
Option TextOption(const char* theName, const char* theArgument, const char* theHelp, std::string& outText);

// False with one line; its work is done (or refused) when it returns.
using CommandStep = std::function<bool(const Arguments& theOperands, std::string& outError)>;

struct Command {
    Command(const char* theName, const char* theSummary, const char* theOperands = "")
        : name(theName), summary(theSummary), operands(theOperands) {}

    const char* name;
    const char* summary;         // its line in the program's usage
    const char* operands;        // as the usage line shows them ("CLIP [CLIP...]"); "" for none
    const char* description = "";
    std::vector<Option> options;
    CommandStep check;           // of the whole command line, before any work; may be empty
    CommandStep run;
};

enum class ParseOutcome { kParsed, kHelp, kUsageError };

// Takes theArguments by theCommand's options: each option's value is the next argument as it is
// (refused only when it is itself one of the command's options, --help or --); "--" ends the
// options; an argument starting with '-' before it is an option (a lone "-" is an operand).
// --help or -h as an option anywhere wins over every other fault.
ParseOutcome ParseCommandLine(const Command& theCommand, const Arguments& theArguments, Arguments& outOperands,
                              std::string& outError);

void PrintCommandHelp(const Command& theCommand, FILE* theStream);
void PrintProgramUsage(const std::vector<Command>& theCommands, FILE* theStream);
