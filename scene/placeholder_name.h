#pragma once
#include <string>

// Names of the placeholder files of a scene's movies: eight lower-case
// letters counting like an odometer from "aaaaaaaa"; "zzzzzzzz" stays.
constexpr char kFirstPlaceholderName[] = "aaaaaaaa";
void advancePlaceholderName(std::string& name);
