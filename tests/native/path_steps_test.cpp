// Every folder on the way to a hand-over file is checked for links, so every
// one of them must be named, for each form of root, and none above the root.
#include <gtest/gtest.h>

#include "shell/path_steps.h"

#include <string>
#include <vector>

namespace {
using Steps = std::vector<std::u16string>;

Steps pathSteps(std::u16string_view path) {
    Steps steps;
    forEachPathStep(path, [&](size_t length) { steps.emplace_back(path.substr(0, length)); });
    return steps;
}
}  // namespace

TEST(PathSteps, NameEveryFolderBelowTheRootThenThePath) {
    EXPECT_EQ(pathSteps(u"C:\\Users\\kid\\psw"), (Steps{u"C:\\Users", u"C:\\Users\\kid", u"C:\\Users\\kid\\psw"}));
    EXPECT_EQ(pathSteps(u"c:/a//b/"), (Steps{u"c:/a", u"c:/a//b"}));
    EXPECT_EQ(pathSteps(u"\\\\server\\share\\home\\psw"),
              (Steps{u"\\\\server\\share\\home", u"\\\\server\\share\\home\\psw"}));
    EXPECT_EQ(pathSteps(u"\\\\?\\C:\\a\\psw"), (Steps{u"\\\\?\\C:\\a", u"\\\\?\\C:\\a\\psw"}));
    EXPECT_EQ(pathSteps(u"\\\\?\\UNC\\server\\share\\a"), (Steps{u"\\\\?\\UNC\\server\\share\\a"}));
}

TEST(PathSteps, APathWithoutARootGivesNothingToTrust) {
    for (const char16_t* path : {u"", u"psw", u"a\\b", u"C:psw", u"C:\\", u"\\\\server", u"\\\\server\\share",
                                 u"\\\\\\share\\a", u"\\\\?\\", u"\\\\?\\UNC\\server", u"\\a\\b"})
        EXPECT_TRUE(pathSteps(path).empty()) << std::string(path, path + std::char_traits<char16_t>::length(path));
}
