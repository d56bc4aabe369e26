// Replacing an output file whole: a regular file (through a link too) only
// ever holds its old or all of its new bytes, keeps its mode and leaves no
// temporary behind; a pipe is written where it stands, never replaced.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/process.h"
#include "tools/output/output_file.h"

namespace {

int entries(const std::string& dir) {
    int n = 0;
    DIR* d = ::opendir(dir.c_str());
    while (dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}

}  // namespace

TEST(OutputFile, RegularFilesAreReplacedWholeOrNotAtAll) {
    TempDir dir;
    const std::string path = dir.file("out.lev");
    writeFile(path, "old bytes");
    ::chmod(path.c_str(), 0640);
    {
        OutputFile abandoned(path);  // a writer that fails before its commit
        writeFile(abandoned.writePath(), "half");
        EXPECT_EQ(readFile(path), "old bytes");
    }
    EXPECT_EQ(entries(dir.path()), 1);

    ASSERT_EQ(::symlink("out.lev", dir.file("link.lev").c_str()), 0);
    EXPECT_EQ(replaceFile(dir.file("link.lev"), "new"), "");
    EXPECT_EQ(readFile(path), "new");
    struct stat st;
    ASSERT_EQ(::lstat(dir.file("link.lev").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir.path()), 2);

    EXPECT_EQ(replaceFile(dir.file("no/such/out.lev"), "x").rfind("cannot write: ", 0), 0u);
}

TEST(OutputFile, APipeIsWrittenInPlace) {
    TempDir dir;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        std::ifstream in(fifo, std::ios::binary);
        received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    const std::string written = replaceFile(fifo, "through the pipe");
    reader.join();
    EXPECT_EQ(written, "");
    EXPECT_EQ(received, "through the pipe");
    struct stat st;
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(entries(dir.path()), 1);
}
