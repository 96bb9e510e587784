// The balance checks run before a C or Eiffel document is saved: strings, character
// constants, parentheses, brackets, braces and conditional directives. On failure the message
// is left in the scratch buffer for the caller.
#pragma once

struct Document;

bool CheckCSource(Document *doc);
bool CheckEiffelSource(Document *doc);
