// The command line of every tool: a verb, then options ("--name value",
// "--name=value", "-o value", flags) and positional words, with one shared
// behaviour for help, usage faults and their exit status.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

// A usage fault: thrown by the parser and the accessors below, reported as
// "TOOL: message" with the hint to --help, exit status 2.
struct UsageError {
    std::string message;
};

struct VerbOptions {
    std::vector<std::string> valued;  // options that take a value
    std::vector<std::string> flags;   // options that stand alone
};

class Arguments {
public:
    std::vector<std::string> positional;

    bool has(const std::string& name) const { return options_.count(name) != 0; }
    // The value of an option that must be given, never empty.
    std::string required(const std::string& name) const;
    // A whole number in [low, high], or fallback when the option is absent.
    int64_t integer(const std::string& name, int64_t fallback, int64_t low, int64_t high) const;
    // Exactly `count` positional words; otherwise "VERB takes WHAT".
    void expectPositional(std::size_t count, const std::string& what) const;
    // The one positional word; "missing WHAT" or "unexpected argument".
    std::string only(const std::string& what) const;
    void nonePositional() const;

private:
    friend Arguments parseArguments(const std::string& verb, const std::vector<std::string>& words,
                                    const VerbOptions& known);
    std::string verb_;
    std::map<std::string, std::string> options_;
};

// Splits the words after the verb (--help and -h, answered before, are
// passed over); throws UsageError for an unknown option, a missing value or
// an option given twice.
Arguments parseArguments(const std::string& verb, const std::vector<std::string>& words, const VerbOptions& known);

struct Verb {
    std::string name;
    VerbOptions options;
    const char* help;  // printed for "VERB --help"; null: the tool's help
    std::function<int(const Arguments&)> run;
};

// "TOOL: why" and the hint to --help on err; returns the usage status.
int usageFault(std::ostream& err, const std::string& tool, const std::string& why);

// One verb with its words: help, or its run; usage faults as above.
int runVerb(const std::string& tool, const char* toolHelp, const Verb& verb, const std::vector<std::string>& words,
            std::ostream& out, std::ostream& err);

// The tool's main: argv[1] names the verb; "--help", "-h" and "help" print
// the tool's help.
int runTool(int argc, char** argv, const std::string& tool, const char* toolHelp, const std::vector<Verb>& verbs,
            std::ostream& out, std::ostream& err);
