// The project record and its two groups of values in the store.
#include "project/Project.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "platform/Files.h"
#include "settings/Settings.h"

ProjectRecord g_project;
std::vector<std::string> g_projectUsers;
std::string g_userName;

ProjectRecord *CurrentProject() { return g_project.name.empty() ? nullptr : &g_project; }

void ClearProject() {
    g_project = ProjectRecord();
    g_projectUsers.clear();
    SetRememberedBreakpoints({});
}

namespace {

// The store's key of the open project, open for the time of one group's reading or writing.
class ProjectKey {
public:
    ProjectKey() : open_(!g_project.name.empty() && OpenSettings(g_project.name.c_str(), false)) {}
    ~ProjectKey() {
        if (open_)
            CloseSettings();
    }
    bool Open() const { return open_; }
    // Closes now; false when what was written could not be made lasting.
    bool Close() {
        bool ok = !open_ || CloseSettings();
        open_ = false;
        return ok;
    }

private:
    bool open_;
};

std::string Read(const char *name) {
    SettingBuffer value;
    return ReadSetting(name, value) ? std::string(value) : std::string();
}

std::string ReadById(int id) {
    SettingBuffer value;
    return ReadSettingById(id, value) ? std::string(value) : std::string();
}

bool Write(const char *name, const std::string &text) { return WriteSetting(name, text.c_str()); }

// A list of names: the count, then the elements numbered from 1.
bool WriteList(const char *countName, const char *format, const std::vector<std::string> &list) {
    if (!WriteIntSetting(countName, static_cast<long>(list.size())))
        return false;
    for (size_t i = 0; i < list.size(); i++)
        if (!Write(SettingName(format, static_cast<int>(i + 1)), list[i]))
            return false;
    return true;
}

// Reads a list; the first element that cannot be read ends it.
std::vector<std::string> ReadList(const char *countName, const char *format) {
    std::vector<std::string> list;
    long count = ReadIntSetting(countName, 0);
    SettingBuffer value;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        if (!ReadSetting(SettingName(format, static_cast<int>(i)), value))
            break;
        list.push_back(value);
    }
    return list;
}

const char *CountName(int id, char *buffer, size_t size) {
    CopyBounded(buffer, GetString(id), size);
    return buffer;
}

bool WriteContent() {
    ProjectRecord &p = g_project;
    char countName[64];
    if (!WriteList(CountName(kStrProjectFilesValue, countName, sizeof countName), "File%d", p.files))
        return false;
    // The dependencies of file n, found by its name without regard to case.
    for (size_t n = 0; n < p.files.size(); n++) {
        for (const FileDependencies &entry : p.dependencies) {
            if (entry.names.empty() || strcasecmp(entry.file.c_str(), p.files[n].c_str()) != 0)
                continue;
            int number = static_cast<int>(n + 1);
            if (!WriteIntSetting(SettingName("File%dDependencies", number), static_cast<long>(entry.names.size())))
                return false;
            for (size_t k = 0; k < entry.names.size(); k++)
                if (!Write(SettingName("File%dDependencies%d", number, static_cast<int>(k + 1)), entry.names[k]))
                    return false;
            break;
        }
    }
    if (!WriteList(CountName(kStrUserCountValue, countName, sizeof countName), "User%d", g_projectUsers) ||
        !WriteSettingById(kStrCmsDirectoryValue, p.cmsDirectory.c_str()))
        return false;
    const int options[] = {p.putOptions, p.getOptions, p.fileOptions, p.lockOptions, p.usersOptions};
    for (int i = 0; i < 5; i++)
        if (!WriteIntSetting(GetString(kStrCmsDirectoryValue + 1 + i), options[i]))
            return false;
    if (!WriteIntSetting("ProjectFlags", static_cast<long>(p.projectFlags)))
        return false;
    if (p.projectFlags & kProjectEiffel) {
        if (!WriteIntSetting("EiffelFlags", p.eiffelFlags) ||
            (!p.eiffelRootClass.empty() && !Write("EiffelRootClass", p.eiffelRootClass)) ||
            (!p.eiffelRootProcedure.empty() && !Write("EiffelRootProcedure", p.eiffelRootProcedure)))
            return false;
    }
    if ((p.projectFlags & kProjectFortran) && !WriteIntSetting("FortranFlags", p.fortranFlags))
        return false;
    return g_userName.empty() || Write("UserName", g_userName);
}

bool WriteWorkspace() {
    ProjectRecord &p = g_project;
    char text[kSettingBufferSize];
    snprintf(text, sizeof text, "%d %d %d %d", p.frameX, p.frameY, p.frameWidth, p.frameHeight);
    if (!Write("Frame", text))
        return false;
    snprintf(text, sizeof text, "%d,%d,%d,%d", p.toolbarRect[0], p.toolbarRect[1], p.toolbarRect[2],
             p.toolbarRect[3]);
    if (!Write("StatusBar", text) || !WriteSettingById(kStrNameValue, p.name.c_str()) ||
        !Write("CurrentFile", p.currentFile) || !WriteIntSetting("OpenFiles", static_cast<long>(p.openFiles.size())))
        return false;
    for (size_t i = 0; i < p.openFiles.size(); i++)
        if (!Write(SettingName("OpenFile%d", static_cast<int>(i + 1)), FormatOpenFile(p.openFiles[i])))
            return false;
    if (!Write("ProjectPath", p.path) || !Write("SourcesDir", p.sourcesDir) || !Write("Defines", p.defines) ||
        !Write("Includes", p.includes) || !Write("Libraries", p.libraries) || !Write("LinkerArgs", p.linkerArgs))
        return false;
    if (p.hasMake) {
        if (!Write("MakeName", p.makeName) || !Write("MakeArgs", p.makeArgs) || !Write("MakeDir", p.makeDir) ||
            !Write("Exe", p.executable) || !WriteSettingById(kStrDebuggerArgumentsValue, p.debuggerArguments.c_str()) ||
            !Write("DbgExeName", p.debugExe) || !Write("DbgDir", p.debugDir.empty() ? p.makeDir : p.debugDir))
            return false;
    }
    if (!WriteIntSetting("CompilerFlags", static_cast<long>(p.compilerFlags)) ||
        !WriteIntSetting("ProjectFlags", static_cast<long>(p.projectFlags)) ||
        !WriteIntSetting("FortranFlags", p.fortranFlags) || !WriteIntSetting("EiffelFlags", p.eiffelFlags) ||
        !WriteIntSetting("NumberOfBreakpoints", static_cast<long>(p.breakpoints.size())))
        return false;
    for (size_t i = 0; i < p.breakpoints.size(); i++) {
        snprintf(text, sizeof text, "%s@%d", p.breakpoints[i].file.c_str(), p.breakpoints[i].line);
        if (!Write(SettingName("BreakPoint%d", static_cast<int>(i + 1)), text))
            return false;
    }
    if (!Write("ErrorFile", p.errorFile) ||
        !WriteIntSetting("NrOfFileProcessors", static_cast<long>(p.fileProcessors.size())))
        return false;
    for (size_t i = 0; i < p.fileProcessors.size(); i++) {
        const FileProcessor &f = p.fileProcessors[i];
        if (!Write(SettingName("FileProcessor%d", static_cast<int>(i + 1)), f.input + "#" + f.command + "#" + f.output))
            return false;
    }
    return true;
}

void ReadWorkspace() {
    ProjectRecord &p = g_project;
    std::string text = Read("Frame");
    if (sscanf(text.c_str(), "%d %d %d %d", &p.frameX, &p.frameY, &p.frameWidth, &p.frameHeight) != 4)
        p.frameX = p.frameY = p.frameWidth = p.frameHeight = 0;
    text = Read("StatusBar");
    int *r = p.toolbarRect;
    if (sscanf(text.c_str(), "%d,%d,%d,%d", &r[0], &r[1], &r[2], &r[3]) != 4)
        r[0] = r[1] = r[2] = r[3] = 0;
    p.currentFile = Read("CurrentFile");
    p.openFiles.clear();
    for (const std::string &value : ReadList("OpenFiles", "OpenFile%d")) {
        OpenFileEntry entry;
        if (ParseOpenFile(value.c_str(), &entry))
            p.openFiles.push_back(entry);
    }
    p.path = Read("ProjectPath");
    p.sourcesDir = Read("SourcesDir");
    p.defines = Read("Defines");
    p.includes = Read("Includes");
    p.libraries = Read("Libraries");
    p.linkerArgs = Read("LinkerArgs");
    SettingBuffer value;
    p.hasMake = ReadSetting("MakeName", value);
    if (p.hasMake) {
        p.makeName = value;
        p.makeArgs = Read("MakeArgs");
        p.makeDir = Read("MakeDir");
        p.executable = Read("Exe");
        p.debuggerArguments = ReadById(kStrDebuggerArgumentsValue);
        p.debugExe = Read("DbgExeName");
        p.debugDir = Read("DbgDir");
    }
    p.compilerFlags = static_cast<unsigned>(ReadIntSetting("CompilerFlags", 8));
    p.projectFlags = static_cast<unsigned>(ReadIntSetting("ProjectFlags", 8));
    p.fortranFlags = static_cast<int>(ReadIntSetting("FortranFlags", 0));
    p.eiffelFlags = static_cast<int>(ReadIntSetting("EiffelFlags", 0));
    p.eiffelRootClass = Read("EiffelRootClass");
    p.eiffelRootProcedure = p.eiffelRootClass.empty() ? std::string() : Read("EiffelRootProcedure");
    p.breakpoints.clear();
    for (const std::string &entry : ReadList("NumberOfBreakpoints", "BreakPoint%d")) {
        char path[kSettingBufferSize];
        long line = 0;
        if (SplitBreakpointValue(entry.c_str(), path, sizeof path, &line))
            p.breakpoints.push_back({path, static_cast<int>(line)});
    }
    SetRememberedBreakpoints(p.breakpoints);
    p.errorFile = Read("ErrorFile");
    p.fileProcessors.clear();
    for (const std::string &entry : ReadList("NrOfFileProcessors", "FileProcessor%d")) {
        size_t first = entry.find('#');
        size_t second = first == std::string::npos ? first : entry.find('#', first + 1);
        if (second == std::string::npos) {
            ErrorBox("Incorrect format in key 'FileProcessor' stored in registry");
            break;
        }
        p.fileProcessors.push_back(
            {entry.substr(0, first), entry.substr(first + 1, second - first - 1), entry.substr(second + 1)});
    }
}

void ReadContent() {
    ProjectRecord &p = g_project;
    char countName[64];
    p.files = ReadList(CountName(kStrProjectFilesValue, countName, sizeof countName), "File%d");
    p.dependencies.clear();
    for (size_t n = 0; n < p.files.size(); n++) {
        int number = static_cast<int>(n + 1);
        long count = ReadIntSetting(SettingName("File%dDependencies", number), 0);
        FileDependencies entry;
        entry.file = p.files[n];
        SettingBuffer value;
        for (long k = 1; k <= count && k <= kMaxListCount; k++) {
            if (!ReadSetting(SettingName("File%dDependencies%d", number, static_cast<int>(k)), value))
                break;
            entry.names.push_back(value);
        }
        if (!entry.names.empty())
            p.dependencies.push_back(entry);
    }
    g_projectUsers = ReadList(CountName(kStrUserCountValue, countName, sizeof countName), "User%d");
    p.cmsDirectory = ReadById(kStrCmsDirectoryValue);
    int *options[] = {&p.putOptions, &p.getOptions, &p.fileOptions, &p.lockOptions, &p.usersOptions};
    for (int i = 0; i < 5; i++)
        *options[i] = static_cast<int>(ReadIntSetting(GetString(kStrCmsDirectoryValue + 1 + i), 0));
    p.projectFlags = static_cast<unsigned>(ReadIntSetting("ProjectFlags", static_cast<long>(p.projectFlags)));
    if (p.projectFlags & kProjectEiffel) {
        p.eiffelFlags = static_cast<int>(ReadIntSetting("EiffelFlags", p.eiffelFlags));
        std::string root = Read("EiffelRootClass");
        if (!root.empty())
            p.eiffelRootClass = root;
        std::string procedure = Read("EiffelRootProcedure");
        if (!procedure.empty())
            p.eiffelRootProcedure = procedure;
    }
    if (p.projectFlags & kProjectFortran)
        p.fortranFlags = static_cast<int>(ReadIntSetting("FortranFlags", p.fortranFlags));
    if (g_userName.empty())
        g_userName = Read("UserName");
}

} // namespace

int SaveProjectContent(int what) {
    if (!g_saveEnabled || !CurrentProject())
        return 0;
    ProjectKey key;
    if (!key.Open())
        return 0;
    // The version-control releases have no values yet: only the content is written.
    int groups = (what & 1) && WriteContent() ? 1 : 0;
    return key.Close() ? groups : 0;
}

bool LoadProjectContent() {
    ProjectKey key;
    if (!key.Open())
        return false;
    ReadContent();
    return true;
}

bool SaveProjectWorkspace() {
    if (!g_saveEnabled || !CurrentProject())
        return false;
    ProjectRecord &p = g_project;
    char directory[400];
    p.path = CurrentDirectory(directory, sizeof directory);
    if (g_app) {
        p.frameX = g_app->frameX;
        p.frameY = g_app->frameY;
        p.frameWidth = g_app->frameWidth;
        p.frameHeight = g_app->frameHeight;
        memcpy(p.toolbarRect, g_app->toolbarRect, sizeof p.toolbarRect);
    }
    if (g_editor) {
        p.openFiles = CollectOpenFiles();
        p.breakpoints = AllBreakpoints();
        p.currentFile = g_editor->doc && !(g_editor->doc->flags & kDocNoFile) ? g_editor->doc->path : "";
    }
    ProjectKey key;
    if (!key.Open())
        return false;
    bool ok = WriteWorkspace() && (g_userName.empty() || Write("UserName", g_userName));
    return key.Close() && ok;
}

bool LoadProjectWorkspace() {
    ProjectKey key;
    if (!key.Open())
        return false;
    ReadWorkspace();
    return true;
}
