#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include <array>

// The guard's ledgers: for each user the 28-byte usage record, laid out as the
// state file, and the 16-byte calendar record, laid out as the calendar file,
// in a folder of the shared data folder that only the system and
// administrators may change and users may read. The file is named by the
// user's SID, which a renamed account keeps.

// The folder's access: the system and administrators change it, users read
// it, and nothing is inherited from the shared folder above, where users may
// create files.
extern const wchar_t kLedgerFolderAccess[];

// A ledger of the token's user: "dat" the usage record, "cal" the calendar
// record; false when the path cannot be made.
bool ledgerPathOf(HANDLE token, wchar_t (&path)[MAX_PATH], const wchar_t* extension = L"dat");
// The same for a local user named by the parents' dialog.
bool ledgerPathOfUser(const wchar_t* userName, wchar_t (&path)[MAX_PATH], const wchar_t* extension);
// Another file of the folder (the parents' limits); false when the path cannot be made.
bool ledgerFolderFile(const wchar_t* name, wchar_t (&path)[MAX_PATH]);
// Makes the folder with its access, or takes it over; false when it cannot.
bool prepareLedgerFolder();

// The guard's own records: its copies of each user's records and of the
// parents' settings and limits, which it goes on from while the originals
// cannot be read. Only the system and administrators may open them, so that
// nobody else can hold them open against the guard's write.
extern const wchar_t kGuardRecordsAccess[];
// A record of the token's user ("dat", "cal"), or of the parents' files by name.
bool guardRecordPathOf(HANDLE token, wchar_t (&path)[MAX_PATH], const wchar_t* extension);
bool guardRecordPath(const wchar_t* name, wchar_t (&path)[MAX_PATH]);
// The guard's record of the tricks it beat, in that folder (control/trick_log.h).
constexpr wchar_t kTricksFileName[] = L"tricks.csv";
// The guard's list of the programs seen in the children's sessions (control/seen_programs.h).
constexpr wchar_t kSeenProgramsFileName[] = L"programs.csv";
// A user's ledger of their program groups' days (control/usage_history.h).
constexpr wchar_t kProgramHistoryExtension[] = L"programs.csv";
// Replaces a record whole, as writeLedgerFile does, in the records' folder.
bool writeGuardRecord(const wchar_t* path, const uint8_t* bytes, size_t size);

// Reads the start of a ledger; the number of bytes read (0 when there is none).
size_t readLedgerFile(const wchar_t* path, uint8_t* bytes, size_t capacity);

// The guard's write: makes the folder, with its access, owned by the
// administrators (a folder a user made first is taken over), and replaces the
// ledger whole through a new file, so that a crash leaves the old one.
bool writeLedgerFile(const wchar_t* path, const uint8_t* bytes, size_t size);
template <size_t N>
bool writeLedgerFile(const wchar_t* path, const std::array<uint8_t, N>& image) {
    return writeLedgerFile(path, image.data(), N);
}
