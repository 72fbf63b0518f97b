#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

#include "archive_support.h"
#include "content/file_byte_source.h"

namespace fs = std::filesystem;

namespace {

class VfsTools : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("pallo-vfs-tools-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "content" / "Info");
        fs::create_directories(root / "content" / "swf");
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const fs::path& relative, const std::string& content) {
        std::ofstream(root / "content" / relative, std::ios::binary) << content;
    }
    std::string readBack(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Exit status of a tool, its output going to root/out.txt.
    int run(const std::string& arguments) {
        std::string command = std::string(PALLO_TOOLS_DIR) + "/" + arguments + " >" + (root / "out.txt").string() +
                              " 2>" + (root / "err.txt").string();
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path root;
};

}  // namespace

TEST_F(VfsTools, PackedFolderReadsBackThroughTheReaderAndTheToolsWithoutAnOldArchive) {
    std::string movie;
    for (int i = 0; i < 20000; ++i) movie += static_cast<char>(i * 7 % 13);
    write("swf/Intro.SWF", movie);
    write("Info/c-test.txt", "swf1=intro.swf");
    write("readme.txt", "");
    // Packed twice into the folder it packs: the old archive is left out.
    const std::string archivePath = (root / "content" / "pallo.vfs").string();
    ASSERT_EQ(run("vfspack " + (root / "content").string() + " " + archivePath), 0);
    ASSERT_EQ(run("vfspack " + (root / "content").string() + " " + archivePath), 0);

    std::unique_ptr<VfsArchive> archive =
        VfsArchive::mount(FileByteSource::open(archivePath), VfsCodec::standard(), u"pallo.vfs");
    ASSERT_TRUE(archive);
    EXPECT_EQ(readText(archive.get(), u"SWF\\INTRO.swf"), movie);
    EXPECT_LT(vfsFindEntry(archive.get(), u"swf/intro.swf")->storedSize, movie.size() / 2);
    EXPECT_EQ(readText(archive.get(), u"info/c-test.txt"), "swf1=intro.swf");

    ASSERT_EQ(run("vfscat " + archivePath + " /info/C-TEST.TXT " + (root / "x.txt").string()), 0);
    EXPECT_EQ(readBack(root / "x.txt"), "swf1=intro.swf");
    ASSERT_EQ(run("vfsls " + archivePath), 0);
    std::string listing = readBack(root / "out.txt");
    EXPECT_NE(listing.find("ok      swf/intro.swf"), std::string::npos) << listing;
    EXPECT_NE(listing.find("info/c-test.txt"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("pallo.vfs"), std::string::npos) << listing;
    EXPECT_EQ(run("vfscat " + archivePath + " swf/missing.swf"), 1);
    EXPECT_NE(readBack(root / "err.txt").find("no 'swf/missing.swf'"), std::string::npos);
}

TEST_F(VfsTools, DamageAndMisuseAreReportedWithAFailingStatus) {
    write("a.txt", "some text that fills more than one block");
    const std::string archivePath = (root / "a.vfs").string();
    ASSERT_EQ(run("vfspack " + (root / "content").string() + " " + archivePath), 0);
    std::string bytes = readBack(archivePath);
    bytes[bytes.size() - 4] ^= 0x10;
    std::ofstream(archivePath, std::ios::binary) << bytes;
    EXPECT_EQ(run("vfsls " + archivePath), 1);
    EXPECT_NE(readBack(root / "out.txt").find("DAMAGED a.txt"), std::string::npos);
    EXPECT_EQ(run("vfscat " + archivePath + " a.txt"), 1);
    EXPECT_NE(readBack(root / "err.txt").find("damaged"), std::string::npos);

    EXPECT_EQ(run("vfsls " + (root / "content" / "a.txt").string()), 1);
    EXPECT_NE(readBack(root / "err.txt").find("not a content archive"), std::string::npos);
    EXPECT_EQ(run("vfspack " + (root / "missing").string() + " " + archivePath), 1);
    EXPECT_NE(readBack(root / "err.txt").find("is not a folder"), std::string::npos);
    write("A.TXT", "clash");
    EXPECT_EQ(run("vfspack " + (root / "content").string() + " " + archivePath), 1);
    EXPECT_NE(readBack(root / "err.txt").find("same name in lower case"), std::string::npos);
    for (const char* tool : {"vfspack", "vfsls", "vfscat"}) {
        EXPECT_EQ(run(std::string(tool) + " --help"), 0);
        EXPECT_NE(readBack(root / "out.txt").find("usage:"), std::string::npos);
        EXPECT_EQ(run(tool), 2);
    }
}

TEST_F(VfsTools, ListingMarksHiddenRecordsAndRefusesToFollowVeryDeepFolders) {
    ArchiveBuilder builder;
    builder.file(u"a", "old");
    builder.file(u"a", "new");
    for (int i = 0; i < 300; ++i) appendVfsFolderRecord(builder.directory, u"d");
    appendVfsFolderRecord(builder.directory, u"bottom");
    const std::vector<uint8_t> archive = builder.build();
    const fs::path archivePath = root / "deep.vfs";
    std::ofstream(archivePath, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()), archive.size());

    EXPECT_EQ(run("vfsls " + archivePath.string()), 1);
    std::string listing = readBack(root / "out.txt");
    EXPECT_LT(listing.find("hidden  a"), listing.find("ok      a")) << listing;
    EXPECT_EQ(listing.find("bottom"), std::string::npos);
    EXPECT_NE(readBack(root / "err.txt").find("deeper than 256 levels"), std::string::npos);
    ASSERT_EQ(run("vfscat " + archivePath.string() + " A"), 0);
    EXPECT_EQ(readBack(root / "out.txt"), "new");
}
