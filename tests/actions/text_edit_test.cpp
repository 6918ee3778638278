// Text-file editing against expected files: every mode, line ends of all
// kinds, long lines, a file of megabytes, paths with forward slashes and
// files that cannot be edited.
#include <gtest/gtest.h>
#include <string>
#include "actions/text_edit.h"
#include "driver.h"

using namespace driver;

namespace {

// "PATH" and "REM" lines, a blank line inside, no line end after the last.
const char kBase[] = "one\r\nPATH=C:\\DOS\r\n\r\nREM x\nlast";

class TextEdit : public ::testing::Test {
  protected:
    std::string folder_ = MakeTempFolder("te");
    std::string Path(const char *name) { return folder_ + "\\" + name; }
    // Writes name with text, edits it, returns the new text.
    std::string Edit(const char *name, const std::string &text, const char *search, const char *line, int mode) {
        EXPECT_TRUE(WriteFileBytes(Path(name), text));
        return EditOnly(name, search, line, mode);
    }
    std::string EditOnly(const char *name, const char *search, const char *line, int mode) {
        std::string path = Path(name);
        EXPECT_EQ(EditTextFile(&path[0], search, line, mode), 0);
        return ReadFileBytes(Path(name));
    }
};

// Every mode on the same file, line ends of every kind (they come out as
// CR LF), empty files and missing ones (created in every mode, no backup).
TEST_F(TextEdit, EveryModeLineEndAndMissingFile) {
    struct Case {
        const char *name, *text, *search, *line;
        int mode;
        const char *expected;
    } cases[] = {
        {"m1.txt", kBase, "PATH", "FIRST", 1, "FIRST\r\none\r\nPATH=C:\\DOS\r\n\r\nREM x\r\nlast\r\n"},
        {"m2.txt", kBase, "PATH", "LAST", 2, "one\r\nPATH=C:\\DOS\r\n\r\nREM x\r\nlast\r\nLAST\r\n"},
        {"m3.txt", kBase, "PATH", ";C:\\APP", 3, "one\r\nPATH=C:\\DOS;C:\\APP\r\n\r\nREM x\r\nlast\r\n"},
        {"m4.txt", kBase, "REM", "unused", 4, "one\r\nPATH=C:\\DOS\r\n\r\nlast\r\n"},
        {"m5.txt", kBase, "PATH", "after", 5, "one\r\nPATH=C:\\DOS\r\nafter\r\n\r\nREM x\r\nlast\r\n"},
        {"m6.txt", kBase, "PATH", "before", 6, "one\r\nbefore\r\nPATH=C:\\DOS\r\n\r\nREM x\r\nlast\r\n"},
        // Case matters; an empty search text is in every line, blank ones too.
        {"m7.txt", kBase, "path", "x", 4, "one\r\nPATH=C:\\DOS\r\n\r\nREM x\r\nlast\r\n"},
        {"m8.txt", kBase, "", "+", 5, "one\r\n+\r\nPATH=C:\\DOS\r\n+\r\n\r\n+\r\nREM x\r\n+\r\nlast\r\n+\r\n"},
        {"m9.txt", kBase, "o", "!", 9, "PATH=C:\\DOS\r\n\r\nREM x\r\nlast\r\n"},
        {"lf.txt", "a\nb\n", "b", "c", 5, "a\r\nb\r\nc\r\n"},
        {"cr.txt", "a\rb\r\rd", "d", "c", 6, "a\r\nb\r\n\r\nc\r\nd\r\n"},
        {"crlf.txt", "a\r\n\r\n", "", "x", 3, "ax\r\nx\r\n"},
        // An empty file has no line: mode 1 adds nothing, mode 2 the line alone.
        {"e1.txt", "", "", "x", 1, ""},
        {"e2.txt", "", "", "x", 2, "x\r\n"},
        {"new1.txt", 0, "x", "only line", 1, "only line\r\n"},
        {"new4.txt", 0, "x", "only line", 4, "only line\r\n"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.text ? Edit(c.name, c.text, c.search, c.line, c.mode) : EditOnly(c.name, c.search, c.line, c.mode),
                  c.expected) << c.name;
        std::string backup = Path(c.name);
        backup.replace(backup.size() - 3, 3, "001");
        EXPECT_EQ(c.text ? std::string(c.text) : "absent", FileExists(backup) ? ReadFileBytes(backup) : "absent") << c.name;
    }
}

TEST_F(TextEdit, LongLinesAndLargeFilesLoseNothing) {
    std::string longLine(5000, 'a');
    longLine += "KEY";
    longLine += std::string(3000, 'b');
    EXPECT_EQ(Edit("long.txt", "x\n" + longLine + "\ny", "KEY", "=1", 3), "x\r\n" + longLine + "=1\r\ny\r\n");
    std::string big, expected;
    for (int i = 0; i < 60000; i++) {
        std::string line = "line " + std::to_string(i) + (i % 3 ? " keep" : " drop") + std::string(40, '.');
        big += line + "\n";
        if (i % 3) expected += line + "\r\n";
    }
    ASSERT_GT(big.size(), 3000000u);
    EXPECT_EQ(Edit("big.txt", big, "drop", "", 4), expected);
}

// Backups numbered on beside older ones: the actions test's second run.
// Forward slashes name the same file and become backslashes; a file in use
// stays as it was, with no backup and no temp file left.
TEST_F(TextEdit, ForwardSlashesAndAFileInUse) {
    ASSERT_TRUE(WriteFileBytes(Path("cfg.ini"), "a\r\nc\r\n"));
    std::string path = Path("cfg.ini");
    for (char &c : path) c = c == '\\' ? '/' : c;
    EXPECT_EQ(EditTextFile(&path[0], "c", "", 4), 0);
    EXPECT_EQ(path, Path("cfg.ini"));
    EXPECT_EQ(ReadFileBytes(Path("cfg.ini")), "a\r\n");

    ASSERT_TRUE(WriteFileBytes(Path("held.txt"), "held\r\n"));
    HANDLE held = CreateFileA(Path("held.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EditOnly("held.txt", "", "x", 2);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(Path("held.txt")), "held\r\n");
    EXPECT_FALSE(FileExists(Path("held.001")));
    EXPECT_TRUE(FilesIn(folder_, "VTE*").empty()) << "temp file left behind";
}

}  // namespace
