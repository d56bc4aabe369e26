// Where the program looks for its files, from argv[0].
#include <gtest/gtest.h>

#include <string>

#include "app/program_dir.h"

TEST(ProgramDirectory, EndsAtTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(programDirectoryOf("C:\\games\\zuno.exe"), "C:\\games\\");
    EXPECT_EQ(programDirectoryOf("./build/zuno"), "./build/");
    EXPECT_EQ(programDirectoryOf("/opt/zu\\no/zuno"), "/opt/zu\\no/");
    EXPECT_EQ(programDirectoryOf("C:\\a/b\\prog"), "C:\\a/b\\");
    EXPECT_EQ(programDirectoryOf("/zuno"), "/");
}

TEST(ProgramDirectory, IsEmptyWithoutASeparator) {
    EXPECT_EQ(programDirectoryOf("zuno"), "");
    EXPECT_EQ(programDirectoryOf(""), "");
    EXPECT_EQ(programDirectoryOf(nullptr), "");
}

TEST(ProgramDirectory, TakesPathsOfAnyLength) {
    std::string dir = "/" + std::string(10000, 'd') + "/";
    EXPECT_EQ(programDirectoryOf((dir + "zuno").c_str()), dir);
}
