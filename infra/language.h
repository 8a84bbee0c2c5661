#pragma once
// The translation table: texts the network game shows the player, looked up
// by key in "Language\<code>.lang" (lines key=value).
#include <initializer_list>
#include <string>

#include "infra/text_format.h"

namespace orbitfall {

// Replaces the whole table with the lines of the resolved language file.
void LoadLanguage(const std::string& code);
// Empties the table (tear-down).
void ClearLanguage();

// "String not translated: \"key\"" when the key is missing.
std::string Translate(const std::string& key);
std::string TranslateFmt(const std::string& key, std::initializer_list<FormatArg> args);

}  // namespace orbitfall
