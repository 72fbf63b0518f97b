#pragma once
#include <windows.h>

// The hand-over file as a sender writes it and as both sides wipe it. Both
// refuse a path that passes a reparse point (a junction, a mount point, a
// symbolic link) anywhere below its root: the folder may belong to a user who
// could aim such a link at any file, while the sender runs as an
// administrator. Senders also act as that user while they do either.

// Creates the file anew with the password, zero-terminated; false when the
// path passes a reparse point or the whole password was not written.
bool writeHandOverFile(const wchar_t* path, const wchar_t* password);

// Fills the hand-over file with zeros and deletes it; nothing when it passes a
// reparse point.
void wipeHandOverFile(const wchar_t* path);

// True when a folder on the way to the path, or the path itself, is a reparse
// point, or the path is too long to check.
bool passesReparsePoint(const wchar_t* path);
