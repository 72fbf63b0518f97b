#include "support/scene_program.h"

#include "shell/data_locations_win.h"
#include "support/suite.h"

namespace suite {

namespace {

void killScenes() {
    for (int i = 0; i < 20; ++i) {
        HWND window = FindWindowW(L"#32770", sceneTitle());
        if (!window) return;
        killProcessOf(window);
    }
}

}  // namespace

void SceneProgram::SetUp() {
    stopControlModules();
    killScenes();
    removeSuiteFiles();
    DeleteFileW(dataLocations().controlModulePath());  // nothing may start a real module
    GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
    program_ = makeProgramFolder(L"scene-program");
    ASSERT_FALSE(program_.empty());
}

void SceneProgram::TearDown() {
    module_.stop();
    for (HANDLE process : processes_) killProcess(process);
    killScenes();
    SetCurrentDirectoryW(savedDirectory_);
}

bool SceneProgram::useArchive(const wchar_t* archive) {
    return CopyFileW(archive, (program_ + L"\\pallo.vfs").c_str(), FALSE) != FALSE;
}

HANDLE SceneProgram::play(const wchar_t* scene) {
    HANDLE process = start(program_ + L"\\qz.exe", std::wstring(L"/show:") + scene);
    if (process) processes_.push_back(process);
    return process;
}

}  // namespace suite
