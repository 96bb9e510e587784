#!/usr/bin/env python3
"""The compiler service's path translation and its refusals, without Wine."""
import os
import runpy
import struct
import sys
import tempfile
import unittest

here = os.path.dirname(os.path.abspath(__file__))
# The service's functions, loaded without starting it (it serves only when run as a program).
service = type("Service", (), runpy.run_path(
    os.path.join(here, "..", "..", "tools", "sdk", "service", "kelto-cc-service.py")))


def request(*items):
    body = b"KCC1" + struct.pack("<I", len(items))
    for kind, text in items:
        body += struct.pack("<BI", kind, len(text)) + text.encode()
    return body


def decode(answer):
    code, n = struct.unpack_from("<iI", answer, 4)
    out = answer[12:12 + n]
    (m,) = struct.unpack_from("<I", answer, 12 + n)
    return code, out, answer[16 + n:16 + n + m].decode()


class ServiceTest(unittest.TestCase):
    def setUp(self):
        self.prefix = tempfile.TemporaryDirectory()
        devices = os.path.join(self.prefix.name, "dosdevices")
        os.makedirs(os.path.join(self.prefix.name, "drive_c", "src"))
        os.makedirs(devices)
        os.symlink("../drive_c", os.path.join(devices, "c:"))
        os.symlink("/", os.path.join(devices, "z:"))
        os.environ["WINEPREFIX"] = self.prefix.name
        self.c = os.path.realpath(os.path.join(self.prefix.name, "drive_c"))

    def tearDown(self):
        self.prefix.cleanup()

    def test_paths_both_ways(self):
        self.assertEqual(service.to_unix("C:\\src\\a.c", None), self.c + "/src/a.c")
        self.assertEqual(service.to_unix("Z:\\tmp\\x.c", None), "/tmp/x.c")
        self.assertEqual(service.to_unix("\\src\\a.c", "c"), self.c + "/src/a.c")
        self.assertEqual(service.to_unix("sub\\a.c", "c"), "sub/a.c")
        for bad in ("Q:\\x.c", "C:x.c", "\\\\host\\share\\x.c"):
            self.assertRaises(service.Refused, service.to_unix, bad, "c")
        cwd, argv, pairs = service.build_command(
            [(1, "C:\\src"), (0, "i686-w64-mingw32-gcc"), (2, "-I"), (1, "C:\\src\\inc"), (1, "a.c")])
        self.assertEqual((cwd, argv), (self.c + "/src", ["i686-w64-mingw32-gcc", "-I" + self.c + "/src/inc", "a.c"]))
        self.assertEqual(pairs[0], (self.c + "/src/inc", "C:\\src\\inc"))
        self.assertIn((self.c, "C:"), pairs)
        self.assertEqual(pairs[-1], ("/", "Z:"))

    def test_only_the_host_compiler_runs(self):
        for items in ([(1, "C:\\src"), (0, "sh"), (0, "-c"), (0, "touch /tmp/x")],
                      [(1, "C:\\src"), (0, "/usr/bin/i686-w64-mingw32-gcc")],
                      [(1, "C:\\src"), (0, "i686-w64-mingw32-gcc"), (0, "-wrapper"), (0, "sh,-c")],
                      [(1, "C:\\src"), (0, "i686-w64-mingw32-gcc"), (0, "@C:\\src\\args")],
                      [(1, "C:\\src"), (0, "i686-w64-mingw32-windres"), (0, "--preprocessor=sh")]):
            code, out, err = decode(service.run(request(*items)))
            self.assertEqual((code, out), (2, b""))
            self.assertIn("compiler service: ", err)
        code, out, err = decode(service.run(request((1, "C:\\src"), (0, "i686-w64-mingw32-gcc"), (0, "--version"))))
        self.assertEqual(code, 0)
        self.assertIn(b"i686-w64-mingw32-gcc", out)


if __name__ == "__main__":
    unittest.main()
