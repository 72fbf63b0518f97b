#pragma once
#include <string>
#include <vector>

// The text of the records kept for spreadsheets and the parents (the history,
// the tricks, the programs seen): UTF-8, fields split by ";" as a Russian
// spreadsheet expects, lines ended by CR LF.

// A field's text in UTF-8, with ";" and line ends taken out so that it stays
// one field; a lone surrogate becomes U+FFFD.
std::string csvFieldOf(const std::u16string& text);

// The text's lines without their ends (CR LF or LF); empty lines are left out.
std::vector<std::string> csvLinesOf(const std::string& text);
