// The output window's message line, as the rest of the program uses it.
#pragma once

// Shows `text` on the message line in the normal colour and keeps it as the status text.
void ShowStatus(const char *text);
// The status text last shown.
const char *StatusText();
