#include "base/AppState.h"

#include "base/Memory.h"

AppState *g_app;

AppState *NewAppState() {
    FreeAppState();
    g_app = static_cast<AppState *>(Allocate(sizeof(AppState)));
    return g_app;
}

void FreeAppState() {
    Release(g_app);
    g_app = nullptr;
}
