#pragma once

// Asks Windows to switch the computer off; with force, applications that would
// hold the shut-down up are ended. The answer is not examined.
void requestShutdown(bool force);
