#!/usr/bin/python3
"""$BROWSER for the sign-in tests: follows the authorization URL's redirect to the program's
loopback address, as a browser would, and notes the page it got in $BROWSER_LOG."""

import os
import sys
import urllib.request

with urllib.request.urlopen(sys.argv[1], timeout=20) as reply:
    page = reply.read().decode("utf-8")
with open(os.environ["BROWSER_LOG"], "a", encoding="utf-8") as log:
    log.write(page + "\n")
