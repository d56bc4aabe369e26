// Shared message wording of the tools.
#include "tools/common/text_words.h"

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string shown(const std::string& word) {
    constexpr std::size_t kShownLength = 24;
    std::string s;
    for (char c : word.substr(0, kShownLength)) s.push_back(c >= 0x20 && c < 0x7f ? c : '?');
    if (word.size() > kShownLength) s += "...";
    return s;
}

std::string counted(uint64_t n, const std::string& singular) {
    return std::to_string(n) + " " + singular + (n == 1 ? "" : "s");
}
