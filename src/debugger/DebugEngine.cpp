#include "debugger/DebugEngine.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

namespace {

struct ExceptionNameRow {
    uint32_t code;
    const char *name;
};

const ExceptionNameRow kExceptionNames[] = {
    {0xC0000005, "Access Violation"},
    {0x80000002, "Datatype Misalignment"},
    {0xC000008C, "Array Bound Exceeded"},
    {0xC000008D, "FP Denormal Operand"},
    {0xC000008E, "FP Divide By Zero"},
    {0xC000008F, "FP Inexact result"},
    {0xC0000090, "FP Invalid operation"},
    {0xC0000091, "FP Overflow"},
    {0xC0000092, "FP Stack Check"},
    {0xC0000093, "FP Underflow"},
    {0xC0000094, "Divide By Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC0000025, "In Page Error"},
    {0xC00000FD, "Stack overflow"},
    {0x40010003, "Terminate Thread"},
    {0x40010004, "Terminate Process"},
    {0x40010005, "Control+C"},
    {0x40010008, "Control+Break"},
    {0x000006B5, "RPC:Unknown Interface"},
    {0x000006BA, "RPC:Server Unavailable"},
    {0xC000001D, "Illegal instruction"},
    {0, nullptr},
};

// Handles and addresses are written as 32-bit values in the log.
uint32_t Low(const void *handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); }

void Post(DebugEngine &engine, int command) {
    if (engine.hooks.post)
        engine.hooks.post(command);
}

void Info(DebugEngine &engine, const std::string &text) {
    if (engine.hooks.info)
        engine.hooks.info(text.c_str());
}

void Error(DebugEngine &engine, const std::string &text) {
    if (engine.hooks.error)
        engine.hooks.error(text.c_str());
}

// A system call of the debugger failed: "%s failed. Error code %d".
void CallFailed(DebugEngine &engine, const char *call) {
    Error(engine, FormatText("%s failed. Error code %d", call, static_cast<int>(engine.platform->LastError())));
}

void *ThreadHandle(DebugEngine &engine, uint32_t threadId) {
    for (const EngineThread &t : engine.threads)
        if (t.id == threadId)
            return t.handle;
    return engine.thread;
}

bool ReadContext(DebugEngine &engine, void *thread) {
    bool read = engine.platform->GetRegisters(thread, &engine.context);
    if (!read)
        CallFailed(engine, "GetThreadContext");
    return read;
}

bool WriteContext(DebugEngine &engine, void *thread) {
    bool written = engine.platform->SetRegisters(thread, engine.context);
    if (!written)
        CallFailed(engine, "SetThreadContext");
    return written;
}

void ClearTrapFlag(DebugEngine &engine, void *thread) {
    RegisterSet registers;
    if (engine.platform->GetRegisters(thread, &registers) && (registers.eflags & kTrapFlag)) {
        registers.eflags &= ~kTrapFlag;
        engine.platform->SetRegisters(thread, registers);
    }
}

// Reads up to `size` bytes: a read that crosses into an unreadable page keeps what lies
// before it (the debuggee's text may end just before such a page).
uint32_t ReadSome(DebugEngine &engine, void *process, uint32_t address, uint8_t *buffer, uint32_t size) {
    uint32_t toPage = 0x1000 - (address & 0xFFF);
    uint32_t first = size < toPage ? size : toPage;
    if (!engine.platform->ReadMemory(process, address, buffer, first))
        return 0;
    if (first == size || !engine.platform->ReadMemory(process, address + first, buffer + first, size - first))
        return first;
    return size;
}

// Text read from the debuggee: ANSI up to its terminator, or UTF-16 converted.
std::string TextOf(DebugEngine &engine, const uint8_t *bytes, uint32_t size, bool unicode) {
    if (!unicode)
        return std::string(reinterpret_cast<const char *>(bytes), strnlen(reinterpret_cast<const char *>(bytes), size));
    std::vector<uint16_t> units;
    for (uint32_t i = 0; i + 1 < size; i += 2) {
        uint16_t unit = static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
        if (!unit)
            break;
        units.push_back(unit);
    }
    return engine.platform->FromUtf16(units.data(), units.size());
}

// A DLL without a name in its load event: the name in its export directory.
std::string DllNameFromExports(DebugEngine &engine, const DebugEvent &event) {
    if (!event.file)
        return "Invalid File Handle";
    uint8_t mz[64];
    if (!engine.platform->ReadFileAt(event.file, 0, mz, sizeof mz))
        return "Invalid File Type";
    uint16_t signature = static_cast<uint16_t>(mz[0] | mz[1] << 8);
    if (signature != 0x5A4D)
        return FormatText("Bad MZ Signature: 0x%x", signature);
    uint32_t pe = 0;
    memcpy(&pe, mz + 60, 4);
    uint32_t peSignature = 0, exportRva = 0;
    if (!engine.platform->ReadFileAt(event.file, pe, &peSignature, 4) || peSignature != 0x00004550)
        return FormatText("Bad PE Signature: 0x%x", peSignature);
    if (!engine.platform->ReadFileAt(event.file, pe + 120, &exportRva, 4) || !exportRva)
        return "Empty!";
    void *process = engine.process;
    bool child = event.processId != engine.processId;
    if (child && !(process = engine.platform->OpenProcessForRead(event.processId)))
        return "Impossible to open process";
    std::string name;
    uint32_t nameRva = 0;
    uint8_t bytes[kDllNameLimit + 1] = {};
    uint32_t got = 0;
    if (engine.platform->ReadMemory(process, event.base + exportRva + 12, &nameRva, 4) && nameRva)
        got = ReadSome(engine, process, event.base + nameRva, bytes, kDllNameLimit);
    name = got ? TextOf(engine, bytes, got, false) : "Access Denied!";
    if (child)
        engine.platform->CloseHandle(process);
    return name;
}

// The name at the event's image-name address (a pointer to the text), "" when none.
std::string ImageName(DebugEngine &engine, const DebugEvent &event) {
    if (!event.imageName)
        return "";
    uint32_t pointer = 0;
    bool child = event.processId != engine.processId;
    void *process = child ? engine.platform->OpenProcessForRead(event.processId) : engine.process;
    std::string name;
    if (process && engine.platform->ReadMemory(process, event.imageName, &pointer, 4) && pointer) {
        uint8_t bytes[kDllNameLimit];
        uint32_t got = ReadSome(engine, process, pointer, bytes, kDllNameLimit);
        name = TextOf(engine, bytes, got, event.unicode);
    }
    if (child && process)
        engine.platform->CloseHandle(process);
    return name;
}

std::string DllName(DebugEngine &engine, const DebugEvent &event) {
    std::string name = ImageName(engine, event);
    if (name.empty())
        name = DllNameFromExports(engine, event);
    return name.empty() ? "impossible to get dll name" : name;
}

std::string DebugString(DebugEngine &engine, const DebugEvent &event) {
    bool child = event.processId != engine.processId;
    void *process = child ? engine.platform->OpenProcessForRead(event.processId) : engine.process;
    uint32_t limit = kDebugStringLimit;
    uint32_t characters = event.stringLength < limit ? event.stringLength : limit;
    uint32_t size = characters * (event.unicode ? 2 : 1);
    std::vector<uint8_t> bytes(size + 2);
    uint32_t got = process ? ReadSome(engine, process, event.stringAddress, bytes.data(), size) : 0;
    if (child && process)
        engine.platform->CloseHandle(process);
    bool wide = event.unicode || (got > 1 && bytes[0] != 0 && bytes[1] == 0);
    std::string text = TextOf(engine, bytes.data(), got, wide);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// Writes the event's text to the log and keeps the lists that follow the events.
void LogEvent(DebugEngine &engine, const DebugEvent &event) {
    std::string text;
    switch (event.code) {
    case kEventException:
        if (event.exceptionCode == kBreakpointException || event.exceptionCode == kSingleStepException)
            return;
        text = FormatText("Exception: %s at address 0x%x %s", ExceptionName(event.exceptionCode).c_str(),
                          event.exceptionAddress, event.firstChance ? "- First Chance" : "- Second Chance");
        break;
    case kEventCreateThread:
        text = FormatText("Creating thread: hThread: 0x%X,\tLocal base: 0x%X, start at 0x%X", Low(event.thread),
                          event.localBase, event.startAddress);
        engine.threads.push_back({event.thread, event.threadId, event.localBase, false});
        break;
    case kEventCreateProcess:
        if (!engine.processCreated) {
            text = FormatText("CreateProcess:\thProcess: 0x%X\thThread: 0x%X\t%s%X\t%s%d\n + %s%d\t%s%X\t%s%X\t%s%X\t%s%d",
                              Low(event.process), Low(event.thread), "lpBaseOfImage:0x", event.base,
                              "dwDebugInfoFileOffset:", static_cast<int>(event.debugInfoOffset), "nDebugInfoSize:",
                              static_cast<int>(event.debugInfoSize), "lpThreadLocalBase:0x", event.localBase,
                              "lpStartAddress:0x", event.startAddress, "lpImageName:0x", event.imageName,
                              "fUnicode:", event.unicode ? 1 : 0);
        } else {
            text = FormatText("Create Process. hProcess 0x%X", Low(event.process));
            engine.children.push_back({event.processId, event.threadId, event.process, event.thread, event.base,
                                       event.startAddress, ImageName(engine, event)});
        }
        break;
    case kEventExitThread:
        text = FormatText("Thread 0x%x finished with code %d", event.threadId, static_cast<int>(event.exitCode));
        for (size_t i = 0; i < engine.threads.size(); i++)
            if (engine.threads[i].id == event.threadId) {
                engine.threads.erase(engine.threads.begin() + static_cast<long>(i));
                break;
            }
        break;
    case kEventExitProcess:
        text = FormatText("Exit Process: Exit code: %d", static_cast<int>(event.exitCode));
        break;
    case kEventLoadDll: {
        std::string name = DllName(engine, event);
        text = "Load DLL:" + name + FormatText(" Base 0x%x", event.base);
        if (event.processId != engine.processId) {   // a child's DLL: nothing of it is read
            if (event.file)
                engine.platform->CloseHandle(event.file);
            break;
        }
        DllRecord *dll = AddDll(engine.info, event.base, name.c_str());
        dll->file = event.file;
        uint32_t modules = engine.hooks.openDll ? engine.hooks.openDll(engine.info, dll) : 0;
        if (modules)
            text += FormatText("\n + Loaded symbols for dll: %d modules", static_cast<int>(modules));
        if (modules && engine.hooks.modulesAdded) {
            // The program waits at this event meanwhile: breakpoints may go into the DLL.
            bool stopped = engine.stopped;
            engine.stopped = true;
            engine.hooks.modulesAdded();
            engine.stopped = stopped;
        }
        break;
    }
    case kEventUnloadDll:
        text = FormatText("Unload DLL: base 0x%x", event.base);
        if (event.processId != engine.processId)
            break;
        for (auto &dll : engine.info.dlls)
            if (dll->image.loadAddress == event.base) {
                void *file = dll->file;
                if (engine.hooks.closeDll)
                    engine.hooks.closeDll(engine.info, dll.get());
                else
                    ReleaseDll(engine.info, dll.get());
                if (file)
                    engine.platform->CloseHandle(file);
                break;
            }
        break;
    case kEventDebugString: {
        std::string string = DebugString(engine, event);
        text = "Output Debug String:" + FormatText("\n + \"%s\"", string.c_str());
        if (string.compare(0, 4, "LDR:") == 0)
            Error(engine, string);
        break;
    }
    case kEventRip:
        text = FormatText("\n + %s%d\n + %s%d", "dwError:", static_cast<int>(event.error), "dwType:",
                          static_cast<int>(event.errorType));
        break;
    default:
        text = FormatText("Debug Event:Unknown [0x%X]", event.code);
        break;
    }
    AddLog(engine, text);
}

// The procedure at `address` with its line entries (in *block), or null; *module is set.
ProcedureRecord *ProcedureWithLines(DebugEngine &engine, uint32_t address, uint32_t *module, const LineBlock **block) {
    *module = ModuleOfAddress(engine.info, address);
    ProcedureRecord *procedure = ProcedureOfAddress(engine.info, *module, address);
    ModuleRecord *record = ModuleAt(engine.info, *module);
    if (!procedure || !record || !MakeLineSlice(engine.info, *module, procedure) || !procedure->sliceCount)
        return nullptr;
    *block = &record->files[procedure->sliceFile].blocks[procedure->sliceBlock];
    return procedure;
}

// The first line of the procedure that starts at `address`: its first line entry.
bool FirstLineOf(DebugEngine &engine, uint32_t address, uint32_t *lineAddress, uint32_t *module, int *file,
                 uint32_t *line) {
    const LineBlock *block = nullptr;
    ProcedureRecord *procedure = ProcedureWithLines(engine, address, module, &block);
    if (!procedure)
        return false;
    *lineAddress = block->addresses[procedure->sliceFirst];
    *line = block->lines[procedure->sliceFirst];
    *file = static_cast<int>(procedure->sliceFile);
    return true;
}

// The first process-creation event: the debuggee exists, its information is read and the
// temporary breakpoint waits at the first line of its entry function.
bool ProcessCreated(DebugEngine &engine, const DebugEvent &event) {
    engine.active = engine.stopped = engine.processCreated = true;
    engine.startAddress = event.startAddress;
    engine.loadAddress = event.base;
    // The event's handles belong to the system; those of CreateProcess are ours.
    if (engine.attached || !engine.process)
        engine.process = event.process;
    if (engine.attached || !engine.thread)
        engine.thread = event.thread;
    engine.processId = event.processId;
    engine.threadId = event.threadId;
    engine.imageFile = event.file;
    engine.threads.push_back({engine.thread, event.threadId, event.localBase, false});
    engine.info.attached = engine.attached;
    bool read = engine.hooks.openExecutable &&
                engine.hooks.openExecutable(engine.info, event.file, event.base, engine.path.c_str());
    if (!read) {
        // Nothing posts Execute for such a program: it runs until its start address.
        engine.noDebugInfo = true;
        engine.stopped = false;
        InsertBreakpoint(engine, event.startAddress, kBreakByAddress, 0, -1, 0);
        return true;
    }
    if (engine.attached) {
        if (engine.hooks.refreshMenu)
            engine.hooks.refreshMenu();
        return true;
    }
    uint32_t module = FindEntryPoint(engine.info);
    if (!module) {
        Post(engine, kEngineStopCommand);
        return true;
    }
    if (engine.info.fortran)
        engine.language = kLanguageFortran;
    if (engine.language == kLanguageC) {
        ModuleRecord *record = ModuleAt(engine.info, module);
        const char *name = record ? record->name.c_str() : "";
        if (!engine.hooks.openSource || !engine.hooks.openSource(name)) {
            Error(engine, FormatText("Imposible to find %s\nRunning without source display", name));
            engine.noSource = true;
            Post(engine, kEngineExecuteCommand);
            return true;
        }
    }
    if (!engine.profiling) {
        uint32_t address = 0, entryModule = 0, line = 0;
        int file = -1;
        if (FirstLineOf(engine, engine.info.entryAddress, &address, &entryModule, &file, &line))
            InsertBreakpoint(engine, address, kBreakTemporary, entryModule, file, line);
        else
            InsertBreakpoint(engine, engine.info.entryAddress, kBreakTemporary | kBreakByAddress, 0, -1, 0);
    }
    if (ReadContext(engine, engine.thread))
        engine.stackTop = engine.context.esp;
    if (engine.hooks.loaded)
        engine.hooks.loaded();
    Post(engine, kEngineExecuteCommand);
    return true;
}

// Shows where the debuggee stopped: the source line, or machine instructions.
void ShowStop(DebugEngine &engine, uint32_t address) {
    LineHit hit = LineOfAddress(engine.info, address);
    if (hit.line) {
        SetCodeContext(engine.info, hit.module, address);
        engine.info.currentModule = hit.module;
        if (engine.hooks.showLine)
            engine.hooks.showLine(hit.module, hit.file, hit.line);
    } else {
        Post(engine, kEngineShowCodeCommand);
    }
}

// Stepping. A step runs instruction by instruction (trap flag) until EIP reaches the start
// of a source line; calls are passed with a step breakpoint after them (or, stepping in, at
// the callee's first line), so that their code runs at full speed.

void EndStep(DebugEngine &engine) {
    engine.stepping = engine.stepInto = engine.stepTrap = engine.continueIntoDll = false;
}

// The code-region trap. A step that leaves for code without debug information (a DLL, the
// system) lets it run at full speed with the executable's code region made inaccessible:
// the first instruction the program executes there again faults, and the step goes on
// from that instruction. The region is given back its protection at that fault and
// whenever the program stops or is ended.
bool ArmCodeTrap(DebugEngine &engine) {
    uint32_t codeBase = engine.info.exe.codeStart;
    if (engine.codeTrapArmed || !codeBase || !engine.process)
        return engine.codeTrapArmed;
    uint32_t base = 0, size = 0, former = 0;
    if (!engine.platform->QueryRegion(engine.process, codeBase, &base, &size)) {
        CallFailed(engine, "VirtualQueryEx");
        return false;
    }
    if (!engine.platform->ProtectRegion(engine.process, base, size, kPageNoAccess, &former)) {
        CallFailed(engine, "VirtualProtectEx");
        return false;
    }
    if (!engine.codeTrapProtectionKnown) {
        engine.codeTrapProtection = former;
        engine.codeTrapProtectionKnown = true;
    }
    engine.codeTrapBase = base;
    engine.codeTrapSize = size;
    engine.codeTrapArmed = true;
    return true;
}

void DisarmCodeTrap(DebugEngine &engine) {
    if (!engine.codeTrapArmed)
        return;
    // Cleared even when the protection cannot be given back: every later fault there would
    // otherwise be taken for the trap's.
    engine.codeTrapArmed = false;
    uint32_t former = 0;
    if (!engine.platform->ProtectRegion(engine.process, engine.codeTrapBase, engine.codeTrapSize,
                                        engine.codeTrapProtection, &former))
        CallFailed(engine, "VirtualProtectEx");
}

// An access violation caused by the armed trap: an access to the region (executing there,
// or a DLL reading the program's code).
bool IsCodeTrapFault(const DebugEngine &engine, const DebugEvent &event) {
    if (!engine.codeTrapArmed || event.exceptionCode != kAccessViolation)
        return false;
    uint32_t accessed = event.parameterCount >= 2 ? event.parameters[1] : event.exceptionAddress;
    return accessed - engine.codeTrapBase < engine.codeTrapSize;
}

// The executable's own code, where the trap cannot catch what already runs.
bool InExecutableCode(const DebugEngine &engine, uint32_t address) {
    return address >= engine.info.exe.codeStart && address < engine.info.exe.codeEnd;
}

// Places a step breakpoint unless one is there already.
void PlaceStepBreakpoint(DebugEngine &engine, uint32_t address, uint32_t module, int file, uint32_t line) {
    if (!FindBreakpoint(engine, address) &&
        !InsertBreakpoint(engine, address, kBreakTemporary | kBreakStep, module, file, line))
        Error(engine, "Impossible to establish the breakpoint");
}

// The breakpoint at `address` is lifted for one instruction, its byte written back at the
// next single step. One lifted before where the program no longer stands (Set next
// statement moved it, or another thread stopped first) goes back at once: only one waits.
void Lift(DebugEngine &engine, uint32_t address) {
    if (engine.pendingValid && engine.pendingAddress != address && FindBreakpoint(engine, engine.pendingAddress))
        WriteCodeByte(engine, engine.pendingAddress, 0xCC, __LINE__);
    engine.pendingValid = true;
    engine.pendingAddress = address;
}

// The instruction at X: 1 single-steps it, 2 when a step breakpoint lets it run.
int ClassifyInstruction(DebugEngine &engine, uint32_t x) {
    uint8_t code[16] = {};
    ReadSome(engine, engine.process, x, code, sizeof code);
    if (code[0] == 0xCC) {
        BreakpointRecord *record = FindBreakpoint(engine, x);
        if (!record) {
            Error(engine, "Unknown breakpoint reached");
            return 1;
        }
        // Lifted for this instruction, written back at the next single step.
        WriteCodeByte(engine, x, record->savedByte, __LINE__);
        Lift(engine, x);
        // Classified as the instruction it stands for: single-stepping an indirect call in
        // Same Level would stop inside the callee.
        code[0] = record->savedByte;
    }
    uint32_t at = 0;
    bool operand16 = false, repeat = false;
    for (; at < 8; at++) {
        uint8_t b = code[at];
        if (b == 0x66)
            operand16 = true;
        else if (b == 0xF2 || b == 0xF3)
            repeat = true;
        else if (b != 0x67 && b != 0xF0 && b != 0x26 && b != 0x2E && b != 0x36 && b != 0x3E && b != 0x64 && b != 0x65)
            break;
    }
    uint8_t op = code[at];
    uint32_t length = 0, target = 0;
    bool call = false;
    auto u32 = [&code](uint32_t i) {
        uint32_t v;
        memcpy(&v, code + i, 4);
        return v;
    };
    if (op == 0xE8) {
        length = at + (operand16 ? 3 : 5);
        call = true;
        target = x + length + (operand16 ? static_cast<uint32_t>(static_cast<int16_t>(code[at + 1] | code[at + 2] << 8)) : u32(at + 1));
    } else if (op == 0x9A) {
        length = at + (operand16 ? 5 : 7);
    } else if (op == 0xCD || (op >= 0xE0 && op <= 0xE2)) {
        length = at + 2;
    } else if (op == 0xCE) {
        length = at + 1;
    } else if (repeat && ((op >= 0x6C && op <= 0x6F) || (op >= 0xA4 && op <= 0xA7) || (op >= 0xAA && op <= 0xAF))) {
        length = at + 1;
    } else if (op == 0xFF && ((code[at + 1] >> 3) & 7) >= 2 && ((code[at + 1] >> 3) & 7) <= 3) {
        uint8_t modrm = code[at + 1], mod = modrm >> 6, rm = modrm & 7;
        const uint32_t *regs[8] = {&engine.context.eax, &engine.context.ecx, &engine.context.edx, &engine.context.ebx,
                                   &engine.context.esp, &engine.context.ebp, &engine.context.esi, &engine.context.edi};
        length = at + 2;
        uint32_t base = 0;
        bool known = true;
        if (mod != 3 && rm == 4) {   // SIB
            uint8_t sib = code[at + 2];
            length++;
            uint32_t index = (sib >> 3) & 7;
            base = (index == 4 ? 0 : *regs[index] << (sib >> 6));
            if ((sib & 7) == 5 && mod == 0)
                base += u32(length), length += 4;
            else
                base += *regs[sib & 7];
        } else if (mod == 0 && rm == 5) {
            base = u32(length), length += 4;
        } else if (mod != 3) {
            base = *regs[rm];
        }
        if (mod == 1)
            base += static_cast<uint32_t>(static_cast<int8_t>(code[length])), length += 1;
        else if (mod == 2)
            base += u32(length), length += 4;
        if (mod == 3)
            target = *regs[rm];
        else
            known = engine.platform->ReadMemory(engine.process, base, &target, 4);
        if (!known)
            target = 0;
        call = true;
    } else {
        return 1;
    }
    if (call && engine.stepInto && target) {
        uint32_t lineAddress = 0, module = 0, line = 0;
        int file = -1;
        // A call through an import stub of the executable: the real target is in the slot.
        if (!ProcedureOfAddress(engine.info, ModuleOfAddress(engine.info, target), target))
            for (const ImportRecord &import : engine.info.imports) {
                uint32_t real = 0;
                if (!import.stub || import.stub != target)
                    continue;
                if (engine.platform->ReadMemory(engine.process, import.slot, &real, 4) && real) {
                    target = real;
                    // Without debug information there: the next single step lands on the stub.
                    if (!ProcedureOfAddress(engine.info, ModuleOfAddress(engine.info, real), real)) {
                        engine.continueIntoDll = true;
                        return 1;
                    }
                }
                break;
            }
        if (FirstLineOf(engine, target, &lineAddress, &module, &file, &line)) {
            engine.stepStack = 0;   // the callee's frame lies below: no depth to check
            PlaceStepBreakpoint(engine, lineAddress, module, file, line);
            return 2;
        }
    }
    engine.stepStack = engine.context.esp;
    PlaceStepBreakpoint(engine, x + length, engine.stepModule, -1, engine.stepLine);
    return 2;
}

// A step ends at X: a breakpoint there is lifted (written back after the next single step),
// so that going on does not hit it at once.
int StopStep(DebugEngine &engine, uint32_t x) {
    EndStep(engine);
    if (BreakpointRecord *record = FindBreakpoint(engine, x)) {
        WriteCodeByte(engine, x, record->savedByte, __LINE__);
        Lift(engine, x);
    }
    ShowStop(engine, x);
    return 0;
}

// After a single step or a step breakpoint at X: 0 stops, 1 steps again, 2 runs.
int StepDecision(DebugEngine &engine, uint32_t x) {
    ProcedureRecord *current = ProcedureOfAddress(engine.info, engine.stepModule, engine.stepOrigin);
    ModuleRecord *record = ModuleAt(engine.info, engine.stepModule);
    bool inside = current && x >= current->start && x < current->end;
    if (inside && record && MakeLineSlice(engine.info, engine.stepModule, current)) {
        const LineBlock &block = record->files[current->sliceFile].blocks[current->sliceBlock];
        int line = -1;   // of the last entry at X
        for (uint32_t i = current->sliceFirst; i < current->sliceFirst + current->sliceCount; i++)
            if (block.addresses[i] == x)
                line = block.lines[i];
        // Another entry of the line the step began on (a for's condition, main's code after
        // its start-up call) is passed, unless the step came round to where it began: a
        // step always ends on another line.
        if (line >= 0 && (static_cast<uint32_t>(line) != engine.stepLine || x == engine.stepOrigin))
            return StopStep(engine, x);
    }
    if (!inside) {
        uint32_t module = ModuleOfAddress(engine.info, x);
        if (ProcedureOfAddress(engine.info, module, x))
            return StopStep(engine, x);
        // The executable's code without lines (its run-time code): instruction by instruction.
        if (InExecutableCode(engine, x))
            return 1;
        // A DLL or the system: it runs at full speed until it comes back into the program
        // (without the trap, because it cannot be armed, it simply runs on).
        engine.stepping = engine.stepTrap = false;
        ArmCodeTrap(engine);
        return 2;
    }
    return ClassifyInstruction(engine, x);
}

// Applies a decision to the stopped thread's context: true when the debuggee goes on.
bool FollowDecision(DebugEngine &engine, void *thread, int decision) {
    engine.stepTrap = decision == 1;
    if (decision == 1 || engine.pendingValid)
        engine.context.eflags |= kTrapFlag;
    else
        engine.context.eflags &= ~kTrapFlag;
    if (!WriteContext(engine, thread) && decision == 1)
        Error(engine, "Impossible to put debuggee in single step");
    return decision != 0;
}

// At an import stub (jmp [slot], FF 25 and the slot's address): the program goes on at the
// function the slot holds, at full speed, with the trap armed. False when the code there is
// no such jump.
bool ContinueIntoDll(DebugEngine &engine, void *thread, uint32_t stub) {
    uint8_t code[6];
    uint32_t slot = 0, target = 0;
    if (!engine.platform->ReadMemory(engine.process, stub, code, sizeof code))
        return false;
    if (BreakpointRecord *record = code[0] == 0xCC ? FindBreakpoint(engine, stub) : nullptr)
        code[0] = record->savedByte;
    memcpy(&slot, code + 2, 4);
    if (code[0] != 0xFF || code[1] != 0x25 || !engine.platform->ReadMemory(engine.process, slot, &target, 4) || !target)
        return false;
    engine.stepping = engine.stepTrap = false;
    engine.context.eip = target;
    ArmCodeTrap(engine);
    FollowDecision(engine, thread, 2);
    return true;
}

// The program touched its code while the trap was armed: it came back from code without
// debug information (or a DLL read its code). The step goes on from the instruction that
// faulted, which runs again once the region is accessible.
bool CodeTrapHit(DebugEngine &engine, const DebugEvent &event) {
    void *thread = ThreadHandle(engine, event.threadId);
    DisarmCodeTrap(engine);
    if (!ReadContext(engine, thread))
        return true;
    uint32_t eip = engine.context.eip;
    engine.stepping = true;
    engine.stepStack = 0;
    // A breakpoint of ours there: its own handling decides once the 0xCC runs.
    if (FindBreakpoint(engine, eip))
        return FollowDecision(engine, thread, 2);
    // The instruction reached is decided on at once, since it may start a line; code without
    // lines first runs one instruction (the trap could not be armed again before it).
    int decision = 1;
    uint32_t module = ModuleOfAddress(engine.info, eip);
    if (ProcedureRecord *procedure = ProcedureOfAddress(engine.info, module, eip)) {
        // Back in the procedure the step began in, the step goes on from its own line (the
        // call's result stored at another entry of that line ends nothing).
        if (procedure != ProcedureOfAddress(engine.info, engine.stepModule, engine.stepOrigin)) {
            engine.stepOrigin = eip;
            engine.stepModule = module;
            engine.stepLine = LineOfAddress(engine.info, eip).line;
        }
        decision = StepDecision(engine, eip);
    } else if (uint32_t caller = SourceAddressOfStop(engine)) {
        LineHit hit = LineOfAddress(engine.info, caller);
        engine.stepOrigin = caller;
        engine.stepModule = hit.module;
        engine.stepLine = hit.line;
    }
    return FollowDecision(engine, thread, decision);
}

// A program's own exception handling keeps the context of a fault at the address stored in
// __CurrentContext, and its start-up context at __InitialStack: the thread takes the fault's
// context back so that the stop shows where the fault happened. False without such a record.
bool TakeOverSavedContext(DebugEngine &engine, void *thread) {
    enum { kContextSize = 204, kEdi = 156, kEbp = 180, kEip = 184, kEflags = 192, kEsp = 196 };
    const SymbolEntry *current = FindSymbol(engine.info, "__CurrentContext");
    const SymbolEntry *initial = FindSymbol(engine.info, "__InitialStack");
    uint32_t record = 0;
    uint8_t saved[kContextSize], start[kContextSize];
    if (!current || !engine.platform->ReadMemory(engine.process, current->value, &record, 4) || !record ||
        !engine.platform->ReadMemory(engine.process, record, saved, sizeof saved) || !ReadContext(engine, thread))
        return false;
    auto u32 = [](const uint8_t *bytes, int at) {
        uint32_t value;
        memcpy(&value, bytes + at, 4);
        return value;
    };
    if (initial && engine.platform->ReadMemory(engine.process, initial->value, start, sizeof start))
        engine.stackTop = u32(start, kEsp);
    RegisterSet &r = engine.context;
    uint32_t *general[] = {&r.edi, &r.esi, &r.ebx, &r.edx, &r.ecx, &r.eax};   // as the record orders them
    for (int i = 0; i < 6; i++)
        *general[i] = u32(saved, kEdi + 4 * i);
    r.ebp = u32(saved, kEbp), r.eip = u32(saved, kEip), r.eflags = u32(saved, kEflags), r.esp = u32(saved, kEsp);
    if (!WriteContext(engine, thread))
        return false;
    uint32_t address = SourceAddressOfStop(engine);
    if (address)
        ShowStop(engine, address);
    else
        Post(engine, kEngineShowCodeCommand);
    return true;
}

// The loader's breakpoint of a program attached to: every exception is trapped from now on;
// the program is told that the debugger is there (it waits for the event it gave), or, when
// it kept the context of a fault itself, the run stops where that happened. True to go on.
bool TakeOverAttached(DebugEngine &engine, void *thread) {
    if (engine.hooks.bringToFront)
        engine.hooks.bringToFront();
    engine.flags |= 1;
    if (engine.signalAttachEvent) {
        engine.signalAttachEvent();
    } else if (TakeOverSavedContext(engine, thread)) {
        return false;
    }
    engine.stopped = false;   // it runs on
    return true;
}

// A breakpoint exception at A (EIP is A + 1): true when the debuggee goes on.
bool BreakpointHit(DebugEngine &engine, const DebugEvent &event) {
    uint32_t address = event.exceptionAddress;
    void *thread = ThreadHandle(engine, event.threadId);
    if (event.processId != engine.processId) {
        engine.childSinceBreakpoint = false;   // a child's breakpoints are not ours
        return true;
    }
    if (engine.firstBreakpoint == 0) {
        engine.firstBreakpoint = 1;
        engine.info.readMemory = [&engine](uint32_t at, void *buffer, uint32_t size) {
            return engine.platform->ReadMemory(engine.process, at, buffer, size);
        };
        if (!engine.noDebugInfo)
            ResolveImports(engine.info);
        if (engine.attached)
            return TakeOverAttached(engine, thread);
        if (engine.profiling) {
            engine.waitTime = 1;
            return true;
        }
        if (engine.noDebugInfo)
            return true;
        if (engine.hooks.bringToFront)
            engine.hooks.bringToFront();
        return false;   // Execute is already posted: it lets the program run on to its entry
    }
    engine.firstBreakpoint = 2;
    BreakpointRecord *record = FindBreakpoint(engine, address);
    if (!record) {
        if (engine.childSinceBreakpoint) {
            engine.childSinceBreakpoint = false;
            return true;
        }
        std::string text = FormatText("Breakpoint found in code:\n + Address 0x%x\n", address);
        uint32_t module = ModuleOfAddress(engine.info, address);
        if (ModuleRecord *m = ModuleAt(engine.info, module)) {
            text += FormatText(" + Module %d: %s\n", static_cast<int>(module), m->name.c_str());
        } else if (DllRecord *dll = DllOfAddress(engine.info, address)) {
            text += FormatText(" + Dll: %s\n", dll->fileName.c_str());
        }
        for (const ImportRecord &import : engine.info.imports)
            if (import.target && import.target == address)
                text += FormatText(" + function %s\n", import.function.c_str());
        AddLog(engine, text);
        Info(engine, text);
        if (ReadContext(engine, thread))
            ShowStop(engine, engine.context.eip);
        return false;
    }
    BreakpointRecord hit = *record;
    // Left by a Step out that a stop ended: it steps out of nothing now, and alone it does not
    // stop the program either.
    bool leftOver = (hit.flags & kBreakStepOut) && !engine.stepping;
    if (leftOver)
        hit.flags = record->flags &= ~kBreakStepOut;
    if ((hit.flags & kBreakImportStub) && ReadContext(engine, thread) && ContinueIntoDll(engine, thread, address))
        return true;
    if (!(hit.flags & (kBreakByAddress | kBreakStepOut | kBreakStep)) && hit.line && engine.hooks.showLine)
        engine.hooks.showLine(hit.module, hit.file, hit.line);
    WriteCodeByte(engine, address, hit.savedByte, __LINE__);
    if (!ReadContext(engine, thread))
        return false;
    engine.context.eip = address;
    // A step breakpoint met again in a deeper frame (a recursive call): not this step's yet.
    bool deeper = (hit.flags & kBreakStep) && engine.stepping && engine.context.esp < engine.stepStack;
    if (hit.flags & kBreakStepOut) {
        engine.stepping = engine.stepTrap = true;
        record->flags &= ~kBreakStepOut;
    }
    if ((hit.flags & kBreakTemporary) && !deeper) {
        RemoveBreakpoint(engine, address);
    }
    // Whatever stays at A (a permanent one, two on one line) is written back after one step.
    if (FindBreakpoint(engine, address)) {
        engine.context.eflags |= kTrapFlag;
        Lift(engine, address);
    }
    if (leftOver && hit.flags == kBreakTemporary)
        return FollowDecision(engine, thread, 2);
    if (deeper || (hit.flags & kBreakStepOut)) {
        engine.context.eflags |= kTrapFlag;
        if (!engine.platform->SetRegisters(thread, engine.context))
            Error(engine, "Impossible to restart debuggee");
        return true;
    }
    if (hit.flags & kBreakStep) {
        if (engine.returned.size() < 10) {
            uint32_t offset = 0;
            uint32_t callee = engine.platform->ReadMemory(engine.process, address - 4, &offset, 4) ? address + offset : 0;
            engine.returned.push_back({callee, engine.context.eax});
        }
        if (!engine.stepping)
            return FollowDecision(engine, thread, 2);
        return FollowDecision(engine, thread, StepDecision(engine, address));
    }
    if (!engine.platform->SetRegisters(thread, engine.context))
        Error(engine, "Impossible to restart debuggee");
    EndStep(engine);
    // The program stops here: a temporary record under the one hit (a Run to cursor to the
    // line of a newer user breakpoint) has done its work too.
    for (size_t i = engine.breakpoints.size(); i-- > 0;)
        if (engine.breakpoints[i].address == address && (engine.breakpoints[i].flags & kBreakTemporary))
            engine.breakpoints.erase(engine.breakpoints.begin() + static_cast<long>(i));
    if (hit.flags & kBreakByAddress) {
        ModuleRecord *m = ModuleAt(engine.info, ModuleOfAddress(engine.info, address));
        if (!m)
            Post(engine, kEngineShowCodeCommand);
        else
            ShowStop(engine, address);
    } else {
        SetCodeContext(engine.info, hit.module, address);
        if (hit.module)
            engine.info.currentModule = hit.module;
    }
    return false;
}

// Exceptions other than the first-chance access violations passed on: true to go on.
bool ExceptionRaised(DebugEngine &engine, const DebugEvent &event) {
    void *thread = ThreadHandle(engine, event.threadId);
    if (IsCodeTrapFault(engine, event))
        return CodeTrapHit(engine, event);
    switch (event.exceptionCode) {
    case kBreakpointException:
        return BreakpointHit(engine, event);
    case kSingleStepException:
        if (engine.pendingValid) {
            engine.pendingValid = false;
            if (FindBreakpoint(engine, engine.pendingAddress)) {
                WriteCodeByte(engine, engine.pendingAddress, 0xCC, __LINE__);
            }
        }
        if (!ReadContext(engine, thread))
            return true;
        if (engine.continueIntoDll) {
            engine.continueIntoDll = false;
            if (ContinueIntoDll(engine, thread, engine.context.eip))
                return true;
            // Not at a jump through a slot: the step goes on instruction by instruction.
        }
        if (engine.stepping && engine.stepTrap)
            return FollowDecision(engine, thread, StepDecision(engine, engine.context.eip));
        if (engine.context.eflags & kTrapFlag) {
            engine.context.eflags &= ~kTrapFlag;
            WriteContext(engine, thread);
        }
        return true;
    default: {
        ReadContext(engine, thread);
        if (engine.hooks.exception)
            engine.hooks.exception(event, engine.context);
        uint32_t address = SourceAddressOfStop(engine);
        if (address)
            ShowStop(engine, address);
        else if (!engine.noDebugInfo)
            Post(engine, kEngineShowCodeCommand);
        return false;
    }
    }
}

}  // namespace

std::string DebugPlatform::FromUtf16(const uint16_t *text, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; i++)
        out += text[i] < 0x100 ? static_cast<char>(text[i]) : '?';
    return out;
}

std::string FormatText(const char *format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string ExceptionName(uint32_t code) {
    for (const ExceptionNameRow *row = kExceptionNames; row->name; row++)
        if (row->code == code)
            return row->name;
    return FormatText("Unknown (code %d)", static_cast<int>(code));
}

void AddLog(DebugEngine &engine, const std::string &text) {
    {
        std::lock_guard<std::mutex> hold(engine.logLock);
        engine.log.push_back(text);
    }
    if (engine.hooks.logged)
        engine.hooks.logged(text.c_str());
}

uint32_t SourceAddressOfStop(DebugEngine &engine) {
    if (LineOfAddress(engine.info, engine.context.eip).line)
        return engine.context.eip;
    // Each frame holds the caller's EBP at [EBP] and the return address at [EBP + 4]; the
    // chain runs to higher addresses, so a link that does not is the end of it (or damage).
    uint32_t frame = engine.context.ebp;
    for (int level = 0; level < kFrameWalkLimit && frame; level++) {
        uint32_t link[2] = {};
        if (!engine.platform->ReadMemory(engine.process, frame, link, sizeof link))
            return 0;
        // The call's own line: the return address may already start the next one.
        if (link[1] && LineOfAddress(engine.info, link[1] - 1).line)
            return link[1] - 1;
        if (link[0] <= frame)
            return 0;
        frame = link[0];
    }
    return 0;
}

void ResetEngine(DebugEngine &engine) {
    engine.info = DebugInfo();
    engine.commandLine.clear();
    engine.process = engine.thread = engine.imageFile = nullptr;
    engine.processId = engine.threadId = engine.loadAddress = engine.startAddress = 0;
    engine.active = engine.stopped = engine.suspendedByUser = engine.processCreated = false;
    engine.attached = engine.noDebugInfo = engine.noSource = engine.childSinceBreakpoint = false;
    engine.firstBreakpoint = 0;
    engine.language = kLanguageC;
    engine.context = RegisterSet();
    engine.stackTop = 0;
    engine.waitTime = engine.profiling ? 0 : 100;
    engine.pendingValid = false;
    engine.codeTrapArmed = engine.codeTrapProtectionKnown = false;
    engine.codeTrapBase = engine.codeTrapSize = engine.codeTrapProtection = 0;
    EndStep(engine);
    engine.returned.clear();
    engine.eventPending = false;
    engine.exited = false;
    engine.threads.clear();
    engine.children.clear();
    engine.breakpoints.clear();
    std::lock_guard<std::mutex> hold(engine.logLock);
    engine.log.clear();
}

BreakpointRecord *FindBreakpoint(DebugEngine &engine, uint32_t address) {
    for (BreakpointRecord &record : engine.breakpoints)
        if (record.address == address)
            return &record;
    return nullptr;
}

bool WriteCodeByte(DebugEngine &engine, uint32_t address, uint8_t byte, int line) {
    if (engine.platform->WriteMemory(engine.process, address, &byte, 1))
        return true;
    AddLog(engine, FormatText("Error %d in %s, line %d", static_cast<int>(engine.platform->LastError()), "debug", line));
    return false;
}

bool InsertBreakpoint(DebugEngine &engine, uint32_t address, uint32_t flags, uint32_t module, int file,
                      uint32_t line) {
    BreakpointRecord record = {line, address, module, flags, file, 0};
    if (BreakpointRecord *existing = FindBreakpoint(engine, address))
        record.savedByte = existing->savedByte;   // the byte there is already ours
    else {
        if (!engine.platform->ReadMemory(engine.process, address, &record.savedByte, 1)) {
            AddLog(engine, FormatText("Error %d in %s, line %d", static_cast<int>(engine.platform->LastError()), "debug",
                                      __LINE__));
            return false;
        }
        if (record.savedByte != 0xCC && !WriteCodeByte(engine, address, 0xCC, __LINE__))
            return false;
    }
    engine.breakpoints.insert(engine.breakpoints.begin(), record);
    return true;
}

void RemoveBreakpoint(DebugEngine &engine, uint32_t address) {
    for (size_t i = 0; i < engine.breakpoints.size(); i++)
        if (engine.breakpoints[i].address == address) {
            engine.breakpoints.erase(engine.breakpoints.begin() + static_cast<long>(i));
            return;
        }
}

void HandleOneEvent(DebugEngine &engine) {
    DebugEvent event;
    if (!engine.platform->WaitDebugEvent(&event, engine.waitTime))
        return;   // (profiling takes its sample here)
    LogEvent(engine, event);
    engine.eventPending = true;
    engine.eventProcessId = event.processId;
    engine.eventThreadId = event.threadId;
    bool goOn = true;
    uint32_t status = kContinue;
    // The trap's fault is the debugger's own: the instruction runs again, whatever follows.
    bool trapFault = event.code == kEventException && IsCodeTrapFault(engine, event);
    switch (event.code) {
    case kEventException:
        if (event.processId != engine.processId && event.exceptionCode != kBreakpointException) {
            status = kNotHandled;   // a child's exceptions are its own
            break;
        }
        if (event.exceptionCode == kAccessViolation && event.firstChance && !(engine.flags & 1) && !trapFault) {
            ClearTrapFlag(engine, ThreadHandle(engine, event.threadId));
            status = kNotHandled;
            break;
        }
        goOn = ExceptionRaised(engine, event);
        break;
    case kEventCreateProcess:
        if (engine.processCreated) {
            engine.childSinceBreakpoint = true;
            if (event.file)
                engine.platform->CloseHandle(event.file);
        } else {
            goOn = ProcessCreated(engine, event);
        }
        break;
    case kEventExitProcess:
        if (event.processId == engine.processId) {
            // The exit is continued as well, so that the system can finish the process.
            engine.active = false;
            engine.exited = true;
            engine.codeTrapArmed = false;   // its memory is gone
            std::string text = FormatText("Finished. Return code %d", static_cast<int>(event.exitCode));
            if (!engine.profiling)
                Info(engine, text);
            Post(engine, kEngineStopCommand);
        } else {
            for (size_t i = 0; i < engine.children.size(); i++)
                if (engine.children[i].processId == event.processId) {
                    engine.children.erase(engine.children.begin() + static_cast<long>(i));
                    break;
                }
        }
        break;
    default:
        break;
    }
    if (goOn) {
        engine.eventPending = false;
        engine.platform->ContinueDebugEvent(event.processId, event.threadId, status);
        return;
    }
    // An exception that stopped the program is handed back to it when it goes on: continued
    // as handled, the faulting instruction would only fault again.
    bool fault = event.code == kEventException && event.exceptionCode != kBreakpointException &&
                 event.exceptionCode != kSingleStepException && !trapFault;
    engine.eventStatus = fault ? kNotHandled : kContinue;
    // A stop ends any step; the program's code is accessible while the user looks at it.
    DisarmCodeTrap(engine);
    EndStep(engine);
    engine.stopped = true;
    engine.platform->Reset(kSignalRunning);
}

bool BeginDebugThread(DebugEngine &engine) {
    engine.active = false;
    if (engine.attachProcessId) {
        engine.attached = true;
        if (!engine.platform->Attach(engine.attachProcessId)) {
            Error(engine, "Impossible to attach to debuggee");
            if (engine.hooks.bringToFront)
                engine.hooks.bringToFront();
            return false;
        }
    } else {
        uint32_t error = 0;
        if (!engine.platform->CreateDebuggee(engine.commandLine.c_str(), &engine.process, &engine.thread,
                                             &engine.processId, &engine.threadId, &error)) {
            std::string reason = error ? engine.platform->ErrorText(error) : "";
            Error(engine, FormatText("Impossible to start %s \n%s", engine.commandLine.c_str(), reason.c_str()));
            Post(engine, kEngineStopCommand);
            return false;
        }
    }
    engine.active = true;
    engine.platform->Signal(kSignalRunning);
    return true;
}

bool DebugThreadStep(DebugEngine &engine) {
    if (!engine.active)
        return false;
    engine.parkedTurns++;
    switch (engine.platform->WaitSignal()) {
    case kSignalRunning:
        HandleOneEvent(engine);
        break;
    case kSignalResume:
        engine.platform->Signal(kSignalRunning);
        engine.stopped = false;
        if (engine.profiling)
            engine.waitTime = 0;
        if (engine.suspendedByUser) {
            engine.suspendedByUser = false;
            long count = 1;
            for (int i = 0; i < 100 && count > 0; i++)
                count = engine.platform->ResumeThread(engine.thread);
            if (count > 0) {
                Error(engine, "Unable to restart the program");
                engine.suspendedByUser = engine.stopped = true;
                engine.platform->Reset(kSignalRunning);
                break;
            }
        }
        if (engine.eventPending) {
            engine.eventPending = false;
            engine.platform->ContinueDebugEvent(engine.eventProcessId, engine.eventThreadId, engine.eventStatus);
        }
        break;
    case kSignalKill:
        EndDebuggee(engine);
        engine.active = false;
        break;
    default:
        break;
    }
    return engine.active;
}

uint32_t ExitAddress(DebugEngine &engine) {
    for (const ImportRecord &import : engine.info.imports)
        if (import.target && strncasecmp(import.function.c_str(), "ExitProcess", 11) == 0 &&
            strncasecmp(import.dll.c_str(), "kernel32.dll", 12) == 0)
            return import.target;
    static const char *const names[] = {"_exit", "exit", "_ExitProcess@4", "ExitProcess", "_cexit"};
    for (const char *name : names)
        if (const SymbolEntry *symbol = FindSymbol(engine.info, name))
            if (symbol->value)
                return symbol->value;
    const ImageInfo &image = engine.info.exe;
    for (const char *name : names)
        for (uint32_t i = 0; i < image.symbolCount; i++) {
            CoffSymbol symbol = CoffSymbolAt(image, i);
            if (symbol.section > 0 && CoffSymbolName(image, i) == name)
                return symbol.value + image.loadAddress;
            i += symbol.auxCount;
        }
    return 0;
}

// The debuggee leaves through its own exit function, so that its exit code is reported;
// when it has none, or does not leave in time, it is terminated. Either way the debug
// events up to its exit are taken and continued here, so that nothing stays suspended.
void EndDebuggee(DebugEngine &engine) {
    if (!engine.process || engine.exited)
        return;
    uint32_t address = engine.noDebugInfo ? 0 : ExitAddress(engine);
    // A thread that runs cannot be moved: it is held first.
    if (!engine.eventPending && !engine.suspendedByUser && engine.platform->SuspendThread(engine.thread) >= 0)
        engine.suspendedByUser = true;
    bool leaving = false;
    // The exit path runs the program's own code (exit handlers, DLL detach).
    DisarmCodeTrap(engine);
    EndStep(engine);
    if (address && engine.platform->GetRegisters(engine.thread, &engine.context)) {
        // The exit function finds a return address and its argument, 0, as if called: the
        // code reported is then 0, as when the program is terminated, not what lay there.
        const uint32_t call[2] = {0, 0};
        if (engine.platform->WriteMemory(engine.process, engine.context.esp - 8, call, sizeof call))
            engine.context.esp -= 8;
        engine.context.eflags &= ~kTrapFlag;
        engine.context.eip = address;
        leaving = engine.platform->SetRegisters(engine.thread, engine.context);
    }
    if (!leaving)
        engine.platform->TerminateProcess(engine.process);
    for (int i = 0; i < 100 && engine.suspendedByUser; i++)
        if (engine.platform->ResumeThread(engine.thread) <= 1)
            break;
    engine.suspendedByUser = false;
    engine.stopped = false;
    if (engine.eventPending) {
        engine.eventPending = false;
        engine.platform->ContinueDebugEvent(engine.eventProcessId, engine.eventThreadId, kContinue);
    }
    // Up to 2 s for the exit; after 1 s a program that has not left is terminated.
    engine.active = true;
    for (int turn = 0; turn < 20 && !engine.exited; turn++) {
        if (turn == 10 && leaving)
            engine.platform->TerminateProcess(engine.process);
        DebugEvent event;
        if (!engine.platform->WaitDebugEvent(&event, 100))
            continue;
        if (event.code == kEventExitProcess && event.processId == engine.processId) {
            LogEvent(engine, event);
            engine.exited = true;
            if (!engine.profiling)
                Info(engine, FormatText("Finished. Return code %d", static_cast<int>(event.exitCode)));
        } else if (event.code == kEventLoadDll && event.file) {
            engine.platform->CloseHandle(event.file);
        } else if (event.code == kEventCreateProcess && event.file) {
            engine.platform->CloseHandle(event.file);
        }
        bool exception = event.code == kEventException && event.exceptionCode != kBreakpointException &&
                         event.exceptionCode != kSingleStepException;
        engine.platform->ContinueDebugEvent(event.processId, event.threadId, exception ? kNotHandled : kContinue);
    }
    engine.active = false;
}

void EndDebugThread(DebugEngine &engine) {
    engine.platform->Reset(kSignalRunning);
    engine.active = false;
    engine.breakpoints.clear();
    engine.pendingValid = engine.codeTrapArmed = false;
    for (auto &dll : engine.info.dlls)
        if (dll->file) {
            engine.platform->CloseHandle(dll->file);
            dll->file = nullptr;
        }
    if (engine.hooks.closeAll)
        engine.hooks.closeAll(engine.info);
    else
        ReleaseDebugInfo(engine.info);
    if (engine.imageFile)
        engine.platform->CloseHandle(engine.imageFile);
    if (!engine.attached && engine.thread)
        engine.platform->CloseHandle(engine.thread);
    if (!engine.attached && engine.process)
        engine.platform->CloseHandle(engine.process);
    engine.imageFile = engine.thread = engine.process = nullptr;
}

void ContinueDebuggee(DebugEngine &engine) {
    if (!engine.active)
        return;
    if (!engine.stopped) {
        if (engine.hooks.status)
            engine.hooks.status("Program is running");
        return;
    }
    if (engine.suspendedByUser && engine.eventPending) {
        // Held by Break while at a debug event: the debug thread resumes it and continues the event.
        engine.platform->Signal(kSignalResume);
        return;
    }
    if (engine.suspendedByUser) {
        engine.suspendedByUser = false;
        long count = 2;
        for (int i = 0; i < 100 && count >= 2; i++)
            count = engine.platform->ResumeThread(engine.thread);
        engine.stopped = false;
        engine.platform->Signal(kSignalRunning);
        return;
    }
    for (size_t i = engine.breakpoints.size(); i-- > 0;)
        if (!engine.breakpoints[i].flags)
            engine.breakpoints.erase(engine.breakpoints.begin() + static_cast<long>(i));
    // A breakpoint set where the program stands (F2 on the line it stopped at) is lifted for
    // the instruction it covers, as one that was hit: going on must not meet it at once.
    void *thread = engine.eventPending ? ThreadHandle(engine, engine.eventThreadId) : nullptr;
    BreakpointRecord *here = thread && ReadContext(engine, thread) ? FindBreakpoint(engine, engine.context.eip) : nullptr;
    if (here && WriteCodeByte(engine, here->address, here->savedByte, __LINE__)) {
        engine.context.eflags |= kTrapFlag;
        if (WriteContext(engine, thread)) {
            Lift(engine, here->address);
        } else {
            WriteCodeByte(engine, here->address, 0xCC, __LINE__);
        }
    }
    engine.platform->Signal(kSignalResume);
}

bool BreakDebuggee(DebugEngine &engine, bool display) {
    if (!engine.active || engine.stopped)
        return engine.active;
    if (engine.platform->SuspendThread(engine.thread) < 0) {
        Error(engine, FormatText("Unable to stop debuggee: error code %d\n", static_cast<int>(engine.platform->LastError())));
        return false;
    }
    engine.platform->Reset(kSignalRunning);
    engine.stopped = engine.suspendedByUser = true;
    if (display) {   // the user's stop ends a step
        DisarmCodeTrap(engine);
        EndStep(engine);
    }
    if (ReadContext(engine, engine.thread) && display)
        ShowStop(engine, engine.context.eip);
    return true;
}

bool HoldDebuggee(DebugEngine &engine, DebuggeeHold *hold) {
    *hold = DebuggeeHold();
    if (!engine.active || engine.stopped)
        return engine.active;
    engine.platform->Reset(kSignalRunning);
    uint32_t seen = engine.parkedTurns;
    for (int i = 0; i < 300 && engine.parkedTurns == seen && !engine.stopped && engine.active; i++)
        engine.platform->Pause(10);
    if (engine.stopped || !engine.active)
        return engine.active;
    if (!BreakDebuggee(engine, false)) {
        engine.platform->Signal(kSignalRunning);
        return false;
    }
    hold->held = true;
    hold->rearm = engine.codeTrapArmed;   // a step that runs in a DLL finds it armed again
    DisarmCodeTrap(engine);
    return true;
}

void ReleaseDebuggee(DebugEngine &engine, const DebuggeeHold &hold) {
    if (hold.rearm)
        ArmCodeTrap(engine);
    if (hold.held)
        ContinueDebuggee(engine);
}

void RequestStop(DebugEngine &engine) {
    if (!engine.active)
        return;
    if (!engine.stopped)
        BreakDebuggee(engine, false);
    // The debug thread sees `kill` only once it no longer polls for debug events.
    engine.platform->Reset(kSignalRunning);
    engine.platform->Signal(kSignalKill);
}

uint32_t ToggleBreakpoint(DebugEngine &engine, const char *fileName, uint32_t line, bool setOnly, bool *removed) {
    *removed = false;
    int file = -1;
    auto report = [&engine, setOnly](const std::string &text) {
        if (setOnly)
            AddLog(engine, text);
        else
            Error(engine, text);
    };
    uint32_t module = ModuleOfFileName(engine.info, fileName, &file);
    if (!module) {
        report(FormatText("%s is not a module for this executable", fileName));
        return 0;
    }
    uint16_t found = 0;
    uint32_t address = AddressOfLine(engine.info, module, static_cast<uint16_t>(line), &found, file);
    if (setOnly)
        for (const BreakpointRecord &record : engine.breakpoints)
            if (record.module == module && record.line == found && (record.flags & kBreakUser))
                return found;
    DebuggeeHold hold;
    if (!HoldDebuggee(engine, &hold))
        return 0;
    uint32_t result = 0;
    for (size_t i = engine.breakpoints.size(); i-- > 0;) {
        BreakpointRecord record = engine.breakpoints[i];
        if (record.module != module || record.line != found || (record.flags & kBreakTemporary))
            continue;
        engine.breakpoints.erase(engine.breakpoints.begin() + static_cast<long>(i));
        // The byte goes back only when no other record still holds the address.
        if (!FindBreakpoint(engine, record.address) && !(engine.pendingValid && engine.pendingAddress == record.address))
            WriteCodeByte(engine, record.address, record.savedByte, __LINE__);
        *removed = true;
        result = found;
    }
    if (!*removed) {
        if (!address)
            report(FormatText("No code at line %d", static_cast<int>(line)));
        else if (!InsertBreakpoint(engine, address, kBreakUser, module, file, found))
            report("Impossible to establish the breakpoint");
        else
            result = found;
    } else if (engine.hooks.breakpointCleared) {
        engine.hooks.breakpointCleared(line);
    }
    ReleaseDebuggee(engine, hold);
    return result;
}

namespace {

// The start of a step command: false when the program is not stopped.
bool BeginStep(DebugEngine &engine) {
    if (!engine.active)
        return false;
    if (!engine.stopped) {
        if (engine.hooks.status)
            engine.hooks.status("Program is running");
        return false;
    }
    ReadContext(engine, ThreadHandle(engine, engine.eventPending ? engine.eventThreadId : engine.threadId));
    engine.returned.clear();
    engine.stepOrigin = engine.context.eip;
    LineHit hit = LineOfAddress(engine.info, engine.stepOrigin);
    engine.stepModule = hit.module ? hit.module : ModuleOfAddress(engine.info, engine.stepOrigin);
    engine.stepLine = hit.line;
    engine.stepStack = engine.context.esp;
    engine.stepping = true;
    return true;
}

void *StoppedThread(DebugEngine &engine) {
    return ThreadHandle(engine, engine.eventPending ? engine.eventThreadId : engine.threadId);
}

bool Step(DebugEngine &engine, bool into) {
    if (!BeginStep(engine))
        return false;
    engine.stepInto = into;
    FollowDecision(engine, StoppedThread(engine), ClassifyInstruction(engine, engine.context.eip));
    ContinueDebuggee(engine);
    return true;
}

// The procedure of EIP with its line entries, or null.
ProcedureRecord *CurrentProcedure(DebugEngine &engine, const LineBlock **block) {
    uint32_t module = 0;
    return ProcedureWithLines(engine, engine.context.eip, &module, block);
}

}  // namespace

bool StepInto(DebugEngine &engine) { return Step(engine, true); }
bool StepOver(DebugEngine &engine) { return Step(engine, false); }

bool StepOut(DebugEngine &engine) {
    if (!BeginStep(engine))
        return false;
    const LineBlock *block = nullptr;
    ProcedureRecord *procedure = CurrentProcedure(engine, &block);
    if (!procedure) {
        EndStep(engine);
        return false;
    }
    uint32_t last = procedure->sliceFirst + procedure->sliceCount - 1;
    uint32_t address = block->addresses[last];
    if (address == engine.context.eip) {   // already there: a breakpoint would be passed at once
        FollowDecision(engine, StoppedThread(engine), 1);
        ContinueDebuggee(engine);
        return true;
    }
    if (BreakpointRecord *record = FindBreakpoint(engine, address)) {
        record->flags |= kBreakStepOut;
    } else if (!InsertBreakpoint(engine, address, kBreakTemporary | kBreakStepOut, engine.stepModule, -1,
                                 block->lines[last])) {
        Error(engine, "Impossible to establish the breakpoint");
        EndStep(engine);
        return false;
    }
    FollowDecision(engine, StoppedThread(engine), 2);
    ContinueDebuggee(engine);
    return true;
}

bool RunToCursor(DebugEngine &engine, uint32_t line, const char *fileName) {
    if (!BeginStep(engine))
        return false;
    EndStep(engine);
    uint16_t found = 0;
    int file = -1;
    uint32_t module = fileName ? ModuleOfFileName(engine.info, fileName, &file) : engine.info.currentModule;
    if (!module) {
        Error(engine, FormatText("%s is not a module for this executable", fileName));
        return false;
    }
    uint32_t address = AddressOfLine(engine.info, module, static_cast<uint16_t>(line), &found, file);
    if (address == engine.context.eip)
        return true;
    if (!address || !InsertBreakpoint(engine, address, kBreakTemporary, module,
                                      LineOfAddress(engine.info, address).file, found)) {
        Error(engine, "Impossible to establish the breakpoint");
        return false;
    }
    FollowDecision(engine, StoppedThread(engine), 2);
    ContinueDebuggee(engine);
    return true;
}

bool SetNextStatement(DebugEngine &engine, uint32_t line) {
    if (!BeginStep(engine))
        return false;
    EndStep(engine);
    const LineBlock *block = nullptr;
    ProcedureRecord *procedure = CurrentProcedure(engine, &block);
    uint32_t first = procedure ? procedure->sliceFirst : 0, end = procedure ? first + procedure->sliceCount : 0;
    if (!procedure || line < block->lines[first] || line >= block->lines[end - 1]) {
        Error(engine, "Impossible to jump outside the current function");
        return false;
    }
    uint32_t i = first;
    while (block->lines[i] < line)
        i++;
    uint32_t old = engine.context.eip;
    engine.context.eip = block->addresses[i];
    if (!engine.platform->SetRegisters(StoppedThread(engine), engine.context)) {
        engine.context.eip = old;
        Error(engine, "Impossible to establish breakpoint");
        return false;
    }
    ShowStop(engine, engine.context.eip);
    return true;
}
