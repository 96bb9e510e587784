// The handler table: command identifier -> handler, one array searched linearly. Each
// feature registers the handlers of the commands it owns at start-up; the dispatcher (app/)
// looks them up.
#pragma once

#include <stdint.h>

typedef void (*CommandHandler)(int command, intptr_t parameter);

struct HandlerRow {
    unsigned short command;
    CommandHandler handler;
};

// Adds a handler; a command registered twice keeps the newer handler.
void RegisterHandler(int command, CommandHandler handler);
void ClearHandlers();
CommandHandler FindHandler(int command);
