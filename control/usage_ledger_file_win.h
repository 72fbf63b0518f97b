#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "control/state_record.h"

// The guard's ledgers: one 28-byte record a user, laid out as the state file,
// in a folder of the shared data folder that only the system and
// administrators may change and users may read. The file is named by the
// user's SID, which a renamed account keeps.

// The folder's access: the system and administrators change it, users read
// it, and nothing is inherited from the shared folder above, where users may
// create files.
extern const wchar_t kLedgerFolderAccess[];

// The ledger of the token's user; false when the path cannot be made.
bool ledgerPathOf(HANDLE token, wchar_t (&path)[MAX_PATH]);

// Reads the start of a ledger; the number of bytes read (0 when there is none).
size_t readLedgerFile(const wchar_t* path, uint8_t* bytes, size_t capacity);

// The guard's write: makes the folder, with its access, owned by the
// administrators (a folder a user made first is taken over), and replaces the
// ledger whole through a new file, so that a crash leaves the old one.
bool writeLedgerFile(const wchar_t* path, const StateImage& image);
