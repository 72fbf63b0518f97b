#pragma once
#include <string>
#include <vector>

// Fills the list with the names of the local computer's normal accounts, in
// the system's order. 0 when listed, -1 when the network library is missing,
// -2 when it has no user enumeration; the list is empty then.
int enumerateLocalUsers(std::vector<std::u16string>& list);
