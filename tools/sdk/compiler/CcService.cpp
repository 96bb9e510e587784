// Talks to tools/sdk/service/kelto-cc-service.py over one loopback connection per run; the
// format of a request and an answer is described at the top of that script.
#include "CcService.h"

#include <winsock2.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kDefaultPort = 47011;
const int kConnectSeconds = 5;
const DWORD kAnswerMilliseconds = 700 * 1000;   // longer than the service's own limit

int ServicePort() {
    const char *text = getenv("KELTO_CC_PORT");
    int port = text ? atoi(text) : kDefaultPort;
    return port > 0 && port < 65536 ? port : kDefaultPort;
}

void PutU32(std::string *out, unsigned value) {
    for (int i = 0; i < 4; i++)
        out->push_back(char((value >> (8 * i)) & 0xff));
}

std::string EncodeRequest(const char *program, const HostCommand &command) {
    char cwd[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
    std::string body = "KCC1";
    PutU32(&body, unsigned(command.items.size() + 2));
    HostCommand head;
    head.Path(n > 0 && n < sizeof cwd ? cwd : ".");
    head.Text(program);
    for (const HostCommand *part : {(const HostCommand *)&head, &command}) {
        for (const HostCommand::Item &item : part->items) {
            body.push_back(char(item.kind));
            PutU32(&body, unsigned(item.text.size()));
            body += item.text;
        }
    }
    std::string request;
    PutU32(&request, unsigned(body.size()));
    return request + body;
}

// Reads the answer's fields in order; any overrun marks the whole answer bad.
struct Reader {
    const std::string &data;
    size_t pos = 0;
    bool bad = false;

    unsigned U32() {
        if (pos + 4 > data.size()) {
            bad = true;
            return 0;
        }
        unsigned v = 0;
        for (int i = 0; i < 4; i++)
            v |= unsigned((unsigned char)data[pos + i]) << (8 * i);
        pos += 4;
        return v;
    }
    std::string Text() {
        unsigned n = U32();
        if (bad || n > data.size() - pos) {
            bad = true;
            return "";
        }
        std::string s = data.substr(pos, n);
        pos += n;
        return s;
    }
};

// Connects with a time limit, so that a missing service fails at once and never hangs.
SOCKET Connect(int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons((u_short)port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    bool ok = connect(s, (sockaddr *)&addr, sizeof addr) == 0;
    if (!ok && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        FD_ZERO(&failed);
        FD_SET(s, &failed);
        timeval limit = {kConnectSeconds, 0};
        int error = 0;
        int size = sizeof error;
        ok = select(0, nullptr, &writable, &failed, &limit) == 1 && FD_ISSET(s, &writable) &&
             getsockopt(s, SOL_SOCKET, SO_ERROR, (char *)&error, &size) == 0 && error == 0;
    }
    nonBlocking = 0;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (!ok) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    DWORD limit = kAnswerMilliseconds;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char *)&limit, sizeof limit);
    return s;
}

bool SendAll(SOCKET s, const std::string &data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int n = send(s, data.data() + sent, int(data.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return true;
}

bool ReceiveAll(SOCKET s, std::string *data) {
    char buffer[8192];
    for (;;) {
        int n = recv(s, buffer, sizeof buffer, 0);
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        data->append(buffer, size_t(n));
    }
}

bool Exchange(int port, const std::string &request, std::string *answer) {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return false;
    SOCKET s = Connect(port);
    bool ok = s != INVALID_SOCKET && SendAll(s, request) && ReceiveAll(s, answer);
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return ok;
}

}   // namespace

std::string HostProgram(const char *tool) {
#ifdef _WIN64
    return std::string("x86_64-w64-mingw32-") + tool;
#else
    return std::string("i686-w64-mingw32-") + tool;
#endif
}

namespace {

// Under Wine the host's compiler is a Linux program, reached through the service; on Windows
// (or with KELTO_CC_DIRECT set) a MinGW tool found on the PATH runs here directly.
bool RunDirectly() {
    if (getenv("KELTO_CC_DIRECT"))
        return true;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}

std::string Quote(const std::string &argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    for (size_t i = 0; i < argument.size(); i++) {
        size_t backslashes = 0;
        while (i < argument.size() && argument[i] == '\\')
            i++, backslashes++;
        if (i == argument.size()) {
            quoted.append(backslashes * 2, '\\');
            break;
        }
        if (argument[i] == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        quoted.push_back(argument[i]);
    }
    return quoted + "\"";
}

std::string ReadAndDelete(const std::string &path) {
    std::string text;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, got);
        fclose(f);
    }
    DeleteFileA(path.c_str());
    return text;
}

// Runs "<tool>.exe" from the PATH with the arguments as they are (Windows paths need no
// translation), its output caught in temporary files.
bool RunDirect(const char *tool, const HostCommand &command, HostResult *result) {
    std::string name = std::string(tool) + ".exe";
    char program[MAX_PATH];
    if (!SearchPathA(nullptr, name.c_str(), nullptr, sizeof program, program, nullptr)) {
        fprintf(stderr, "cannot find %s on the PATH (a MinGW-w64 compiler is needed)\n", name.c_str());
        return false;
    }
    std::string line = Quote(program);
    for (size_t i = 0; i < command.items.size(); i++) {
        std::string argument = command.items[i].text;
        if (command.items[i].kind == HostCommand::kGlued && i + 1 < command.items.size())
            argument += command.items[++i].text;
        line += " " + Quote(argument);
    }
    char temp[MAX_PATH], outName[MAX_PATH], errName[MAX_PATH];
    if (!GetTempPathA(sizeof temp, temp) || !GetTempFileNameA(temp, "kcc", 0, outName) ||
        !GetTempFileNameA(temp, "kcc", 0, errName)) {
        fprintf(stderr, "cannot make the temporary files for %s\n", name.c_str());
        return false;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errName, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi;
    bool started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                   CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    DWORD code = 2;
    if (started) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (err != INVALID_HANDLE_VALUE)
        CloseHandle(err);
    result->out = ReadAndDelete(outName);
    result->err = ReadAndDelete(errName);
    result->pairs.clear();
    if (!started) {
        fprintf(stderr, "cannot start %s\n", program);
        return false;
    }
    result->exitCode = int(code);
    return true;
}

} // namespace

bool RunHost(const char *tool, const HostCommand &command, HostResult *result) {
    if (RunDirectly())
        return RunDirect(tool, command, result);
    int port = ServicePort();
    std::string answer;
    bool reached = Exchange(port, EncodeRequest(HostProgram(tool).c_str(), command), &answer);
    Reader in{answer};
    unsigned length = in.U32();
    if (reached && !in.bad && length == answer.size() - 4) {
        result->exitCode = int(in.U32());
        result->out = in.Text();
        result->err = in.Text();
        unsigned pairs = in.U32();
        result->pairs.clear();
        for (unsigned i = 0; i < pairs && !in.bad; i++) {
            std::string unixPrefix = in.Text();
            result->pairs.push_back({unixPrefix, in.Text()});
        }
        if (!in.bad)
            return true;
    }
    fprintf(stderr, "cannot reach the compiler service on 127.0.0.1:%d\n", port);
    return false;
}

std::string HostResult::WindowsPath(const std::string &unixPath) const {
    std::string rest = unixPath, prefix;
    if (!unixPath.empty() && unixPath[0] == '/') {
        // The pairs come longest first, so the first match is the most exact one.
        for (const auto &pair : pairs) {
            const std::string &u = pair.first;
            bool under = unixPath == u || u == "/" ||
                         (unixPath.compare(0, u.size(), u) == 0 && unixPath[u.size()] == '/');
            if (under) {
                prefix = pair.second;
                rest = u == "/" ? unixPath : unixPath.substr(u.size());
                break;
            }
        }
    }
    for (char &c : rest)
        if (c == '/')
            c = '\\';
    if (!prefix.empty() && prefix.back() == '\\' && !rest.empty() && rest[0] == '\\')
        rest.erase(0, 1);
    return prefix + rest;
}

bool FileReadable(const std::string &path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool isFile = GetFileInformationByHandle(h, &info) &&
                  !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    return isFile;
}

std::string CompilerRoot() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string root(path, n < sizeof path ? n : 0);
    for (int i = 0; i < 2; i++) {
        size_t slash = root.find_last_of("\\/");
        root = slash == std::string::npos ? "." : root.substr(0, slash);
    }
    return root;
}

void UseBinaryOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// The source's last path component with the text from its last "." replaced by `extension`
// (appended when it has no "."), lower-cased.
std::string OutputName(const std::string &source, const char *extension) {
    size_t slash = source.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    name += extension;
    for (char &c : name)
        c = (char)tolower((unsigned char)c);
    return name;
}

// "<path>:<line>[:<column>]: " at `colon`: the line number and where the text after it starts.
static bool ReadPosition(const std::string &line, size_t colon, int *number, size_t *after) {
    size_t p = colon + 1;
    if (p >= line.size() || !isdigit((unsigned char)line[p]))
        return false;
    *number = 0;
    while (p < line.size() && isdigit((unsigned char)line[p]))
        *number = *number * 10 + (line[p++] - '0');
    if (p >= line.size() || line[p] != ':')
        return false;
    p++;
    if (p < line.size() && isdigit((unsigned char)line[p])) {
        while (p < line.size() && isdigit((unsigned char)line[p]))
            p++;
        if (p >= line.size() || line[p] != ':')
            return false;
        p++;
    }
    *after = p;
    return true;
}

// One line of gcc's (or the assembler's) standard error in the IDE's form.
std::string ConvertDiagnostic(const HostResult &r, const std::string &line, bool plainIsError) {
    static const struct {
        const char *gcc;
        const char *word;
    } kinds[] = {{" error: ", "Error"},     {" fatal error: ", "Error"}, {" Error: ", "Error"},
                 {" warning: ", "Warning"}, {" Warning: ", "Warning"}, {" note: ", nullptr}};
    for (size_t colon = line.find(':'); colon != std::string::npos; colon = line.find(':', colon + 1)) {
        int number;
        size_t after;
        if (!ReadPosition(line, colon, &number, &after))
            continue;
        std::string file = r.WindowsPath(line.substr(0, colon));
        for (const auto &kind : kinds) {
            size_t n = strlen(kind.gcc);
            if (line.compare(after, n, kind.gcc) != 0)
                continue;
            std::string text = line.substr(after + n);
            if (!kind.word)
                return file + ":" + std::to_string(number) + ": note: " + text;
            return std::string(kind.word) + " " + file + ": " + std::to_string(number) + "  " + text;
        }
        // windres says "<file>:<line>: <text>" of its errors.
        if (plainIsError)
            return "Error " + file + ": " + std::to_string(number) + "  " + line.substr(after + (line[after] == ' ' ? 1 : 0));
    }
    // "In file included from <path>:<line>:<column>," and "<path>: In function 'f':"
    size_t from = line.find("from ");
    if (from != std::string::npos) {
        size_t start = from + 5;
        size_t colon = line.find(':', start);
        if (colon != std::string::npos && line[start] == '/')
            return line.substr(0, start) + r.WindowsPath(line.substr(start, colon - start)) + line.substr(colon);
    }
    size_t colon = line.find(": ");
    if (!line.empty() && line[0] == '/' && colon != std::string::npos)
        return r.WindowsPath(line.substr(0, colon)) + line.substr(colon);
    return line;
}

void ReportOutput(const HostResult &r, bool plainIsError) {
    fputs(r.out.c_str(), stdout);
    for (const std::string &line : SplitLines(r.err)) {
        if (line == "compilation terminated.")
            continue;
        fprintf(stderr, "%s\n", ConvertDiagnostic(r, line, plainIsError).c_str());
    }
}
