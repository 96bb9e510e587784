// The fixture of the project tests: a store in memory with a registered compiler (root
// C:\BDX), no project open, and the current directory put back afterwards.
#pragma once

#include <windows.h>
#include <stdio.h>

#include <string>

#include "base/AppState.h"
#include "project/Project.h"
#include "settings/Settings.h"
#include "settings/Store.h"
#include "support/TestSupport.h"

class ProjectFixture : public KeltoTest {
protected:
    MemoryStore store;
    char saved[MAX_PATH];

    void SetUp() override {
        KeltoTest::SetUp();
        GetCurrentDirectoryA(sizeof saved, saved);
        SetStore(&store);
        StoreKey key = store.Open(nullptr, "Software\\bdx\\Compiler", true, nullptr);
        store.Set(key, "includepath", "C:\\BDX\\include");
        snprintf(g_app->compilerRoot, sizeof g_app->compilerRoot, "C:\\BDX");
        g_saveEnabled = true;
        ClearProject();
    }
    void TearDown() override {
        SetStore(nullptr);
        SetCurrentDirectoryA(saved);
        KeltoTest::TearDown();
    }
    // The value `name` of the project `project`'s key, or "<missing>".
    std::string Get(const std::string &project, const char *name) {
        StoreKey k = store.Open(nullptr, ("Software\\bdx\\Kelto\\" + project).c_str(), false, nullptr);
        char buffer[600] = "";
        return k && store.Query(k, name, buffer, sizeof buffer) == kStoreOk ? buffer : "<missing>";
    }
};
