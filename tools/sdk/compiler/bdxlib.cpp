// bdxlib, the librarian of the compiler system: "bdxlib /OUT:x.lib objs..." makes a library
// of the objects with the host's MinGW-w64 ar (an archive that bdxlnk and gcc read).
#include "CcService.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
    UseBinaryOutput();
    std::string output;
    HostCommand c;
    c.Text("rcs");
    HostCommand objects;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a.size() > 5 && _strnicmp(a.c_str(), "/OUT:", 5) == 0) {
            output = a.substr(5);
        } else if (!a.empty() && (a[0] == '/' || a[0] == '-')) {
            fprintf(stderr, "bdxlib: unknown option %s\n", a.c_str());
            return 2;
        } else if (!a.empty()) {
            if (!FileReadable(a)) {
                fprintf(stderr, "bdxlib: cannot read %s\n", a.c_str());
                return 1;
            }
            objects.Path(a);
        }
    }
    if (output.empty() || objects.items.empty()) {
        fprintf(stderr, "bdxlib: usage: bdxlib /OUT:library objects...\n");
        return 2;
    }
    DeleteFileA(output.c_str());   // the library holds exactly the objects named now
    c.Path(output);
    c.items.insert(c.items.end(), objects.items.begin(), objects.items.end());
    HostResult r;
    if (!RunHost("ar", c, &r))
        return 2;
    fputs(r.out.c_str(), stdout);
    fputs(r.err.c_str(), stderr);
    return r.exitCode;
}
