#pragma once
#include <string>

// The two pages the install dialog offers for the movie player: the suite's
// own download page (a separate one for systems before version 5) and the
// vendor's Russian page. The hosts are set when the suite is built.
std::string suitePlayerPage(unsigned windowsMajorVersion);
std::string vendorPlayerPage();
