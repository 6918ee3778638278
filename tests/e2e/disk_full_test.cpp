// A disk that fills in the middle of a burst of small files. ctest runs this
// program with every file limited to 128 KiB, so that writing the burst's one
// large file fails as it would on a full disk.
#include <gtest/gtest.h>
#include <string>
#include "driver.h"

using namespace driver;

// The file being written when the space ran out is reported and leaves no
// part of itself behind; every file before it is installed and logged, and
// none after it is begun.
TEST(DiskFullTest, FileThatDoesNotFitEndsTheBurst) {
    const std::string folder = "C:\\E2E Full";
    for (const std::string &path : FilesIn(folder, "*")) DeleteFileA(path.c_str());
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_full_setup.exe", "-s"));
    EXPECT_EQ(setup.Wait(90000), 2);

    std::string log = ReadFileBytes(folder + "\\install.log");
    for (const char *name : {"s0", "s1", "s2", "s3", "s4"}) {
        std::string path = folder + "\\" + name + ".txt";
        EXPECT_EQ(ReadFileBytes(path), std::string("small file ") + name + " of the burst\r\n") << path;
        EXPECT_NE(log.find("Copy   : " + path + "\r\n"), std::string::npos) << log;
    }
    EXPECT_NE(log.find("Output write failure: " + folder + "\\big.txt\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nAborted unpack failed: big.txt\r\n"), std::string::npos) << log;
    EXPECT_FALSE(FileExists(folder + "\\big.txt"));
    EXPECT_EQ(log.find("big.txt\r\nCopy"), std::string::npos) << log;
    for (const char *name : {"t0", "t1", "t2", "t3", "t4"}) {
        EXPECT_FALSE(FileExists(folder + "\\" + name + ".txt")) << name;
        EXPECT_EQ(log.find(std::string(name) + ".txt"), std::string::npos) << log;
    }
    // Neither a work file nor anything else beside the files and the log.
    EXPECT_EQ(FilesIn(folder, "*.*").size(), 2u + 6u);  // with "." and ".."
}
