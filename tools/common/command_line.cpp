// Command-line parsing and verb dispatch shared by the tools.
#include "tools/common/command_line.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace {

bool isHelp(const std::string& word) { return word == "--help" || word == "-h"; }

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

Arguments parseArguments(const std::string& verb, const std::vector<std::string>& words, const VerbOptions& known) {
    Arguments a;
    a.verb_ = verb;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (isHelp(word)) continue;
        if (word.size() < 2 || word[0] != '-') {
            a.positional.push_back(word);
            continue;
        }
        std::string name = word, value;
        bool inlineValue = false;
        if (std::size_t eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = word.substr(0, eq);
            value = word.substr(eq + 1);
            inlineValue = true;
        }
        const bool isFlag = contains(known.flags, name);
        if (!isFlag && !contains(known.valued, name)) throw UsageError{"unknown option " + name};
        if (isFlag && inlineValue) throw UsageError{"option " + name + " takes no value"};
        if (!isFlag && !inlineValue) {
            if (i + 1 >= words.size()) throw UsageError{"option " + name + " needs a value"};
            value = words[++i];
        }
        if (a.options_.count(name)) throw UsageError{"option " + name + " given twice"};
        a.options_[name] = value;
    }
    return a;
}

std::string Arguments::required(const std::string& name) const {
    auto it = options_.find(name);
    if (it == options_.end()) throw UsageError{"missing " + name};
    if (it->second.empty()) throw UsageError{"empty value for " + name};
    return it->second;
}

int64_t Arguments::integer(const std::string& name, int64_t fallback, int64_t low, int64_t high) const {
    auto it = options_.find(name);
    if (it == options_.end()) return fallback;
    const std::string& text = it->second;
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError{name + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\""};
    return value;
}

void Arguments::expectPositional(std::size_t count, const std::string& what) const {
    if (positional.size() != count) throw UsageError{verb_ + " takes " + what};
}

std::string Arguments::only(const std::string& what) const {
    if (positional.size() != 1)
        throw UsageError{positional.empty() ? "missing " + what : "unexpected argument \"" + positional[1] + "\""};
    return positional[0];
}

void Arguments::nonePositional() const {
    if (!positional.empty()) throw UsageError{"unexpected argument \"" + positional[0] + "\""};
}

int usageFault(std::ostream& err, const std::string& tool, const std::string& why) {
    err << tool << ": " << why << "\nTry '" << tool << " --help'.\n";
    return kExitUsage;
}

int runVerb(const std::string& tool, const char* toolHelp, const Verb& verb, const std::vector<std::string>& words,
            std::ostream& out, std::ostream& err) {
    // Help first, so that "VERB --help" answers whatever else is on the line.
    if (std::any_of(words.begin(), words.end(), isHelp)) {
        out << (verb.help ? verb.help : toolHelp);
        return kExitOk;
    }
    try {
        return verb.run(parseArguments(verb.name, words, verb.options));
    } catch (const UsageError& e) {
        return usageFault(err, tool, e.message);
    }
}

int runTool(int argc, char** argv, const std::string& tool, const char* toolHelp, const std::vector<Verb>& verbs,
            std::ostream& out, std::ostream& err) {
    if (argc < 2) return usageFault(err, tool, "no command given");
    const std::string command = argv[1];
    if (isHelp(command) || command == "help") {
        out << toolHelp;
        return kExitOk;
    }
    for (const Verb& verb : verbs)
        if (verb.name == command) return runVerb(tool, toolHelp, verb, std::vector<std::string>(argv + 2, argv + argc), out, err);
    return usageFault(err, tool, "unknown command \"" + command + "\"");
}
