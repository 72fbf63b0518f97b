#pragma once
#include <cstddef>
#include <cstdint>

// The one message of the control channel (WM_USER + 101): wParam is the
// command code, lParam its argument, the result its answer. Argument and
// answer are 32-bit values in both widths, so that 32-bit and 64-bit programs
// of one desktop understand each other: the window reads the low half of
// lParam, the sender the low half of the answer, signed (-1 stays -1).
constexpr unsigned kControlMessage = 0x400 + 101;

enum ControlCommand : uint32_t {
    kCommandParents = 1025,  // lParam 1: password in the hand-over file
    kCommandChild = 1026,
    kCommandClose = 1027,  // lParam as for Parents
    kCommandOptionsUpdate = 1033,
    kCommandGetMode = 1034,    // 1 Child, 0 Parents
    kCommandTikkoWork = 1035,  // heartbeat; 1: the scene must close
    kCommandTikkoComplete = 1036,
    kCommandTikkoStart = 1037,
    kCommandTestQuery = 1038,         // lParam challenge; answer proof(challenge)
    kCommandAskQuery = 1039,          // answer a new challenge
    kCommandInformAdmin = 1040,       // lParam proof of that challenge
    kCommandCloseAllWindows = 1041,   // lParam as for Parents
    kCommandTestCloseWindow = 1042,   // 1 when windows are asked to close
    kCommandSetOptionsWindow = 1043,  // lParam the settings window's handle (its low 32 bits), or 0
    kCommandGetOptionsWindow = 1044,
};

// A random challenge of at least 128. Should the source keep giving smaller
// values (a failing provider leaves its buffer as it was), the draw still ends.
uint32_t drawChallenge(void (*source)(void* buffer, size_t length));

// The suite's salt: the password digest hashes all of it, the window test's
// proof its first 10 bytes.
inline constexpr char kSuiteSalt[] = "SetHookKeyW";
constexpr size_t kProofSaltLength = 10;

// Answer to a window test with challenge x: the first 4 bytes, little-endian,
// of SHA-256 over the first 10 bytes of the salt followed by x in little-endian order.
uint32_t proof(uint32_t x);
