#include "app/Wiring.h"

#include "app/Dispatch.h"
#include "app/Frame.h"
#include "app/SettingsLoad.h"
#include "browse/Functions.h"
#include "browse/SyntaxCheck.h"
#include "debugger/DebugRun.h"
#include "editor/EditorHooks.h"
#include "project/ProjectCommands.h"

namespace {

void DocumentClosedInFrame(const char *path) {
    if (path)
        RememberClosedFile(path);
    UpdateDynamicMenus();
}

} // namespace

void InstallHooks() {
    ResetEditorHooks();
    g_editorHooks.keyDown = KeyDown;
    g_editorHooks.currentDocumentChanged = UpdateDynamicMenus;
    g_editorHooks.documentClosed = DocumentClosedInFrame;
    g_editorHooks.showContextMenu = ShowContextMenu;
    g_editorHooks.functionCount = CountFunctions;
    g_editorHooks.functionAt = FunctionNameAt;
    g_editorHooks.functionLines = FunctionLinesAt;
    g_editorHooks.releaseBrowseInfo = ReleaseFunctions;
    g_projectHooks = ProjectHooks();
    g_projectHooks.saveAllSettings = SaveAllSettings;
    g_projectHooks.menusChanged = UpdateDynamicMenus;
    g_projectHooks.utilitiesChanged = BuildToolItems;
    g_projectHooks.newProjectSheet = NewProjectSheet;
    g_projectHooks.functionNames = FunctionNames;
    g_editorHooks.checkCSyntax = CheckCSource;
    g_editorHooks.checkEiffelSyntax = CheckEiffelSource;
    g_editorHooks.startDebugging = StartDebuggingCommandLine;
    g_debuggingChanged = SwitchDebugMenu;
}
