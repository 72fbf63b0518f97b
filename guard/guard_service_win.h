#pragma once

// The guard service's process ("/guard", started by the service manager as
// LocalSystem): follows the sessions until the service is stopped.
// Returns at once when the process was not started as a service.
void runGuardService();
