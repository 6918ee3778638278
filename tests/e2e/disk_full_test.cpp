// A disk that fills in the middle of a burst of small files. ctest runs this
// program with every file limited to 128 KiB, so that writing the burst's one
// large file fails as it would on a full disk.
#include <gtest/gtest.h>
#include <string>
#include "driver.h"

using namespace driver;

// The file being written when the space ran out is reported and leaves no
// part of itself behind; every file before it was logged as it was written,
// none after it is begun, and the stopped copy is rolled back.
TEST(DiskFullTest, FileThatDoesNotFitEndsTheBurst) {
    const std::string folder = "C:\\E2E Full";
    for (const std::string &path : FilesIn(folder, "*")) DeleteFileA(path.c_str());
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_full_setup.exe", "-s"));
    EXPECT_EQ(setup.Wait(90000), 2);

    std::string log = ReadFileBytes(folder + "\\install.log");
    size_t failure = log.find("Error  : Output write failure: " + folder + "\\big.txt\r\n"
                              "Aborted unpack failed: big.txt\r\n");
    ASSERT_NE(failure, std::string::npos) << log;
    size_t at = 0;
    for (const char *name : {"s0", "s1", "s2", "s3", "s4"}) {
        at = log.find("Copy   : " + folder + "\\" + name + ".txt\r\n", at);
        EXPECT_LT(at, failure) << name << "\n" << log;
    }
    EXPECT_NE(log.find("Undone : copy stopped: 5 changes undone", failure), std::string::npos) << log;
    EXPECT_EQ(log.find("big.txt"), log.find("big.txt", failure)) << log;  // named only by the failure
    for (const char *name : {"t0", "t1", "t2", "t3", "t4"})
        EXPECT_EQ(log.find(std::string(name) + ".txt"), std::string::npos) << log;
    // No part of the large file, no work file, and none of the files the
    // rollback took away: the log alone is left.
    EXPECT_EQ(FilesIn(folder, "*.*").size(), 2u + 1u);  // with "." and ".."
}
