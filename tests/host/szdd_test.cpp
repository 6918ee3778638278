// The SZDD encoder round trip through the expander, on data that exercises
// the ring's blank prefill, overlapping matches and the far end of the ring.
#include <gtest/gtest.h>
#include "buildtool/szdd.h"
#include "corpus.h"

TEST(SzddTest, RoundTripAndHeader) {
    std::vector<std::string> pieces = MakeCorpus(3u << 20, 5);
    pieces.push_back(std::string(10000, ' '));
    pieces.push_back(std::string(46080, '\0'));
    pieces.push_back("a");
    std::string far;
    for (int i = 0; i < 20000; i++) far += (char)(i % 4093);
    pieces.push_back(far);
    for (const std::string &p : pieces) {
        std::string packed = SzddCompress(p, 'L'), back;
        ASSERT_EQ(packed.compare(0, 10, std::string("SZDD\x88\xF0\x27\x33" "AL", 10)), 0);
        ASSERT_TRUE(SzddExpand(packed, &back));
        ASSERT_EQ(back.size(), p.size());
        ASSERT_TRUE(back == p);
    }
    std::string text;
    for (int i = 0; i < 5000; i++) text += "Install folder %INSTDIR%\r\n";
    EXPECT_LT(SzddCompress(text, 'X').size(), text.size() / 4);
    std::string out;
    EXPECT_FALSE(SzddExpand("SZDE\x88\xF0\x27\x33" "A_\0\0\0\0", &out));
}
