#pragma once

// Waits (up to 8 attempts, 250 ms apart) until the control module's installed
// executable is no longer in use; true when it is free.
bool freeControlModuleFile();
