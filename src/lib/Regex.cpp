// The regular-expression compiler and matcher.
//
// A program is the magic byte followed by nodes. Each node is an opcode byte, a 16-bit offset
// to the next node (high byte first, 0 for none; BACK counts backwards) and, for some
// opcodes, an operand right behind those three bytes: the NUL-terminated text of EXACTLY, the
// NUL-terminated set of ANYOF/ANYBUT, or a nested node program for BRANCH, STAR and PLUS.
// Every alternative is a BRANCH whose operand is the alternative's chain of nodes; the BRANCH
// nodes of one expression are chained through their next offsets, and all the alternatives'
// chains end in the node after the expression. "ab|c" becomes
//   BRANCH(EXACTLY "ab") -> BRANCH(EXACTLY "c") -> END
// A repeated single character, set or "." becomes STAR or PLUS with that node as operand;
// anything else repeated is built from BRANCH, BACK and NOTHING: x* is
//   BRANCH(x -> BACK to this BRANCH) -> BRANCH(NOTHING) -> NOTHING -> ...
// The compiler runs twice over the pattern: once to measure the program, once to write it.
//
// Compiled with kRegexIgnoreCase, literal text is stored upper-cased (a-z only) and compared
// with the subject's bytes upper-cased; a set holds both cases of each letter it names, so a
// range keeps the bytes between its ends ("[_-a]" is "_", "`", "a" and "A").
//
// Behind the program each set has a map of 256 bits (SetMap), so that a subject byte is looked
// up in one step. Before a line is matched, the literal text every match contains (and, when
// known, the byte or literal every match begins with) is looked for four bytes at a time (FindChar): most lines
// of a search are turned down without running the program.
//
// The matcher is iterative: the choices still open (other alternatives, shorter repetitions)
// and the group positions to undo are kept on a heap stack, so a long line cannot overflow
// the machine stack. A stack that would grow past kMaxChoices ends the attempt as no match.
#include "lib/Regex.h"

#include <stddef.h>
#include <string.h>

#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"

namespace {

enum { kNodeHeader = 3 };   // opcode and next offset

// What the parser knows about a piece of the pattern.
enum {
    kHasWidth = 1,           // never matches the empty string
    kSimple = 2,             // one character, set or ".": STAR and PLUS can take it
    kStartsWithRepeat = 4,   // may begin with a repetition
};

const char kMeta[] = "^$.[()|?+*\\";

bool IsRepeat(char c) { return c == '*' || c == '+' || c == '?'; }

inline char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline char OtherCase(char c) { return static_cast<char>(c ^ 0x20); }   // of a letter

// A set's byte map, stored behind the program: the offset of the set's text, then the bits.
struct SetMap {
    unsigned short operand;
    unsigned char bits[32];
};

inline bool HasByte(const unsigned char *bits, unsigned char c) { return (bits[c >> 3] >> (c & 7)) & 1; }

int OpAt(const char *program, int node) { return static_cast<unsigned char>(program[node]); }

int NextOf(const char *program, int node) {
    int offset = static_cast<unsigned char>(program[node + 1]) << 8 |
                 static_cast<unsigned char>(program[node + 2]);
    if (offset == 0)
        return 0;
    return OpAt(program, node) == kReBack ? node - offset : node + offset;
}

// ---- Compiling

struct Parser {
    const char *at;   // the next pattern character
    int groups;       // groups opened so far
    char *code;       // null while measuring
    int size;         // bytes written (or counted)
    int limit;        // the size the program must not exceed
    bool failed;
    const char *error;   // why, once failed
    bool fold;           // kRegexIgnoreCase
    int sets;            // sets parsed
};

int Fail(Parser *p, const char *text) {
    if (!p->failed)
        p->error = text;
    p->failed = true;
    return 0;
}

int FailMessage(Parser *p, int id) { return Fail(p, GetString(id)); }

bool Reserve(Parser *p, int n) {
    if (p->failed)
        return false;
    if (p->size + n > p->limit) {
        FailMessage(p, kStrBadRegex);
        return false;
    }
    return true;
}

void EmitByte(Parser *p, int byte) {
    if (!Reserve(p, 1))
        return;
    if (p->code)
        p->code[p->size] = static_cast<char>(byte);
    p->size++;
}

int EmitNode(Parser *p, int op) {
    int node = p->size;
    EmitByte(p, op);
    EmitByte(p, 0);
    EmitByte(p, 0);
    return node;
}

// Puts a node with opcode `op` in front of the nodes that start at `at`.
void InsertNode(Parser *p, int op, int at) {
    if (!Reserve(p, kNodeHeader))
        return;
    if (p->code) {
        memmove(p->code + at + kNodeHeader, p->code + at, p->size - at);
        p->code[at] = static_cast<char>(op);
        p->code[at + 1] = p->code[at + 2] = 0;
    }
    p->size += kNodeHeader;
}

// Points the last node of the chain that starts at `node` to `target`.
void SetTail(Parser *p, int node, int target) {
    if (!p->code || p->failed)
        return;
    for (int steps = 0, next; (next = NextOf(p->code, node)) != 0 && steps < p->size; steps++)
        node = next;
    int offset = OpAt(p->code, node) == kReBack ? node - target : target - node;
    p->code[node + 1] = static_cast<char>(offset >> 8 & 0xFF);
    p->code[node + 2] = static_cast<char>(offset & 0xFF);
}

// The same for the chain in a BRANCH's operand; other nodes are left alone.
void SetOperandTail(Parser *p, int node, int target) {
    if (p->code && !p->failed && OpAt(p->code, node) == kReBranch)
        SetTail(p, node + kNodeHeader, target);
}

int ParseExpression(Parser *p, bool group, int *flags);

// A member of a set; ignoring case, a letter brings its other case along.
void EmitSetByte(Parser *p, char c) {
    EmitByte(p, c);
    if (p->fold && IsLetter(c))
        EmitByte(p, OtherCase(c));
}

int ParseSet(Parser *p, int *flags) {
    bool inverted = *p->at == '^';
    int node = EmitNode(p, inverted ? kReAnyBut : kReAnyOf);
    p->sets++;
    if (inverted)
        p->at++;
    if (*p->at == ']' || *p->at == '-')
        EmitSetByte(p, *p->at++);
    while (*p->at && *p->at != ']') {
        if (*p->at != '-' || p->at[1] == ']' || p->at[1] == '\0') {
            EmitSetByte(p, *p->at++);
            continue;
        }
        int from = static_cast<unsigned char>(p->at[-1]);
        int to = static_cast<unsigned char>(p->at[1]);
        if (to < from)
            return FailMessage(p, kStrInvalidRange);
        for (int c = from + 1; c <= to; c++)   // `from` itself is already in the set
            EmitSetByte(p, static_cast<char>(c));
        p->at += 2;
    }
    EmitByte(p, 0);
    if (*p->at != ']')
        return Fail(p, "Unmatched []");
    p->at++;
    *flags = kHasWidth | kSimple;
    return node;
}

int ParseEscape(Parser *p, int *flags) {
    if (!*p->at)
        return FailMessage(p, kStrTrailingBackslash);
    int node = EmitNode(p, kReExactly);
    char c = *p->at++;
    EmitByte(p, p->fold ? Upper(c) : c);
    EmitByte(p, 0);
    *flags = kHasWidth | kSimple;
    return node;
}

// A run of ordinary characters; a repetition after it takes its last character only.
int ParseLiteral(Parser *p, int *flags) {
    size_t length = strcspn(p->at, kMeta);
    if (length == 0)
        return FailMessage(p, kStrBadRegex);
    if (length > 1 && IsRepeat(p->at[length]))
        length--;
    int node = EmitNode(p, kReExactly);
    for (size_t i = 0; i < length; i++)
        EmitByte(p, p->fold ? Upper(p->at[i]) : p->at[i]);
    EmitByte(p, 0);
    p->at += length;
    *flags = kHasWidth | (length == 1 ? kSimple : 0);
    return node;
}

int ParseAtom(Parser *p, int *flags) {
    *flags = 0;
    char c = *p->at;
    if (c == '\0' || c == '|' || c == ')')   // the branch stops before these
        return FailMessage(p, kStrBadRegex);
    p->at++;
    switch (c) {
    case '^':
        return EmitNode(p, kReBol);
    case '$':
        return EmitNode(p, kReEol);
    case '.':
        *flags = kHasWidth | kSimple;
        return EmitNode(p, kReAny);
    case '[':
        return ParseSet(p, flags);
    case '\\':
        return ParseEscape(p, flags);
    case '?':
    case '*':
    case '+':
        return Fail(p, "?*+ followed by nothing");
    case '(': {
        int inner = 0;
        int node = ParseExpression(p, true, &inner);
        *flags = inner & (kHasWidth | kStartsWithRepeat);
        return node;
    }
    default:
        p->at--;
        return ParseLiteral(p, flags);
    }
}

// x* as BRANCH(x -> BACK to the BRANCH) -> BRANCH(NOTHING) -> NOTHING.
void BuildStar(Parser *p, int x) {
    InsertNode(p, kReBranch, x);
    SetOperandTail(p, x, EmitNode(p, kReBack));
    SetOperandTail(p, x, x);
    SetTail(p, x, EmitNode(p, kReBranch));
    SetTail(p, x, EmitNode(p, kReNothing));
}

// x+ as x -> BRANCH(BACK to x) -> BRANCH(NOTHING) -> NOTHING.
void BuildPlus(Parser *p, int x) {
    int loop = EmitNode(p, kReBranch);
    SetTail(p, x, loop);
    SetTail(p, EmitNode(p, kReBack), x);
    SetTail(p, loop, EmitNode(p, kReBranch));
    SetTail(p, x, EmitNode(p, kReNothing));
}

// x? as BRANCH(x -> NOTHING) -> BRANCH(NOTHING) -> NOTHING.
void BuildOptional(Parser *p, int x) {
    InsertNode(p, kReBranch, x);
    SetTail(p, x, EmitNode(p, kReBranch));
    int nothing = EmitNode(p, kReNothing);
    SetTail(p, x, nothing);
    SetOperandTail(p, x, nothing);
}

int ParsePiece(Parser *p, int *flags) {
    int atomFlags = 0;
    int atom = ParseAtom(p, &atomFlags);
    if (p->failed)
        return 0;
    char op = *p->at;
    if (!IsRepeat(op)) {
        *flags = atomFlags;
        return atom;
    }
    if (!(atomFlags & kHasWidth) && op != '?')
        return FailMessage(p, kStrEmptyOperand);
    *flags = op == '+' ? kHasWidth : kStartsWithRepeat;
    if ((atomFlags & kSimple) && op != '?')
        InsertNode(p, op == '*' ? kReStar : kRePlus, atom);
    else if (op == '*')
        BuildStar(p, atom);
    else if (op == '+')
        BuildPlus(p, atom);
    else
        BuildOptional(p, atom);
    p->at++;
    if (IsRepeat(*p->at))
        return FailMessage(p, kStrBadRegex);
    return atom;
}

int ParseBranch(Parser *p, int *flags) {
    *flags = 0;
    int head = EmitNode(p, kReBranch);
    int chain = 0;
    while (*p->at && *p->at != '|' && *p->at != ')') {
        int pieceFlags = 0;
        int piece = ParsePiece(p, &pieceFlags);
        if (p->failed)
            return 0;
        *flags |= pieceFlags & kHasWidth;
        if (chain)
            SetTail(p, chain, piece);
        else
            *flags |= pieceFlags & kStartsWithRepeat;
        chain = piece;
    }
    if (!chain)
        EmitNode(p, kReNothing);
    return head;
}

// expression = branch ("|" branch)...; inside "(...)" when `group` is set.
int ParseExpression(Parser *p, bool group, int *flags) {
    *flags = kHasWidth;
    int number = 0, head = 0;
    if (group) {
        if (p->groups >= kRegexGroups - 1)
            return FailMessage(p, kStrTooManyGroups);
        number = ++p->groups;
        head = EmitNode(p, kReOpen + number);
    }
    for (;;) {
        int branchFlags = 0;
        int branch = ParseBranch(p, &branchFlags);
        if (p->failed)
            return 0;
        if (head)
            SetTail(p, head, branch);
        else
            head = branch;
        if (!(branchFlags & kHasWidth))
            *flags &= ~kHasWidth;
        *flags |= branchFlags & kStartsWithRepeat;
        if (*p->at != '|')
            break;
        p->at++;
    }
    int ender = EmitNode(p, group ? kReClose + number : kReEnd);
    SetTail(p, head, ender);
    for (int node = head; p->code && !p->failed && node; node = NextOf(p->code, node))
        SetOperandTail(p, node, ender);
    if (group && *p->at != ')')
        return FailMessage(p, kStrMismatchedParens);
    if (group)
        p->at++;
    else if (*p->at)
        return FailMessage(p, *p->at == ')' ? kStrMismatchedParens : kStrBadRegex);
    return p->failed ? 0 : head;
}

bool RunPass(Parser *p, int *flags) {
    EmitByte(p, kRegexMagic);
    ParseExpression(p, false, flags);
    return !p->failed;
}

// The longest EXACTLY on the chain from `node` that every match passes through; 0 when
// there is none. A lone BRANCH (a group with one alternative) is walked into, a run of
// alternatives stepped over.
int LongestLiteral(const char *program, int size, int node, int *length) {
    int best = 0;
    *length = 0;
    for (int steps = 0; node > 0 && node + kNodeHeader <= size && steps < size; steps++) {
        int op = OpAt(program, node);
        if (op == kReEnd || op == kReBack)
            break;
        int next = NextOf(program, node);
        if (op == kReExactly) {
            int n = static_cast<int>(strnlen(program + node + kNodeHeader,
                                             size - node - kNodeHeader));
            if (n > *length) {
                best = node + kNodeHeader;
                *length = n;
            }
        } else if (op == kReBranch && next && OpAt(program, next) != kReBranch) {
            next = node + kNodeHeader;
        } else if (op == kReBranch) {
            while (next && OpAt(program, next) == kReBranch && steps++ < size)
                next = NextOf(program, next);
        }
        if (next <= node)
            break;
        node = next;
    }
    return best;
}

// The first node of the only top-level alternative, or 0 when there are several.
int OnlyAlternative(const Regex *re) {
    int next = NextOf(re->program, 1);
    if (next <= 0 || OpAt(re->program, next) != kReEnd)
        return 0;
    return 1 + kNodeHeader;
}

void AddByte(unsigned char *set, unsigned char c) { set[c >> 3] |= static_cast<unsigned char>(1 << (c & 7)); }

// Adds to `set` the bytes that a match going on from `node` can begin with. False when such a
// match may begin without taking a byte (it can be empty, or "^" or "$" stands first) or can
// begin with nearly any byte: then every position has to be tried.
bool FirstBytes(const char *program, int size, int node, unsigned char *set, int depth, bool fold) {
    for (int steps = 0; depth < 16 && node > 0 && node + kNodeHeader <= size && steps < size; steps++) {
        int op = OpAt(program, node);
        int operand = node + kNodeHeader;
        switch (op) {
        case kReExactly:
            AddByte(set, static_cast<unsigned char>(program[operand]));
            if (fold && IsLetter(program[operand]))
                AddByte(set, static_cast<unsigned char>(OtherCase(program[operand])));
            return program[operand] != '\0';
        case kReAnyOf:
            for (int i = operand; i < size && program[i]; i++)
                AddByte(set, static_cast<unsigned char>(program[i]));
            return true;
        case kReBranch:
            for (int b = node; b > 0 && b + kNodeHeader <= size && OpAt(program, b) == kReBranch; b = NextOf(program, b))
                if (!FirstBytes(program, size, b + kNodeHeader, set, depth + 1, fold))
                    return false;
            return true;
        case kReStar:
        case kRePlus:
            if (OpAt(program, operand) != kReExactly && OpAt(program, operand) != kReAnyOf)
                return false;
            FirstBytes(program, size, operand, set, depth + 1, fold);
            if (op == kRePlus)
                return true;
            break;
        case kReNothing:
        case kReBack:
            break;
        default:
            if ((op > kReOpen && op < kReOpen + kRegexGroups) || (op > kReClose && op < kReClose + kRegexGroups))
                break;
            return false;   // END, "^", "$", ".", a set by exclusion
        }
        node = NextOf(program, node);
    }
    return false;
}

void AddPair(unsigned char *pairs, unsigned char first, unsigned char second) {
    unsigned index = first << 8 | second;
    pairs[index >> 3] |= static_cast<unsigned char>(1 << (index & 7));
}

// The pairs of bytes the alternatives' leading literals begin with (a literal of one byte
// with any byte after it), so that a place is turned down with one look.
void NoteLeadPairs(Regex *re) {
    if (!re->leadCount)
        return;
    re->leadPairs = static_cast<unsigned char *>(Allocate(65536 / 8));
    if (!re->leadPairs)
        return;   // the leads are still compared one by one
    for (int i = 0; i < re->leadCount; i++) {
        const char *lead = re->program + re->leads[i];
        char firsts[2] = {lead[0], re->foldCase && IsLetter(lead[0]) ? OtherCase(lead[0]) : lead[0]};
        char seconds[2] = {lead[1], re->foldCase && IsLetter(lead[1]) ? OtherCase(lead[1]) : lead[1]};
        for (char first : firsts) {
            for (int second = 0; second < 256; second++)
                if (!lead[1] || second == static_cast<unsigned char>(seconds[0]) ||
                    second == static_cast<unsigned char>(seconds[1]))
                    AddPair(re->leadPairs, static_cast<unsigned char>(first), static_cast<unsigned char>(second));
        }
    }
}

void NoteShortcuts(Regex *re, int flags) {
    if (!re->anchored && !re->first && OpAt(re->program, 1 + kNodeHeader) != kReBol) {
        unsigned char set[32] = {0};
        if (FirstBytes(re->program, re->programSize, 1, set, 0, re->foldCase)) {
            memcpy(re->starts, set, sizeof set);
            re->hasStarts = true;
        }
    }
    int scan = OnlyAlternative(re);
    if (!scan) {
        // Alternatives that each begin with a literal: a match can begin only where one of
        // those literals stands.
        int n = 0;
        for (int b = 1; b > 0 && OpAt(re->program, b) == kReBranch; b = NextOf(re->program, b)) {
            if (n == 8 || OpAt(re->program, b + kNodeHeader) != kReExactly) {
                n = 0;
                break;
            }
            re->leads[n++] = static_cast<unsigned short>(b + 2 * kNodeHeader);
        }
        re->leadCount = n;
        NoteLeadPairs(re);
        return;
    }
    if (OpAt(re->program, scan) == kReExactly)
        re->first = re->program[scan + kNodeHeader];
    else if (OpAt(re->program, scan) == kReBol)
        re->anchored = true;
    // The longest literal on the way is looked for before the program runs, wherever the
    // expression begins; when it is the literal the expression begins with, the places where
    // it stands are the only ones to try.
    (void)flags;
    int length = 0;
    int literal = LongestLiteral(re->program, re->programSize, scan, &length);
    if (literal) {
        re->required = re->program + literal;
        re->requiredLength = length;
        re->requiredLeads = literal == scan + kNodeHeader && OpAt(re->program, scan) == kReExactly;
    }
}

// Fills the map of every set of the program (the program is a run of nodes, each followed
// by its text operand, if any; nested programs follow their node directly).
void BuildSetMaps(Regex *re) {
    SetMap *maps = reinterpret_cast<SetMap *>(re->program + re->setMaps);
    int n = 0;
    for (int node = 1; node + kNodeHeader <= re->programSize && n < re->setCount;) {
        int op = OpAt(re->program, node);
        int operand = node + kNodeHeader;
        node = operand;
        if (op != kReExactly && op != kReAnyOf && op != kReAnyBut)
            continue;
        while (node < re->programSize && re->program[node])
            node++;
        node++;
        if (op == kReExactly)
            continue;
        SetMap &map = maps[n++];
        map.operand = static_cast<unsigned short>(operand);
        memset(map.bits, 0, sizeof map.bits);
        for (int i = operand; i < re->programSize && re->program[i]; i++)
            AddByte(map.bits, static_cast<unsigned char>(re->program[i]));
    }
    re->setCount = n;
}

// ---- Matching

enum ChoiceKind { kRetryBranch, kRetryRepeat, kUndoPosition };

// An open choice, or a group position to clear again when the path is abandoned.
struct Choice {
    unsigned char kind;
    unsigned short node;       // the BRANCH to try next, or the STAR/PLUS node
    int count;                 // repeat: the next count to try; undo: the position slot
    const char *position;      // where the choice was made
};

enum {
    kLocalChoices = 64,
    kMaxChoices = 1 << 20,
    // The work one Execute may do (nodes stepped and characters counted by STAR/PLUS): far
    // more than any line of an ordinary search needs, little enough that a pattern which
    // backtracks without end stops within a fraction of a second.
    kMaxSteps = 20000000,
};

struct Matcher {
    Regex *re;
    const char *program;
    int size;
    const char *text;   // the start of the subject, for "^"
    const char *end;    // its terminating NUL
    bool fold;          // compare literals ignoring case
    Choice *choices;
    int depth;
    int capacity;
    bool aborted;       // out of stack or a broken program: no match anywhere
    long steps;
    Choice local[kLocalChoices];
};

enum StepResult { kGo, kFailed, kMatched };

bool Grow(Matcher *m) {
    if (m->capacity >= kMaxChoices)
        return false;
    int capacity = m->capacity * 2;
    Choice *bigger = static_cast<Choice *>(Allocate(capacity * sizeof(Choice)));
    if (!bigger)
        return false;
    memcpy(bigger, m->choices, m->depth * sizeof(Choice));
    if (m->choices != m->local)
        Release(m->choices);
    m->choices = bigger;
    m->capacity = capacity;
    return true;
}

bool Push(Matcher *m, ChoiceKind kind, int node, int count, const char *position) {
    if (m->depth == m->capacity && !Grow(m)) {
        m->aborted = true;
        return false;
    }
    Choice &c = m->choices[m->depth++];
    c.kind = static_cast<unsigned char>(kind);
    c.node = static_cast<unsigned short>(node);
    c.count = count;
    c.position = position;
    return true;
}

// The opcode of `node`, or -1 when the node does not lie inside the program.
int OpOf(const Matcher *m, int node) {
    if (node <= 0 || node + kNodeHeader > m->size)
        return -1;
    return OpAt(m->program, node);
}

int Broken(Matcher *m) {
    m->re->broken = true;
    m->aborted = true;
    return kFailed;
}

// The byte map of the set whose text is at `set`, or null when there is none.
const unsigned char *MapOf(const Matcher *m, int set) {
    const SetMap *maps = reinterpret_cast<const SetMap *>(m->program + m->re->setMaps);
    for (int i = 0; i < m->re->setCount; i++)
        if (maps[i].operand == set)
            return maps[i].bits;
    return nullptr;
}

bool InSet(const Matcher *m, int set, char c) {
    if (const unsigned char *bits = MapOf(m, set))
        return HasByte(bits, static_cast<unsigned char>(c));
    for (int i = set; i < m->size && m->program[i]; i++)
        if (m->program[i] == c)
            return true;
    return false;
}

// The length of the operand text at `text` matched at `s`, or -1.
int MatchText(const Matcher *m, int text, const char *s) {
    int i = text;
    if (m->fold) {
        for (; i < m->size && m->program[i]; i++, s++)
            if (m->program[i] != Upper(*s))
                return -1;
    } else {
        for (; i < m->size && m->program[i]; i++, s++)
            if (m->program[i] != *s)
                return -1;
    }
    return i - text;
}

// How many times in a row the simple node `node` matches from `s`.
int CountRepeat(Matcher *m, int node, const char *s) {
    int op = OpOf(m, node);
    const char *p = s;
    if (op == kReAny) {
        p = m->end;
    } else if (op == kReExactly) {
        char c = m->program[node + kNodeHeader];
        if (m->fold)
            while (*p && Upper(*p) == c)
                p++;
        else
            while (*p && *p == c)
                p++;
    } else if (op == kReAnyOf || op == kReAnyBut) {
        const unsigned char *bits = MapOf(m, node + kNodeHeader);
        bool in = op == kReAnyOf;
        if (bits)
            while (*p && HasByte(bits, static_cast<unsigned char>(*p)) == in)
                p++;
        else
            while (*p && InSet(m, node + kNodeHeader, *p) == in)
                p++;
    } else {
        Broken(m);
    }
    m->steps += p - s;
    return static_cast<int>(p - s);
}

// Continues after `count` or fewer repetitions of the STAR/PLUS at `node` from `base`, and
// leaves the smaller counts open. When a literal follows, only counts it can follow are tried.
bool ResumeRepeat(Matcher *m, int node, const char *base, int count, int *at,
                  const char **pos) {
    int least = OpOf(m, node) == kRePlus ? 1 : 0;
    int next = NextOf(m->program, node);
    char follow = OpOf(m, next) == kReExactly ? m->program[next + kNodeHeader] : 0;
    for (; count >= least; count--) {
        if (follow && (m->fold ? Upper(base[count]) : base[count]) != follow)
            continue;
        if (count > least && !Push(m, kRetryRepeat, node, count - 1, base))
            return false;
        *at = next;
        *pos = base + count;
        return true;
    }
    return false;
}

const char **PositionSlot(Matcher *m, int slot) {
    return slot < kRegexGroups ? &m->re->start[slot] : &m->re->end[slot - kRegexGroups];
}

// Records a group position the first time the path passes it.
bool Record(Matcher *m, int slot, const char *s) {
    const char **position = PositionSlot(m, slot);
    if (*position)
        return true;
    if (!Push(m, kUndoPosition, 0, slot, nullptr))
        return false;
    *position = s;
    return true;
}

int Step(Matcher *m, int *node, const char **pos) {
    int at = *node;
    int op = OpOf(m, at);
    int next = op < 0 ? 0 : NextOf(m->program, at);
    const char *s = *pos;
    switch (op) {
    case kReEnd:
        return kMatched;
    case kReBol:
        if (s != m->text)
            return kFailed;
        break;
    case kReEol:
        if (*s)
            return kFailed;
        break;
    case kReAny:
        if (!*s)
            return kFailed;
        s++;
        break;
    case kReAnyOf:
    case kReAnyBut:
        if (!*s || InSet(m, at + kNodeHeader, *s) != (op == kReAnyOf))
            return kFailed;
        s++;
        break;
    case kReExactly: {
        int n = MatchText(m, at + kNodeHeader, s);
        if (n < 0)
            return kFailed;
        s += n;
        break;
    }
    case kReNothing:
    case kReBack:
        break;
    case kReBranch:
        if (OpOf(m, next) == kReBranch && !Push(m, kRetryBranch, next, 0, s))
            return kFailed;
        next = at + kNodeHeader;
        break;
    case kReStar:
    case kRePlus: {
        int count = CountRepeat(m, at + kNodeHeader, s);
        return ResumeRepeat(m, at, s, count, node, pos) ? kGo : kFailed;
    }
    default:
        if (op > kReOpen && op < kReOpen + kRegexGroups) {
            if (!Record(m, op - kReOpen, s))
                return kFailed;
        } else if (op > kReClose && op < kReClose + kRegexGroups) {
            if (!Record(m, kRegexGroups + op - kReClose, s))
                return kFailed;
        } else {
            return Broken(m);
        }
        break;
    }
    *node = next;
    *pos = s;
    return kGo;
}

// Returns to the most recent open choice, undoing the group positions recorded since.
bool Backtrack(Matcher *m, int *node, const char **pos) {
    while (m->depth > 0 && !m->aborted) {
        Choice c = m->choices[--m->depth];
        if (c.kind == kUndoPosition) {
            *PositionSlot(m, c.count) = nullptr;
        } else if (c.kind == kRetryBranch) {
            *node = c.node;
            *pos = c.position;
            return true;
        } else if (ResumeRepeat(m, c.node, c.position, c.count, node, pos)) {
            return true;
        }
    }
    return false;
}

bool TryAt(Matcher *m, const char *s) {
    Regex *re = m->re;
    memset(re->start, 0, sizeof re->start);
    memset(re->end, 0, sizeof re->end);
    m->depth = 0;
    int node = 1;
    const char *pos = s;
    while (!m->aborted) {
        if (++m->steps > kMaxSteps) {
            m->aborted = true;
            m->re->overrun = true;
            return false;
        }
        int result = Step(m, &node, &pos);
        if (result == kMatched) {
            re->start[0] = s;
            re->end[0] = pos;
            return true;
        }
        if (result == kFailed && !Backtrack(m, &node, &pos))
            return false;
    }
    return false;
}

// Where `literal` (`length` bytes, upper-cased when folding) next stands in [s, end), or null.
const char *FindLiteral(const char *s, const char *end, const char *literal, int length, bool fold) {
    if (!fold) {
        for (; end - s >= length; s++) {
            s = FindChar(s, end - length + 1, literal[0]);
            if (!s)
                return nullptr;
            if (memcmp(s + 1, literal + 1, length - 1) == 0)
                return s;
        }
        return nullptr;
    }
    for (; end - s >= length; s++) {
        if (Upper(*s) != literal[0])
            continue;
        int i = 1;
        while (i < length && Upper(s[i]) == literal[i])
            i++;
        if (i == length)
            return s;
    }
    return nullptr;
}

// The next byte at or after `s` that equals `c` (upper-cased when folding), or null.
const char *FindByte(const char *s, const char *end, char c, bool fold) {
    if (!fold || !IsLetter(c))
        return FindChar(s, end, c);
    char other = OtherCase(c);
    for (; s < end; s++)
        if (*s == c || *s == other)
            return s;
    return nullptr;
}

// Whether one of the alternatives' leading literals stands at `s`.
bool LeadAt(const Matcher *m, const char *s) {
    const Regex *re = m->re;
    for (int i = 0; i < re->leadCount; i++) {
        const char *lead = m->program + re->leads[i];
        int k = 0;
        if (m->fold)
            while (lead[k] && Upper(s[k]) == lead[k])
                k++;
        else
            while (lead[k] && s[k] == lead[k])
                k++;
        if (!lead[k])
            return true;
    }
    return false;
}

// The first place at or after `s` where a match can begin, by what the expression tells of
// its start (the literal it begins with, its first byte, its alternatives' leading bytes);
// null when there is none. Only where nothing is known is the end of the text a place too.
const char *NextCandidate(const Matcher *m, const char *s) {
    const Regex *re = m->re;
    const char *end = m->end;
    if (re->required && re->requiredLength > 0 && re->requiredLeads)
        return s < end ? FindLiteral(s, end, re->required, re->requiredLength, m->fold) : nullptr;
    if (re->first)
        return s < end ? FindByte(s, end, re->first, m->fold) : nullptr;
    if (re->leadPairs) {
        // The pair of bytes says whether a literal can begin; the literals say whether one does.
        // s[1] is at most the terminating NUL.
        for (; s < end; s++) {
            unsigned index = static_cast<unsigned char>(s[0]) << 8 | static_cast<unsigned char>(s[1]);
            if (((re->leadPairs[index >> 3] >> (index & 7)) & 1) && LeadAt(m, s))
                return s;
        }
        return nullptr;
    }
    if (re->hasStarts) {
        for (; s < end; s++)
            if (HasByte(re->starts, static_cast<unsigned char>(*s)) && (!re->leadCount || LeadAt(m, s)))
                return s;
        return nullptr;
    }
    return s <= end ? s : nullptr;
}

bool Search(Matcher *m, const char *from) {
    const Regex *re = m->re;
    if (re->anchored)
        return TryAt(m, from);
    // A literal every match contains must be there at all; a match that begins with it starts
    // no sooner.
    const char *start = from;
    if (re->required && re->requiredLength > 0) {
        const char *found = FindLiteral(from, m->end, re->required, re->requiredLength, m->fold);
        if (!found)
            return false;
        if (re->requiredLeads)
            start = found;
    }
    for (const char *s = NextCandidate(m, start); s; s = NextCandidate(m, s + 1)) {
        if (TryAt(m, s))
            return true;
        if (m->aborted)
            return false;
    }
    return false;
}

// Whether `compiled` holds a program: the magic byte and more than one node header.
bool IsProgram(const Regex *compiled) {
    return compiled && compiled->programSize > kNodeHeader &&
           static_cast<unsigned char>(compiled->program[0]) == kRegexMagic;
}

} // namespace

Regex *Compile(const char *pattern, int *sizeOut, const char **error, int options) {
    const char *ignored;
    if (!error)
        error = &ignored;
    *error = nullptr;
    if (sizeOut)
        *sizeOut = 0;
    if (!pattern) {
        *error = GetString(kStrBadRegex);
        return nullptr;
    }
    int flags = 0;
    bool fold = (options & kRegexIgnoreCase) != 0;
    Parser measure = {pattern, 0, nullptr, 0, kRegexProgramLimit, false, nullptr, fold, 0};
    if (!RunPass(&measure, &flags)) {
        *error = measure.error;
        return nullptr;
    }
    if (measure.size >= kRegexProgramLimit) {
        *error = GetString(kStrBadRegex);
        return nullptr;
    }
    // The set maps follow the program, at an even offset.
    int maps = (measure.size + 1) & ~1;
    Regex *re = static_cast<Regex *>(Allocate(offsetof(Regex, program) + maps + measure.sets * sizeof(SetMap)));
    if (!re) {
        *error = GetString(kStrNoMemory);
        return nullptr;
    }
    Parser write = {pattern, 0, re->program, 0, measure.size, false, nullptr, fold, 0};
    if (!RunPass(&write, &flags) || write.size != measure.size) {
        *error = write.failed ? write.error : GetString(kStrBadRegex);
        Release(re);
        return nullptr;
    }
    re->programSize = write.size;
    re->foldCase = fold;
    re->setMaps = maps;
    re->setCount = measure.sets;
    BuildSetMaps(re);
    NoteShortcuts(re, flags);
    if (sizeOut)
        *sizeOut = re->programSize;
    return re;
}

void ReleaseRegex(Regex *compiled) {
    if (compiled)
        Release(compiled->leadPairs);
    Release(compiled);
}

bool Execute(Regex *compiled, const char *text) { return ExecuteFrom(compiled, text, text); }

bool ExecuteFrom(Regex *compiled, const char *text, const char *from, const char *end) {
    if (!compiled || !text || !from || from < text)
        return false;
    if (!IsProgram(compiled)) {
        compiled->broken = true;
        return false;
    }
    Matcher m;
    m.re = compiled;
    m.program = compiled->program;
    m.size = compiled->programSize;
    m.text = text;
    m.end = end ? end : from + strlen(from);
    m.fold = compiled->foldCase;
    m.choices = m.local;
    m.depth = 0;
    m.capacity = kLocalChoices;
    m.aborted = false;
    m.steps = 0;
    compiled->overrun = false;
    compiled->broken = false;
    bool found = Search(&m, from);
    if (m.choices != m.local)
        Release(m.choices);
    return found;
}

int LiteralWord(const Regex *compiled, char *word, int size) {
    if (!word || size <= 0)
        return 0;
    *word = '\0';
    if (!IsProgram(compiled))
        return 0;
    int scan = OnlyAlternative(compiled);
    int length = 0;
    int literal = scan ? LongestLiteral(compiled->program, compiled->programSize, scan, &length)
                       : 0;
    if (!literal)
        return 0;
    if (length > size - 1)
        length = size - 1;
    memcpy(word, compiled->program + literal, length);
    word[length] = '\0';
    return length;
}

int WholeLiteral(const Regex *compiled, char *text, int size) {
    if (!text || size <= 0)
        return 0;
    *text = '\0';
    if (!IsProgram(compiled))
        return 0;
    const char *program = compiled->program;
    int scan = OnlyAlternative(compiled);
    if (!scan || scan + kNodeHeader >= compiled->programSize || OpAt(program, scan) != kReExactly)
        return 0;
    int next = NextOf(program, scan);
    if (next <= scan || next + kNodeHeader > compiled->programSize || OpAt(program, next) != kReEnd)
        return 0;
    const char *literal = program + scan + kNodeHeader;
    int length = static_cast<int>(strnlen(literal, compiled->programSize - scan - kNodeHeader));
    if (length == 0 || length >= size)
        return 0;
    memcpy(text, literal, length);
    text[length] = '\0';
    return length;
}
