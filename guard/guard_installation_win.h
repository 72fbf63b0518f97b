#pragma once

// Registers the guard service for this executable ("/guard"), to start with
// Windows as LocalSystem, in Safe Mode too, and starts it; an installed one is updated. Ordinary
// users may only look at it: they can neither stop it nor send it requests.
// False when it could not be registered or started (no rights, no service
// manager).
bool installGuardService();

// Stops the guard service and removes it, from Safe Mode too; true when no
// guard is left.
bool removeGuardService();

// The service's access rules, in the system's text form: what installGuardService sets.
extern const wchar_t kGuardServiceAccess[];
