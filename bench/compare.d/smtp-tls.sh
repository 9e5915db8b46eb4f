#!/usr/bin/env bash
# One picture mail with a 20 KB attachment over STARTTLS to aiosmtpd on 127.0.0.1 (certificate from
# a test authority): tavrin-tool send --tls required against curl --ssl-reqd uploading the same
# message, alternating, in one run. Goal: our median at most 1.5x curl's.
set -euo pipefail
exec bash "$(dirname "$0")/smtp.sh" starttls
