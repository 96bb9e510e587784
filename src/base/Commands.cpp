#include "base/Commands.h"

#include "base/Boxes.h"

namespace {

enum { kMaxHandlers = 512 };

HandlerRow g_handlers[kMaxHandlers + 1];
int g_handlerCount;

} // namespace

void RegisterHandler(int command, CommandHandler handler) {
    for (int i = 0; i < g_handlerCount; i++) {
        if (g_handlers[i].command == command) {
            g_handlers[i].handler = handler;
            return;
        }
    }
    if (g_handlerCount >= kMaxHandlers) {
        InternalError(1400);
        return;
    }
    g_handlers[g_handlerCount].command = static_cast<unsigned short>(command);
    g_handlers[g_handlerCount].handler = handler;
    g_handlerCount++;
    g_handlers[g_handlerCount].command = 0;
}

void ClearHandlers() {
    g_handlerCount = 0;
    g_handlers[0].command = 0;
}

CommandHandler FindHandler(int command) {
    for (const HandlerRow *row = g_handlers; row->command; row++)
        if (row->command == command)
            return row->handler;
    return nullptr;
}
