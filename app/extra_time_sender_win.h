#pragma once

// Grants the parents' extra time ("/extra:MINUTES") to the user of the running
// control module: asks for the password, writes the new end into that user's
// file in the folder users only read (only administrators may write it) and
// tells the module. A process without administrator rights hands the request
// to "qza.exe". A message box says when it cannot be granted.
void runExtraTimeSender(int minutes, bool (*isUserAnAdmin)());
