#!/usr/bin/env python3
"""Checks that the programs do not load the backends' large libraries at start.

The camera and sound (Qt Multimedia), the sign-in (QtNetwork, qtkeychain), the HEIF reader
(libheif and its codecs) and TLS (OpenSSL) live in modules opened when first needed; a program that names one of
these libraries itself loads it, and all it depends on, at every start.

    check_libraries.py PROGRAM...
"""

import re
import subprocess
import sys

HEAVY = re.compile(r"^lib(Qt6Multimedia|Qt6Network|qt6keychain|heif|x265|de265|aom|dav1d|pulse|ssl|crypto)[.-]")


def needed(program):
    out = subprocess.run(["readelf", "-d", program], check=True, capture_output=True, text=True).stdout
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)


def main(programs):
    failed = False
    for program in programs:
        libraries = needed(program)
        if not libraries:
            print(f"{program}: no libraries found (is it a program?)")
            failed = True
        for library in libraries:
            if HEAVY.match(library):
                print(f"{program} loads {library} at start")
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1:]))
