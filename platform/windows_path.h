#pragma once

#include <string>
#include <string_view>

// A stored folder is a drive path with backslashes ("C:\Orvo"), as the settings have always
// held it. The stored text stays as the operator wrote it; these helpers turn it into a local
// path at the point of use.
//
// A drive prefix ("C:", "d:") stands for the home folder and the backslashes after it become
// "/"; a leading "~" is the home folder; any other text is taken as written. Pure functions,
// safe on any thread.

// The home folder: $HOME, else the password database entry, else "/".
std::string homeFolder();

// Maps one stored folder text to a local path. An empty text is the home folder.
std::string localPathFromWindows(std::string_view stored);

// Maps the stored folder and joins the file name with exactly one "/".
// ("C:\Orvo", "Orvo.Log") gives "$HOME/Orvo/Orvo.Log".
std::string joinLocalPath(std::string_view storedFolder, std::string_view fileName);
