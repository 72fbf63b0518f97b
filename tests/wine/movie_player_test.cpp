#include <windows.h>

#include <gtest/gtest.h>

#include "content/file_hooks_win.h"
#include "tests/tools/movie_parts.h"
#include "player/tikkoplay/tikkoplay_win.h"
#include "support/suite.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The movie written to the temporary folder, by the ANSI path the control takes.
std::string tempMovie(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    std::wstring path = suite::tempPath(name);
    EXPECT_TRUE(suite::writeBytes(path, bytes));
    return std::string(path.begin(), path.end());
}

// A 100 x 100 stage in green with a square over all of it; each further colour
// is one more frame.
std::vector<uint8_t> squareMovie(std::vector<Rgba> colors, float rate = 12, bool compressed = false) {
    SwfWriter w(8, TwipsRect{0, 2000, 0, 2000}, rate);
    w.setBackground({0, 255, 0, 255});
    for (size_t i = 0; i < colors.size(); ++i) {
        ShapeBuilder s;
        s.setStyles(0, s.addSolidFill(colors[i]), 0);
        s.rectangle(0, 0, 2000, 2000);
        uint16_t id = w.defineShape(s);
        if (i == 0)
            w.timeline().place(1, id);
        else
            w.timeline().move(1, std::nullopt, std::nullopt, id);
        w.timeline().showFrame();
    }
    return w.finish(compressed);
}

COLORREF pixel(HWND window, int x, int y) {
    UpdateWindow(window);
    HDC dc = GetDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

class MoviePlayerControl : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW((suite::binDir() + L"\\" + kTikkoPlayerDll).c_str());
        ASSERT_NE(module, nullptr);
        control = CreateWindowExW(0, kTikkoPlayerClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(control, nullptr);
    }
    void TearDown() override {
        if (control) DestroyWindow(control);
        if (module) FreeLibrary(module);
    }
    BOOL put(const std::string& path) {
        BOOL loaded =
            static_cast<BOOL>(SendMessageW(control, WM_TIKKO_PUT_MOVIE, 0, reinterpret_cast<LPARAM>(path.c_str())));
        suite::pump(50);
        return loaded;
    }
    HMODULE module = nullptr;
    HWND control = nullptr;
};

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

TEST_F(MoviePlayerControl, ShowsTheWholeMovieAndFollowsItsWindowSize) {
    std::string path = tempMovie(L"pallo-player-square.swf", squareMovie({{255, 0, 0, 255}}, 12, true));
    ASSERT_TRUE(put(path));
    EXPECT_EQ(pixel(control, 100, 50), kRed);
    EXPECT_EQ(pixel(control, 10, 50), kGreen);  // a bar beside the 100 x 100 stage
    SetWindowPos(control, nullptr, 0, 0, 100, 200, SWP_NOZORDER | SWP_NOMOVE);
    suite::pump(50);
    EXPECT_EQ(pixel(control, 50, 100), kRed);
    EXPECT_EQ(pixel(control, 50, 10), kGreen);
    DeleteFileA(path.c_str());
}

TEST_F(MoviePlayerControl, PlaysItsFramesInALoopAtTheMovieRate) {
    std::string path = tempMovie(L"pallo-player-frames.swf", squareMovie({{255, 0, 0, 255}, {0, 0, 255, 255}}, 20));
    auto putMovie = reinterpret_cast<TikkoPlayerPutMovieFn>(GetProcAddress(module, "TikkoPlayerPutMovie"));
    ASSERT_TRUE(putMovie(control, path.c_str()));
    int red = 0, blue = 0, changes = 0;
    COLORREF last = pixel(control, 100, 50);
    for (int i = 0; i < 40; ++i) {
        suite::pump(25);
        COLORREF now = pixel(control, 100, 50);
        red += now == kRed;
        blue += now == kBlue;
        changes += now != last;
        last = now;
    }
    EXPECT_GT(red, 5);
    EXPECT_GT(blue, 5);
    EXPECT_GE(changes, 6);  // 20 frames a second for a second: about 20 changes
    EXPECT_LE(changes, 30);
    DeleteFileA(path.c_str());
}

// Reserves the address space, ever smaller blocks until none is left, but
// for a hole of `leave` bytes: a larger allocation fails (Wine hands out its
// own reserved areas only when asked). Only for a 32-bit process.
class AddressSpaceHog {
public:
    explicit AddressSpaceHog(size_t leave) {
        void* hole = VirtualAlloc(nullptr, leave, MEM_RESERVE, PAGE_NOACCESS);
        for (size_t size = size_t(1) << 30; size >= (64 << 10);) {
            if (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                blocks_.push_back(block);
            else
                size /= 2;
        }
        if (hole) VirtualFree(hole, 0, MEM_RELEASE);
    }
    ~AddressSpaceHog() {
        for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> blocks_;
};

// One 2048 x 2048 bitmap: 16 MB once inflated, a few kilobytes in the file.
std::vector<uint8_t> bitmapMovie() {
    SwfWriter w(8, TwipsRect{0, 2000, 0, 2000}, 12);
    defineBitmap(w, 2048, 2048, std::vector<uint32_t>(2048 * 2048, 0xFF336699u), false);
    w.timeline().showFrame();
    return w.finish(false);
}

TEST_F(MoviePlayerControl, AMovieTooLargeForTheMemoryLeftIsRefusedAndTheControlGoesOn) {
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "filling a 64-bit address space costs Wine gigabytes of page tables; the 32-bit run shows this";
    std::string large = tempMovie(L"pallo-player-bitmap.swf", bitmapMovie());
    std::string good = tempMovie(L"pallo-player-good.swf", squareMovie({{255, 0, 0, 255}}));
    ASSERT_TRUE(put(good));
    {
        AddressSpaceHog hog(4 << 20);
        EXPECT_FALSE(put(large));
        auto putMovie = reinterpret_cast<TikkoPlayerPutMovieFn>(GetProcAddress(module, "TikkoPlayerPutMovie"));
        EXPECT_FALSE(putMovie(control, large.c_str()));
    }
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(pixel(control, 100, 50), kWhite);
    EXPECT_TRUE(put(good));
    EXPECT_EQ(pixel(control, 100, 50), kRed);
    EXPECT_TRUE(put(large)) << "with memory to spare the same movie plays";
    for (const std::string& p : {large, good}) DeleteFileA(p.c_str());
}

// The scenes' file redirection serves the control a movie from memory behind
// a placeholder file: the control's reads meet the replacements.
TEST_F(MoviePlayerControl, PlaysAMovieTheFileRedirectionServes) {
    installFileHooks();
    std::vector<uint8_t> movie = squareMovie({{0, 0, 255, 255}}, 12, true);
    std::unique_ptr<uint8_t[]> copy(new uint8_t[movie.size()]);
    std::copy(movie.begin(), movie.end(), copy.get());
    std::wstring placeholder = suite::tempPath(L"pallo-player-placeholder.swf");
    registerVirtualFile(placeholder.c_str(), std::move(copy), movie.size(), true, 1);
    EXPECT_TRUE(put(std::string(placeholder.begin(), placeholder.end())));
    EXPECT_EQ(pixel(control, 100, 50), kBlue);
    EXPECT_EQ(registeredVirtualFiles(), 0u) << "the movie goes with the control's last handle";
    releaseVirtualFiles();
    removeAllHooks();
}

}  // namespace
