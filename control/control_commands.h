#pragma once

// Command codes of the control message (wParam of message 1125).
enum ControlCommand : int {
    kCommandParents = 1025,
    kCommandChild = 1026,
    kCommandClose = 1027,
    kCommandOptionsUpdate = 1033,
    kCommandGetMode = 1034,
    kCommandTikkoWork = 1035,
    kCommandTikkoComplete = 1036,
    kCommandTikkoStart = 1037,
    kCommandTestQuery = 1038,
    kCommandAskQuery = 1039,
    kCommandInformAdmin = 1040,
    kCommandCloseAllWindows = 1041,
    kCommandTestCloseWindow = 1042,
    kCommandSetOptionsWindow = 1043,
    kCommandGetOptionsWindow = 1044,
};
