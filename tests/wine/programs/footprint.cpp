// What the resident control module costs a computer that runs it all day, and
// how soon a scene shows its first frame next to an empty window program.
// Prints figures, asserts nothing: ./dev footprint
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "control/control_module_win.h"
#include "control/video_title_win.h"
#include "support/fake_control_module.h"
#include "support/suite.h"

namespace {

constexpr UINT kShortMinuteMs = 10;

struct Usage {
    double privateKb;
    DWORD handles;
};

Usage usageOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    return {counters.PrivateUsage / 1024.0, handles};
}

double cpuMs(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(thread, &created, &ended, &kernel, &user);
    auto units = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (units(kernel) + units(user)) / 10000.0;
}

void ignoreShutdown(bool) {}

DWORD WINAPI moduleThread(void*) {
    ControlModuleOptions options;
    options.minuteMs = kShortMinuteMs;
    options.shutdown = &ignoreShutdown;
    runControlModule(options);
    return 0;
}

// Top-level windows of another program, pumped by their own thread.
DWORD WINAPI crowdThread(void* ready) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PalloCrowd";
    RegisterClassW(&windowClass);
    for (int i = 0; i < 200; ++i) {
        std::wstring title = L"Document " + std::to_wstring(i) + L" - Editor";
        CreateWindowW(L"PalloCrowd", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                      windowClass.hInstance, nullptr);
    }
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// The share of the window's client area whose pixels pass the test.
template <typename Test>
double share(HWND window, Test test) {
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    size_t passed = 0;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i)
        if (test((pixels[i] >> 16) & 0xFF, (pixels[i] >> 8) & 0xFF, pixels[i] & 0xFF)) ++passed;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<double>(passed) / (width * height);
}

bool isFur(int r, int g, int b) { return r > 220 && g > 130 && g < 200 && b < 120; }
bool isEmptyWindowGreen(int r, int g, int b) { return r < 30 && g > 180 && b < 30; }

// Milliseconds from the start of the process to the first frame that shows
// its picture on screen; -1 when none came within 15 s.
template <typename Test>
double msToFirstFrame(const std::wstring& program, const std::wstring& arguments, const wchar_t* className,
                      const wchar_t* title, Test test) {
    LARGE_INTEGER frequency, started, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    HANDLE process = suite::start(program, arguments);
    if (!process) return -1;
    double result = -1;
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < 15000; Sleep(2)) {
        HWND window = FindWindowW(className, title);
        if (window && IsWindowVisible(window) && share(window, test) > 0.005) {
            QueryPerformanceCounter(&now);
            result = (now.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
            break;
        }
    }
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    Sleep(300);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measureModule() {
    std::wstring folder = std::wstring(dataLocations().tempFolder()) + L"footprint";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());  // no qz.exe here: scenes the module wants do not start

    HANDLE process = suite::start(suite::qzPath(), L"/control");
    if (suite::waitForWindow(suite::kControlWindowTitle, 10000)) {
        Sleep(2000);
        Usage real = usageOf(process);
        std::printf("real qz.exe /control, 2 s after its start: %.0f KB private, %lu handles\n", real.privateKb,
                    real.handles);
    }
    suite::stopControlModules();
    if (process) CloseHandle(process);

    Usage before = usageOf(GetCurrentProcess());
    HANDLE thread = CreateThread(nullptr, 0, moduleThread, nullptr, 0, nullptr);
    suite::waitForWindow(suite::kControlWindowTitle, 5000);
    Sleep(200);
    Usage started = usageOf(GetCurrentProcess());
    Sleep(60 * kShortMinuteMs);
    Usage hour = usageOf(GetCurrentProcess());
    Sleep(1380 * kShortMinuteMs);
    Usage day = usageOf(GetCurrentProcess());
    std::printf("in-process module, %u ms minutes; growth of the process over its state before the module:\n",
                kShortMinuteMs);
    std::printf("  started:        %+8.0f KB private, %+4ld handles\n", started.privateKb - before.privateKb,
                static_cast<long>(started.handles - before.handles));
    std::printf("  after 60 ticks: %+8.0f KB private, %+4ld handles\n", hour.privateKb - before.privateKb,
                static_cast<long>(hour.handles - before.handles));
    std::printf("  after 1440:     %+8.0f KB private, %+4ld handles\n", day.privateKb - before.privateKb,
                static_cast<long>(day.handles - before.handles));

    auto cpuPerTick = [&](const char* label) {
        double cpu = cpuMs(thread);
        DWORD begun = GetTickCount();
        Sleep(500 * kShortMinuteMs);
        double ticks = static_cast<double>(GetTickCount() - begun) / kShortMinuteMs;
        std::printf("  CPU per minute tick, %s: %.3f ms\n", label, (cpuMs(thread) - cpu) / ticks);
    };
    cpuPerTick("few windows");
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD crowdId = 0;
    HANDLE crowd = CreateThread(nullptr, 0, crowdThread, ready, 0, &crowdId);
    WaitForSingleObject(ready, 20000);
    cpuPerTick("200 more top-level windows");

    LARGE_INTEGER frequency, begun, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begun);
    for (int i = 0; i < 100; ++i) isVideoPlaying();
    QueryPerformanceCounter(&ended);
    std::printf("  the video-window walk alone: %.3f ms\n",
                (ended.QuadPart - begun.QuadPart) * 1000.0 / frequency.QuadPart / 100);

    suite::stopControlModules();
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    PostThreadMessageW(crowdId, WM_QUIT, 0, 0);
    WaitForSingleObject(crowd, 5000);
    CloseHandle(crowd);
    CloseHandle(ready);
}

void measureSceneStart(const std::wstring& archive) {
    std::wstring program = std::wstring(dataLocations().tempFolder()) + L"footprint-program";
    CreateDirectoryW(program.c_str(), nullptr);
    for (const wchar_t* name : {L"qz.exe", L"tikkoplay.dll", L"empty_window.exe"})
        CopyFileW((suite::binDir() + L"\\" + name).c_str(), (program + L"\\" + name).c_str(), FALSE);
    CopyFileW(archive.c_str(), (program + L"\\pallo.vfs").c_str(), FALSE);
    const wchar_t* sceneTitle = GetACP() == 1251 ? L"Tikko" : L"Computer";

    suite::FakeControlModule module;
    std::vector<double> scene, empty;
    for (int round = 0; round < 3; ++round) {
        empty.push_back(msToFirstFrame(program + L"\\empty_window.exe", L"", L"PalloEmptyWindow", L"Empty",
                                       isEmptyWindowGreen));
        scene.push_back(msToFirstFrame(program + L"\\qz.exe", L"/show:test", L"#32770", sceneTitle, isFur));
    }
    double sceneMs = median(scene), emptyMs = median(empty);
    std::printf("start to first painted frame (median of 3): scene \"test\" %.0f ms, empty window %.0f ms, "
                "ratio %.2f (goal <= 1.5)\n",
                sceneMs, emptyMs, emptyMs > 0 ? sceneMs / emptyMs : 0.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    suite::stopControlModules();
    measureModule();
    if (argc > 1) measureSceneStart(argv[1]);
    return 0;
}
