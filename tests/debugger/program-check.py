#!/usr/bin/env python3
"""A program built by the compiler system's tools, read back by the debug information reader
and held against what the host's objdump and nm say of the same file: every function's range,
line to address both ways, every frame variable's offset (from EBP, or ESP in a realigned frame) and type, the data symbols.

Runs with the compiler service up (tests/sdk/with-cc-service.sh) and KELTO_BIN / KELTO_SOURCE
set, as ctest runs it. Exits 1 with the differences listed when any fact disagrees."""
import os
import re
import shutil
import subprocess
import sys

build = os.environ["KELTO_BIN"]
source = os.environ["KELTO_SOURCE"]
wine = [os.path.join(source, "scripts", "wine-run.sh")]
work = os.path.join(build, "debugger-program")
objdump = "i686-w64-mingw32-objdump"
nm = "i686-w64-mingw32-nm"
SYMBOLS = ["counter", "total", "names", "ratio"]
# DWARF's names of the base types, as the debugger's type names have them.
BASE_TYPES = {"long int": "long", "long unsigned int": "unsigned long", "short int": "short",
              "short unsigned int": "unsigned short", "long long int": "long long",
              "long long unsigned int": "unsigned long long"}


def windows(path):
    return "Z:" + path.replace("/", "\\")


def run(command, cwd=work):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("failed (%d): %s\n%s%s" % (done.returncode, " ".join(command), done.stdout, done.stderr))
    return done.stdout


def build_program():
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shutil.copy(os.path.join(source, "tests", "debugger", "program", "prog.c"), work)
    tools = os.path.join(build, "sdk", "bin")
    run(wine + [os.path.join(tools, "bdx.exe"), "-c", "-g2", "prog.c"])
    run(wine + [os.path.join(tools, "bdxlnk.exe"), "-subsystem", "console", "-o", "prog.exe", "prog.obj"])
    return os.path.join(work, "prog.exe")


def dwarf_dies(program):
    """The DIEs of prog.c's unit: offset -> {tag, attributes, depth, parent}."""
    dies, stack, unit = {}, [], False
    for line in run([objdump, "--dwarf=info", program]).splitlines():
        m = re.match(r"\s*<(\d+)><([0-9a-f]+)>: Abbrev Number: (\d+)(?: \((\w+)\))?", line)
        if m:
            depth, offset, tag = int(m.group(1)), int(m.group(2), 16), m.group(4)
            if depth == 0:
                unit = False
            del stack[depth:]
            die = {"tag": tag, "parent": stack[-1] if stack else None}
            if tag:
                dies[offset] = die
            stack.append(offset)
            current = die
            continue
        m = re.match(r"\s*<[0-9a-f]+>\s+(DW_AT_\w+)\s*:\s*(.*)", line)
        if m and stack:
            current[m.group(1)] = m.group(2).strip()
            if m.group(1) == "DW_AT_name" and current["tag"] == "DW_TAG_compile_unit":
                unit = m.group(2).strip().endswith("prog.c")
            current["unit"] = unit
    return {k: v for k, v in dies.items() if v.get("unit")}


def name_of(die):
    text = die.get("DW_AT_name", "")
    return text.split(":")[-1].strip() if text.startswith("(indirect") else text


def reference(value):
    m = re.search(r"<0x([0-9a-f]+)>", value)
    return int(m.group(1), 16) if m else None


def type_name(dies, offset, depth=0):
    die = dies.get(offset) if offset is not None else None
    if die is None:
        return "void"
    tag, target = die["tag"], reference(die.get("DW_AT_type", ""))
    if tag == "DW_TAG_base_type":
        return BASE_TYPES.get(name_of(die), name_of(die))
    if tag == "DW_TAG_pointer_type":
        return type_name(dies, target, depth + 1) + " *"
    if tag in ("DW_TAG_const_type", "DW_TAG_volatile_type", "DW_TAG_typedef"):
        return type_name(dies, target, depth + 1)
    if tag == "DW_TAG_array_type":
        return type_name(dies, target, depth + 1) + " []"
    kind = {"DW_TAG_structure_type": "struct", "DW_TAG_union_type": "union",
            "DW_TAG_enumeration_type": "enum"}.get(tag)
    return "%s %s" % (kind, name_of(die)) if kind else "?"


def number(text):
    return int(text.split()[0], 0)


def expected_facts(program):
    dies = dwarf_dies(program)
    procs, locals_, skipped = {}, set(), []
    for offset, die in dies.items():
        if die["tag"] == "DW_TAG_subprogram" and "DW_AT_low_pc" in die:
            low = number(die["DW_AT_low_pc"])
            procs[name_of(die)] = (low, low + number(die["DW_AT_high_pc"]))
    for offset, die in dies.items():
        if die["tag"] not in ("DW_TAG_variable", "DW_TAG_formal_parameter"):
            continue
        parent = dies.get(die["parent"])
        while parent and parent["tag"] == "DW_TAG_lexical_block":
            parent = dies.get(parent["parent"])
        if not parent or parent["tag"] != "DW_TAG_subprogram":
            continue
        location = die.get("DW_AT_location", "")
        fbreg = re.search(r"DW_OP_fbreg: (-?\d+)", location)
        esp = re.search(r"DW_OP_breg4 \(esp\): (-?\d+)", location)
        entry = (name_of(parent), name_of(die))
        kind = type_name(dies, reference(die.get("DW_AT_type", "")))
        if fbreg:   # the frame base is the CFA, EBP + 8 after the usual prologue
            locals_.add(entry + ("EBP", int(fbreg.group(1)) + 8, kind))
        elif esp:   # a realigned frame (main)
            locals_.add(entry + ("ESP", int(esp.group(1)), kind))
        else:
            skipped.append(entry)
    rows = []
    for line in run([objdump, "--dwarf=decodedline", program]).splitlines():
        m = re.match(r"(\S+)\s+(\d+)\s+(0x[0-9a-f]+)(?:\s+\d+)?(?:\s+x)?\s*$", line)
        if m and m.group(1) == "prog.c":
            rows.append((int(m.group(2)), int(m.group(3), 16)))
    symbols, externals = {}, set()
    for line in run([nm, program]).splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[2].lstrip("_") in SYMBOLS and parts[1] in "bBdDrR":
            symbols[parts[2].lstrip("_")] = int(parts[0], 16)
        if len(parts) == 3 and parts[1] == "T" and parts[2][1:] in procs and parts[2][0] == "_":
            externals.add(parts[2])
    return procs, locals_, skipped, rows, symbols, externals


def main():
    if os.environ.get("KELTO_ARCH") == "x86_64":
        print("skipped: the 64-bit tools make PE32+ programs, which carry no CodeView")
        return 77
    program = build_program()
    procs, locals_, skipped, rows, symbols, externals = expected_facts(program)
    dump = run(wine + [os.path.join(build, "tests", "debugdump.exe"), windows(program)] + SYMBOLS)
    problems = []
    got_procs, got_locals, got_lines, got_lineof, got_addressof, got_symbols = {}, set(), set(), {}, {}, {}
    got_coff = {}
    for line in dump.splitlines():
        f = line.split(" ")
        if f[0] == "message":
            problems.append("reader said: " + line[8:])
        elif f[0] == "proc":
            got_procs[f[1].lstrip("_").split("@")[0]] = (int(f[2], 16), int(f[3], 16))
        elif f[0] in ("local", "esplocal"):
            got_locals.add((f[1].lstrip("_"), f[2], "ESP" if f[0] == "esplocal" else "EBP", int(f[3]),
                            " ".join(f[4:])))
        elif f[0] == "line" and f[1] == "prog.c":
            got_lines.add((int(f[2]), int(f[3], 16)))
        elif f[0] == "lineof":
            got_lineof[int(f[1], 16)] = int(f[2])
        elif f[0] == "addressof" and f[1] == "prog.c":
            got_addressof[int(f[2])] = (int(f[3], 16), int(f[4]))
        elif f[0] == "coff":
            got_coff[f[1]] = f[2] if len(f) > 2 else ""
        elif f[0] == "symbol":
            got_symbols[f[1]] = None if f[2] == "none" else int(f[2], 16)

    for name, span in sorted(procs.items()):
        if got_procs.get(name) != span:
            problems.append("function %s: objdump 0x%x-0x%x, reader %s" % (name, span[0], span[1], got_procs.get(name)))
    for local in sorted(locals_ - got_locals):
        problems.append("frame variable %s.%s at %s%+d (%s) not read" % local)
    for local in sorted(got_locals - locals_):
        problems.append("frame variable %s.%s at %s%+d (%s) read but not in the DWARF" % local)
    # Lines: the statements' addresses agree, and each address has one of its rows' lines.
    by_address = {}
    for line, address in rows:
        by_address.setdefault(address, []).append(line)
    if {a for _, a in got_lines} != set(by_address):
        problems.append("line addresses differ: objdump only %s, reader only %s" % (
            sorted(hex(a) for a in set(by_address) - {a for _, a in got_lines}),
            sorted(hex(a) for a in {a for _, a in got_lines} - set(by_address))))
    for line, address in sorted(got_lines):
        if line not in by_address.get(address, []):
            problems.append("0x%x: reader line %d, objdump %s" % (address, line, by_address.get(address)))
        if got_lineof.get(address) != line:
            problems.append("line of 0x%x: %s, the entry says %d" % (address, got_lineof.get(address), line))
    for line in sorted({l for l, _ in rows}):
        address, found = got_addressof.get(line, (0, 0))
        if found != line or line not in by_address.get(address, []):
            problems.append("address of line %d: 0x%x (line %d)" % (line, address, found))
    # The COFF name of an external function's start is its own.
    for name in sorted(externals):
        if got_coff.get(name) != name:
            problems.append("COFF name at %s: %s" % (name, got_coff.get(name)))
    for name in SYMBOLS:
        if got_symbols.get(name) != symbols.get(name):
            problems.append("symbol %s: nm %s, reader %s" % (name, symbols.get(name), got_symbols.get(name)))

    print("%d functions, %d frame variables (%d without a frame offset: %s), %d line rows, %d symbols" % (
        len(procs), len(locals_), len(skipped), ", ".join(".".join(s) for s in sorted(skipped)), len(rows),
        len(symbols)))
    for problem in problems:
        print("MISMATCH " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
