// wizard.exe, the application skeleton generator of the compiler system:
//   wizard.exe /kelto:<frame> /prjname:<name> /prjpath:<directory> /out:<file> [/dll|/console]
// writes <directory>\<name>.c, a small program of the kind asked for (a Windows program
// without /dll or /console), unless a file of that name exists (it is never overwritten), and
// answers in <file> with the lines "Project: <name>" and "Source: <path>". The values are not
// quoted: each runs to the next " /". The exit code is the number of files given (1), 0 when
// nothing could be given, 2 for a bad command line.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>

namespace {

// The value of `/key:` on the command line, up to the next " /" or the end; empty when absent.
std::string Value(const std::string &line, const char *key) {
    size_t at = line.find(key);
    if (at == std::string::npos)
        return "";
    at += strlen(key);
    size_t end = line.find(" /", at);
    std::string value = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    while (!value.empty() && (value.back() == ' ' || value.back() == '"'))
        value.pop_back();
    return value;
}

const char kConsole[] =
    "/* %s: a console program. */\n"
    "#include <stdio.h>\n\n"
    "int main(int argc, char *argv[])\n{\n"
    "    printf(\"%s: %%d arguments\\n\", argc - 1);\n"
    "    return 0;\n}\n";

const char kDll[] =
    "/* %s: a dynamic link library. */\n"
    "#include <windows.h>\n\n"
    "BOOL WINAPI LibMain(HINSTANCE instance, DWORD reason, LPVOID reserved)\n{\n"
    "    (void)instance, (void)reason, (void)reserved;\n"
    "    return TRUE;\n}\n\n"
    "BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)\n{\n"
    "    return LibMain(instance, reason, reserved);\n}\n\n"
    "__declspec(dllexport) int Version(void)\n{\n    return 1;\n}\n";

const char kWindows[] =
    "/* %s: a Windows program with one window. */\n"
    "#include <windows.h>\n\n"
    "static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)\n{\n"
    "    if (message == WM_DESTROY) {\n        PostQuitMessage(0);\n        return 0;\n    }\n"
    "    return DefWindowProc(window, message, wParam, lParam);\n}\n\n"
    "int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)\n{\n"
    "    WNDCLASS wc = {0};\n    MSG message;\n    HWND window;\n"
    "    (void)previous, (void)commandLine;\n"
    "    wc.lpfnWndProc = WindowProc;\n    wc.hInstance = instance;\n"
    "    wc.hCursor = LoadCursor(NULL, IDC_ARROW);\n"
    "    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);\n    wc.lpszClassName = \"%s\";\n"
    "    if (!RegisterClass(&wc))\n        return 1;\n"
    "    window = CreateWindow(\"%s\", \"%s\", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,\n"
    "                          400, 300, NULL, NULL, instance, NULL);\n"
    "    if (!window)\n        return 1;\n"
    "    ShowWindow(window, show);\n"
    "    while (GetMessage(&message, NULL, 0, 0) > 0) {\n"
    "        TranslateMessage(&message);\n        DispatchMessage(&message);\n    }\n"
    "    return (int)message.wParam;\n}\n";

// A name that can be a file's and stand in the skeleton's strings.
bool ValidName(const std::string &name) {
    if (name.empty() || name.size() > 49)
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32 || strchr("\\/:*?\"<>|", c))
            return false;
    return true;
}

} // namespace

int main() {
    std::string line = GetCommandLineA();
    std::string name = Value(line, "/prjname:"), path = Value(line, "/prjpath:"), out = Value(line, "/out:");
    if (name.empty() || path.empty() || out.empty()) {
        fprintf(stderr, "wizard: usage: wizard /kelto:<frame> /prjname:<name> /prjpath:<directory> /out:<file> "
                        "[/dll|/console]\n");
        return 2;
    }
    bool dll = line.find(" /dll") != std::string::npos, console = line.find(" /console") != std::string::npos;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    std::string source = path + "\\" + name + ".c";
    int given = 0;
    DWORD attributes = GetFileAttributesA(source.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        given = 1;   // the user's own file stays as it is
    } else if (!ValidName(name)) {
        fprintf(stderr, "wizard: \"%s\" cannot name a C source\n", name.c_str());
    } else if (FILE *f = fopen(source.c_str(), "w")) {
        const char *n = name.c_str();
        if (dll)
            fprintf(f, kDll, n);
        else if (console)
            fprintf(f, kConsole, n, n);
        else
            fprintf(f, kWindows, n, n, n, n);
        given = fclose(f) == 0 ? 1 : 0;
    } else {
        fprintf(stderr, "wizard: cannot write %s\n", source.c_str());
    }
    FILE *answer = fopen(out.c_str(), "wb");
    if (!answer) {
        fprintf(stderr, "wizard: cannot write %s\n", out.c_str());
        return 0;
    }
    fprintf(answer, "Project: %s\r\n", name.c_str());
    if (given)
        fprintf(answer, "Source: %s\r\n", source.c_str());
    return fclose(answer) == 0 ? given : 0;
}
