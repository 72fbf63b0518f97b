#pragma once
#include <windows.h>

#include <thread>

#include "control/control_module_win.h"

namespace suite {

// The control module on a thread of the test process. stop(), or the end of
// the object, closes the module and waits for its thread.
class ModuleThread {
public:
    ModuleThread() = default;
    ModuleThread(const ModuleThread&) = delete;
    ModuleThread& operator=(const ModuleThread&) = delete;
    ~ModuleThread() { stop(); }

    // The module's window once it answers, or null after 5 s.
    HWND start(const ControlModuleOptions& options);
    // With a minute of that many milliseconds; shut-down requests do nothing.
    HWND start(UINT minuteMs);
    void stop();

private:
    std::thread thread_;
};

}  // namespace suite
