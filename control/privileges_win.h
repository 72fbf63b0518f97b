#pragma once

// True when the user has administrator rights; systems without the test
// count every user as one.
bool isUserAnAdmin();
