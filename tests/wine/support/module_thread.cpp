#include "support/module_thread.h"

#include "support/suite.h"

namespace suite {

HWND ModuleThread::start(const ControlModuleOptions& options) {
    stop();
    thread_ = std::thread([options] { runControlModule(options); });
    return waitForWindow(kControlWindowTitle, 5000);
}

HWND ModuleThread::start(UINT minuteMs) {
    ControlModuleOptions options;
    options.minuteMs = minuteMs;
    options.shutdown = [](bool) {};
    return start(options);
}

void ModuleThread::stop() {
    if (!thread_.joinable()) return;
    stopControlModules();
    thread_.join();
}

}  // namespace suite
