#pragma once

// Registers the guard service for this executable ("/guard"), to start with
// Windows as LocalSystem, in Safe Mode too, and starts it; an installed one
// is updated. Ordinary users may only look at it: they can neither stop it
// nor send it requests. Before it starts, the shared data folder is taken
// over (kCommonFolderAccess). False when it could not be registered or
// started, or the folder not taken over (no rights, no service manager).
bool installGuardService();

// Stops the guard service and removes it, from Safe Mode too; true when no
// guard is left.
bool removeGuardService();

// The service's access rules, in the system's text form: what installGuardService sets.
extern const wchar_t kGuardServiceAccess[];

// The shared data folder's, which installGuardService takes over with all it
// holds: the system and administrators change it, users read it and run the
// control module from it, and nothing is inherited from the common
// application data above, where every user may create files.
extern const wchar_t kCommonFolderAccess[];
