#pragma once
#include "settings/settings.h"

// nessel20.cfg in the shared data folder. Loading keeps the record as it is
// when the file is missing or unreadable; saving replaces the file atomically.
void loadSettingsFile(Settings& settings);
bool saveSettingsFile(const Settings& settings);
