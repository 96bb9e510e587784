#!/usr/bin/env python3
"""The compiler service: runs the host's MinGW-w64 tools for the Windows-side tools of the
compiler system (bdx.exe, bdxlnk, bdxlib), which under Wine cannot start a Linux program and
wait for its exit code themselves.

It listens on 127.0.0.1 only (port: KELTO_CC_PORT, default 47011). One request per
connection; all numbers are 32-bit little-endian.

  request:  u32 length of the rest, "KCC1", u32 item count, then per item:
            u8 kind (0 = text passed as it is, 1 = a Windows path), u32 length, bytes.
            Item 0 is the working directory (a path), item 1 the program, the rest its
            arguments. An option with a path in it ("-I<dir>") is sent as two items: the
            option text with kind 2 (glued to the next item) followed by the path.
  answer:   u32 length of the rest, i32 exit code, u32+bytes standard output,
            u32+bytes standard error, u32 pair count, then per pair u32+bytes Unix prefix and
            u32+bytes Windows prefix: how to turn the Unix paths in the output back into the
            Windows paths the client gave (longest Unix prefix first).

Only the host compiler programs of ALLOWED run, never through a shell, and options that would
make them start another program or load code (-wrapper, -B, plugins, gcc option files, response
files, windres' --preprocessor) are refused, so the port cannot be used to run anything else.
Windows paths become Unix paths through Wine's drive links: $WINEPREFIX/dosdevices/<drive>:
(without WINEPREFIX only drive Z:, the Unix root, is known).
"""
import os
import socketserver
import struct
import subprocess
import sys

ALLOWED = {arch + "-w64-mingw32-" + tool
           for arch in ("i686", "x86_64") for tool in ("gcc", "ar", "windres")}
REFUSED_PREFIXES = ("-wrapper", "-B", "-fplugin", "-specs", "--specs", "@", "--preprocessor",
                    "--plugin", "-plugin", "-Xlinker", "-Xassembler", "-Xpreprocessor",
                    "-fuse-ld", "-Wp,", "-Wa,", "--use-temp-file")
MAX_REQUEST = 1 << 20
TIMEOUT = 600


class Refused(Exception):
    pass


def drive_root(letter):
    """The Unix directory of a Windows drive."""
    letter = letter.lower()
    prefix = os.environ.get("WINEPREFIX")
    if not prefix:
        if letter == "z":
            return "/"
        raise Refused("drive %s: is unknown without WINEPREFIX" % letter.upper())
    link = os.path.join(prefix, "dosdevices", letter + ":")
    if not os.path.exists(link):
        raise Refused("drive %s: does not exist in %s" % (letter.upper(), prefix))
    return os.path.realpath(link)


def drive_roots():
    """(Unix directory, "X:") for every drive Wine knows."""
    roots = {}
    prefix = os.environ.get("WINEPREFIX")
    if prefix and os.path.isdir(os.path.join(prefix, "dosdevices")):
        for name in os.listdir(os.path.join(prefix, "dosdevices")):
            if len(name) == 2 and name[1] == ":" and name[0].isalpha():
                try:
                    roots[drive_root(name[0])] = name[0].upper() + ":"
                except Refused:
                    pass
    roots.setdefault("/", "Z:")
    return list(roots.items())


def match_case(root, rest):
    """root + rest, each component of rest that exists under another case spelled as it is on
    disk: Windows names are case-insensitive, Unix ones are not."""
    path = root.rstrip("/")
    parts = [part for part in rest.split("/") if part]
    for i, part in enumerate(parts):
        candidate = path + "/" + part
        if not os.path.lexists(candidate) and part not in (".", ".."):
            try:
                names = [n for n in os.listdir(path or "/") if n.lower() == part.lower()]
            except OSError:
                names = []
            if not names:
                return "/".join([path] + parts[i:]) + ("/" if rest.endswith("/") else "")
            candidate = path + "/" + sorted(names)[0]
        path = candidate
    return (path or "/") + ("/" if rest.endswith("/") and path else "")


def to_unix(path, cwd_drive, cwd=None):
    """A Windows path as the Unix path it names; relative paths stay relative."""
    p = path.replace("\\", "/")
    if p.startswith("//"):
        raise Refused("network paths are not supported: %s" % path)
    if len(p) >= 2 and p[1] == ":" and p[0].isalpha():
        if not p[2:].startswith("/"):
            raise Refused("a path relative to a drive is not supported: %s" % path)
        return match_case(drive_root(p[0]), p[2:])
    if p.startswith("/"):
        if not cwd_drive:
            raise Refused("no drive for %s" % path)
        return to_unix(cwd_drive + ":" + path, None)
    if not p or not cwd:
        return p
    return match_case(cwd, p)[len(cwd.rstrip("/")) + 1:]


def parse_request(data):
    if data[:4] != b"KCC1":
        raise Refused("not a compiler service request")
    (count,) = struct.unpack_from("<I", data, 4)
    pos, items = 8, []
    for _ in range(count):
        kind, length = struct.unpack_from("<BI", data, pos)
        pos += 5
        if pos + length > len(data):
            raise Refused("truncated request")
        items.append((kind, data[pos:pos + length].decode("latin-1")))
        pos += length
    if len(items) < 2 or items[0][0] != 1:
        raise Refused("a request needs a working directory and a program")
    return items


def build_command(items):
    """(Unix working directory, argument vector, path pairs) of a request."""
    cwd_win = items[0][1]
    cwd = to_unix(cwd_win, None)
    drive = cwd_win[0] if len(cwd_win) > 1 and cwd_win[1] == ":" else None
    pairs = [(cwd, cwd_win.rstrip("\\"))]
    program = items[1][1]
    if items[1][0] != 0 or program not in ALLOWED:
        raise Refused("the program %s may not be run" % program)
    argv, glued = [program], ""
    for kind, text in items[2:]:
        if kind == 2:
            glued += text
            continue
        if kind == 1:
            unix = to_unix(text, drive, cwd)
            if unix.startswith("/"):
                pairs.append((unix.rstrip("/") or "/", text.rstrip("\\")))
            text = unix
        arg = glued + text
        glued = ""
        if arg.startswith(REFUSED_PREFIXES) or ("plugin" in arg and arg.startswith("-Wl,")):
            raise Refused("the option %s is not allowed" % arg)
        argv.append(arg)
    pairs += drive_roots()
    pairs.sort(key=lambda pair: len(pair[0]), reverse=True)
    return cwd, argv, pairs


def pack_text(b):
    return struct.pack("<I", len(b)) + b


def answer(code, out, err, pairs):
    body = struct.pack("<i", code) + pack_text(out) + pack_text(err)
    body += struct.pack("<I", len(pairs))
    for unix, win in pairs:
        body += pack_text(unix.encode("latin-1")) + pack_text(win.encode("latin-1"))
    return struct.pack("<I", len(body)) + body


def run(data):
    try:
        cwd, argv, pairs = build_command(parse_request(data))
    except (Refused, struct.error) as e:
        return answer(2, b"", ("compiler service: %s\n" % e).encode(), [])
    env = dict(os.environ, LC_ALL="C", LANG="C")
    try:
        done = subprocess.run(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=TIMEOUT)
    except FileNotFoundError as e:
        return answer(2, b"", ("compiler service: cannot run %s: %s\n" % (argv[0], e.strerror)).encode(), [])
    except NotADirectoryError:
        return answer(2, b"", ("compiler service: no directory %s\n" % cwd).encode(), [])
    except subprocess.TimeoutExpired:
        return answer(2, b"", ("compiler service: %s took longer than %d s\n" % (argv[0], TIMEOUT)).encode(), [])
    code = done.returncode if done.returncode >= 0 else 128 - done.returncode
    return answer(code, done.stdout, done.stderr, pairs)


def read_exact(sock, n):
    data = b""
    while len(data) < n:
        part = sock.recv(n - len(data))
        if not part:
            raise ConnectionError("connection closed")
        data += part
    return data


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.request.settimeout(60)
        try:
            (length,) = struct.unpack("<I", read_exact(self.request, 4))
            if length > MAX_REQUEST:
                return
            data = read_exact(self.request, length)
            self.request.settimeout(None)
            self.request.sendall(run(data))
        except (OSError, ConnectionError):
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    port = int(os.environ.get("KELTO_CC_PORT", "47011"))
    with Server(("127.0.0.1", port), Handler) as server:
        print("kelto-cc-service: listening on 127.0.0.1:%d" % port, flush=True)
        server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
