#include "support/fake_control_module.h"

#include "control/control_core.h"
#include "shell/hand_over_password.h"
#include "settings/password.h"
#include "shell/control_commands.h"
#include "support/suite.h"

namespace suite {

FakeControlModule* FakeControlModule::instance_ = nullptr;

namespace {

LRESULT testAnswer(TestAnswer answer, uint32_t challenge) {
    switch (answer) {
    case TestAnswer::Proof: return static_cast<LRESULT>(proof(challenge));
    case TestAnswer::Zero: return 0;
    case TestAnswer::Echo: return static_cast<LRESULT>(challenge);
    case TestAnswer::ProofOfAnother: return static_cast<LRESULT>(proof(challenge + 1));
    default: return 12345;
    }
}

}  // namespace

FakeControlModule::FakeControlModule(TestAnswer answer)
    : answer_(answer), handOverPath_(dataLocations().handOverPath()) {
    instance_ = this;
    thread_ = std::thread([this] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &FakeControlModule::procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PalloFakeControlModule";
        RegisterClassW(&windowClass);
        window_ = CreateWindowW(windowClass.lpszClassName, kControlWindowTitle, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
        threadId_ = GetCurrentThreadId();
        ready_ = true;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        if (window_) DestroyWindow(window_);
    });
    while (!ready_) Sleep(5);
}

FakeControlModule::~FakeControlModule() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    instance_ = nullptr;
}

void FakeControlModule::readHandOverFrom(std::wstring path) {
    std::lock_guard<std::mutex> hold(lock_);
    handOverPath_ = std::move(path);
}

std::vector<FakeControlModule::Command> FakeControlModule::commands() const {
    std::lock_guard<std::mutex> hold(lock_);
    return commands_;
}

std::vector<unsigned> FakeControlModule::codes() const {
    std::vector<unsigned> codes;
    for (const Command& c : commands()) codes.push_back(c.code);
    return codes;
}

bool FakeControlModule::waitFor(unsigned code, size_t times, DWORD timeoutMs) const {
    return suite::waitUntil(timeoutMs, [&] {
        size_t seen = 0;
        for (const Command& c : commands()) seen += c.code == code;
        return seen >= times;
    });
}

LRESULT CALLBACK FakeControlModule::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kControlMessage || !instance_) return DefWindowProcW(window, message, wParam, lParam);
    if (wParam == kCommandTestQuery) return testAnswer(instance_->answer_, static_cast<uint32_t>(lParam));
    {
        std::lock_guard<std::mutex> hold(instance_->lock_);
        Command command{static_cast<unsigned>(wParam), GetTickCount(), {}};
        if (ControlCore::carriesPassword(static_cast<int>(wParam), static_cast<uint32_t>(lParam))) {
            const std::string bytes = readBytes(instance_->handOverPath_);
            command.password = passwordFromHandOver(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        instance_->commands_.push_back(command);
    }
    if (wParam == kCommandTikkoWork || wParam == kCommandTestCloseWindow) return instance_->closeAnswer_;
    return 0;
}

}  // namespace suite
