// Generating the project's makefile: the CFLAGS, OBJS, FFLAGS and LIBS lines, the link or
// librarian rule and one rule per file, with each source's include dependencies as the
// compiler lists them in its dependency mode.
//
// Every text is a std::string, so no directory or dependency line is cut or written past a
// buffer. The makefile is first written beside itself and put in place only when complete.
#include "project/Makefile.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <vector>

#include "base/AppState.h"
#include "base/Boxes.h"
#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "platform/Files.h"
#include "platform/UiPort.h"
#include "project/Project.h"
#include "project/Wizard.h"
#include "ui/OutputWindow.h"

namespace {

const char kDependencyFile[] = "$x8856455.723";
const char kOwnHeader[] = "# Kelto Makefile";
enum { kMaxDependencyLine = 400, kMaxNamePart = 254, kMessagesBetweenFiles = 15 };

struct FlagOption {
    unsigned bit;
    const char *text;
};

// The debug levels (0x1000, 0x800, 0x08) exclude each other; the first one set counts.
const FlagOption kBeforeDebug[] = {{0x04, " -O "}, {0x10, " -x "}};
const FlagOption kDebugLevels[] = {{0x1000, " -g4 "}, {0x800, " -g3 "}, {0x08, " -g2 "}};
const FlagOption kAfterDebug[] = {{0x20, " -S "},      {0x200, " -A "},      {0x4000, " -Zp1 "},
                                  {0x8000, " -Zp2 "},  {0x10000, " -Zp4 "},  {0x20000, " -Zp8 "},
                                  {0x40000, " -Zp16 "}, {0x80000, " -z "},   {0x200000, " -p6"}};
const FlagOption kFortran[] = {{0x01, " -u"}, {0x02, " -U"}, {0x04, " -R"}, {0x08, " -r"},
                               {0x10, " -a"}, {0x20, " -c"}, {0x40, " -g"}, {0x80, " -C"}};

// `form` with its "%s" replaced by `text`: never cut, however long the text.
std::string Filled(const char *form, const std::string &text) {
    std::string result = form ? form : "";
    size_t at = result.find("%s");
    return at == std::string::npos ? result : result.replace(at, 2, text);
}

std::string Message(int id, const std::string &text) { return Filled(GetString(id), text); }

std::string Root() { return g_app ? g_app->compilerRoot : ""; }

std::string Trimmed(const std::string &text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The pieces of `text` between `separator`s, trimmed, empty ones left out.
std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        std::string piece = Trimmed(text.substr(start, end - start));
        if (!piece.empty())
            pieces.push_back(piece);
        start = end + 1;
    }
    return pieces;
}

// The last `count` components of `path`.
std::string LastComponents(const std::string &path, int count) {
    size_t at = path.size();
    for (int i = 0; i < count; i++) {
        if (at == 0)
            return path;
        at = path.find_last_of('\\', at - 1);
        if (at == std::string::npos)
            return path;
    }
    return path.substr(at + 1);
}

// The extension after the last "." of the last component, lower-cased; false without one.
bool LastExtension(const std::string &file, std::string *extension) {
    std::string last = LastComponent(file);
    size_t dot = last.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    *extension = Lowered(last.substr(dot + 1));
    return true;
}

// The file as found on the disk: in the sources directory when it has no backslash.
std::string SourcePath(const ProjectRecord &p, const std::string &file) {
    return file.find('\\') == std::string::npos ? p.sourcesDir + "\\" + file : file;
}

std::string ObjectName(const std::string &file) {
    std::string last = LastComponent(file);
    size_t dot = last.find_last_of('.');
    return Lowered((dot == std::string::npos ? last : last.substr(0, dot)) + ".obj");
}

std::string MacroName(const std::string &file) {
    std::string name = Uppered(LastComponent(file));
    for (char &c : name)
        if (c == '.')
            c = '_';
    return name;
}

const FileProcessor *ProcessorOf(const ProjectRecord &p, const std::string &file) {
    for (const FileProcessor &fp : p.fileProcessors)
        if (!fp.input.empty() && IsProjectFile(p, file, fp.input))
            return &fp;
    return nullptr;
}

bool IsResourceFile(const std::string &file) {
    std::string extension;
    return LastExtension(file, &extension) && (extension == "rc" || extension == "res");
}

// Lets the user interface answer between two files of a long generation.
void HandleSomeMessages() {
    MSG message;
    for (int i = 0; i < kMessagesBetweenFiles && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); i++) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Closes an editor window that shows the makefile, so the editor does not keep an old copy.
void CloseMakefileWindow(const std::string &makefile) {
    Document *doc = FindDocument(Uppered(makefile).c_str(), false);
    if (!doc || !g_editor)
        return;
    for (View *view = g_editor->views; view; view = view->next) {
        if (view->doc != doc || !view->window)
            continue;
        if (g_app && g_app->mdiClient)
            SendMessageA(g_app->mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(view->window), 0);
        SendMessageA(view->window, WM_CLOSE, 0, 0);
        return;
    }
}

// A makefile that Kelto did not write is kept as "Makefile.old".
bool KeepHandWrittenMakefile(const std::string &makefile) {
    if (!FileExists(makefile.c_str()))
        return true;
    char head[sizeof kOwnHeader] = "";
    size_t n = 0;
    if (FILE *f = fopen(makefile.c_str(), "rb")) {
        n = fread(head, 1, sizeof kOwnHeader - 1, f);
        fclose(f);
    }
    if (n == sizeof kOwnHeader - 1 && memcmp(head, kOwnHeader, n) == 0)
        return true;
    std::string old = makefile.substr(0, makefile.size() - strlen("MAKEFILE")) + "Makefile.old";
    if (PathPresent(old.c_str()))
        RemoveFile(old.c_str());
    if (MoveFileAnyDrive(makefile.c_str(), old.c_str()) != 0) {
        ErrorBox((makefile + " was not written by Kelto and cannot be moved to\n" + old).c_str());
        return false;
    }
    ErrorBox((makefile + " was not written by Kelto.\nIt has been moved to\n" + old).c_str());
    return true;
}

// One generation: the open temporary makefile and what the dependency scans found so far.
class Generator {
public:
    Generator(ProjectRecord *project, FILE *out) : p_(*project), out_(out) {}
    bool Write();

private:
    ProjectRecord &p_;
    FILE *out_;
    std::string includeOptions_;
    bool scanFailed_ = false;

    void Put(const std::string &text) { fputs(text.c_str(), out_); }
    bool Objects(bool *hasRes);
    void AddFortranLibrary();
    bool Rule(const std::string &file, bool hasRes);
    void Dependencies(const std::string &source);
};

bool Generator::Objects(bool *hasRes) {
    std::vector<std::string> objects;
    bool resources = false;
    *hasRes = false;
    for (const std::string &file : p_.files) {
        std::string extension;
        if (!LastExtension(file, &extension))
            continue;
        if (extension == "res")
            *hasRes = true;
        if (extension == "c" || extension == "e" || extension == "asm" || extension == "f") {
            objects.push_back(ObjectName(file));
        } else if (extension == "rc" || extension == "res") {
            if (resources) {
                ErrorBox(Message(4548, file).c_str());
                continue;
            }
            resources = true;
            std::string last = LastComponent(file);
            objects.push_back(extension == "res" ? SourcePath(p_, file)
                                                 : Lowered(last.substr(0, last.find_last_of('.')) + ".res"));
        } else if (extension == "obj") {
            objects.push_back(LastComponent(file));
        } else if (extension == "def" || extension == "h") {
            // A DLL's definition file and the headers build nothing themselves.
        } else if (!ProcessorOf(p_, file)) {
            AddOutputLines(Filled("I do not know how to handle %s\nPlease define how it should be handled in the "
                                  "makefile", file).c_str());
            if (!FileProcessorDialog(&p_, SourcePath(p_, file))) {
                ErrorBox("Cannot generate the makefile");
                return false;
            }
        }
    }
    Put("OBJS=\\\n");
    for (size_t i = 0; i < objects.size(); i++)
        Put("\t" + objects[i] + (i + 1 < objects.size() ? " \\\n" : "\n"));
    return true;
}

void Generator::AddFortranLibrary() {
    std::string prefix = Lowered(Root() + "\\lib\\");
    for (const std::string &entry : Split(p_.libraries, ' ')) {
        std::string name = Lowered(entry);
        if (name.compare(0, prefix.size(), prefix) == 0)
            name.erase(0, prefix.size());
        if (name == "libf77.lib")
            return;
    }
    p_.libraries = Trimmed(p_.libraries);
    p_.libraries += p_.libraries.empty() ? "libf77.lib" : " libf77.lib";
}

void Generator::Dependencies(const std::string &source) {
    if (scanFailed_)
        return;
    RemoveFile(kDependencyFile);   // never the list of an earlier source
    if (FileExists(source.c_str())) {
        std::string command =
            Root() + "\\bin\\bdx.exe -M -Fo" + kDependencyFile + " " + includeOptions_ + " " + source;
        int code = RunAndWait(command.c_str(), SW_HIDE);
        if (code != 0) {
            scanFailed_ = true;
            int error = code == -1 ? static_cast<int>(GetLastError()) : code;
            ErrorBox(("Impossible to execute\n" + command + "\nto find out the dependencies.\nError code " +
                      std::to_string(error)).c_str());
            RemoveFile(kDependencyFile);
            return;
        }
    }
    FILE *in = fopen(kDependencyFile, "r");
    if (!in)
        return;
    std::string line;
    int c;
    bool more = true;
    while (more) {
        c = fgetc(in);
        if (c != '\n' && c != EOF) {
            if (line.size() < kMaxDependencyLine)
                line += static_cast<char>(c);
            continue;
        }
        more = c != EOF;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (c == '\n' || !line.empty())
            Put("\t" + line + "\\\n");
        line.clear();
    }
    fclose(in);
    RemoveFile(kDependencyFile);
}

bool Generator::Rule(const std::string &file, bool hasRes) {
    std::string source = SourcePath(p_, file);
    if (const FileProcessor *fp = ProcessorOf(p_, file)) {
        Put(Lowered(fp->output) + ":\t" + Lowered(fp->input) + "\n\t" + Lowered(fp->command) + "\n");
        return true;
    }
    std::string last = LastComponent(file);
    size_t dot = last.find('.');
    std::string base = last.substr(0, dot), extension = Lowered(last.substr(dot + 1));
    if (base.size() > kMaxNamePart || extension.size() > kMaxNamePart) {
        ErrorBox(Filled("The name %s is too long for the makefile", file).c_str());
        return false;
    }
    if (extension == "h" || extension == "obj" || extension == "res" || extension == "def")
        return true;
    std::string macro = MacroName(file);
    if (extension == "rc") {
        if (hasRes)
            return true;
        std::string res = Lowered(base + ".res");
        Put("\n# Build " + res + "\n" + macro + "=\\\n");
        Dependencies(source);
        Put("\n" + res + ":\t$(" + macro + ") " + Lowered(source) + "\n");
        Put("\tbrc -I" + p_.sourcesDir + " " + includeOptions_ + " " + Lowered(source) + "\n");
        return true;
    }
    bool scanned = extension != "asm" && extension != "f";
    if (scanned) {
        Put("\n# Build " + last + "\n" + macro + "=\\\n");
        Dependencies(source);
    }
    std::string object = ObjectName(file), path = Lowered(source);
    Put("\n" + object + ": " + (scanned ? "$(" + macro + ") " : std::string()) + path + "\n");
    Put(extension == "f" ? "\t$(F2C) $(FFLAGS) " + path + "\n" : "\t$(CC) -c $(CFLAGS) " + path + "\n");
    return true;
}

bool Generator::Write() {
    includeOptions_ = IncludeOptions(p_.includes);
    Put(Message(10, p_.name));
    Put("CFLAGS=" + includeOptions_ + DefineOptions(p_.defines) + CompilerOptions(p_.compilerFlags) + "\n");
    Put("CC=" + Root() + "\\bin\\bdx.exe\n");
    bool hasRes = false;
    if (!Objects(&hasRes))
        return false;
    bool fortran = false;
    for (const std::string &file : p_.files) {
        std::string extension;
        fortran = fortran || (LastExtension(file, &extension) && extension == "f");
    }
    if (fortran) {
        AddFortranLibrary();
        Put("\nFFLAGS=" + FortranOptions(p_.fortranFlags) + "\n");
    }
    Put("\nLIBS=" + p_.libraries + "\n");
    std::string executable = ProjectExecutable(p_);
    Put("\n" + executable + ":\t$(OBJS) Makefile\n");
    if (p_.compilerFlags & kTypeLibrary)
        Put("\t" + Root() + "\\bin\\bdxlib /OUT:" + executable + " $(OBJS)\n");
    else
        Put("\t" + Root() + "\\bin\\bdxlnk " + LinkerOptions(p_, executable) + " -o " + executable +
            " $(OBJS) $(LIBS)\n");
    for (const std::string &file : p_.files) {
        if (LastComponent(file).find('.') == std::string::npos)
            continue;
        ShowStatus(file.c_str());
        HandleSomeMessages();
        if (!Rule(file, hasRes))
            return false;
    }
    Put("\n");
    return true;
}

struct GeneratingFlag {
    GeneratingFlag() {
        if (g_app)
            g_app->buildState = kBuildGenerating;
    }
    ~GeneratingFlag() {
        if (g_app && g_app->buildState == kBuildGenerating)
            g_app->buildState = kBuildIdle;
    }
};

void GenerateCommand(int, intptr_t) { GenerateMakefileCommand(); }

} // namespace

bool IsProjectFile(const ProjectRecord &p, const std::string &file, const std::string &name) {
    std::string full = SourcePath(p, file);
    return strcasecmp(name.c_str(), full.c_str()) == 0 || strcasecmp(LastComponent(full).c_str(), name.c_str()) == 0 ||
           strcasecmp(LastComponents(full, 2).c_str(), LastComponents(name, 2).c_str()) == 0;
}

std::string ErrorFileDefault(const ProjectRecord &p) {
    return p.makeDir + "\\" + LastComponent(p.name) + ".err";
}

std::string ProjectExecutable(const ProjectRecord &p) {
    const char *extension = (p.compilerFlags & kTypeLibrary) ? ".lib" : (p.compilerFlags & kTypeDll) ? ".dll" : ".exe";
    std::string name = p.executable.empty() ? LastComponent(p.name) : p.executable;
    if (LastComponent(name).find('.') == std::string::npos)
        name += extension;
    // A library is always written as ".lib"; the rule's target is the file the librarian makes.
    if (p.compilerFlags & kTypeLibrary) {
        size_t dot = name.find_last_of('.');
        name = name.substr(0, dot) + ".lib";
    }
    return name;
}

std::vector<std::string> CompiledObjects(const ProjectRecord &p) {
    std::vector<std::string> objects;
    for (const std::string &file : p.files) {
        std::string extension;
        if (LastExtension(file, &extension) && (extension == "c" || extension == "e" || extension == "asm" || extension == "f"))
            objects.push_back(ObjectName(file));
    }
    return objects;
}

void PrepareProjectPaths(ProjectRecord *p) {
    if (p->includes.empty())
        p->includes = Root() + "\\include";
    if (p->sourcesDir.empty())
        p->sourcesDir = p->path;
    if (p->errorFile.empty())
        p->errorFile = ErrorFileDefault(*p);
    if (!p->sourcesDir.empty() && strcasecmp(p->sourcesDir.c_str(), (Root() + "\\bin").c_str()) == 0)
        AddOutputLines(Message(4547, p->sourcesDir).c_str());
}

bool ApplyEiffelTest(ProjectRecord *p) {
    bool eiffel = true;
    for (const std::string &file : p->files) {
        std::string extension;
        eiffel = eiffel && LastExtension(file, &extension) && extension == "e";
    }
    if (eiffel)
        p->projectFlags |= kProjectEiffel;
    else
        p->projectFlags &= ~kProjectEiffel;
    return eiffel;
}

std::string IncludeOptions(const std::string &includes) {
    std::string options;
    for (const std::string &directory : Split(includes, ';'))
        options += "-I" + directory + " ";
    return options;
}

std::string DefineOptions(const std::string &defines) {
    char separator = defines.find(';') != std::string::npos ? ';' : defines.find(',') != std::string::npos ? ',' : ' ';
    std::string options;
    for (const std::string &definition : Split(defines, separator))
        options += "-D" + definition + " ";
    return options;
}

std::string CompilerOptions(unsigned flags) {
    std::string options;
    for (const FlagOption &o : kBeforeDebug)
        if (flags & o.bit)
            options += o.text;
    for (const FlagOption &o : kDebugLevels)
        if (flags & o.bit) {
            options += o.text;
            break;
        }
    for (const FlagOption &o : kAfterDebug)
        if (flags & o.bit)
            options += o.text;
    return options;
}

std::string LinkerOptions(const ProjectRecord &p, const std::string &executable) {
    std::string options;
    unsigned flags = p.compilerFlags;
    if (flags & 0x01)
        options += " -s";
    if (flags & kTypeDll) {
        options += " -dll";
        if (!p.entryPoint.empty() && p.entryPoint != "LibMain")
            options += " -entry " + p.entryPoint;
    } else if (flags & kTypeConsole) {
        options += " -subsystem console";
    } else if (flags & kTypeWindows) {
        bool resources = false;
        for (const std::string &file : p.files)
            resources = resources || IsResourceFile(file);
        if (!resources)
            ErrorMessage(61);
        options += " -subsystem windows";
    }
    std::string last = LastComponent(executable);
    size_t dot = last.find_last_of('.');
    if ((flags & 0x2000) && dot != std::string::npos)
        options += " -map " + executable.substr(0, executable.size() - last.size() + dot) + ".map";
    if (!p.linkerArgs.empty())
        options += " " + p.linkerArgs;
    if (flags & 0x400000)
        options += " -nounderscores";
    return options;
}

std::string FortranOptions(int flags) {
    std::string options;
    for (const FlagOption &o : kFortran)
        if (static_cast<unsigned>(flags) & o.bit)
            options += o.text;
    return options;
}

int GenerateMakefile(ProjectRecord *project) {
    if (!project || project->name.empty()) {
        ErrorMessage(kStrNoProject);
        return 0;
    }
    PrepareProjectPaths(project);
    GeneratingFlag generating;
    ShowStatus(Message(4549, project->name).c_str());
    struct ClearStatus {
        ~ClearStatus() { ShowStatus(""); }
    } clearStatus;
    if (!project->hasMake && !DefaultMakeSetup(project))
        return 0;
    if (project->makeDir.empty()) {
        ProjectRecord chooser;   // only its make directory is taken
        chooser.name = project->name;
        chooser.sourcesDir = project->sourcesDir;
        if (!DefaultMakeSetup(&chooser))
            return 0;
        project->makeDir = chooser.makeDir;
    }
    if (!CheckDirectories(project->makeDir, true))
        return 0;
    std::string makefile = Uppered(project->makeDir + "\\Makefile");
    CloseMakefileWindow(makefile);
    if (!KeepHandWrittenMakefile(makefile))
        return 0;
    std::string temporary = makefile + ".NEW";
    FILE *out = fopen(temporary.c_str(), "wb");
    if (!out) {
        ErrorBox(Filled("Impossible to open\n%s\nfor writing", temporary).c_str());
        return 0;
    }
    Generator generator(project, out);
    bool written = generator.Write();
    bool failed = ferror(out) != 0;
    failed = fclose(out) != 0 || failed;
    if (written && failed)
        ErrorMessage(kStrWriteError);
    if (!written || failed || !ReplaceFileWith(temporary.c_str(), makefile.c_str())) {
        if (written && !failed)
            ErrorBox(Filled("Impossible to open\n%s\nfor writing", makefile).c_str());
        RemoveFile(temporary.c_str());
        return 0;
    }
    return 1;
}

namespace {

struct DefaultTool {
    const char *extension, *tool, *output;   // output: the extension that replaces the file's
};
const DefaultTool kDefaultTools[] = {{"c", "bdx.exe", ".obj"},   {"asm", "bdx.exe", ".obj"}, {"rc", "brc.exe", ".res"},
                                     {"f", "f2c.exe", nullptr},  {"obj", "bdxlnk.exe", ".exe"},
                                     {"res", "bdxlnk.exe", ".exe"}};

const DefaultTool *DefaultToolOf(const std::string &path) {
    std::string extension;
    if (!LastExtension(path, &extension))
        return nullptr;
    for (const DefaultTool &tool : kDefaultTools)
        if (extension == tool.extension)
            return &tool;
    return nullptr;
}

// The processor whose input is `path`, -1 when there is none.
int ProcessorIndex(const ProjectRecord &project, const std::string &path) {
    for (size_t i = 0; i < project.fileProcessors.size(); i++)
        if (strcasecmp(project.fileProcessors[i].input.c_str(), path.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace

bool FileProcessorDialog(ProjectRecord *project, const std::string &input) {
    std::vector<FileProcessor> &list = project->fileProcessors;
    int index = ProcessorIndex(*project, input);
    std::string command, output;
    if (index >= 0) {
        command = list[index].command;
        output = list[index].output;
    }
    for (;;) {
        if (!CurrentUiPort()->AskFileProcessor(input.c_str(), &command, &output))
            return false;
        if (!Trimmed(command).empty() && !Trimmed(output).empty())
            break;
        ErrorBox("You must fill both fields");
    }
    if (index >= 0) {
        list[index].command = command;
        list[index].output = output;
    } else {
        list.insert(list.begin(), FileProcessor{input, command, output});
    }
    return true;
}


ProcessorFields OpenProcessorFields(const ProjectRecord &project, const std::string &path) {
    ProcessorFields fields;
    int index = ProcessorIndex(project, path);
    if (index >= 0) {
        const FileProcessor *fp = &project.fileProcessors[index];
        fields.existing = true;
        fields.command = fp->command;
        fields.output = fp->output;
    } else if (const DefaultTool *tool = DefaultToolOf(path)) {
        fields.command = tool->tool;
        if (tool->output) {
            std::string last = LastComponent(path);
            fields.output = Lowered(last.substr(0, last.find_last_of('.')) + tool->output);
        }
    }
    return fields;
}

bool ApplyProcessorFields(ProjectRecord *project, const std::string &path, const ProcessorFields &fields) {
    std::string command = Trimmed(fields.command), output = Trimmed(fields.output);
    int index = ProcessorIndex(*project, path);
    if (index < 0) {
        const DefaultTool *tool = DefaultToolOf(path);
        if (command.empty() || (tool && strcasecmp(command.c_str(), tool->tool) == 0))
            return true;
        if (output.empty()) {
            ErrorMessage(4569);
            return false;
        }
        project->fileProcessors.insert(project->fileProcessors.begin(), FileProcessor{path, command, output});
        project->changed = true;
        return true;
    }
    if (command.empty()) {
        if (!ConfirmMessage(4568))
            return false;
        project->fileProcessors.erase(project->fileProcessors.begin() + index);
        project->changed = true;
        return true;
    }
    if (output.empty()) {
        ErrorMessage(4569);
        return false;
    }
    FileProcessor *existing = &project->fileProcessors[index];
    project->changed = project->changed || existing->command != command || existing->output != output;
    existing->command = command;
    existing->output = output;
    return true;
}

void GenerateMakefileCommand() {
    ProjectRecord *project = CurrentProject();
    if (g_app && g_app->buildState == kBuildGenerating)
        return;
    if (!project) {
        ErrorMessage(kStrNoProject);
        return;
    }
    if (ApplyEiffelTest(project))
        return;
    if (GenerateMakefile(project)) {
        SaveProjectContent(1);
        ShowStatus("Makefile generation successful");
    }
}

void RegisterMakefileCommands() { RegisterHandler(IDM_GENERATE_MAKEFILE, GenerateCommand); }
