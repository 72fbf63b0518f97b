#pragma once
#include <cstdint>

#include "control/state_record.h"

// The guard's copy of a user's record, kept where the user cannot write: the
// guard counts it itself, so that neither ending the module nor deleting or
// editing its file gives time back.

// The record a module starts from: its own file's, made no kinder than the
// ledger's (more minutes used, the later last counted minute, a pending sleep
// time or a first exercise that happened stays so).
StateRecord stricterRecord(const StateRecord& own, const StateRecord& ledger);
