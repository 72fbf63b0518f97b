#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace suite {

// How a window with the module's title answers the window test: with the
// proof, or (an impostor) with a wrong value of the kind given.
enum class TestAnswer { Proof, Constant, Zero, Echo, ProofOfAnother };

// Stands in for the control module on a thread of the test: a window with
// its title that answers the window test as told, records every other
// command with the time it came (and the password a command carries, from
// the hand-over file the module reads), and answers heartbeats and close
// polls as told.
class FakeControlModule {
public:
    struct Command {
        unsigned code;
        DWORD tick;
        std::u16string password;
    };

    explicit FakeControlModule(TestAnswer answer = TestAnswer::Proof);
    ~FakeControlModule();

    std::vector<Command> commands() const;
    std::vector<unsigned> codes() const;
    // The answer to 1035 and 1042: 1 tells the scene to close.
    void askToClose(bool close) { closeAnswer_ = close ? 1 : 0; }
    // The hand-over file this module reads: this process's unless told
    // another, as when the module runs as another Windows user.
    void readHandOverFrom(std::wstring path);
    // Waits until the code has come `times` times; false on timeout.
    bool waitFor(unsigned code, size_t times, DWORD timeoutMs) const;
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static FakeControlModule* instance_;
    std::thread thread_;
    TestAnswer answer_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<bool> ready_{false};
    std::atomic<int> closeAnswer_{0};
    mutable std::mutex lock_;
    std::vector<Command> commands_;
    std::wstring handOverPath_;
};

}  // namespace suite
