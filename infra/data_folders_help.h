#pragma once
// The part of a program's --help that says which folders it reads and
// writes, why, and which ones this copy uses.
#include <string>

namespace orbitfall {

// The rules, then the folders FindDataFolders gives for exeDir (or why none
// were found). Creates nothing.
std::string DataFoldersHelp(const std::string& exeDir);

}  // namespace orbitfall
