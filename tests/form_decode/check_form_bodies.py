#!/usr/bin/env python3
"""Decodes every form body that form_body_dump prints with Python's own URL decoder and
compares the result with the message bytes that the body was built from."""
import re
import subprocess
import sys
from urllib.parse import unquote_to_bytes

PREFIX = "Transaction="
FS = 0x1C
# What may stand in a body after the prefix: the 70 copied characters, and escapes.
BODY = re.compile(r"(?:[A-Za-z0-9!'()*\-._]|%[0-9A-F]{2})*")


def main() -> int:
    out = subprocess.run([sys.argv[1]], check=True, capture_output=True).stdout
    failures = 0
    count = 0
    for line in out.decode("ascii").splitlines():
        name, message_hex, body = line.split("\t")
        message = bytes.fromhex(message_hex)
        count += 1
        problems = []
        if not body.startswith(PREFIX):
            problems.append("body does not begin with " + PREFIX)
        encoded = body[len(PREFIX):]
        if not BODY.fullmatch(encoded):
            problems.append("body holds characters that should have been escaped")
        decoded = unquote_to_bytes(encoded)
        if decoded != message:
            problems.append(f"decoded {decoded!r}\n    message {message!r}")
        # A text field may itself hold FS bytes, so 22 is the least.
        if message.count(FS) < 22 or message[-1] != FS:
            problems.append(f"{message.count(FS)} field separators, last byte {message[-1]:#x}")
        for problem in problems:
            print(f"FAIL {name}: {problem}")
        failures += bool(problems)
    print(f"{count} form bodies decoded, {failures} failed")
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
