// The makefile reader: logical lines (a line ending in a backslash continues on the next one),
// comments, macro definitions NAME=value, rule lines "targets: prerequisites" and the
// tab-indented commands under them, and the expansion of $(NAME) references.
#include "Make.h"
#include "TextLines.h"

#include <windows.h>

#include <stdio.h>

namespace {

const int kMaxDepth = 64;   // deeper macro nesting can only be a macro that refers to itself

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string &s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        begin++;
    while (end > begin && IsBlank(s[end - 1]))
        end--;
    return s.substr(begin, end - begin);
}

std::string Lower(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::vector<std::string> Words(const std::string &s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsBlank(s[i]))
            i++;
        size_t start = i;
        while (i < s.size() && !IsBlank(s[i]))
            i++;
        if (i > start)
            words.push_back(s.substr(start, i - start));
    }
    return words;
}

// Index just past the ")" or "}" closing the reference that opens at s[open] ("(" or "{"),
// counting nested references; s.size() when it is not closed.
size_t SkipReference(const std::string &s, size_t open) {
    int depth = 0;
    for (size_t i = open; i < s.size(); i++) {
        if (s[i] == '(' || s[i] == '{')
            depth++;
        else if ((s[i] == ')' || s[i] == '}') && --depth == 0)
            return i + 1;
    }
    return s.size();
}

// Position of the first `wanted` character outside macro references, or npos. For ':' a drive
// colon ("c:\...", a single letter starting a word and followed by a slash) does not count.
size_t FindOutside(const std::string &s, char wanted) {
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '$' && i + 1 < s.size() && (s[i + 1] == '(' || s[i + 1] == '{')) {
            i = SkipReference(s, i + 1) - 1;
            continue;
        }
        if (s[i] != wanted)
            continue;
        bool drive = wanted == ':' && i >= 1 && isalpha((unsigned char)s[i - 1]) &&
                     (i == 1 || IsBlank(s[i - 2])) && i + 1 < s.size() &&
                     (s[i + 1] == '\\' || s[i + 1] == '/');
        if (!drive)
            return i;
    }
    return std::string::npos;
}

void Fail(Makefile *mf, int line, const char *what) {
    if (!mf->error.empty())
        return;
    char text[64];
    snprintf(text, sizeof text, ":%d: ", line);
    mf->error = "make: " + mf->fileName + text + what;
}

// The value of macro `name`: the command line's, an automatic one, the file's, else the
// environment's; "" when none defines it.
std::string Lookup(const std::string &name, const Makefile *mf, const AutoMacros *autos) {
    auto over = mf->overrides.find(name);
    if (over != mf->overrides.end())
        return over->second;
    if (autos && autos->target && name.size() == 1) {
        const Target *t = autos->target;
        if (name == "@")
            return t->name;
        if (name == "<")
            return t->prereqs.empty() ? "" : t->prereqs[0];
        if (name == "*") {
            size_t dot = t->name.rfind('.');
            size_t slash = t->name.find_last_of("\\/");
            bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
            return hasDot ? t->name.substr(0, dot) : t->name;
        }
    }
    auto own = mf->macros.find(name);
    if (own != mf->macros.end())
        return own->second;
    DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0)
        return "";
    std::string value(size, '\0');
    DWORD got = GetEnvironmentVariableA(name.c_str(), &value[0], size);
    value.resize(got < size ? got : 0);
    return value;
}

// $(NAME:from=to): every word of the value that ends in `from` ends in `to` instead.
std::string Substitute(const std::string &value, const std::string &from, const std::string &to) {
    std::string out;
    for (const std::string &word : Words(value)) {
        if (!out.empty())
            out += ' ';
        bool ends = word.size() >= from.size() &&
                    word.compare(word.size() - from.size(), from.size(), from) == 0;
        out += ends ? word.substr(0, word.size() - from.size()) + to : word;
    }
    return out;
}

std::string ExpandAt(const std::string &text, Makefile *mf, const AutoMacros *autos, int depth) {
    if (!mf->error.empty())
        return "";   // after an error, "A=$(A)$(A)" would otherwise take forever
    if (depth > kMaxDepth) {
        mf->error = "make: a macro refers to itself in \"" + text + "\"";
        return "";
    }
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '$' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char next = text[i + 1];
        std::string name;
        if (next == '$') {
            out += '$';
            i++;
            continue;
        }
        if (next == '(' || next == '{') {
            size_t end = SkipReference(text, i + 1);
            name = ExpandAt(text.substr(i + 2, end - i - 3), mf, autos, depth + 1);
            i = end - 1;
        } else {
            name = std::string(1, next);
            i++;
        }
        size_t colon = name.find(':');
        size_t equals = name.find('=', colon == std::string::npos ? 0 : colon);
        std::string value;
        if (colon != std::string::npos && equals != std::string::npos) {
            value = ExpandAt(Lookup(name.substr(0, colon), mf, autos), mf, autos, depth + 1);
            value = Substitute(value, name.substr(colon + 1, equals - colon - 1),
                               name.substr(equals + 1));
        } else {
            value = ExpandAt(Lookup(name, mf, autos), mf, autos, depth + 1);
        }
        out += value;
    }
    return out;
}

void AddTarget(Makefile *mf, const std::string &name, const RuleLine &rule,
               const std::vector<std::string> &prereqs) {
    Target *t = FindTarget(mf, name);
    if (!t) {
        mf->index[Lower(name)] = mf->targets.size();
        mf->targets.push_back(Target());
        t = &mf->targets.back();
        t->name = name;
        t->line = rule.line;
    }
    t->prereqs.insert(t->prereqs.end(), prereqs.begin(), prereqs.end());
    if (!rule.commands.empty())
        t->commands = rule.commands;
}

}  // namespace

std::string Expand(const std::string &text, Makefile *mf, const AutoMacros *autos) {
    return ExpandAt(text, mf, autos, 0);
}

Target *FindTarget(Makefile *mf, const std::string &name) {
    auto found = mf->index.find(Lower(name));
    return found == mf->index.end() ? nullptr : &mf->targets[found->second];
}

bool ReadMakefile(const std::string &text, Makefile *mf) {
    std::vector<std::string> lines = SplitLines(text);
    RuleLine *current = nullptr;   // the rule whose commands may follow
    for (size_t n = 0; n < lines.size(); n++) {
        int lineNo = int(n) + 1;
        // A backslash at the end joins the next line; the blanks around it become one.
        std::string line = lines[n];
        while (!line.empty() && line.back() == '\\' && n + 1 < lines.size()) {
            line.pop_back();
            while (!line.empty() && IsBlank(line.back()))
                line.pop_back();
            std::string next = lines[++n];
            size_t lead = 0;
            while (lead < next.size() && IsBlank(next[lead]))
                lead++;
            line += ' ' + next.substr(lead);
        }
        if (!line.empty() && line[0] == '\t') {
            std::string command = Trim(line);
            if (command.empty() || command[0] == '#')
                continue;
            if (!current) {
                Fail(mf, lineNo, "command outside a rule");
                return false;
            }
            current->commands.push_back(command);
            continue;
        }
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        line = Trim(line);
        if (line.empty())
            continue;
        size_t equals = FindOutside(line, '=');
        size_t colon = FindOutside(line, ':');
        if (equals != std::string::npos && (colon == std::string::npos || equals < colon)) {
            std::string name = Trim(line.substr(0, equals));
            if (name.empty() || Words(name).size() != 1) {
                Fail(mf, lineNo, "bad macro name");
                return false;
            }
            mf->macros[name] = Trim(line.substr(equals + 1));
            current = nullptr;
            continue;
        }
        if (colon == std::string::npos || colon == 0) {
            Fail(mf, lineNo, colon == 0 ? "rule without a target" : "missing separator");
            return false;
        }
        RuleLine rule;
        rule.line = lineNo;
        rule.targets = line.substr(0, colon);
        rule.prereqs = line.substr(colon + 1);
        size_t semicolon = FindOutside(rule.prereqs, ';');   // "target: prereqs ; command"
        if (semicolon != std::string::npos) {
            std::string command = Trim(rule.prereqs.substr(semicolon + 1));
            if (!command.empty())
                rule.commands.push_back(command);
            rule.prereqs.erase(semicolon);
        }
        mf->ruleLines.push_back(rule);
        current = &mf->ruleLines.back();
    }
    // Every macro is known now: the rule lines name their targets.
    for (const RuleLine &rule : mf->ruleLines) {
        std::vector<std::string> names = Words(Expand(rule.targets, mf));
        std::vector<std::string> prereqs = Words(Expand(rule.prereqs, mf));
        if (!mf->error.empty())
            return false;
        if (names.empty()) {
            Fail(mf, rule.line, "rule without a target");
            return false;
        }
        for (const std::string &name : names) {
            AddTarget(mf, name, rule, prereqs);
            if (mf->defaultTarget.empty() && name[0] != '.')
                mf->defaultTarget = name;
        }
    }
    return true;
}
