#pragma once

// Runs the resident control module until it is closed.
void runControlModule();
