#include <string.h>

#include <algorithm>
#include <deque>
#include <map>

#include "debugger/BreakpointList.h"
#include "debugger/DebugEngine.h"
#include "debugger/ProgramInfo.h"
#include "gtest/gtest.h"

namespace {

void *const kProcess = reinterpret_cast<void *>(0x10);
void *const kThread = reinterpret_cast<void *>(0x14);
void *const kChild = reinterpret_cast<void *>(0x20);
void *const kFile = reinterpret_cast<void *>(0x30);
const uint32_t kPid = 100, kTid = 101, kMain = 0x401100, kExit = 0x7C801000;

// A debuggee that replays scripted events and records what the engine does to it.
struct FakeDebuggee : DebugPlatform {
    std::deque<DebugEvent> events;
    std::map<uint32_t, uint8_t> memory;      // readable bytes (the child's too)
    std::map<uint32_t, std::string> files;   // file handle -> contents
    std::vector<std::string> calls;          // "continue 100 101 10002", "suspend", ...
    RegisterSet registers;
    long suspendCount = 0;
    bool createFails = false, signals[3] = {};

    // Memory comes in whole pages, as in a process.
    void Write(uint32_t address, const void *bytes, size_t size) {
        for (uint32_t page = address & ~0xFFFu; page < address + size; page += 0x1000)
            for (uint32_t i = 0; i < 0x1000; i++)
                memory.emplace(page + i, 0);
        for (size_t i = 0; i < size; i++)
            memory[address + static_cast<uint32_t>(i)] = static_cast<const uint8_t *>(bytes)[i];
    }
    bool CreateDebuggee(const char *, void **process, void **thread, uint32_t *pid, uint32_t *tid,
                        uint32_t *error) override {
        *process = kProcess, *thread = kThread, *pid = kPid, *tid = kTid, *error = 2;
        return !createFails;
    }
    bool attachable = false;
    std::function<void()> onPause;   // what the debug thread does meanwhile
    void Pause(uint32_t) override {
        if (onPause)
            onPause();
    }
    bool Attach(uint32_t) override { return attachable; }
    bool WaitDebugEvent(DebugEvent *event, uint32_t) override {
        if (events.empty())
            return false;
        *event = events.front();
        events.pop_front();
        return true;
    }
    bool ContinueDebugEvent(uint32_t pid, uint32_t tid, uint32_t status) override {
        calls.push_back(FormatText("continue %u %u %x", pid, tid, status));
        return true;
    }
    bool GetRegisters(void *, RegisterSet *out) override { return *out = registers, true; }
    bool SetRegisters(void *, const RegisterSet &in) override { return registers = in, true; }
    long SuspendThread(void *) override { return calls.push_back("suspend"), suspendCount++; }
    long ResumeThread(void *) override {
        calls.push_back("resume");
        return suspendCount > 0 ? suspendCount-- : 0;
    }
    bool TerminateProcess(void *) override { return calls.push_back("terminate"), true; }
    bool ReadMemory(void *, uint32_t address, void *buffer, uint32_t size) override {
        if (protection == kPageNoAccess && address + size > 0x401000 && address < 0x402000)
            return false;
        for (uint32_t i = 0; i < size; i++) {
            auto at = memory.find(address + i);
            if (at == memory.end())
                return false;
            static_cast<uint8_t *>(buffer)[i] = at->second;
        }
        return true;
    }
    bool WriteMemory(void *, uint32_t address, const void *buffer, uint32_t size) override {
        calls.push_back(FormatText("write %x %02x", address, *static_cast<const uint8_t *>(buffer)));
        Write(address, buffer, size);
        return true;
    }
    // The executable's code region, 0x401000-0x402000: inaccessible with protection 1.
    uint32_t protection = 0x20;
    bool queryFails = false, protectFails = false;
    bool QueryRegion(void *, uint32_t address, uint32_t *base, uint32_t *size) override {
        if (queryFails || address - 0x401000 >= 0x1000)
            return false;
        return *base = 0x401000, *size = 0x1000, true;
    }
    bool ProtectRegion(void *, uint32_t address, uint32_t size, uint32_t to, uint32_t *former) override {
        calls.push_back(FormatText("protect %x %x %x", address, size, to));
        return !protectFails && (*former = protection, protection = to, true);
    }
    void *OpenProcessForRead(uint32_t) override { return kChild; }
    bool ReadFileAt(void *file, uint32_t offset, void *buffer, uint32_t size) override {
        auto at = files.find(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(file)));
        if (at == files.end() || offset + size > at->second.size())
            return false;
        return memcpy(buffer, at->second.data() + offset, size), true;
    }
    void CloseHandle(void *handle) override { calls.push_back(FormatText("close %x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle)))); }
    uint32_t LastError() override { return 5; }
    std::string ErrorText(uint32_t) override { return "File not found."; }
    void Signal(DebugSignal which) override { signals[which] = true; }
    void Reset(DebugSignal which) override { signals[which] = false; }
    DebugSignal WaitSignal() override {
        for (int i = 0; i < 3; i++)
            if (signals[i]) {
                signals[i] = i == kSignalRunning;
                return static_cast<DebugSignal>(i);
            }
        return kSignalNone;
    }
};

DebugEvent Event(uint32_t code, uint32_t pid = kPid) {
    DebugEvent event;
    event.code = code, event.processId = pid, event.threadId = pid + 1;
    return event;
}

DebugEvent Exception(uint32_t code, uint32_t address, bool first = true, uint32_t pid = kPid) {
    DebugEvent event = Event(kEventException, pid);
    event.exceptionCode = code, event.exceptionAddress = address, event.firstChance = first;
    return event;
}

struct DebugEngineTest : ::testing::Test {
    FakeDebuggee fake;
    DebugEngine engine;
    std::vector<std::string> said;   // "post 340", "info ...", "line 1 0 3"...
    std::vector<std::string> logged;
    // The program's debug information: its procedures (start, end), main.c's line entries, the
    // executable's code range (0: none given), the ExitProcess import.
    std::vector<std::pair<uint32_t, uint32_t>> procedures = {{kMain, 0x401140}};
    std::vector<uint32_t> lineAddresses = {kMain, 0x401106, 0x401110};
    std::vector<uint16_t> lineNumbers = {3, 4, 5};
    uint32_t codeStart = 0;
    bool withExit = true;

    void SetUp() override {
        engine.platform = &fake;
        engine.path = "PROG.EXE";
        engine.commandLine = "PROG.EXE -x";
        auto &h = engine.hooks;
        h.post = [this](int command) { said.push_back(FormatText("post %d", command)); };
        h.loaded = [this] { said.push_back("loaded"); };
        h.showLine = [this](uint32_t m, int f, uint32_t line) { said.push_back(FormatText("line %u %d %u", m, f, line)); };
        h.info = [this](const char *text) { said.push_back(std::string("info ") + text); };
        h.error = [this](const char *text) { said.push_back(std::string("error ") + text); };
        h.status = [this](const char *text) { said.push_back(std::string("status ") + text); };
        h.logged = [this](const char *text) { logged.push_back(text); };
        h.exception = [this](const DebugEvent &e, const RegisterSet &) { said.push_back(FormatText("dialog %x", e.exceptionCode)); };
        h.openSource = [](const char *name) { return strcmp(name, "main.c") == 0; };
        h.openExecutable = [this](DebugInfo &info, void *, uint32_t, const char *) {
            info.modules.resize(2);
            auto m = std::make_unique<ModuleRecord>();
            m->name = "main.c", m->codeStart = 0x401000, m->codeEnd = 0x402000;
            for (auto range : procedures) {
                auto p = std::make_unique<ProcedureRecord>();
                p->name = range.first == kMain ? "_main" : "_f", p->start = range.first, p->end = range.second;
                m->procedures.push_back(std::move(p));
            }
            m->files.resize(1);
            m->files[0].name = "main.c";
            m->files[0].blocks.push_back({0x401000, 0x402000, lineAddresses, lineNumbers});
            info.modules[1] = std::move(m);
            info.exe.globals.Add("_main", kSymPub32, 0, kMain);
            info.exe.codeStart = codeStart, info.exe.codeEnd = codeStart ? 0x402000 : 0;
            if (withExit)
                info.imports.push_back({"ExitProcess", "KERNEL32.dll", 0x403000, 0, kExit});
            return true;
        };
        fake.registers.eip = kMain + 1;
        fake.memory[kMain] = 0x55;   // push ebp
        fake.signals[kSignalRunning] = false;
    }
    // A new run of a new debuggee.
    void Fresh() {
        fake = FakeDebuggee();
        fake.memory[kMain] = 0x55;
        fake.memory[0x401000] = 0x90;
        said.clear();
        ResetEngine(engine);
        engine.commandLine = "PROG.EXE";
    }
    // Runs the debug thread's loop until it waits for the user (or ends).
    void Run() {
        for (int i = 0; i < 50 && DebugThreadStep(engine) && fake.signals[kSignalRunning] && !fake.events.empty(); i++) {
        }
    }
    // Started and stopped at the first line of main.
    void StartToEntry() {
        fake.events = {Event(kEventCreateProcess), Exception(kBreakpointException, 0x7C900000)};
        fake.events[0].process = kProcess, fake.events[0].thread = kThread, fake.events[0].file = kFile;
        fake.events[0].base = 0x400000;
        ASSERT_TRUE(BeginDebugThread(engine));
        Run();   // the loader's breakpoint stops: the posted Execute lets it go on
        ContinueDebuggee(engine);
        fake.events.push_back(Exception(kBreakpointException, kMain));
        Run();
        Run();
    }
};

// The program stops at the first line of main with its byte back, and finishes with its code.
TEST_F(DebugEngineTest, RunsToTheEntryAndToTheEnd) {
    StartToEntry();
    EXPECT_EQ((std::vector<std::string>{"loaded", "post 340", "line 1 0 3"}), said);
    EXPECT_EQ(0x55, fake.memory[kMain]);
    EXPECT_EQ(kMain, fake.registers.eip);
    EXPECT_TRUE(engine.stopped);
    EXPECT_TRUE(engine.breakpoints.empty());
    DebugEvent exit = Event(kEventExitProcess);
    exit.exitCode = 7;
    fake.events.push_back(exit);
    ContinueDebuggee(engine);
    Run();
    Run();
    EXPECT_FALSE(engine.active);
    EXPECT_EQ((std::vector<std::string>{"info Finished. Return code 7", "post 100"}),
              std::vector<std::string>(said.end() - 2, said.end()));
    EXPECT_EQ("Exit Process: Exit code: 7", engine.log.back());
    EXPECT_EQ(engine.log, logged);
    EndDebugThread(engine);
    EXPECT_EQ((std::vector<std::string>{"close 30", "close 14", "close 10"}),
              std::vector<std::string>(fake.calls.end() - 3, fake.calls.end()));
}

// Each kind of event: its log text and how it is continued (or that it stops).
TEST_F(DebugEngineTest, EventsAreLoggedAndDecided) {
    StartToEntry();
    uint16_t wide[] = {'a', 'b', '\n', 0};
    fake.Write(0x500000, "hello\n\n", 8);
    fake.Write(0x500100, wide, sizeof wide);
    fake.Write(0x500200, "\x10\x02\x50\x00", 4);   // -> the name at 0x500210
    fake.Write(0x500210, u"KERNEL32.DLL", 26);
    struct Row {
        DebugEvent event;
        const char *log;
        const char *outcome;   // the continue status, or what stopped
        unsigned flags = 0;    // 1: trap all exceptions
    } rows[] = {
        {Exception(kAccessViolation, 0x401105), "Exception: Access Violation at address 0x401105 - First Chance", "80010001"},
        {Exception(kAccessViolation, 0x401105), "Exception: Access Violation at address 0x401105 - First Chance", "dialog c0000005", 1},
        {Exception(0xC0000094, 0x401106), "Exception: Divide By Zero at address 0x401106 - First Chance", "dialog c0000094"},
        {Exception(kAccessViolation, 0x401107, false), "Exception: Access Violation at address 0x401107 - Second Chance", "dialog c0000005"},
        {Exception(0x12345, 0x4011), "Exception: Unknown (code 74565) at address 0x4011 - First Chance", "dialog 12345"},
        {Exception(0xE0000001, 0x4011), "Exception: Unknown (code -536870911) at address 0x4011 - First Chance", "dialog e0000001"},
        {Event(kEventExitThread), "Thread 0x65 finished with code 0", "10002"},
        {Event(kEventUnloadDll), "Unload DLL: base 0x0", "10002"},
        {Event(kEventRip), "\n + dwError:0\n + dwType:0", "10002"},
        {Event(42), "Debug Event:Unknown [0x2A]", "10002"},
    };
    for (Row &row : rows) {
        if (engine.stopped) {   // a fault that stopped goes back to the program's own handler
            ContinueDebuggee(engine);
            DebugThreadStep(engine);
            EXPECT_EQ(&row == rows ? "continue 100 101 10002" : "continue 100 101 80010001", fake.calls.back());
        }
        engine.flags = row.flags;
        size_t calls = fake.calls.size(), told = said.size();
        fake.events.push_back(row.event);
        DebugThreadStep(engine);
        EXPECT_EQ(row.log, engine.log.back());
        std::string outcome = fake.calls.size() > calls && fake.calls.back().compare(0, 8, "continue") == 0
                                  ? fake.calls.back().substr(fake.calls.back().rfind(' ') + 1)
                                  : said.size() > told ? said[told] : "";
        EXPECT_EQ(row.outcome, outcome) << row.log;
    }
    // Texts read from the debuggee: ANSI, UTF-16 by its look, a DLL name in UTF-16; hostile
    // lengths bounded, unreadable text empty.
    std::string big(5000, 's');
    fake.Write(0x700000, big.data(), big.size());
    DebugEvent ansi = Event(kEventDebugString), utf16 = ansi, huge = ansi, nowhere = ansi, dll = Event(kEventLoadDll);
    ansi.stringAddress = 0x500000, ansi.stringLength = 8;
    utf16.stringAddress = 0x500100, utf16.stringLength = 4;
    huge.stringAddress = 0x700000, huge.stringLength = 0xFFFFFFFF;
    nowhere.stringAddress = 0x900000, nowhere.stringLength = 0xFFFFFFFF, nowhere.unicode = true;
    dll.imageName = 0x500200, dll.unicode = true, dll.base = 0x7C800000;
    fake.events = {ansi, utf16, huge, nowhere, dll};
    Run();
    EXPECT_EQ((std::vector<std::string>{"Output Debug String:\n + \"hello\"", "Output Debug String:\n + \"ab\"",
                                        "Output Debug String:\n + \"" + std::string(kDebugStringLimit, 's') + "\"",
                                        "Output Debug String:\n + \"\"", "Load DLL:KERNEL32.DLL Base 0x7c800000"}),
              std::vector<std::string>(engine.log.end() - 5, engine.log.end()));
}

// A fault shows its own line, or outside source (a DLL) the line of the nearest caller with
// lines up the EBP chain; with none, machine instructions.
TEST_F(DebugEngineTest, AFaultShowsItsLineOrItsCallers) {
    const uint32_t dll = 0x7C801234, frame = 0x12FF00;
    struct Row {
        uint32_t eip, link0, return0, link1, return1;
        const char *shown;
    } rows[] = {
        {0x401107, 0, 0, 0, 0, "line 1 0 4"},                              // in main, between entries
        {dll, frame + 0x40, 0x7C802000, frame + 0x80, 0x401111, "line 1 0 5"},   // DLL -> DLL -> main
        {dll, frame + 0x40, 0x7C802000, frame, 0x7C802000, "post 550"},         // a chain that turns back
        {dll, frame + 0x40, 0x7C802000, 0, 0, "post 550"},                      // its end
    };
    for (const Row &row : rows) {
        Fresh();
        StartToEntry();
        uint32_t stack[] = {row.link0, row.return0};
        fake.Write(frame, stack, sizeof stack);
        uint32_t caller[] = {row.link1, row.return1};
        fake.Write(frame + 0x40, caller, sizeof caller);
        fake.registers.eip = row.eip, fake.registers.ebp = frame;
        ContinueDebuggee(engine);
        fake.events = {Exception(0xC0000094, row.eip)};
        Run();
        EXPECT_EQ((std::vector<std::string>{"dialog c0000094", row.shown}),
                  std::vector<std::string>(said.end() - 2, said.end())) << std::hex << row.eip;
    }
}

// A child process: its creation, loader breakpoint, exceptions, debug string and exit are its own.
TEST_F(DebugEngineTest, ChildProcessesGoOn) {
    StartToEntry();
    DebugEvent create = Event(kEventCreateProcess, 200), text = Event(kEventDebugString, 200);
    create.process = kChild, create.file = reinterpret_cast<void *>(0x40);
    text.stringAddress = 0x600000, text.stringLength = 5;
    fake.Write(0x600000, "LDR:", 4);
    fake.events = {create, Exception(kBreakpointException, 0x7C900000, true, 200),
                   Exception(kAccessViolation, 0x1, false, 200), text, Event(kEventExitProcess, 200)};
    ContinueDebuggee(engine);
    Run();
    EXPECT_TRUE(fake.signals[kSignalRunning]);
    EXPECT_EQ((std::vector<std::string>{"close 40", "continue 200 201 10002", "continue 200 201 10002",
                                        "continue 200 201 80010001", "close 20", "continue 200 201 10002",
                                        "continue 200 201 10002"}),
              std::vector<std::string>(fake.calls.end() - 7, fake.calls.end()));
    EXPECT_EQ("Create Process. hProcess 0x20", engine.log[engine.log.size() - 4]);
    EXPECT_EQ("Output Debug String:\n + \"LDR:\"", engine.log[engine.log.size() - 2]);
    EXPECT_EQ(1, std::count(said.begin(), said.end(), "error LDR:"));
    EXPECT_TRUE(engine.children.empty());
    EXPECT_TRUE(engine.active);
}

// DLLs load and unload in any order; each unload closes its own file; names are bounded.
TEST_F(DebugEngineTest, DllsLoadAndUnloadOutOfOrder) {
    StartToEntry();
    std::string exports(0x200, '\0');
    exports[0] = 'M', exports[1] = 'Z', exports[60] = 0x80;
    memcpy(&exports[0x80], "PE\0\0", 4);
    exports[0x80 + 120] = 0x10;   // export directory RVA 0x10
    fake.files[0x50] = exports;
    fake.Write(0x10000010 + 12, "\x40\x00\x00\x00", 4);
    fake.Write(0x10000040, "USER32.dll", 11);
    fake.files[0x51] = std::string(64, 'x');
    std::string longName(400, 'n');
    fake.Write(0x500300, "\x00\x04\x50\x00", 4);
    fake.Write(0x500400, longName.data(), longName.size());
    DebugEvent a = Event(kEventLoadDll), b = a, c = a, d = a, ua = Event(kEventUnloadDll), ub = ua;
    a.base = ua.base = 0x10000000, a.file = reinterpret_cast<void *>(0x50);
    b.base = ub.base = 0x20000000, b.file = reinterpret_cast<void *>(0x51);
    c.base = 0x30000000;
    d.base = 0x40000000, d.imageName = 0x500300, d.file = reinterpret_cast<void *>(0x52);
    fake.events = {a, b, c, d, ua, ub};
    ContinueDebuggee(engine);
    Run();
    std::vector<std::string> logged(engine.log.end() - 6, engine.log.end());
    EXPECT_EQ((std::vector<std::string>{"Load DLL:USER32.dll Base 0x10000000",
                                        "Load DLL:Bad MZ Signature: 0x7878 Base 0x20000000",
                                        "Load DLL:Invalid File Handle Base 0x30000000",
                                        "Load DLL:" + std::string(300, 'n') + " Base 0x40000000",
                                        "Unload DLL: base 0x10000000", "Unload DLL: base 0x20000000"}),
              logged);
    ASSERT_EQ(2u, engine.info.dlls.size());
    EXPECT_EQ(0x40000000u, engine.info.dlls[0]->image.loadAddress);
    EXPECT_EQ(0x30000000u, engine.info.dlls[1]->image.loadAddress);
    EXPECT_EQ(1, std::count(fake.calls.begin(), fake.calls.end(), "close 50"));
    EXPECT_EQ(1, std::count(fake.calls.begin(), fake.calls.end(), "close 51"));
}

// Break holds a running program without a debug event; Continue lets it go without one.
TEST_F(DebugEngineTest, BreakAndContinue) {
    StartToEntry();
    ContinueDebuggee(engine);
    Run();   // running, no event
    ContinueDebuggee(engine);
    EXPECT_EQ("status Program is running", said.back());
    size_t calls = fake.calls.size();
    ASSERT_TRUE(BreakDebuggee(engine, true));
    EXPECT_TRUE(engine.stopped && engine.suspendedByUser && !fake.signals[kSignalRunning]);
    ContinueDebuggee(engine);
    EXPECT_EQ((std::vector<std::string>{"suspend", "resume"}), std::vector<std::string>(fake.calls.begin() + calls, fake.calls.end()));
    EXPECT_TRUE(fake.signals[kSignalRunning] && !engine.stopped);
}

// Stop makes the program leave through ExitProcess, stopped or running; without an exit
// function it is terminated. Either way its exit is taken and nothing stays suspended.
TEST_F(DebugEngineTest, StopLetsTheProgramExit) {
    for (int how = 0; how < 3; how++) {
        SCOPED_TRACE(how);
        Fresh();
        StartToEntry();
        if (how == 1) {
            ContinueDebuggee(engine);
            Run();
        }
        if (how == 2)
            engine.info.imports.clear();
        DebugEvent exit = Event(kEventExitProcess);
        exit.exitCode = 3;
        fake.events = {Event(kEventCreateThread), exit};
        const uint8_t garbage[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        fake.registers.esp = 0x12FF00;
        fake.Write(0x12FEF8, garbage, 8);
        RequestStop(engine);
        EXPECT_FALSE(DebugThreadStep(engine));
        EXPECT_EQ(how == 2 ? kMain : kExit, fake.registers.eip);
        // Called as exit(0) would be.
        EXPECT_TRUE(how == 2 || (fake.registers.esp == 0x12FEF8 && !fake.memory[0x12FEF8] && !fake.memory[0x12FEFF]));
        EXPECT_EQ(how == 2, std::count(fake.calls.begin(), fake.calls.end(), "terminate") == 1);
        EXPECT_EQ(0, fake.suspendCount);
        EXPECT_EQ("info Finished. Return code 3", said.back());
        EXPECT_EQ("continue 100 101 10002", fake.calls.back());
    }
}

// Without debug information the program stops at its start address and shows machine code;
// without its entry module's source it runs without display; without an entry debugging ends.
TEST_F(DebugEngineTest, StartsWithoutInformationSourceOrEntry) {
    auto full = engine.hooks.openExecutable;
    struct Row {
        int variant;
        std::vector<std::string> said;
    } rows[] = {
        {0, {"post 550"}},
        {1, {"error Imposible to find main.c\nRunning without source display", "post 340"}},
        {2, {"post 100"}},
    };
    for (const Row &row : rows) {
        Fresh();
        engine.hooks.openExecutable = row.variant == 0 ? nullptr : full;
        engine.hooks.openSource = [](const char *) { return false; };
        if (row.variant == 2)
            engine.hooks.openExecutable = [full](DebugInfo &info, void *file, uint32_t at, const char *name) {
                full(info, file, at, name);
                info.exe.globals = SymbolTable();
                return true;
            };
        DebugEvent create = Event(kEventCreateProcess);
        create.startAddress = 0x401000;
        fake.events = {create, Exception(kBreakpointException, 0x7C900000), Exception(kBreakpointException, 0x401000)};
        fake.registers.eip = 0x401001;
        ASSERT_TRUE(BeginDebugThread(engine));
        Run();
        EXPECT_EQ(row.said, said) << row.variant;
        EXPECT_EQ(row.variant == 0 ? 0x401000u : 0x401001u, fake.registers.eip);
        EXPECT_EQ(0x90, fake.memory[0x401000]);
    }
}

// A program that cannot start: the system's reason, and debugging ends.
TEST_F(DebugEngineTest, StartFailureEndsDebugging) {
    fake.createFails = true;
    EXPECT_FALSE(BeginDebugThread(engine));
    EXPECT_EQ((std::vector<std::string>{"error Impossible to start PROG.EXE -x \nFile not found.", "post 100"}), said);
    EXPECT_FALSE(engine.active);
    engine.attachProcessId = 5;
    EXPECT_FALSE(BeginDebugThread(engine));
    EXPECT_EQ("error Impossible to attach to debuggee", said.back());
}

// Attached without an event to a program whose own handler kept a fault's context: the
// thread gets that context back and the run stops at the fault's line.
TEST_F(DebugEngineTest, AttachTakesOverAFaultsSavedContext) {
    auto open = engine.hooks.openExecutable;
    engine.hooks.openExecutable = [open](DebugInfo &info, void *file, uint32_t base, const char *name) {
        open(info, file, base, name);
        info.exe.globals.Add("__CurrentContext", kSymPub32, 0, 0x405000);
        info.exe.globals.Add("__InitialStack", kSymPub32, 0, 0x405100);
        return true;
    };
    uint8_t context[204] = {}, start[204] = {};
    const uint32_t record = 0x406000, eip = 0x401108, esp = 0x12FE00, top = 0x130000;
    memcpy(context + 184, &eip, 4), memcpy(context + 196, &esp, 4), memcpy(start + 196, &top, 4);
    fake.Write(0x405000, &record, 4);
    fake.Write(0x405100, start, sizeof start);
    fake.Write(record, context, sizeof context);
    fake.attachable = true;
    engine.attachProcessId = kPid;
    fake.events = {Event(kEventCreateProcess), Exception(kBreakpointException, 0x7C900000)};
    ASSERT_TRUE(BeginDebugThread(engine));
    Run();
    EXPECT_TRUE(engine.stopped && (engine.flags & 1));
    EXPECT_EQ(eip, fake.registers.eip);
    EXPECT_EQ(esp, fake.registers.esp);
    EXPECT_EQ(top, engine.stackTop);
    EXPECT_EQ("line 1 0 4", said.back());
}

// Program information: the pages' texts, and a thread stopped and resumed from its row.
TEST_F(DebugEngineTest, ProgramInformation) {
    StartToEntry();
    engine.arguments = "-x";
    ImageInfo &exe = engine.info.exe;
    exe.codeStart = 0x401000, exe.codeEnd = 0x402000, exe.dataStart = 0x403000, exe.dataEnd = 0x403200;
    engine.info.modules[1]->codeSize = 0x1000;
    InfoPage page = ExecutableInfo(engine);
    EXPECT_EQ("PROG.EXE -x\nCode start 0x401000 Code end 0x402000 Code size 4096\n"
              "Data start 0x403000 data end 0x403200, Data size 512\nCurrent module: main.c", page.text);
    EXPECT_EQ((std::vector<std::string>{"Name                      Start        End    Size Functions",
                                        "main.c               0x00401000 0x00402000    4096        1",
                                        "     main.c, segments: 1", "     Seg 1 start 0x401000 end 0x402000"}),
              page.rows);
    DllRecord *dll = AddDll(engine.info, 0x10000000, "USER32.dll");
    dll->endAddress = 0x10010000, dll->image.sizeOfImage = 0x10000;
    EXPECT_EQ("USER32.dll           0x10000000 0x10010000   65536    0", DllsInfo(engine).rows.at(1));

    engine.threads[0].localBase = 0x7FFDF000;
    engine.children.push_back({200, 201, kChild, nullptr, 0, 0, "CHILD.EXE"});
    EngineThread &thread = engine.threads[0];
    EXPECT_EQ("Stop thread 101?", ThreadQuestion(thread));
    ASSERT_TRUE(ToggleThread(engine, thread));
    fake.suspendCount = 3;   // held elsewhere too: resumed until it runs, within 20 calls
    EXPECT_EQ("Resume thread 101?", ThreadQuestion(thread));
    EXPECT_EQ((std::vector<std::string>{"Child processes:", "[Process id  200] Main thread  201, CHILD.EXE",
                                        "[Thread id:  101] LocalBase: 0x7ffdf000 Stopped"}),
              ThreadsInfo(engine).rows);
    ASSERT_TRUE(ToggleThread(engine, thread));
    EXPECT_EQ(0, fake.suspendCount);
    EXPECT_EQ("[Thread id:  101] LocalBase: 0x7ffdf000 Running", ThreadRow(thread));
    EXPECT_EQ("Main thread: 101", ThreadsInfo(engine).text);
}

}  // namespace

// A program with two functions: main (lines 3 to 6) calls f (lines 10 to 12) from line 4.
struct SteppingTest : DebugEngineTest {
    const uint32_t kF = 0x401200, kCall = 0x401106, kAfter = 0x40110B;
    void SetUp() override {
        DebugEngineTest::SetUp();
        procedures = {{kMain, 0x401140}, {kF, 0x401240}};
        lineAddresses = {kMain, kCall, 0x401110, 0x401120, kF, 0x401205, 0x401220};
        lineNumbers = {3, 4, 5, 6, 10, 11, 12};
        codeStart = 0x401000, withExit = false;
        uint8_t code[0x140];
        memset(code, 0x90, sizeof code);
        code[0] = 0x55;
        const uint8_t call[] = {0xE8, 0xF5, 0x00, 0x00, 0x00};   // call f
        memcpy(code + 6, call, 5);
        code[0x20] = 0xC3;
        fake.Write(kMain, code, sizeof code);
        code[0x20] = 0xC3, code[0] = 0x55;
        fake.Write(kF, code, 0x40);
        fake.registers.esp = 0x12FF00;
    }
    uint8_t At(uint32_t address) { return fake.memory[address]; }
    // The debuggee reports an event with EIP (and ESP, and an access violation's address) as given.
    void Report(uint32_t code, uint32_t address, uint32_t eip, uint32_t esp = 0x12FF00, uint32_t accessed = 0) {
        fake.registers.eip = eip, fake.registers.esp = esp;
        fake.events.push_back(Exception(code, address));
        fake.events.back().parameterCount = 2, fake.events.back().parameters[1] = accessed;
        ContinueDebuggee(engine);
        Run();
        Run();
    }
    void Hit(uint32_t address, uint32_t esp = 0x12FF00) { Report(kBreakpointException, address, address + 1, esp); }
    void Stepped(uint32_t eip) { Report(kSingleStepException, eip, eip); }
    // The program comes back to its code from a DLL: a fault there while the region is
    // inaccessible, else nothing to see.
    void Reach(uint32_t eip) {
        if (fake.protection == kPageNoAccess)
            Report(kAccessViolation, eip, eip, 0x12FF00, eip);
    }
    // Line 4 calls MessageBoxA through the executable's stub (jmp [slot]) into a DLL without
    // debug information.
    const uint32_t kStub = 0x401300, kSlot = 0x404000, kDll = 0x7C810000;
    void ImportStub() {
        const uint8_t call[] = {0xE8, 0xF5, 0x01, 0x00, 0x00}, stub[] = {0xFF, 0x25, 0x00, 0x40, 0x40, 0x00};
        fake.Write(kCall, call, sizeof call);
        fake.Write(kStub, stub, sizeof stub);
        fake.Write(kSlot, &kDll, 4);
        engine.info.imports.push_back({"MessageBoxA", "USER32.dll", kSlot, kStub, kDll});
    }
    uint32_t Toggle(const char *file, uint32_t line, bool setOnly = false) {
        bool removed = false;
        return ToggleBreakpoint(engine, file, line, setOnly, &removed);
    }
};

// Toggling moves to the nearest line with code, twice removes it with its byte back; a
// permanent breakpoint stops with its byte back and is written again after one step.
TEST_F(SteppingTest, BreakpointsByLine) {
    StartToEntry();
    EXPECT_EQ(0u, Toggle("other.c", 3));
    EXPECT_EQ("error other.c is not a module for this executable", said.back());
    EXPECT_EQ(10u, Toggle("main.c", 9));   // no code at 9
    EXPECT_EQ(0xCC, At(kF));
    EXPECT_EQ(10u, Toggle("main.c", 10, true));
    EXPECT_EQ(1u, engine.breakpoints.size());
    EXPECT_EQ(10u, Toggle("main.c", 10));
    EXPECT_EQ(0x55, At(kF));
    EXPECT_TRUE(engine.breakpoints.empty());
    // Two on one line: the one of Run to cursor, and the user's set while it runs there.
    ASSERT_TRUE(RunToCursor(engine, 4));
    EXPECT_EQ(4u, Toggle("main.c", 4));
    EXPECT_EQ(2u, engine.breakpoints.size());
    Hit(kCall);
    EXPECT_TRUE(engine.stopped);
    EXPECT_EQ("line 1 0 4", said.back());
    EXPECT_EQ(0xE8, At(kCall));
    EXPECT_EQ(kCall, fake.registers.eip);
    EXPECT_EQ(1u, engine.breakpoints.size());
    EXPECT_TRUE(fake.registers.eflags & kTrapFlag);
    Stepped(kF);   // the call ran: the breakpoint is back, the program runs on
    EXPECT_EQ(0xCC, At(kCall));
    EXPECT_FALSE(engine.stopped || (fake.registers.eflags & kTrapFlag));
}

// A breakpoint set where the program stands is not met at once when it goes on; Run to
// cursor in a file that is no module of the program is refused.
TEST_F(SteppingTest, BreakpointWhereTheProgramStands) {
    StartToEntry();
    EXPECT_FALSE(RunToCursor(engine, 4, "other.c"));
    EXPECT_EQ("error other.c is not a module for this executable", said.back());
    EXPECT_EQ(3u, Toggle("main.c", 3));
    ContinueDebuggee(engine);
    EXPECT_EQ(0x55, At(kMain));
    EXPECT_TRUE(fake.registers.eflags & kTrapFlag);
    Stepped(kMain + 1);
    EXPECT_EQ(0xCC, At(kMain));
    EXPECT_FALSE(engine.stopped || (fake.registers.eflags & kTrapFlag));
}

// F2 while the program runs, as the debug thread takes a breakpoint's event: the thread
// finishes that event first, and the program stays stopped there with both breakpoints.
TEST_F(SteppingTest, BreakpointSetWhileAnEventIsHandled) {
    StartToEntry();
    EXPECT_EQ(5u, Toggle("main.c", 5));
    ContinueDebuggee(engine);
    Run();
    fake.registers.eip = 0x401111;
    fake.events.push_back(Exception(kBreakpointException, 0x401110));
    fake.onPause = [this] {
        HandleOneEvent(engine);
        DebugThreadStep(engine);
    };
    EXPECT_EQ(6u, Toggle("main.c", 6));
    EXPECT_TRUE(engine.stopped && engine.eventPending && !engine.suspendedByUser);
    EXPECT_EQ("line 1 0 5", said.back());
    EXPECT_EQ(0xCC, At(0x401120));
}

// Same Level passes the call (a recursive one meets the step breakpoint deeper first), Step
// in stops at f's first line, Step out comes back to the caller's line.
TEST_F(SteppingTest, StepOverIntoAndOut) {
    StartToEntry();
    Toggle("main.c", 3);   // on the instruction being stepped
    ASSERT_TRUE(StepOver(engine));
    EXPECT_EQ(0x55, At(kMain));
    Stepped(kMain + 1);
    EXPECT_EQ(0xCC, At(kMain));
    Stepped(kCall);
    EXPECT_EQ("line 1 0 4", said.back());
    ASSERT_TRUE(engine.stopped);
    ASSERT_TRUE(StepOver(engine));
    EXPECT_EQ(0xCC, At(kAfter));
    Hit(kAfter, 0x12FE00);   // returning from the inner call of a recursion
    EXPECT_FALSE(engine.stopped);
    Stepped(kAfter + 1);
    fake.registers.eax = 42;
    Hit(kAfter);
    Stepped(0x401110);
    EXPECT_EQ("line 1 0 5", said.back());
    EXPECT_TRUE(engine.stopped && engine.breakpoints.size() == 1u);
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{kF, 42}}), engine.returned);
    EXPECT_EQ(0x90, At(kAfter));
    ASSERT_TRUE(SetNextStatement(engine, 4));
    EXPECT_EQ(kCall, fake.registers.eip);
    EXPECT_FALSE(SetNextStatement(engine, 6));
    EXPECT_EQ("error Impossible to jump outside the current function", said.back());
    ASSERT_TRUE(StepInto(engine));
    Hit(kF, 0x12FEFC);
    EXPECT_EQ("line 1 0 10", said.back());
    EXPECT_EQ(0x55, At(kF));
    ASSERT_TRUE(StepOut(engine));
    Hit(0x401220, 0x12FEFC);
    EXPECT_FALSE(engine.stopped);
    Stepped(kAfter);
    EXPECT_TRUE(engine.stopped);
    EXPECT_EQ("line 1 0 4", said.back());
    EXPECT_EQ(0xC3, At(0x401220));
    // Out of the outermost function: it returns into code without lines and runs on.
    ASSERT_TRUE(StepOut(engine));
    Hit(0x401120);
    Stepped(0x7C800500);
    EXPECT_FALSE(engine.stopped || engine.stepping || (fake.registers.eflags & kTrapFlag));
    EXPECT_FALSE(StepInto(engine));
    EXPECT_EQ("status Program is running", said.back());
}

// A breakpoint lifted where the program stopped goes back once the program stands elsewhere
// (Set next statement), and one where it then stands is lifted, whether it goes on or steps;
// one set again where it stands is lifted too.
TEST_F(SteppingTest, LiftedBreakpointsGoBack) {
    StartToEntry();
    Toggle("main.c", 4), Toggle("main.c", 5);
    for (bool step : {false, true}) {
        SCOPED_TRACE(step);
        fake.registers.eip = kMain;
        Hit(kCall);
        ASSERT_TRUE(engine.stopped && SetNextStatement(engine, 5));
        if (step)
            ASSERT_TRUE(StepOver(engine));
        else
            ContinueDebuggee(engine);
        EXPECT_EQ(0xCC, At(kCall));
        EXPECT_EQ(0x90, At(0x401110));
        EXPECT_TRUE(fake.registers.eflags & kTrapFlag);
        Stepped(0x401111);
        EXPECT_EQ(0xCC, At(0x401110));
    }
    Hit(kCall);
    Toggle("main.c", 4), Toggle("main.c", 4);
    ContinueDebuggee(engine);
    EXPECT_EQ(0xE8, At(kCall));
}

// Step out on the last line of a function steps out of it; a step-out breakpoint left by a
// Step out that a breakpoint ended neither steps nor stops when the program comes by.
TEST_F(SteppingTest, StepOutFromTheLastLineAndLeftOver) {
    StartToEntry();
    fake.registers.eip = 0x401220;
    ASSERT_TRUE(StepOut(engine));
    EXPECT_TRUE(engine.breakpoints.empty());
    Stepped(kAfter);
    EXPECT_TRUE(engine.stopped);
    EXPECT_EQ("line 1 0 4", said.back());
    Toggle("main.c", 11);
    fake.registers.eip = kF;
    ASSERT_TRUE(StepOut(engine));
    Hit(0x401205);
    EXPECT_EQ("line 1 0 11", said.back());
    Stepped(0x401206);
    Hit(0x401220);
    EXPECT_FALSE(engine.stopped || engine.stepping || (fake.registers.eflags & kTrapFlag));
    EXPECT_EQ(0xC3, At(0x401220));
    EXPECT_EQ(1u, engine.breakpoints.size());
}

// Step in through an import stub to a DLL without debug information runs the DLL with the
// code region inaccessible and stops at the first line reached when it comes back, mid-line
// or at a line's start; the fault is the debugger's own, and the region is given back. A
// trap that cannot be armed is told, and the program runs on.
TEST_F(SteppingTest, StepInThroughAnImportStubRunsTheDll) {
    StartToEntry();
    ImportStub();
    struct Row {
        uint32_t back;
        bool queryFails, protectFails;
        const char *error;
    } rows[] = {{kAfter, false, false, nullptr}, {0x401110, false, false, nullptr},
                {0, true, false, "error VirtualQueryEx failed. Error code 5"},
                {0, false, true, "error VirtualProtectEx failed. Error code 5"}};
    for (const Row &row : rows) {
        fake.queryFails = row.queryFails, fake.protectFails = row.protectFails;
        fake.registers.eip = kCall;
        ASSERT_TRUE(StepInto(engine));
        Stepped(kStub);
        EXPECT_EQ(kDll, fake.registers.eip);
        EXPECT_FALSE(engine.stopped || (fake.registers.eflags & kTrapFlag));
        EXPECT_EQ(row.error ? 0x20u : kPageNoAccess, fake.protection);
        if (row.error) {
            EXPECT_EQ(row.error, said.back());
            ASSERT_TRUE(BreakDebuggee(engine, true));
            continue;
        }
        Reach(row.back);
        if (row.back == kAfter) {
            EXPECT_FALSE(engine.stopped);
            Stepped(0x401110);
        }
        EXPECT_TRUE(engine.stopped);
        EXPECT_EQ("line 1 0 5", said.back());
        EXPECT_EQ(0x20u, fake.protection);
        EXPECT_EQ(kContinue, engine.eventStatus);
    }
    // A breakpoint on the stub sends every call straight into the DLL; the exit needs no
    // protection back.
    fake.protectFails = false;
    ASSERT_TRUE(InsertBreakpoint(engine, kStub, kBreakImportStub, 0, -1, 0));
    Hit(kStub);
    EXPECT_EQ(kDll, fake.registers.eip);
    EXPECT_EQ(kPageNoAccess, fake.protection);
    size_t calls = fake.calls.size();
    fake.events.push_back(Event(kEventExitProcess));
    Run();
    EXPECT_FALSE(engine.active || engine.codeTrapArmed);
    EXPECT_EQ(calls + 1, fake.calls.size());   // the exit's continue
}

// Out of the outermost function the program runs in the system's code with the trap armed.
// A fault of the DLL's own goes to the program; a breakpoint set meanwhile keeps the trap; a
// breakpoint of the program reached from there stops; a stop in the DLL, and the end of the
// run, leave no code inaccessible.
TEST_F(SteppingTest, TrapIsDisarmedWheneverTheProgramStops) {
    StartToEntry();
    Toggle("main.c", 10);
    ASSERT_TRUE(StepOut(engine));
    Hit(0x401120);
    Stepped(0x7C800500);
    Report(kAccessViolation, 0x7C800510, 0x7C800510);
    EXPECT_EQ("continue 100 101 80010001", fake.calls.back());
    EXPECT_EQ(5u, Toggle("main.c", 5));
    EXPECT_EQ(kPageNoAccess, fake.protection);
    Reach(kF);   // called back at the breakpoint: its 0xCC runs once the code is accessible
    EXPECT_FALSE(engine.stopped || (fake.registers.eflags & kTrapFlag));
    Hit(kF);
    EXPECT_EQ("line 1 0 10", said.back());
    EXPECT_EQ(0x20u, fake.protection);
    // Stepping over in the DLL's code arms the trap; a fault of the DLL's stops there.
    fake.registers.eip = 0x7C800600;
    ASSERT_TRUE(StepOver(engine));
    Stepped(0x7C800602);
    EXPECT_EQ(kPageNoAccess, fake.protection);
    Report(0xC0000094, 0x7C800604, 0x7C800604);
    EXPECT_EQ(1, std::count(said.begin(), said.end(), "dialog c0000094"));
    EXPECT_EQ(0x20u, fake.protection);
    ContinueDebuggee(engine);
    Run();
    Reach(kAfter);
    EXPECT_FALSE(engine.stopped);
    // Stop debugging while the trap is armed: the exit path finds the code accessible.
    ASSERT_TRUE(BreakDebuggee(engine, true));
    ASSERT_TRUE(StepOver(engine));
    Stepped(0x7C800606);
    EXPECT_EQ(kPageNoAccess, fake.protection);
    fake.events = {Event(kEventExitProcess)};
    RequestStop(engine);
    EXPECT_FALSE(DebugThreadStep(engine));
    EXPECT_EQ(0x20u, fake.protection);
}

// Calls, interrupts and repeated moves are passed with a step breakpoint after them; other
// instructions are single-stepped; Same Level does not go into an indirect call on which a
// breakpoint stands.
TEST_F(SteppingTest, ClassifierPassesCallsAndRepeatedMoves) {
    StartToEntry();
    fake.Write(kSlot, &kF, 4);
    struct Row {
        std::vector<uint8_t> code;
        uint32_t after;   // 0: single step
    } rows[] = {{{0xF3, 0xA4}, 2}, {{0x66, 0xF3, 0xA5}, 3}, {{0x9A, 1, 2, 3, 4, 5, 6}, 7}, {{0x66, 0x9A, 1, 2, 3, 4}, 6},
                {{0xCD, 0x21}, 2}, {{0xA4}, 0}, {{0xFF, 0x15, 0x00, 0x40, 0x40, 0x00}, 6}};
    for (const Row &row : rows) {
        SCOPED_TRACE(&row - rows);
        fake.Write(kCall, row.code.data(), row.code.size());
        if (row.code[0] == 0xFF)
            Toggle("main.c", 4);
        fake.registers.eip = kCall;
        ASSERT_TRUE(StepOver(engine));
        BreakpointRecord *placed = row.after ? FindBreakpoint(engine, kCall + row.after) : nullptr;
        EXPECT_EQ(row.after != 0, placed && placed->flags == (kBreakTemporary | kBreakStep));
        EXPECT_EQ(!row.after, engine.stepTrap);
        engine.breakpoints.clear();   // still stopped: the resume is not taken yet
    }
}

// Edit breakpoints: the images and their COFF functions; a breakpoint on a function stops at
// its address and stays; Erase and Clear all restore the bytes and name the marks to clear.
TEST_F(SteppingTest, EditBreakpoints) {
    StartToEntry();
    uint8_t symbols[4 * 18] = {};
    const struct {
        const char *name;
        uint32_t rva;
        uint8_t section, storage;
    } coff[] = {{"_main", kMain - 0x400000, 1, 2}, {"_data", 0x3000, 2, 2}, {"_local", 0x1300, 1, 3}, {"_f", kF - 0x400000, 1, 2}};
    for (int i = 0; i < 4; i++) {
        memcpy(symbols + i * 18, coff[i].name, strlen(coff[i].name));
        memcpy(symbols + i * 18 + 8, &coff[i].rva, 4);
        symbols[i * 18 + 12] = coff[i].section, symbols[i * 18 + 16] = coff[i].storage;
    }
    DebugInfo &info = engine.info;
    info.exe.symbols = symbols, info.exe.symbolCount = 4, info.exe.loadAddress = 0x400000;
    info.name = "C:\\Work\\PROG.EXE";
    info.dlls.push_back(std::make_unique<DllRecord>());
    info.dlls[0]->fileName = "C:\\WINDOWS\\KERNEL32.DLL";
    EXPECT_EQ((std::vector<std::string>{"c:\\work\\prog.exe", "c:\\windows\\kernel32.dll"}), BreakpointImages(info));
    std::vector<ImageFunction> functions = ImageFunctions(info, 0);
    ASSERT_EQ(2u, functions.size());
    EXPECT_EQ("_f", functions[0].name);
    EXPECT_EQ(kF, FunctionAddress(info, functions[0]));
    EXPECT_TRUE(ImageFunctions(info, 1).empty() && ImageFunctions(info, 2).empty());
    EXPECT_EQ("Address: 401200 main.c 10", AddressDescription(info, kF));
    EXPECT_EQ("main.c 10", SourceLineOf(info, kF));
    EXPECT_EQ("Address: 7c800000", AddressDescription(info, 0x7C800000));
    EXPECT_EQ("", SourceLineOf(info, 0x7C800000));

    EXPECT_EQ(kBreakpointAdded, AddAddressBreakpoint(engine, kF));
    EXPECT_EQ(kBreakpointExists, AddAddressBreakpoint(engine, kF));
    EXPECT_EQ(5u, Toggle("main.c", 5));
    auto texts = [this] {
        std::vector<std::string> out;
        for (const UserBreakpoint &b : UserBreakpoints(engine))
            out.push_back(b.text);
        return out;
    };
    EXPECT_EQ((std::vector<std::string>{"0x401110 {main.c:5}", "0x401200 {main.c:10}"}), texts());
    // Hit: it stops at f's line (not a line of its own).
    size_t told = said.size();
    Hit(kF, 0x12FEFC);
    EXPECT_EQ((std::vector<std::string>{"line 1 0 10"}), std::vector<std::string>(said.begin() + told, said.end()));
    EXPECT_TRUE(StoppedInFile(engine, "C:\\SRC\\MAIN.C") && !StoppedInFile(engine, "other.c"));

    std::vector<MarkedLine> unmarked;
    UserBreakpoint line5 = UserBreakpoints(engine)[0];
    ASSERT_TRUE(EraseUserBreakpoint(engine, line5, &unmarked));
    EXPECT_EQ(0x90, At(0x401110));
    EXPECT_FALSE(EraseUserBreakpoint(engine, line5, &unmarked));
    MarkedLine marked;
    EXPECT_FALSE(AddSourceBreakpoint(engine, "main.c", &marked));
    EXPECT_EQ("error \"main.c\" is not a source and a line number", said.back());
    EXPECT_FALSE(AddSourceBreakpoint(engine, "other.c 3", &marked));
    EXPECT_EQ("error other.c is not a module for this executable", said.back());
    ASSERT_TRUE(AddSourceBreakpoint(engine, " main 12 ", &marked));
    EXPECT_EQ(0xCC, At(0x401220));
    ClearUserBreakpoints(engine, &unmarked);
    EXPECT_TRUE(engine.breakpoints.empty());
    EXPECT_EQ(0x55, At(kF));
    EXPECT_EQ(0xC3, At(0x401220));
    ASSERT_EQ(2u, unmarked.size());
    EXPECT_EQ("main.c 5, main.c 12", unmarked[0].path + " " + std::to_string(unmarked[0].line) + ", " +
                                         unmarked[1].path + " " + std::to_string(unmarked[1].line));
    EXPECT_EQ("main.c", marked.path);
}
