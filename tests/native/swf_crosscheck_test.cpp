#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

// Runs tests/tools/SCRIPT.sh on the built tools, its work in the folder beside
// them; 77 is its answer when a program it needs is missing.
void runScript(const std::string& script, const std::string& folder, const char* missing) {
    std::string tools = PALLO_TOOLS_DIR;
    std::string command =
        std::string(PALLO_SOURCE_DIR) + "/tests/tools/" + script + ".sh " + tools + " " + tools + "/../" + folder;
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << missing << " not available";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace

// The writer's movies, read by an independent parser (npm swf-parser), must
// show the same shapes, styles and frames as the player's decoder sees.
TEST(SwfWriterCrossCheck, IndependentParserReadsTheSameMovie) {
    runScript("swf_crosscheck", "swf-crosscheck", "node or swf-parser");
}

// Movies written by other programs, drawn by the player, against references
// drawn by other rasterisers (Java 2D, librsvg): tools/swf_fidelity.sh.
TEST(SwfFidelity, MoviesOfOtherWritersMatchOtherRasterisers) {
    runScript("swf_fidelity", "swf-fidelity", "compare or rsvg-convert");
}
