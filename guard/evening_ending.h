#pragma once
#include <string>

#include "common/key_value_document.h"

// How the evening ends for a child, as the parents chose it in the limits
// file ("end", or "<user>/end": "shutdown", "logoff" or "lock"; anything else
// is the shut-down, as without a choice).
enum class EveningEnding { Shutdown, Logoff, Lock };
EveningEnding endingOf(const KeyValueDocument& limits, const std::u16string& userName);

// What the guard does at the end: the child's session ends and never
// another's. With another user's session open (a parent switched away from
// theirs), a shut-down would end that one too: the child is logged off
// instead. Lock shows the sign-in screen and keeps the session.
enum class EndAction { ShutDown, LogOff, Lock };
EndAction endActionFor(EveningEnding ending, bool otherUsersSessionOpen);
