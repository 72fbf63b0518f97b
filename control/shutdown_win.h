#pragma once

// Asks Windows to switch the computer off; with force, applications that would
// hold the shut-down up are ended. The answer is not examined.
void requestShutdown(bool force);

// Switches the computer off, ending programs that hold it up: from a service,
// as ExitWindowsEx cannot.
void shutDownFromService();
