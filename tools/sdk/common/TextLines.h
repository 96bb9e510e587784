// Shared by the compiler system's tools.
#pragma once

#include <string>
#include <vector>

// The lines of a text, without their "\r\n" or "\n"; no empty line after a final line end.
std::vector<std::string> SplitLines(const std::string &text);
// Appends the whole file to *bytes; false when it cannot be read.
bool ReadWholeFile(const std::string &path, std::string *bytes);
