#!/usr/bin/env python3
"""A time-stamping service of RFC 3161 on a loopback port, for the signing test: each POST
of a time-stamp query is answered by `openssl ts -reply` with the TSA certificate and key
given. Prints the port it listens on, then serves until killed.

usage: timestamp_server.py CONFIG TSA.pem TSA.key
"""
import http.server
import subprocess
import sys
import tempfile

config, certificate, key = sys.argv[1:4]


class TimeStamps(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        with tempfile.TemporaryDirectory() as folder:
            with open(f"{folder}/query.tsq", "wb") as file:
                file.write(query)
            made = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile",
                                   f"{folder}/query.tsq", "-signer", certificate, "-inkey", key,
                                   "-out", f"{folder}/reply.tsr"], capture_output=True)
            if made.returncode != 0:
                sys.stderr.write(made.stderr.decode())
                self.send_error(500)
                return
            with open(f"{folder}/reply.tsr", "rb") as file:
                reply = file.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamps)
print(server.server_address[1], flush=True)
server.serve_forever()
