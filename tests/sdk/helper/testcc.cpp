// A compiler and linker for make's tests, called as the makefiles the IDE writes call the
// compiler system's tools:
//   testcc -c [options] source   writes <source's base name>.obj (a copy of the source) here;
//                                a source holding "error" fails with a diagnostic, exit code 3
//   testcc [options] -o out in...  writes `out`, the inputs one after the other
// Each run appends "cc <source>" or "link <out>" to build.log in the current directory.
#include <stdio.h>
#include <string.h>

#include <string>

static std::string ReadAll(const char *path) {
    std::string text;
    FILE *f = fopen(path, "rb");
    if (!f)
        return text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, got);
    fclose(f);
    return text;
}

static bool WriteAll(const std::string &path, const std::string &text) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

static void Log(const std::string &line) {
    FILE *f = fopen("build.log", "ab");
    if (f) {
        fprintf(f, "%s\n", line.c_str());
        fclose(f);
    }
}

int main(int argc, char **argv) {
    const char *out = nullptr;
    std::string joined;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-o") == 0 && i + 1 < argc)
            out = argv[++i];
        else if (argv[i][0] != '-' && out)
            joined += ReadAll(argv[i]);
    }
    if (out) {
        Log(std::string("link ") + out);
        return WriteAll(out, joined) ? 0 : 2;
    }
    if (argc < 3 || strcmp(argv[1], "-c") != 0) {
        fprintf(stderr, "testcc: usage: testcc -c [options] source | [options] -o out in...\n");
        return 2;
    }
    std::string source = argv[argc - 1];
    std::string name = source.substr(source.find_last_of("\\/") + 1);
    Log("cc " + name);
    std::string text = ReadAll(source.c_str());
    if (text.find("error") != std::string::npos) {
        fprintf(stderr, "Error %s: 1 syntax error\n", source.c_str());
        return 3;
    }
    return WriteAll(name.substr(0, name.rfind('.')) + ".obj", text) ? 0 : 2;
}
