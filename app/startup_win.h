#pragma once

// What the start-up asks of the system, replaceable by tests.
struct StartupChecks {
    bool (*isElevatedCopy)();
    bool (*isUserAnAdmin)();
};

StartupChecks systemStartupChecks();

// True when this executable runs under the name "qza.exe" (any case).
bool isElevatedCopy();

// Makes the executable's folder the current directory.
void setCurrentDirectoryToExe();

// Runs the role chosen by the command line (the whole line, as one ANSI
// string); returns the process's exit code.
int runStartup(const char* commandLine, const StartupChecks& checks);
