// The "Compiler" and "Linker"/"Librarian" pages of the configuration sheet, without their
// windows, and the check of a compiler root.
//
// Both pages edit the one word of compiler flags: the "Compiler" page owns the code
// generation bits, the "Linker" page the link bits and the project type. Each page rebuilds
// only its own bits and keeps the other's, since a property sheet applies only the pages the
// user opened.
#include "project/ConfigPages.h"

#include <strings.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "platform/Files.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "settings/Settings.h"

namespace {

const char kNoProject[] = "No project defined";

// The bits of the "Linker" page.
enum : unsigned { kLinkNoDebugInfo = 0x01, kLinkMapFile = 0x2000, kLinkNoUnderscores = 0x400000 };
const unsigned kLinkerBits = kLinkNoDebugInfo | kLinkMapFile | kLinkNoUnderscores;

// The debug levels of the "Compiler" page; the boxes' bits overlap (each includes 0x08).
enum : unsigned { kBitG3 = 0x800, kBitG4 = 0x1000 };

// The check boxes of the "Compiler" page and the bits each sets; the debug boxes are apart
// because they are read by a bit of their own, not by all of their bits.
struct CompilerBit {
    bool CompilerPage::*box;
    unsigned bits;
};
const CompilerBit kCompilerBits[] = {
    {&CompilerPage::generateAsm, 0x20},   {&CompilerPage::intermediate, 0x80000},
    {&CompilerPage::pentiumPro, 0x200000}, {&CompilerPage::optimize, 0x04},
    {&CompilerPage::browseInfo, 0x10},    {&CompilerPage::warningsAll, 0x200},
};

// The "Structure alignment" entries none, 2, 4, 8 and 16; "default" sets none of them.
const unsigned kAlignmentBits[] = {0x4000, 0x8000, 0x10000, 0x20000, 0x40000};
const int kAlignmentCount = sizeof kAlignmentBits / sizeof kAlignmentBits[0];

const size_t kMaxOutputName = 400;

bool Failed(const char *text) {
    ErrorBox(text);
    return false;
}

bool SameNoCase(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Stores `value` into `field`, setting the changed flag when it differs.
void Store(ProjectRecord *project, std::string *field, const std::string &value) {
    if (*field != value)
        project->changed = true;
    *field = value;
}

// Every run of blanks of `text` as one `with`; blanks at either end are dropped.
std::string BlanksAs(const std::string &text, char with) {
    std::string result;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !result.empty())
            result += with;
        blank = false;
        result += c;
    }
    return result;
}

// `name` lower-cased with the extension of its last component made ".dll" (none stays none).
std::string DllName(const std::string &name) {
    if (name.empty())
        return name;
    std::string result = Lowered(name);
    size_t dot = result.find_last_of('.');
    size_t slash = result.find_last_of('\\');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        result.erase(dot);
    return result + ".dll";
}

int TypeOfFlags(unsigned flags) {
    if (flags & kTypeLibrary)
        return kLinkLibrary;
    if (flags & kTypeDll)
        return kLinkDll;
    if (flags & kTypeConsole)
        return kLinkConsole;
    return kLinkWindows;
}

unsigned TypeBit(int type) {
    switch (type) {
    case kLinkConsole: return kTypeConsole;
    case kLinkDll: return kTypeDll;
    case kLinkLibrary: return kTypeLibrary;
    default: return kTypeWindows;
    }
}

} // namespace

bool CheckCompilerRoot(const std::string &directory) {
    const char *dir = directory.c_str();
    if (directory.size() < 2 || directory[1] != ':')
        return Failed(FormatScratch("Missing drive name in %s", dir));
    if (!IsDirectory(dir))
        return Failed(FormatMessageId(kStrDirectoryMissing, dir));
    if (!FileExists((directory + "\\bin\\bdx.exe").c_str()))
        return Failed(FormatScratch("Can't find %s\\bin\\bdx.exe", dir));
    if (!FileExists((directory + "\\lib\\kernel32.lib").c_str()))
        return Failed(FormatScratch("Can't find %s\\lib\\kernel32.lib", dir));
    return true;
}

// ---- "Compiler" ----

CompilerPage OpenCompilerPage(ProjectRecord *project) {
    CompilerPage page;
    if (!project) {
        page.defines = page.includes = page.errorFile = kNoProject;
        return page;
    }
    if (project->includes.empty()) {
        char includePath[kSettingBufferSize];
        if (CompilerRootFromRegistry(includePath, sizeof includePath))
            project->includes = includePath;
    }
    if (project->errorFile.empty())
        project->errorFile = ErrorFileDefault(*project);
    page.defines = project->defines;
    page.includes = project->includes;
    page.errorFile = project->errorFile;

    unsigned flags = project->compilerFlags;
    for (const CompilerBit &b : kCompilerBits)
        page.*b.box = (flags & b.bits) == b.bits;
    page.g4 = (flags & kBitG4) != 0;
    page.g3 = (flags & kBitG3) != 0;
    page.debugInfo = (flags & kCompilerDebugInfo) != 0;
    page.g3Enabled = page.g4Enabled = page.debugInfo;
    page.alignment = kAlignDefault;
    for (int i = 0; i < kAlignmentCount && page.alignment == kAlignDefault; i++)
        if (flags & kAlignmentBits[i])
            page.alignment = i;
    return page;
}

void CoupleCompilerBoxes(CompilerPage *page, CompilerBox clicked) {
    switch (clicked) {
    case kBoxDebugInfo:
        if (!page->debugInfo)
            page->g3 = page->g4 = false;
        break;
    case kBoxG3:
        if (page->g3) {
            page->debugInfo = true;
            page->g4 = false;
        }
        break;
    case kBoxG4:
        if (page->g4)
            page->debugInfo = page->g3 = true;
        break;
    }
    page->g3Enabled = page->g4Enabled = page->debugInfo;
}

void ApplyCompilerPage(ProjectRecord *project, const CompilerPage &page) {
    if (!project)
        return;
    Store(project, &project->defines, page.defines);
    Store(project, &project->includes, BlanksAs(page.includes, ';'));
    // The error file is the build's, not the makefile's: no rebuild for it.
    if (!SameNoCase(page.errorFile, project->errorFile))
        project->errorFile = Uppered(page.errorFile);

    // The linker's bits stay with the type: the "Linker" page may not be applied after this one.
    unsigned flags = project->compilerFlags & (kProjectTypeMask | kLinkerBits);
    for (const CompilerBit &b : kCompilerBits)
        if (page.*b.box)
            flags |= b.bits;
    if (page.debugInfo)
        flags |= kCompilerDebugInfo;
    if (page.g3)
        flags |= kBitG3 | kCompilerDebugInfo;
    if (page.g4)
        flags |= kBitG4 | kCompilerDebugInfo;
    if (page.alignment >= 0 && page.alignment < kAlignmentCount)
        flags |= kAlignmentBits[page.alignment];
    if (flags != project->compilerFlags)
        project->changed = true;
    project->compilerFlags = flags;
}

// ---- "Linker" / "Librarian" ----

LinkerPage OpenLinkerPage(ProjectRecord *project) {
    LinkerPage page;
    if (!project)
        return page;
    // The console bit means nothing to a library, and the type list shows only one type.
    if ((project->compilerFlags & kTypeConsole) && (project->compilerFlags & kTypeLibrary))
        project->compilerFlags &= ~kTypeConsole;
    unsigned flags = project->compilerFlags;
    page.output = InMakeDirectory(*project, project->executable);
    page.libraries = project->libraries;
    page.entryPoint = project->entryPoint;
    page.arguments = project->linkerArgs;
    page.noDebugInfo = (flags & kLinkNoDebugInfo) != 0;
    page.mapFile = (flags & kLinkMapFile) != 0;
    page.noUnderscores = (flags & kLinkNoUnderscores) != 0;
    ChooseLinkerType(&page, TypeOfFlags(flags));
    return page;
}

void ChooseLinkerType(LinkerPage *page, int type) {
    page->type = type;
    page->entryEnabled = type == kLinkDll;
    if (page->entryEnabled && page->entryPoint.empty())
        page->entryPoint = "LibMain";
    // A library is not linked: it has no libraries, map or debug information of its own.
    page->librariesEnabled = type != kLinkLibrary;
}

bool ApplyLinkerPage(ProjectRecord *project, const LinkerPage &page) {
    if (!project)
        return true;
    std::string executable = project->executable;
    bool renamed = false;
    if (!page.output.empty()) {
        std::string output = InMakeDirectory(*project, page.output);
        if (output.size() > kMaxOutputName)
            return Failed(FormatScratch("The output file name is longer than %d characters", (int)kMaxOutputName));
        renamed = !SameNoCase(output, InMakeDirectory(*project, executable));
        executable = output;
    }
    if (renamed)
        project->changed = true;

    std::string libraries = page.libraries;
    for (char &c : libraries)
        if (c == ',' || c == ';')
            c = ' ';
    Store(project, &project->libraries, libraries);

    unsigned flags = project->compilerFlags & ~(kLinkerBits | kProjectTypeMask);
    if (page.noDebugInfo)
        flags |= kLinkNoDebugInfo;
    if (page.noUnderscores)
        flags |= kLinkNoUnderscores;
    if (page.mapFile)
        flags |= kLinkMapFile;
    flags |= TypeBit(page.type);
    // The librarian keeps no debug information to leave out.
    if (page.type == kLinkLibrary)
        flags &= ~kLinkNoDebugInfo;

    if (page.type == kLinkDll) {
        Store(project, &project->entryPoint, page.entryPoint.empty() ? "LibMain" : page.entryPoint);
        executable = DllName(executable);
    }
    project->executable = executable;
    // The debugger starts programs only; and a program named on the "Debugger" page stays
    // unless the output itself was renamed.
    if ((page.type == kLinkWindows || page.type == kLinkConsole) && !executable.empty() &&
        (renamed || project->debugExe.empty()))
        project->debugExe = executable;

    Store(project, &project->linkerArgs, page.arguments);
    if (flags != project->compilerFlags)
        project->changed = true;
    project->compilerFlags = flags;
    return true;
}
