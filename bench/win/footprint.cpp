// What the resident control module costs a computer that runs it all day, and
// how soon a scene shows its first frame next to an empty window program.
// Prints figures, asserts nothing: ./dev footprint [another build's bin folder]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include "control/control_module_win.h"
#include "control/video_title_win.h"
#include "support/fake_control_module.h"
#include "support/suite.h"

namespace {

constexpr UINT kShortMinuteMs = 10;

struct Usage {
    double privateKb;  // resident memory of this process that no other shares
    int handles;
};

// A file of Linux's /proc, read through drive Z: (its size reads as 0).
std::string readProc(const wchar_t* path) {
    std::string text;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
    CloseHandle(file);
    return text;
}

int openHandles() {
    int count = 0;
    DWORD flags;
    for (uintptr_t value = 4; value < 0x10000; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    return count;
}

// The /proc folder of this prefix's Linux process whose name starts with
// `name`. "Z:\\proc\\self" is no help: the wine server opens files for its
// clients, so there it names the server.
std::wstring linuxProcess(const char* name) {
    wchar_t prefix[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    std::string wanted = "WINEPREFIX=";
    for (const wchar_t* c = prefix; *c; ++c) wanted += static_cast<char>(*c);
    wanted += '\0';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return L"";
    std::wstring result;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
        if (readProc((folder + L"\\comm").c_str()).rfind(name, 0) != 0) continue;
        if (prefix[0] && readProc((folder + L"\\environ").c_str()).find(wanted) == std::string::npos) continue;
        result = folder;
    } while (result.empty() && FindNextFileW(search, &found));
    FindClose(search);
    return result;
}

// This process as Linux sees it, and the wine server that answers its calls:
// window titles of other programs come from the server, so its CPU belongs to
// the module's walk.
const std::wstring& selfProc() {
    static const std::wstring folder = linuxProcess("footprint.exe");
    return folder;
}
const std::wstring& serverProc() {
    static const std::wstring folder = linuxProcess("wineserver");
    return folder;
}

// Resident memory of this process that no other shares, from Linux.
double privateResidentKb() {
    std::string text = readProc((selfProc() + L"\\status").c_str());
    size_t at = text.find("RssAnon:");
    return at == std::string::npos ? -1 : std::atof(text.c_str() + at + 8);
}

Usage usage() { return {privateResidentKb(), openHandles()}; }

// CPU time of a Linux process (user and system) from its /proc stat file.
double cpuMs(const std::wstring& process) {
    std::string text = readProc((process + L"\\stat").c_str());
    size_t at = text.rfind(')');
    if (at == std::string::npos) return 0;
    const char* field = text.c_str() + at + 2;
    double ticks = 0;
    for (int index = 3; *field; ++index) {  // utime and stime are fields 14 and 15
        if (index == 14 || index == 15) ticks += std::atof(field);
        while (*field && *field != ' ') ++field;
        while (*field == ' ') ++field;
    }
    return ticks * 10.0;  // 100 clock ticks a second
}

void ignoreShutdown(bool) {}

DWORD WINAPI moduleThread(void*) {
    ControlModuleOptions options;
    options.minuteMs = kShortMinuteMs;
    options.shutdown = &ignoreShutdown;
    runControlModule(options);
    return 0;
}

bool isEmptyWindowGreen(int r, int g, int b) { return r < 30 && g > 180 && b < 30; }

// Milliseconds from the start of the process to the first frame that shows
// its picture on screen; -1 when none came within 15 s. `client` gets the
// window's client size.
double msToFirstFrame(const std::wstring& program, const std::wstring& arguments, const wchar_t* className,
                      const wchar_t* title, suite::PixelTest test, RECT* client = nullptr) {
    LARGE_INTEGER frequency, started, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    HANDLE process = suite::start(program, arguments);
    if (!process) return -1;
    double result = -1;
    for (DWORD begun = GetTickCount(); GetTickCount() - begun < 15000; Sleep(2)) {
        HWND window = FindWindowW(className, title);
        if (window && IsWindowVisible(window) && suite::shareOnScreen(window, test) > 0.005) {
            QueryPerformanceCounter(&now);
            result = (now.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
            if (client) GetClientRect(window, client);
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

bool measureModule() {
    suite::removeSuiteFiles();  // the default settings: Tolder on, every user controlled
    std::wstring folder = std::wstring(dataLocations().tempFolder()) + L"footprint";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());  // no qz.exe here: scenes the module wants do not start

    if (selfProc().empty() || serverProc().empty()) std::printf("this process or the wine server not found in /proc\n");
    Usage before = usage();
    HANDLE thread = CreateThread(nullptr, 0, moduleThread, nullptr, 0, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(suite::waitForWindow(kControlWindowTitle, 5000), &owner);
    if (owner != GetCurrentProcessId()) {
        std::printf("the control module did not start in this process: nothing to measure\n");
        return false;
    }
    Sleep(200);
    // Input since the module started: every tick now looks for a video window.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    Usage started = usage();
    Sleep(60 * kShortMinuteMs);
    Usage hour = usage();
    Sleep(1380 * kShortMinuteMs);
    Usage day = usage();
    std::printf("in-process module, %u ms minutes; growth of the process over its state before the module:\n",
                kShortMinuteMs);
    std::printf("  before:         %8.0f KB private resident, %4d handles\n", before.privateKb, before.handles);
    for (const auto& [label, at] : {std::pair<const char*, Usage>{"started:       ", started},
                                    {"after 60 ticks:", hour},
                                    {"after 1440:    ", day}})
        std::printf("  %s %+8.0f KB, %+4d handles\n", label, at.privateKb - before.privateKb,
                    at.handles - before.handles);

    auto cpuPerTick = [&](const char* label) {
        double own = cpuMs(selfProc()), served = cpuMs(serverProc());
        DWORD begun = GetTickCount();
        Sleep(1000 * kShortMinuteMs);
        double ticks = static_cast<double>(GetTickCount() - begun) / kShortMinuteMs;
        own = (cpuMs(selfProc()) - own) / ticks;
        served = (cpuMs(serverProc()) - served) / ticks;
        std::printf("  CPU per minute tick, %s: %.3f ms in the process, %.3f ms more in the wine server\n", label, own,
                    served);
    };
    cpuPerTick("few windows");
    HANDLE crowd = suite::start(suite::binDir() + L"\\empty_window.exe", L"200");
    WaitForInputIdle(crowd, 20000);
    Sleep(1000);
    cpuPerTick("with 200 more top-level windows of another program");

    LARGE_INTEGER frequency, begun, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begun);
    for (int i = 0; i < 100; ++i) isVideoPlaying();
    QueryPerformanceCounter(&ended);
    std::printf("  the video-window walk of a tick, with the 200 windows: %.3f ms wall time\n",
                (ended.QuadPart - begun.QuadPart) * 1000.0 / frequency.QuadPart / 100);

    suite::stopControlModules();
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    TerminateProcess(crowd, 0);
    WaitForSingleObject(crowd, 5000);
    CloseHandle(crowd);
    return true;
}

// A program folder of its own for one build's qz.exe and player, with the archive.
std::wstring programFolder(const wchar_t* name, const std::wstring& binaries, const std::wstring& archive) {
    std::wstring folder = std::wstring(dataLocations().tempFolder()) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"qz.exe", L"tikkoplay.dll"})
        CopyFileW((binaries + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE);
    CopyFileW((suite::binDir() + L"\\empty_window.exe").c_str(), (folder + L"\\empty_window.exe").c_str(), FALSE);
    CopyFileW(archive.c_str(), (folder + L"\\pallo.vfs").c_str(), FALSE);
    return folder;
}

// `otherBuild`, when given, is another build's bin folder: its scene is
// started in the same rounds, alternating with this build's, which is the
// only comparison of two builds these noisy machines allow.
void measureSceneStart(const std::wstring& archive, const std::wstring& otherBuild) {
    const std::wstring program = programFolder(L"footprint-program", suite::binDir(), archive);
    const std::wstring other = otherBuild.empty() ? L"" : programFolder(L"footprint-other", otherBuild, archive);
    const wchar_t* sceneTitle = GetACP() == 1251 ? L"Tikko" : L"Computer";

    suite::FakeControlModule module;
    // The same empty window again at the scene's client size (the probe reads
    // every pixel of the window each time it looks, and the display shows and
    // copies more of them), and an empty dialog of that size, the scene's
    // kind of window: what is left is the scene's own work.
    std::vector<double> scene, empty, sized, sizedDialog, otherScene;
    RECT client{0, 0, 0, 0};
    auto sceneOf = [&](const std::wstring& folder) {
        return msToFirstFrame(folder + L"\\qz.exe", L"/show:test", L"#32770", sceneTitle, suite::isTikkoFur, &client);
    };
    for (int round = 0; round < 7; ++round) {
        empty.push_back(
            msToFirstFrame(program + L"\\empty_window.exe", L"", L"PalloEmptyWindow", L"Empty", isEmptyWindowGreen));
        if (!other.empty() && round % 2) otherScene.push_back(sceneOf(other));
        scene.push_back(sceneOf(program));
        if (!other.empty() && round % 2 == 0) otherScene.push_back(sceneOf(other));
        std::wstring size = std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom);
        sized.push_back(
            msToFirstFrame(program + L"\\empty_window.exe", size, L"PalloEmptyWindow", L"Empty", isEmptyWindowGreen));
        sizedDialog.push_back(msToFirstFrame(program + L"\\empty_window.exe", L"dialog " + size, L"#32770",
                                             L"EmptyDialog", isEmptyWindowGreen));
    }
    double sceneMs = median(scene), emptyMs = median(empty), sizedMs = median(sized), dialogMs = median(sizedDialog);
    std::printf(
        "start to first painted frame (median of 7): scene \"test\" %.0f ms, empty window %.0f ms, "
        "ratio %.2f (goal <= 1.2)\n",
        sceneMs, emptyMs, emptyMs > 0 ? sceneMs / emptyMs : 0.0);
    std::printf("  an empty window of the scene's client size (%ldx%ld): %.0f ms, the scene %.2f times that\n",
                client.right, client.bottom, sizedMs, sizedMs > 0 ? sceneMs / sizedMs : 0.0);
    std::printf("  an empty dialog of that size: %.0f ms, the scene %.2f times that\n", dialogMs,
                dialogMs > 0 ? sceneMs / dialogMs : 0.0);
    if (!other.empty())
        std::printf("  the other build's scene, in the same rounds: %.0f ms, ratio %.2f\n", median(otherScene),
                    emptyMs > 0 ? median(otherScene) / emptyMs : 0.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    suite::stopControlModules();
    if (!measureModule()) return 1;
    if (argc > 1) measureSceneStart(argv[1], argc > 2 ? argv[2] : L"");
    return 0;
}
