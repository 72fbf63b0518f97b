#include "settings/password_gate_win.h"

#include <windows.h>

#include "crypto/wipe.h"
#include "settings/password_prompt_win.h"
#include "shell/start_program_win.h"

PasswordAsked withParentsPassword(PromptKind kind, const std::function<void(const std::u16string&)>& act) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE,
                                kind == PromptKind::Calendar ? L"qz-tolder-CalendarMutex" : L"qz-tolder-PasswordMutex");
    const bool alone = mutex && GetLastError() != ERROR_ALREADY_EXISTS;
    PasswordAsked asked = PasswordAsked::Busy;
    std::u16string password;
    if (alone) asked = askPassword(password) ? PasswordAsked::Given : PasswordAsked::Cancelled;
    if (asked == PasswordAsked::Given) act(password);
    wipeText(password);
    if (mutex) CloseHandle(mutex);
    return asked;
}

bool elevatedHere(bool (*isUserAnAdmin)(), const wchar_t* switches) {
    if (isUserAnAdmin()) return true;
    startProgram(L"qza.exe", switches, SW_SHOWNORMAL);
    return false;
}
