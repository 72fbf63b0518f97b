#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/module_thread.h"

namespace suite {

// Tests of scenes that qz.exe plays from a program folder of its own,
// program_. No control module is
// installed: a test runs a stand-in or module_, the real one on a thread.
// Every scene still open ends with the test.
class SceneProgram : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Copies the archive into the program folder as its pallo.vfs.
    bool useArchive(const wchar_t* archive);
    // Starts "qz.exe /show:<scene>"; the handle is closed at the end of the test.
    HANDLE play(const wchar_t* scene);

    std::wstring program_;
    ModuleThread module_;

private:
    std::vector<HANDLE> processes_;
    wchar_t savedDirectory_[MAX_PATH] = L"";
};

}  // namespace suite
