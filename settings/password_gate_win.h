#pragma once
#include <functional>
#include <string>

// The parents' password asked before an action, one prompt at a time: while
// one asker of the same kind prompts, a second gives up silently (a second
// parents' week would save over the first's changes, a second sender would
// prompt twice). The action runs while the prompt is held, and the password
// is wiped after it.
enum class PromptKind { Sender, Calendar };
enum class PasswordAsked { Busy, Cancelled, Given };
PasswordAsked withParentsPassword(PromptKind kind, const std::function<void(const std::u16string&)>& act);

// True where this process has administrator rights; otherwise starts qza.exe,
// which asks Windows for them, with the same switches, and gives false.
bool elevatedHere(bool (*isUserAnAdmin)(), const wchar_t* switches);
