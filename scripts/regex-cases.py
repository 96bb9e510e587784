#!/usr/bin/env python3
"""Writes tests/lib/data/regex-cases.txt: random regular expressions with the answers GNU
grep -E gives for random lines, which RegexDiffTest compares with our engine.

    python3 scripts/regex-cases.py [--patterns N] [--seed S] [--output FILE]

The same seed always gives the same file. The patterns keep to the syntax both engines read
alike: ordinary characters, ".", "^" and "$" at the edges of an alternative, sets with ranges,
"\\c" for a meta character c, up to 9 groups, "|", and one of "*+?" after an atom. A "*" or
"+" after an atom that can match the empty string is refused by our engine but accepted by
grep; such patterns are written as refusals, and grep is only asked whether it accepts them.
Each line's answer is checked against an automaton built here from the same pattern; the few
lines on which grep gets it wrong are left out (and listed on stderr).

File format, one record a line ("#" lines are comments; the fields are separated by one
space; bytes outside "!".."~", and "%" itself, are written %HH):
    = PATTERN +LINE -LINE ...   grep finds a match in each +LINE and none in each -LINE
    ! PATTERN                   our engine refuses PATTERN: a repeated operand could be empty
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUTPUT = os.path.join(HERE, "..", "tests", "editor", "data", "regex-cases.txt")
SIZE_LIMIT = 400 * 1024

META = b"^$.[()|?+*\\"
HIGH = 0xE9                     # one byte above 127, to catch signed comparisons
LINE_EXTRA = b"x-].*+?()|^$[\\" + bytes([HIGH])
SET_EXTRA = b"x.*$(|\\" + bytes([HIGH])
RANGE_ENDS = b"abcx" + bytes([HIGH])
MAX_LINE = 30


# ---- Patterns as trees: ("alt", [branch...]), a branch is a list of pieces,
# a piece is (atom, repeat or None); atoms are ("char", c), ("any",), ("set", inverted, items),
# ("esc", c), ("group", alt), ("bol",), ("eol",). A set item is a byte or a (low, high) range.

class Generator:
    def __init__(self, rng):
        self.rng = rng
        self.groups = 0

    def pattern(self):
        self.groups = 0
        return self.alternatives(0)

    def alternatives(self, depth):
        r = self.rng.random()
        count = 1 if r < 0.75 else 2 if r < 0.93 else 3
        return ("alt", [self.branch(depth, count > 1 or depth > 0) for _ in range(count)])

    def branch(self, depth, may_be_empty):
        rng = self.rng
        if may_be_empty and rng.random() < 0.03:
            return []
        pieces = []
        if rng.random() < 0.12:
            pieces.append((("bol",), None))
        for _ in range(rng.randint(1, 4 if depth == 0 else 3)):
            pieces.append(self.piece(depth))
        if rng.random() < 0.12:
            pieces.append((("eol",), None))
        return pieces

    def piece(self, depth):
        rng = self.rng
        atom = self.atom(depth)
        repeat = None
        if rng.random() < 0.35:
            repeat = rng.choice("*+?")
            # Mostly keep to what both engines accept; the rest are refusals worth checking.
            if repeat != "?" and nullable_atom(atom) and rng.random() < 0.5:
                repeat = "?"
        return (atom, repeat)

    def atom(self, depth):
        rng = self.rng
        r = rng.random()
        if r < 0.14 and depth < 3 and self.groups < 9:
            self.groups += 1
            return ("group", self.alternatives(depth + 1))
        if r < 0.24:
            return ("any",)
        if r < 0.38:
            return self.charset()
        if r < 0.44:
            return ("esc", rng.choice(META))
        if r < 0.52:
            return ("char", rng.choice(b"x-]" + bytes([HIGH])))
        return ("char", rng.choice(b"abc"))

    def charset(self):
        rng = self.rng
        inverted = rng.random() < 0.3
        items = []
        if rng.random() < 0.15:
            items.append(rng.choice(b"]-"))        # literal when it comes first
        for _ in range(rng.randint(1, 3)):
            if rng.random() < 0.3:
                low, high = sorted(rng.sample(RANGE_ENDS, 2))
                items.append((low, high))
            else:
                items.append(rng.choice(b"abc" + SET_EXTRA + (b"^" if items else b"")))
        if rng.random() < 0.1:
            items.append(ord("-"))                  # literal before "]"
        return ("set", inverted, items)


def nullable_atom(atom):
    kind = atom[0]
    if kind in ("bol", "eol"):
        return True
    if kind == "group":
        return nullable_alt(atom[1])
    return False


def nullable_alt(alt):
    return any(all(nullable_piece(p) for p in branch) for branch in alt[1])


def nullable_piece(piece):
    atom, repeat = piece
    return repeat in ("*", "?") or nullable_atom(atom)


def refused(alt):
    """True when a "*" or "+" repeats an operand that can match the empty string."""
    for branch in alt[1]:
        for atom, repeat in branch:
            if repeat in ("*", "+") and nullable_atom(atom):
                return True
            if atom[0] == "group" and refused(atom[1]):
                return True
    return False


def text_of(alt):
    out = bytearray()
    for i, branch in enumerate(alt[1]):
        if i:
            out += b"|"
        for atom, repeat in branch:
            out += atom_text(atom)
            if repeat:
                out += repeat.encode()
    return bytes(out)


def atom_text(atom):
    kind = atom[0]
    if kind == "char":
        return bytes([atom[1]])
    if kind == "any":
        return b"."
    if kind == "bol":
        return b"^"
    if kind == "eol":
        return b"$"
    if kind == "esc":
        return b"\\" + bytes([atom[1]])
    if kind == "group":
        return b"(" + text_of(atom[1]) + b")"
    out = bytearray(b"[^" if atom[1] else b"[")
    for item in atom[2]:
        out += bytes([item[0], ord("-"), item[1]]) if isinstance(item, tuple) else bytes([item])
    return bytes(out + b"]")


# ---- Lines: random ones, and ones built to match (then often spoiled a little)

LINE_ALPHABET = b"abc" * 6 + LINE_EXTRA


def random_line(rng):
    return bytes(rng.choice(LINE_ALPHABET) for _ in range(rng.randint(0, MAX_LINE)))


def set_members(atom):
    """The bytes to pick for a set; an inverted set picks from the line alphabet only."""
    members = set_bytes(atom)
    return sorted(members & set(LINE_ALPHABET) if atom[1] else members)


def sample(rng, alt, out):
    branch = rng.choice(alt[1])
    for atom, repeat in branch:
        times = 1
        if repeat == "?":
            times = rng.randint(0, 1)
        elif repeat == "*":
            times = rng.randint(0, 3)
        elif repeat == "+":
            times = rng.randint(1, 3)
        for _ in range(times):
            kind = atom[0]
            if kind in ("char", "esc"):
                out.append(atom[1])
            elif kind == "any":
                out.append(rng.choice(LINE_ALPHABET))
            elif kind == "set":
                members = set_members(atom)
                if members:
                    out.append(rng.choice(members))
            elif kind == "group":
                sample(rng, atom[1], out)


def built_line(rng, alt):
    core = bytearray()
    sample(rng, alt, core)
    if rng.random() < 0.5:
        core = bytearray(random_line(rng)[:rng.randint(0, 4)]) + core
    if rng.random() < 0.5:
        core += random_line(rng)[:rng.randint(0, 4)]
    if core and rng.random() < 0.5:
        i = rng.randrange(len(core))
        how = rng.randrange(3)
        if how == 0:
            del core[i]
        elif how == 1:
            core[i] = rng.choice(LINE_ALPHABET)
        else:
            core.insert(i, rng.choice(LINE_ALPHABET))
    return bytes(core[:MAX_LINE])


# ---- A second opinion: a Thompson automaton built from the tree, run on every line. It cannot
# blow up, and a line on which it and grep disagree is left out: grep 3.8 has answered wrongly
# for a "^" inside a group when the pattern also begins with "^" ("^c(^a)b" matches "cab").

def set_bytes(atom):
    members = set()
    for item in atom[2]:
        if isinstance(item, tuple):
            members.update(range(item[0], item[1] + 1))
        else:
            members.add(item)
    return frozenset(range(256)) - members if atom[1] else frozenset(members)


class Automaton:
    """States are [kind, bytes or None, out, out2]; kinds "byte", "split", "bol", "eol", "end"."""

    def __init__(self, tree):
        self.states = [["end", None, None, None]]
        self.start = self.alternatives(tree, 0)

    def add(self, kind, what=None, out=None, out2=None):
        self.states.append([kind, what, out, out2])
        return len(self.states) - 1

    def alternatives(self, alt, follow):
        starts = [self.sequence(branch, follow) for branch in alt[1]]
        start = starts[-1]
        for other in reversed(starts[:-1]):
            start = self.add("split", None, other, start)
        return start

    def sequence(self, branch, follow):
        for piece in reversed(branch):
            follow = self.piece(piece, follow)
        return follow

    def piece(self, piece, follow):
        atom, repeat = piece
        if repeat == "?":
            return self.add("split", None, self.atom(atom, follow), follow)
        if repeat in ("*", "+"):
            loop = self.add("split", None, None, follow)
            body = self.atom(atom, loop)
            self.states[loop][2] = body
            return loop if repeat == "*" else body
        return self.atom(atom, follow)

    def atom(self, atom, follow):
        kind = atom[0]
        if kind in ("char", "esc"):
            return self.add("byte", frozenset([atom[1]]), follow)
        if kind == "any":
            return self.add("byte", None, follow)
        if kind == "set":
            return self.add("byte", set_bytes(atom), follow)
        if kind == "group":
            return self.alternatives(atom[1], follow)
        return self.add(kind, None, follow)

    def closure(self, states, at, length):
        seen, todo = set(), list(states)
        while todo:
            s = todo.pop()
            if s is None or s in seen:
                continue
            seen.add(s)
            kind, _, out, out2 = self.states[s]
            if kind == "split":
                todo += [out, out2]
            elif (kind == "bol" and at == 0) or (kind == "eol" and at == length):
                todo.append(out)
        return seen

    def search(self, line):
        current = set()
        for at in range(len(line) + 1):
            current = self.closure(current | {self.start}, at, len(line))
            if 0 in current:
                return True
            if at == len(line):
                return False
            current = {self.states[s][2] for s in current
                       if self.states[s][0] == "byte" and
                       (self.states[s][1] is None or line[at] in self.states[s][1])}


# ---- Asking grep

def grep(pattern, lines, scratch):
    """The numbers (from 0) of the lines grep -E matches, or None when it refuses the pattern."""
    with open(scratch, "wb") as f:
        f.write(b"".join(line + b"\n" for line in lines))
    result = subprocess.run(["grep", "-a", "-E", "-n", "-e", pattern, scratch],
                            capture_output=True, env=dict(os.environ, LC_ALL="C"))
    if result.returncode == 2:
        return None
    if result.returncode not in (0, 1) or result.stderr:
        sys.exit("grep -E %r: exit %d, %r" % (pattern, result.returncode, result.stderr))
    return {int(row.split(b":", 1)[0]) - 1 for row in result.stdout.splitlines()}


def escape(data):
    return "".join(chr(b) if 0x21 <= b <= 0x7E and b != 0x25 else "%%%02X" % b for b in data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--patterns", type=int, default=3000)
    parser.add_argument("--lines", type=int, default=6, help="lines per pattern")
    parser.add_argument("--seed", type=int, default=1987)
    parser.add_argument("--output", default=DEFAULT_OUTPUT,
                        help="the committed file must stay under %d KB" % (SIZE_LIMIT // 1024))
    args = parser.parse_args()

    rng = random.Random(args.seed)
    gen = Generator(rng)
    records = []
    seen = set()
    compared = matched = refusals = disputed = 0
    with tempfile.TemporaryDirectory() as tmp:
        scratch = os.path.join(tmp, "lines")
        while len(records) < args.patterns:
            tree = gen.pattern()
            pattern = text_of(tree)
            if pattern in seen:
                continue
            seen.add(pattern)
            if refused(tree):
                if grep(pattern, [b""], scratch) is None:
                    sys.exit("grep refuses %r" % pattern)
                records.append("! " + escape(pattern))
                refusals += 1
                continue
            lines = []
            while len(lines) < args.lines:
                line = built_line(rng, tree) if rng.random() < 0.6 else random_line(rng)
                if line not in lines:
                    lines.append(line)
            hits = grep(pattern, lines, scratch)
            if hits is None:
                sys.exit("grep refuses %r" % pattern)
            automaton = Automaton(tree)
            agreed = []
            for i, line in enumerate(lines):
                if automaton.search(line) == (i in hits):
                    agreed.append(i)
                    continue
                disputed += 1
                if disputed <= 5:
                    print("left out, grep says %s: %s on %s" % (
                        "match" if i in hits else "no match", escape(pattern), escape(line)),
                        file=sys.stderr)
            lines = [lines[i] for i in agreed]
            hits = {agreed.index(i) for i in hits if i in agreed}
            fields = [("+" if i in hits else "-") + escape(line) for i, line in enumerate(lines)]
            records.append(" ".join(["=", escape(pattern)] + fields))
            compared += len(lines)
            matched += len(hits)

    header = [
        "# Regular expressions and the answers of GNU grep -E (LC_ALL=C) for each line.",
        "# Written by scripts/regex-cases.py --patterns %d --lines %d --seed %d; do not edit."
        % (args.patterns, args.lines, args.seed),
        "# = PATTERN +LINE(grep matches) -LINE(no match)...   ! PATTERN(refused by our engine)",
        "# Bytes outside !..~, and %, are written %HH.",
    ]
    text = "\n".join(header + records) + "\n"
    if len(text) > SIZE_LIMIT and os.path.realpath(args.output) == os.path.realpath(DEFAULT_OUTPUT):
        sys.exit("%d bytes: more than %d; ask for fewer patterns or lines" % (len(text), SIZE_LIMIT))
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "w", newline="\n") as f:
        f.write(text)
    print("%s: %d patterns, %d lines (%d matching), %d refusals, %d lines left out, %d bytes"
          % (os.path.relpath(args.output), len(records) - refusals, compared, matched, refusals,
             disputed, len(text)))


if __name__ == "__main__":
    main()
