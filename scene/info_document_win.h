#pragma once
#include "common/key_value_document.h"

// The content archive's "/ck/info.txt", read once per process; empty when missing.
const KeyValueDocument& infoDocument();
