#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

// The writer's movies, read by an independent parser (npm swf-parser), must
// show the same shapes, styles and frames as the player's decoder sees.
TEST(SwfWriterCrossCheck, IndependentParserReadsTheSameMovie) {
    std::string tools = PALLO_TOOLS_DIR;
    std::string command =
        std::string(PALLO_SOURCE_DIR) + "/tests/tools/swf_crosscheck.sh " + tools + " " + tools + "/../swf-crosscheck";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "node or swf-parser not available";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Movies written by other programs, drawn by the player, against references
// drawn by other rasterisers (Java 2D, librsvg): tools/swf_fidelity.sh.
TEST(SwfFidelity, MoviesOfOtherWritersMatchOtherRasterisers) {
    std::string tools = PALLO_TOOLS_DIR;
    std::string command =
        std::string(PALLO_SOURCE_DIR) + "/tests/tools/swf_fidelity.sh " + tools + " " + tools + "/../swf-fidelity";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "compare or rsvg-convert not available";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
