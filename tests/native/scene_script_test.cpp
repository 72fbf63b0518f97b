#include "scene/scene_script.h"

#include "ascii_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

std::mt19937 seededGenerator;

void seededBytes(void* buffer, size_t length) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(seededGenerator());
}

// Scripts by file name, served as the content store would under "info\".
struct Scripts {
    explicit Scripts(std::map<std::u16string, std::u16string> served) : files(std::move(served)) {}
    std::map<std::u16string, std::u16string> files;
    std::vector<std::u16string> reads;

    SceneScript script() {
        return SceneScript(
            [this](const std::u16string& path, KeyValueDocument& document) {
                reads.push_back(path);
                if (path.rfind(u"info\\", 0) != 0) return false;
                auto found = files.find(path.substr(5));
                if (found == files.end()) return false;
                document.parse(found->second);
                return true;
            },
            seededBytes, asciiText);
    }
};

// The script's next steps, at most `most`, up to the first none: " movie ms" each.
std::string steps(SceneScript& script, int most = 9) {
    std::string played;
    for (std::optional<MovieStep> step; most-- > 0 && (step = script.nextMovie());)
        played += " " + asciiText(step->movieName) + " " + std::to_string(step->durationMs);
    return played;
}

}  // namespace

// One movie without a list plays once; a time without a movie is an empty
// step, a movie without a time ends the run. What is played leaves the document.
TEST(SceneScript, MoviesPlayInOrderUntilOneWithoutATime) {
    Scripts scripts{{{u"c-tolder.txt", u"swf1=grumble.swf\r\ntime1=0:30:0"},
                     {u"c-test.txt", u"time1=infinity\r\nswf2=b.swf\r\nswf3=c.swf\r\ntime3=1:0:0"}}};
    SceneScript tolder = scripts.script(), test = scripts.script();
    ASSERT_TRUE(tolder.load(u"c-tolder.txt"));
    EXPECT_FALSE(tolder.nextList());
    EXPECT_EQ(steps(tolder), " grumble.swf 30000");
    EXPECT_FALSE(tolder.nextList());
    EXPECT_FALSE(tolder.document().contains(u"swf1") || tolder.document().contains(u"time1"));
    test.load(u"c-test.txt");
    EXPECT_EQ(steps(test), "  -1");
    EXPECT_EQ(test.movieCounter(), 2);
    EXPECT_FALSE(test.document().contains(u"swf2"));
}

TEST(SceneScript, ListFileRestartsMovieNumbering) {
    Scripts scripts{
        {{u"c-hopsa-common.txt", u"close=minimize\r\nswf-list1=a.txt"},
         {u"c-hopsa-usual.txt", u"close=close\r\nswf1=intro.swf\r\ntime1=0:1:0\r\nswf2=unplayed.swf\r\ntime2=0:2:0"},
         {u"a.txt", u"swf2=a2.swf\r\ntime2=0:0:5\r\nswf1=a1.swf\r\ntime1=2\r\nclose=none"}}};
    SceneScript script = scripts.script();
    script.load(u"c-hopsa-common.txt");
    script.load(u"c-hopsa-usual.txt");
    EXPECT_EQ(script.document().text(u"close"), u"close");
    EXPECT_EQ(steps(script, 1), " intro.swf 1000");
    ASSERT_TRUE(script.nextList());
    EXPECT_EQ(script.movieCounter(), 0);
    EXPECT_EQ(script.document().text(u"close"), u"none");
    EXPECT_EQ(steps(script), " a1.swf 120000 a2.swf 5");
    EXPECT_FALSE(script.nextList());
    EXPECT_EQ(script.listCounter(), 2);
}

// Scripts are read under "info\"; an empty name or a missing file is none. A
// list of blank entries fails and resets the movie counter; a missing entry
// fails its list, and the next list is tried.
TEST(SceneScript, NothingUnreadableIsTaken) {
    Scripts scripts{{{u"c-blank.txt", u"swf1=a.swf\r\ntime1=1\r\nswf-list1= | \t|"},
                     {u"c-gone.txt", u"swf-list1=gone.txt\r\nswf-list2=a.txt"},
                     {u"a.txt", u"swf1=a.swf\r\ntime1=1"}}};
    SceneScript script = scripts.script();
    EXPECT_FALSE(script.load(u""));
    EXPECT_TRUE(scripts.reads.empty());
    EXPECT_FALSE(script.load(u"c-missing.txt"));
    EXPECT_EQ(script.document().size(), 0u);
    EXPECT_TRUE(script.load(u"a.txt"));
    EXPECT_EQ(scripts.reads.back(), u"info\\a.txt");
    EXPECT_EQ(script.document().text(u"time1"), u"1");
    SceneScript blank = scripts.script();
    blank.load(u"c-blank.txt");
    blank.nextMovie();
    EXPECT_FALSE(blank.nextList());
    EXPECT_EQ(blank.movieCounter(), 0);
    EXPECT_EQ(blank.listCounter(), 1);

    SceneScript gone = scripts.script();
    gone.load(u"c-gone.txt");
    EXPECT_FALSE(gone.nextList());
    EXPECT_EQ(scripts.reads.back(), u"info\\gone.txt");
    EXPECT_TRUE(gone.nextList());
}

TEST(SceneScript, ThreeEntriesAreChosenWithEqualChance) {
    seededGenerator.seed(20261206);
    Scripts scripts{{{u"a.txt", u"swf1=a"},
                     {u"b.txt", u"swf1=b"},
                     {u"c.txt", u"swf1=c"},
                     {u"c-test.txt", u"swf-list1= a.txt |b.txt|\tc.txt "}}};
    std::map<std::u16string, int> counts;
    const int draws = 30000;
    for (int i = 0; i < draws; ++i) {
        SceneScript script = scripts.script();
        script.load(u"c-test.txt");
        ASSERT_TRUE(script.nextList());
        ++counts[script.document().text(u"swf1")];
    }
    ASSERT_EQ(counts.size(), 3u);
    for (const auto& [name, count] : counts)
        EXPECT_NEAR(count, draws / 3, draws / 3 * 0.05) << std::string(name.begin(), name.end());
}

TEST(MovieDuration, ScansMinutesSecondsAndMilliseconds) {
    const std::pair<const char*, int> cases[] = {
        {"infinity", -1},
        {"0:30:0", 30000},
        {"1:5:500", 65500},
        {"2", 120000},
        {"1:5", 65000},
        {"abc", 0},
        {"Infinity", 0},
        {"1 :5", 60000},
        {"1: 5x", 65000},
        {"-1:0:0", -1},
        {"0:0:-1", -1},
        {"0:-0:5", 5},
        {"99999999999:0:0", INT_MAX},
        {"35791:23:647", INT_MAX},
    };
    for (const auto& [text, ms] : cases) EXPECT_EQ(movieDurationMs(text), ms) << text;
}
