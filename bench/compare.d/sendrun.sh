#!/usr/bin/env bash
# One send run to three recipients (each picture rendered for its recipient, one SMTP connection
# each) against aiosmtpd on 127.0.0.1: tavrin-tool sendrun from the confirmation to "送信しました。",
# the run's fixed pauses (250 ms per status line, 500 ms per progress end) taken off, beside curl
# sending three ready-made messages of the same size. Goal: our own time under 150 ms.
set -euo pipefail
cd "$(dirname "$0")/../.."
TOOL=${TAVRIN_BUILD:-build/bench}/bin/tavrin-tool
exec /usr/bin/python3 - "$TOOL" <<'PY'
import atexit
import os
import pathlib
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, "tests/integration")
from servers import SmtpServer
from test_sendrun import adx, write_bmp

tool = sys.argv[1]
runs = 7
work = tempfile.mkdtemp(prefix="tavrin-bench-")
atexit.register(shutil.rmtree, work, ignore_errors=True)
picture = os.path.join(work, "source.bmp")
write_bmp(picture)
body = os.path.join(work, "body.txt")
pathlib.Path(body).write_text("写真を送ります。\n", encoding="utf-8")
book = adx([("次郎", "jiro@ezweb.ne.jp", False, 1, 1, 132, 176), ("三郎", "saburo@example.com", False, 3, 0, 180, 240)])
settings = ("[user]\r\nFromName=山田太郎\r\nFromAddress=taro@example.com\r\nConnect=1\r\nSMTPServer=127.0.0.1\r\n"
            "UserID=taro\r\nPassWord=secret\r\n").encode("cp932")


def ours(port):
    pathlib.Path(work, "Tavrin.ADX").write_bytes(book)
    pathlib.Path(work, "History.ADX").write_bytes(b"")
    pathlib.Path(work, "tav.ini").write_bytes(settings)
    shutil.rmtree(os.path.join(work, "Recent"), ignore_errors=True)
    done = subprocess.run([tool, "sendrun", "--work", work, "--picture", picture, "--smtp-port", str(port),
                           "--to", "hanako@docomo.ne.jp", "--preset", "2", "--quality", "2",
                           "--cc", "jiro@ezweb.ne.jp,saburo@example.com", "--timing",
                           "--subject", "写真", "--body-file", body], capture_output=True, timeout=120)
    out = done.stdout.decode()
    found = re.search(r"time: total=(\d+) paused=(\d+) own=(-?\d+) ms", out)
    if done.returncode != 0 or not found:
        sys.exit(f"sendrun failed:\n{out}{done.stderr.decode()}")
    return int(found.group(1)), int(found.group(2)), int(found.group(3))


def curl(port, messages):
    start = time.perf_counter()
    for path, rcpt in messages:
        subprocess.run(["curl", "--silent", "--show-error", "--url", f"smtp://127.0.0.1:{port}",
                        "--mail-from", "taro@example.com", "--mail-rcpt", rcpt, "--upload-file", path],
                       check=True, capture_output=True, timeout=60)
    return (time.perf_counter() - start) * 1000


with SmtpServer() as server:
    ours(server.port)  # warm the caches; its three messages serve curl as ready-made ones
    messages = []
    for i, m in enumerate(server.messages[:3]):
        path = os.path.join(work, f"message{i}.eml")
        pathlib.Path(path).write_bytes(m["content"])
        messages.append((path, m["rcpt_tos"][0]))
    curl(server.port, messages)
    own, totals, paused, anchor = [], [], [], []
    for _ in range(runs):
        t, p, o = ours(server.port)
        own.append(o), totals.append(t), paused.append(p)
        anchor.append(curl(server.port, messages))
    delivered = len(server.messages)

median_own = statistics.median(own)
print(f"send run of three recipients (render, message, SMTP each), aiosmtpd on 127.0.0.1; median of {runs} runs")
print(f"  tavrin-tool sendrun  {statistics.median(totals):7.0f} ms in all, {statistics.median(paused):.0f} ms of it "
      f"fixed pauses: {median_own:.0f} ms our own")
print(f"  curl, 3 ready messages {statistics.median(anchor):5.0f} ms (three processes, no rendering)")
print(f"  own time goal under 150 ms: {'met' if median_own < 150 else 'MISSED'}")
print(f"  messages delivered: {delivered} of {6 * (runs + 1)}")
sys.exit(0 if median_own < 150 and delivered == 6 * (runs + 1) else 1)
PY
