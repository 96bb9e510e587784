// The four debugger windows (disassembly, memory, watch, machine state): tool windows owned
// by the frame that exist while a program is debugged. Their contents come with the features
// that fill them; here they are made, placed and destroyed.
#pragma once

typedef struct HWND__ *HWND;

enum DebuggerWindow { kWindowDisassembly, kWindowMemory, kWindowWatch, kWindowMachineState, kDebuggerWindowCount };

// Creates the windows along the frame's right side (no machine-state window when profiling);
// false when one could not be made (those made are destroyed again).
bool CreateDebuggerWindows(HWND frame, bool profiling);
// Destroys those that exist; safe when there are none.
void DestroyDebuggerWindows();
