#include "shell/command_sender_win.h"

// The control channel is not built yet: the senders send nothing.
void runCommandSender(Role) {}
