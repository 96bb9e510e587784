// The debug information of the program being debugged, read from its image in a buffer.
//
// An image is a PE32 executable or DLL as the compiler system links it: a COFF symbol table
// at its end and CodeView 4 data (a subsection directory, 32-bit symbol records, 16-bit type
// leaves) found through its debug directory. Reading turns it into a table of modules
// (indexed from 1; the modules of each DLL are appended behind the executable's), each with
// its code ranges, source files and line blocks, procedures with their locals, and tables of
// statics and constants; the image keeps its global symbols and its type table.
//
// Every address kept is absolute: the value from the file plus the image's load address.
// The reader works on bytes only and shows nothing: messages go to the `report` hook, and
// the two steps that need the running program read its memory through `readMemory`.
// Every offset, count and length taken from the file is checked against the buffer, so a
// damaged image yields a message or "no debug information", never a read outside it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum {
    kSymbolChains = 1024,
    kFirstTypeIndex = 0x1000,
    kLocalRegister = 2,        // LocalRecord::flags: `value` is a CodeView register number
    kLocalStackRelative = 4,   // LocalRecord::flags: `value` is an offset from ESP, not EBP
    kRegisterEsp = 21,         // the CodeView number of ESP
};

// CodeView symbol record types the reader acts on.
enum {
    kSymRegister = 0x0002,
    kSymConstant = 0x0003,
    kSymBpRel32 = 0x0200,
    kSymLData32 = 0x0201,
    kSymGData32 = 0x0202,
    kSymPub32 = 0x0203,
    kSymLProc32 = 0x0204,
    kSymGProc32 = 0x0205,
    kSymRegRel32 = 0x020C,
};

// What the reader has to say; DebugInfoMessageText gives each one's text (a format for the
// two that take a value).
enum DebugInfoMessage {
    kDbgCouldNotOpen,          // "Couldn't open file"
    kDbgCouldNotMapView,       // "Couldn't map view of file with MapViewOfFile()"
    kDbgUnrecognizedFormat,    // "Unrecognized file format"
    kDbgNoDebugInfo,           // "No debugging information in %s"
    kDbgAttachNoDebugInfo,     // "Impossible to attach\nNo debug information in executable"
    kDbgBadStringTable,        // "Incorrect length of string table"
    kDbgBadModuleIndex,        // "Incorrect module index %d"
    kDbgNoEntryPoint,          // "Impossible to find the entry point. No debug information"
    kDbgNoStartModule,         // "Impossible to find the entry point (_mainCRTStartup)"
};
const char *DebugInfoMessageText(DebugInfoMessage message);

struct LocalRecord {
    std::string name;
    int32_t value;    // frame offset from EBP (from ESP with kLocalStackRelative), or the register
    uint16_t type;
    uint16_t flags;   // kLocalRegister, kLocalStackRelative
};

struct ProcedureRecord {
    std::string name;      // as stored, leading underscore included
    uint32_t start = 0;
    uint16_t kind = 0;     // kSymLProc32 or kSymGProc32
    uint32_t bodyStart = 0, bodyEnd = 0;
    uint32_t end = 0;      // exclusive
    // The procedure's line entries, made on first use (MakeLineSlice): `count` entries from
    // `first` in block `block` of file `file` of its module.
    bool sliceMade = false;
    uint32_t sliceFile = 0, sliceBlock = 0, sliceFirst = 0, sliceCount = 0;
    std::vector<LocalRecord> locals;   // in file order, nested blocks' locals included
    uint16_t lastLine = 0;             // kept for the call-stack window
    uint32_t frameBase = 0;
    uint32_t directHits = 0, childHits = 0;   // the profiler's counters
};

struct SymbolEntry {
    SymbolEntry *next = nullptr;
    std::string name;
    uint16_t kind = 0;        // the record type that made it
    uint16_t type = 0;
    uint32_t value = 0;       // the absolute address
    std::string text;         // a constant's value
    ProcedureRecord *procedure = nullptr;
};

// 1024 chains by HashName; a new entry goes in front, so it hides an older one of its name.
struct SymbolTable {
    SymbolEntry *heads[kSymbolChains] = {};
    std::deque<SymbolEntry> entries;   // the storage; a deque never moves its elements

    SymbolEntry *Add(const std::string &name, uint16_t kind, uint16_t type, uint32_t value);
    const SymbolEntry *Find(const char *name) const;
};
uint32_t HashName(const char *name, size_t length);

struct LineBlock {
    uint32_t start = 0, end = 0;
    std::vector<uint32_t> addresses;   // parallel arrays, in file order
    std::vector<uint16_t> lines;
};

struct SourceFileRecord {
    std::string name;
    std::vector<LineBlock> blocks;
    void *document = nullptr;   // the editor document showing it, set by the debugger
};

struct CodeRange {
    uint32_t start, end;
};

struct DllRecord;

struct ModuleRecord {
    uint32_t codeStart = 0, codeSize = 0, codeEnd = 0;   // end exclusive
    std::string name;
    uint32_t index = 0;
    std::vector<std::unique_ptr<ProcedureRecord>> procedures;   // in file order
    std::unique_ptr<SymbolTable> statics;     // made on the first static
    std::unique_ptr<SymbolTable> constants;   // made on the first constant
    DllRecord *dll = nullptr;                 // null for the executable's modules
    int currentFile = -1;                     // set by FileOfAddress
    std::vector<SourceFileRecord> files;
    std::vector<CodeRange> ranges;
};

// The type records of one image, in place in the image: record t (t >= 0x1000) starts at
// records + offset[t - 0x1000].
struct TypeTable {
    uint32_t count = 0;
    const uint8_t *offsets = nullptr;
    const uint8_t *records = nullptr;
    size_t recordsSize = 0;
};

struct SectionHeader {
    char name[9];   // terminated
    uint32_t virtualAddress, rawSize, rawPointer;
};

struct CoffFunction {
    uint32_t value;
    uint32_t symbol;   // its number in the COFF table
};

// What one image (the executable or a DLL) keeps about itself.
struct ImageInfo {
    const uint8_t *view = nullptr;   // the whole file, owned by whoever mapped it
    size_t size = 0;
    void *mapping = nullptr;         // the mapping's handle, for the Win32 side
    uint32_t loadAddress = 0, imageBase = 0, sizeOfImage = 0;
    uint32_t codeStart = 0, codeEnd = 0, dataStart = 0, dataEnd = 0;
    uint32_t entryRva = 0;
    bool console = false;
    std::vector<SectionHeader> sections;
    uint32_t debugRva = 0, debugSize = 0;
    // COFF symbols (18-byte records) and their string table; the string table is usable
    // up to `stringsSize` bytes.
    uint32_t symbolCount = 0;
    const uint8_t *symbols = nullptr;
    const uint8_t *strings = nullptr;
    uint32_t stringsSize = 0;
    bool stringTableBad = false;
    const uint8_t *coffDebug = nullptr;   // raw data of the COFF debug entry
    uint32_t coffDebugSize = 0;
    bool hasCodeView = false;
    uint32_t moduleCount = 0;
    SymbolTable globals;
    TypeTable types;
    bool coffFunctionsMade = false;
    std::vector<CoffFunction> coffFunctions;   // section 1, class 2, sorted by value
};

struct DllRecord {
    ImageInfo image;
    void *file = nullptr;              // the handle from the load event
    std::string fileName;
    std::string miscName;              // from its miscellaneous debug record
    uint32_t endAddress = 0;           // load address + SizeOfImage
    std::vector<uint8_t> debugDirectory;   // a copy, 28 bytes an entry
    uint32_t debugEntries = 0;
    uint32_t firstModule = 0, moduleCount = 0;
    uint32_t profileHits = 0;
};

struct ImportRecord {
    std::string function;
    std::string dll;
    uint32_t slot = 0;     // the import address table slot in the process
    uint32_t stub = 0;     // the executable's jump through the slot, 0 until resolved
    uint32_t target = 0;   // the function's address in its DLL, 0 until resolved
};

// Where the debugger is: changes through SetCodeContext.
struct CodeContext {
    uint32_t module = 0;
    ProcedureRecord *procedure = nullptr;
    uint32_t start = 0, end = 0;
    uint32_t words[4] = {};   // the engine's, cleared on every change
};

struct DebugInfo {
    // Hooks: where messages go (nothing is shown without one), and the debuggee's memory.
    std::function<void(DebugInfoMessage, const char *text)> report;
    std::function<bool(uint32_t address, void *buffer, uint32_t size)> readMemory;
    bool attached = false;        // set by the engine before reading the executable
    bool quitRequested = false;   // attaching found no debug information: the IDE quits

    std::string name;             // the executable's, for messages
    ImageInfo exe;
    // [0] is always null, and so is the slot of a module that no subsection named.
    std::vector<std::unique_ptr<ModuleRecord>> modules;
    std::vector<std::unique_ptr<DllRecord>> dlls;         // most recently loaded first
    std::vector<ImportRecord> imports;
    uint32_t currentModule = 0;   // the engine's current source module (names, types)
    uint32_t startModule = 0;
    uint32_t entryAddress = 0;
    bool fortran = false;
    CodeContext context;
    ProcedureRecord pseudo;       // made from COFF symbols where no procedure is known
};

// Reading. The executable: headers, COFF symbols (required), CodeView data and the import
// descriptors; false (after a message) when it cannot be debugged. `loadAddress` is where
// the system loaded it.
bool ReadExecutable(DebugInfo &info, const uint8_t *view, size_t size, uint32_t loadAddress,
                    const char *name);
// A DLL: a record in front of the list, then its information from its image; returns the
// number of modules it added (0: none, also for an image that is not a PE32 file).
DllRecord *AddDll(DebugInfo &info, uint32_t loadAddress, const char *fileName);
uint32_t LoadDllInfo(DebugInfo &info, DllRecord *dll, const uint8_t *view, size_t size);
// With the process running: the stub and target of each import, through readMemory.
bool ResolveImports(DebugInfo &info);
// The program's entry (_WinMain@16, _main or _MAIN__): the start module's index, or 0.
uint32_t FindEntryPoint(DebugInfo &info);
// Everything, or one DLL (its modules leave the table; later ones are renumbered).
void ReleaseDebugInfo(DebugInfo &info);
void ReleaseDll(DebugInfo &info, DllRecord *dll);

// COFF symbols of an image, by number (auxiliary records count as symbols): a symbol's
// fields, and its name (from the string table when its first four bytes are 0; at most
// kCoffNameLimit characters of it, so that a damaged table cannot make every name huge).
enum { kCoffNameLimit = 1024 };
struct CoffSymbol {
    uint32_t value = 0;    // an RVA for a symbol of a section (the file holds the offset in it)
    int16_t section = 0;
    uint16_t type = 0;
    uint8_t storageClass = 0;
    uint8_t auxCount = 0;
};
CoffSymbol CoffSymbolAt(const ImageInfo &image, uint32_t i);
std::string CoffSymbolName(const ImageInfo &image, uint32_t i);

// Look-ups by address. All give 0 or null when nothing matches.
ModuleRecord *ModuleAt(const DebugInfo &info, uint32_t index);
// The DLL whose image holds the address; null for the executable (or none).
DllRecord *DllOfAddress(const DebugInfo &info, uint32_t address);
uint32_t ModuleOfAddress(const DebugInfo &info, uint32_t address);
ProcedureRecord *ProcedureOfAddress(const DebugInfo &info, uint32_t module, uint32_t address);
// The file (index) and block holding the address; it becomes the module's current file.
int FileOfAddress(DebugInfo &info, uint32_t module, uint32_t address, uint32_t *block);
struct LineHit {
    uint32_t module = 0;
    int file = -1;
    uint16_t line = 0;   // 0: no line
    bool exact = false;  // an entry starts at the address
};
// The entry at the address; otherwise the last entry below it in the block holding it.
LineHit LineOfAddress(const DebugInfo &info, uint32_t address);
// The entry nearest to `line` in the module's blocks (those of `file` only, when given):
// its address, and its line in *found. 0 when the module has no entries.
uint32_t AddressOfLine(const DebugInfo &info, uint32_t module, uint16_t line, uint16_t *found,
                       int file = -1);
// The procedure's line entries (ProcedureRecord::slice*); false when no block holds its start.
bool MakeLineSlice(const DebugInfo &info, uint32_t module, ProcedureRecord *procedure);
// Matches the name without directory and extension, ignoring case.
uint32_t ModuleOfFileName(const DebugInfo &info, const char *fileName, int *file);
// The name of the procedure covering the address, else of the import whose target it is.
const char *NameAtAddress(const DebugInfo &info, uint32_t address);
// The first COFF function at or after the address, in the image holding it; "" when none.
std::string CoffNameAfter(DebugInfo &info, uint32_t address);
// Fills info.pseudo from the COFF symbols for an address no procedure covers.
bool CoffFallback(DebugInfo &info, uint32_t address);
// Module and procedure of the address (or the pseudo-procedure); false: nothing changed.
bool SetCodeContext(DebugInfo &info, uint32_t module, uint32_t address);

// Look-ups by name.
const SymbolEntry *FindSymbol(const DebugInfo &info, const char *name);
const SymbolEntry *FindConstant(const DebugInfo &info, const char *name);
// "foo" finds a procedure stored as "_foo" or "_foo@8".
ProcedureRecord *FindProcedure(const DebugInfo &info, const char *name, uint32_t *module);

// Types, in the type table of the current module's image.
struct TypeRecordView {
    const uint8_t *data = nullptr;   // the record, from its length field
    size_t size = 0;                 // its bytes, length field included
    uint16_t leaf = 0;
};
TypeRecordView TypeRecord(const DebugInfo &info, uint32_t type);
uint32_t TypeSize(const DebugInfo &info, uint32_t type);
bool IsPointerType(uint32_t type);
uint32_t PointeeType(uint32_t type);
uint32_t StructByName(const DebugInfo &info, const char *name);   // a type index or 0
struct MemberRecord {
    std::string name;
    uint16_t type = 0, attributes = 0;
    uint32_t offset = 0;
};
// The members of a structure or union, in order; false when the type is none or damaged.
bool StructMembers(const DebugInfo &info, uint32_t type, std::vector<MemberRecord> *members);
bool FindMember(const DebugInfo &info, uint32_t type, const char *name, MemberRecord *member);
// The display name of a primitive type index: "unknown type" when it has none.
const char *PrimitiveTypeName(uint32_t type);
struct PrimitiveName {
    uint16_t type;
    const char *name;
};
extern const PrimitiveName g_primitiveTypeNames[];   // ends with {0, nullptr}
