#pragma once
#include <windows.h>

#include <string>

// The parents' password against its digest file (nessel20p.cfg in the shared folder).
bool checkPassword(const std::u16string& password);
bool checkPasswordAt(const wchar_t* digestPath, const std::u16string& password);

// Writes the password's digest, replacing the file atomically (also when it is
// read-only or hidden). Where the guard runs, only the system and
// administrators may then read it.
bool storePassword(const std::u16string& password);
bool storePasswordAt(const wchar_t* digestPath, const std::u16string& password);

// The digest's access where the guard checks passwords: users may not read
// it, so no program of a child's can take it away to guess at.
extern const wchar_t kGuardedDigestAccess[];
bool keepDigestFromUsers(const wchar_t* digestPath);

// Edit controls of the "Смена пароля" group of the settings dialogs.
constexpr int kOldPasswordId = 1004;
constexpr int kNewPasswordId = 1005;
constexpr int kConfirmPasswordId = 1006;

// Changes the password from the dialog's three fields: 0 when changed or when
// all are empty; 1 wrong old password, 2 confirmation differs, 3 not stored,
// each after its message box and (1, 2) with the focus on the field to fix.
int changePassword(HWND dialog);
