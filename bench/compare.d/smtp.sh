#!/usr/bin/env bash
# One picture mail with a 20 KB attachment to aiosmtpd on 127.0.0.1: tavrin-tool send against
# curl uploading the same message, alternating, in one run. Goal: our median at most 1.5x curl's.
# With "starttls" (smtp-tls.sh) the same over STARTTLS, the certificate from a test authority:
# tavrin-tool send --tls required against curl --ssl-reqd.
set -euo pipefail
cd "$(dirname "$0")/../.."
TOOL=${TAVRIN_BUILD:-build/bench}/bin/tavrin-tool
exec /usr/bin/python3 - "$TOOL" "${1:-plain}" <<'PY'
import atexit
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, "tests/integration")
from servers import SmtpServer, TestAuthority

tool = sys.argv[1]
starttls = sys.argv[2] == "starttls"
runs = 31
work = tempfile.mkdtemp(prefix="tavrin-bench-")
authority = TestAuthority() if starttls else None
if authority:
    atexit.register(authority.close)
atexit.register(shutil.rmtree, work, ignore_errors=True)
picture = os.path.join(work, "tmp.jpg")
body = os.path.join(work, "body.txt")
message = os.path.join(work, "message.eml")
with open(picture, "wb") as f:
    # JPEG markers around noise: the size is what counts for the mail.
    f.write(b"\xff\xd8" + os.urandom(20 * 1024 - 4) + b"\xff\xd9")
with open(body, "w", encoding="utf-8") as f:
    f.write("写真を送ります。\nPicture attached.\n")

message_options = [
    "--from-name", "太郎", "--from", "taro@example.com", "--to-name", "花子", "--to", "hanako@example.jp",
    "--subject", "写真", "--body-file", body, "--attach", picture, "--name", "06-01-07_12-34-56.jpg",
]
with open(message, "wb") as f:
    subprocess.run([tool, "message", *message_options], stdout=f, check=True)


def timed(command):
    start = time.perf_counter()
    done = subprocess.run(command, capture_output=True, timeout=60)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"failed: {' '.join(command)}\n{done.stdout.decode()}{done.stderr.decode()}")
    return elapsed


with SmtpServer(tls="starttls" if starttls else None, authority=authority) as server:
    ours = [tool, "send", "--host", "127.0.0.1", "--port", str(server.port)]
    curl = ["curl", "--silent", "--show-error", "--url", f"smtp://127.0.0.1:{server.port}"]
    if starttls:
        ours += ["--tls", "required", "--ca-file", authority.ca_file]
        curl += ["--ssl-reqd", "--cacert", authority.ca_file]
    ours += message_options
    curl += ["--mail-from", "taro@example.com", "--mail-rcpt", "hanako@example.jp", "--upload-file", message]
    anchor = "curl --ssl-reqd" if starttls else "curl"
    timed(ours), timed(curl)  # warm the caches
    times = {"tavrin-tool send": [], anchor: []}
    for _ in range(runs):
        times["tavrin-tool send"].append(timed(ours))
        times[anchor].append(timed(curl))
    delivered = len(server.messages)

medians = {name: statistics.median(t) * 1000 for name, t in times.items()}
ratio = medians["tavrin-tool send"] / medians[anchor]
route = "STARTTLS to aiosmtpd" if starttls else "aiosmtpd"
print(f"one picture mail, 20 KB attachment, {route} on 127.0.0.1; median of {runs} runs each")
for name, ms in medians.items():
    print(f"  {name:<18} {ms:7.2f} ms")
print(f"  ratio {ratio:.2f} (goal at most 1.50): {'met' if ratio <= 1.5 else 'MISSED'}")
print(f"  messages delivered: {delivered} of {2 * (runs + 1)}")
sys.exit(0 if ratio <= 1.5 and delivered == 2 * (runs + 1) else 1)
PY
