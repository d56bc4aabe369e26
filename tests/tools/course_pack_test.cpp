// The course pack as built: every course's level passes zuno-level check, and
// its key script, played by zuno-replay drive, takes the body ball past the
// course's end (the x its drawing names).
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

std::vector<std::string> courses() {
    std::vector<std::string> names;
    std::stringstream list(ZUNO_COURSES);
    for (std::string name; std::getline(list, name, ',');) names.push_back(name);
    return names;
}

}  // namespace

TEST(CoursePack, EveryCourseChecksAndItsKeyScriptDrivesItToTheEnd) {
    ASSERT_GE(courses().size(), 5u);
    TempDir dir;
    for (const std::string& course : courses()) {
        const std::string level = ZUNO_BINARY_DIR "/courses/" + course + ".lev";
        const std::string source = ZUNO_SOURCE_DIR "/data/courses/" + course;
        const ProcessResult check = runProcess(ZUNO_BINARY_DIR "/zuno-level", {"check", level});
        EXPECT_EQ(check.exitStatus, 0) << course << ": " << check.out << check.err;

        std::smatch end;
        const std::string drawing = readFile(source + ".svg");
        ASSERT_TRUE(std::regex_search(drawing, end, std::regex("passes x = (\\d+)"))) << course;
        const ProcessResult drive = runProcess(ZUNO_BINARY_DIR "/zuno-replay",
            {"drive", "--level", level, "--keys", source + ".keys", "-o", dir.file(course + ".rec")});
        ASSERT_EQ(drive.exitStatus, 0) << course << ": " << drive.err;
        double furthest = -1e300;
        for (const auto& record : recordsOf(readFile(dir.file(course + ".rec"))))
            furthest = std::max(furthest, record[0]);
        EXPECT_GE(furthest, std::stod(end[1])) << course << ": the body ball stops short of the end";
    }
}
