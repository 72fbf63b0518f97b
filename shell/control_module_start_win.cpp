#include "shell/control_module_start_win.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "common/system_function_win.h"
#include "common/text_win.h"
#include "shell/privileges_win.h"
#include "shell/data_locations_win.h"
#include "shell/start_program_win.h"

namespace {

// The OLE libraries, loaded when a program is first started through the shell.
BSTR allocString(const wchar_t* text) {
    static const auto allocate = systemFunction<decltype(&SysAllocString)>(L"oleaut32.dll", "SysAllocString");
    return allocate ? allocate(text) : nullptr;
}

void freeString(BSTR text) {
    static const auto release = systemFunction<decltype(&SysFreeString)>(L"oleaut32.dll", "SysFreeString");
    if (release) release(text);
}

// Releases a COM interface at the end of its scope.
template <typename Interface>
class Held {
public:
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (pointer_) pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }
    Interface** address() { return &pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// A VARIANT holding a string, freed at the end of its scope.
class TextVariant {
public:
    explicit TextVariant(const wchar_t* text) {
        value.vt = VT_BSTR;
        value.bstrVal = allocString(text);
    }
    ~TextVariant() { freeString(value.bstrVal); }
    VARIANT value{};
};

// The desktop window's shell object, reached through its folder view: the
// documented way to have the shell, not this process, start a program.
bool desktopShellDispatch(Held<IShellDispatch2>& shell) {
    static const auto create = systemFunction<decltype(&CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    Held<IShellWindows> windows;
    if (!create || FAILED(create(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.out())))
        return false;
    VARIANT empty{};  // VT_EMPTY
    long window = 0;
    Held<IDispatch> desktop;
    if (windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.address()) != S_OK ||
        !desktop)
        return false;
    Held<IServiceProvider> services;
    Held<IShellBrowser> browser;
    Held<IShellView> view;
    Held<IDispatch> background;
    Held<IShellFolderViewDual> folderView;
    Held<IDispatch> application;
    return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.out())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.out())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.address())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.out())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.out())) &&
           SUCCEEDED(folderView->get_Application(application.address())) &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.out()));
}

}  // namespace

bool startThroughDesktopShell(const wchar_t* file, const wchar_t* parameters, const wchar_t* directory) {
    Held<IShellDispatch2> shell;
    if (!desktopShellDispatch(shell)) return false;
    BSTR path = allocString(file);
    TextVariant arguments(parameters), folder(directory), operation(L"open");
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    const bool started = SUCCEEDED(shell->ShellExecute(path, arguments.value, folder.value, operation.value, show));
    freeString(path);
    return started;
}

namespace {

// The desktop shell window's process, opened to query it; null when there is
// no shell window (found false) or its process cannot be opened.
HANDLE openShellProcess(bool& found) {
    DWORD processId = 0;
    HWND shell = GetShellWindow();
    found = shell && GetWindowThreadProcessId(shell, &processId);
    return found ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId) : nullptr;
}

}  // namespace

bool shellHasFewerRights() {
    if (!isProcessElevated()) return false;
    bool found = false;
    HANDLE process = openShellProcess(found);
    if (!process) return found;
    const bool fewer = !isProcessElevated(process);
    CloseHandle(process);
    return fewer;
}

bool shellRunsAsThisUser() {
    bool found = false;
    HANDLE process = openShellProcess(found);
    if (!process) return false;
    const bool same = isSameUser(process, GetCurrentProcess());
    CloseHandle(process);
    return same;
}

ControlModuleStarter systemControlModuleStarter() {
    return {&shellHasFewerRights, &shellRunsAsThisUser, &startThroughDesktopShell};
}

int startControlModule(const ControlModuleStarter& starter) {
    const wchar_t* module = dataLocations().controlModulePath();
    if (!fileExists(module)) return 1;
    if (starter.shellHasFewerRights()) {
        wchar_t directory[MAX_PATH] = L"";
        GetCurrentDirectoryW(MAX_PATH, directory);
        if (starter.startThroughDesktopShell(module, L"/control", directory)) return 0;
        if (!starter.shellRunsAsThisUser()) return 2;
    }
    return startProgram(module, L"/control", SW_SHOWNORMAL);
}
