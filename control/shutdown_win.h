#pragma once

// Asks Windows to switch the computer off; with force, applications that would
// hold the shut-down up are ended. The answer is not examined.
void requestShutdown(bool force);

// Switches the computer off from a service, as ExitWindowsEx cannot; with
// force, programs that hold it up are ended.
void shutDownFromService(bool force);
