#include "debugger/ProgramInfo.h"

InfoPage ExecutableInfo(const DebugEngine &engine) {
    const ImageInfo &exe = engine.info.exe;
    InfoPage page;
    page.text = FormatText("%s %s\nCode start 0x%x Code end 0x%x Code size %d\n", engine.path.c_str(),
                           engine.arguments.c_str(), exe.codeStart, exe.codeEnd,
                           static_cast<int>(exe.codeEnd - exe.codeStart));
    page.text += FormatText("Data start 0x%x data end 0x%x, Data size %d", exe.dataStart, exe.dataEnd,
                            static_cast<int>(exe.dataEnd - exe.dataStart));
    if (const ModuleRecord *current = ModuleAt(engine.info, engine.info.currentModule))
        page.text += FormatText("\nCurrent module: %s", current->name.c_str());
    page.rows.push_back(FormatText("%-20s %10s %10s %7s %4s", "Name", "Start", "End", "Size", "Functions"));
    for (const auto &module : engine.info.modules) {
        if (!module)
            continue;
        page.rows.push_back(FormatText("%-20s 0x%08x 0x%08x %7d %8d", module->name.c_str(), module->codeStart,
                                       module->codeEnd, static_cast<int>(module->codeSize),
                                       static_cast<int>(module->procedures.size())));
        for (const SourceFileRecord &file : module->files) {
            page.rows.push_back(
                FormatText("     %s, segments: %d", file.name.c_str(), static_cast<int>(file.blocks.size())));
            for (size_t i = 0; i < file.blocks.size(); i++)
                page.rows.push_back(FormatText("     Seg %d start 0x%x end 0x%x", static_cast<int>(i + 1),
                                               file.blocks[i].start, file.blocks[i].end));
        }
    }
    return page;
}

std::string ThreadRow(const EngineThread &thread) {
    return FormatText("[Thread id: %4d] LocalBase: 0x%8x %s", static_cast<int>(thread.id), thread.localBase,
                      thread.stoppedByUser ? "Stopped" : "Running");
}

InfoPage ThreadsInfo(const DebugEngine &engine) {
    InfoPage page;
    page.text = FormatText("Main thread: %d", static_cast<int>(engine.threadId));
    page.rows.push_back("Child processes:");
    for (const ChildProcess &child : engine.children)
        page.rows.push_back(FormatText("[Process id %4d] Main thread %4d, %s", static_cast<int>(child.processId),
                                       static_cast<int>(child.threadId), child.name.c_str()));
    for (const EngineThread &thread : engine.threads)
        page.rows.push_back(ThreadRow(thread));
    return page;
}

InfoPage DllsInfo(const DebugEngine &engine) {
    InfoPage page;
    page.rows.push_back(FormatText("%-20s %10s %10s %7s %4s", "Name", "Start", "End", "Size", "Modules"));
    for (const auto &dll : engine.info.dlls)
        page.rows.push_back(FormatText("%-20s 0x%8x 0x%8x %7d %4d", dll->fileName.c_str(), dll->image.loadAddress,
                                       dll->endAddress, static_cast<int>(dll->image.sizeOfImage),
                                       static_cast<int>(dll->moduleCount)));
    return page;
}

std::string ThreadQuestion(const EngineThread &thread) {
    return FormatText("%s thread %d?", thread.stoppedByUser ? "Resume" : "Stop", static_cast<int>(thread.id));
}

bool ToggleThread(DebugEngine &engine, EngineThread &thread) {
    if (!thread.stoppedByUser) {
        if (engine.platform->SuspendThread(thread.handle) < 0)
            return false;
        thread.stoppedByUser = true;
        return true;
    }
    // Each call gives the count before it: 1 (or 0) means the thread runs again.
    long count = -1;
    for (int i = 0; i < 20; i++)
        if ((count = engine.platform->ResumeThread(thread.handle)) <= 1)
            break;
    if (count < 0)
        return false;
    thread.stoppedByUser = count > 1;
    return !thread.stoppedByUser;
}
