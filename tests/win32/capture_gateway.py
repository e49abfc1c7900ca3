#!/usr/bin/env python3
"""A TLS listener that keeps every byte of each request it receives, so that the Win32
tests can pin the request line, the headers WinINet sends and the body exactly (the
gateway simulator records decoded fields, not the bytes on the wire).

usage: capture_gateway.py ADDRESS CERT KEY CAPTURE_DIR READY_FILE

Each request is written whole (head and body) to CAPTURE_DIR/request-N.bin, N from 1,
and answered with status 200 and a short fixed body. READY_FILE is written once the
listener accepts connections. Runs until it is killed."""
import os
import socket
import ssl
import sys

PORT = 443
REPLY_BODY = b"captured"
HEAD_END = b"\r\n\r\n"
READ_CHUNK = 65536


def content_length(head):
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            return int(value.strip())
    return 0


def receive_request(conn):
    data = b""
    while HEAD_END not in data:
        chunk = conn.recv(READ_CHUNK)
        if not chunk:
            return data
        data += chunk
    head, _, body = data.partition(HEAD_END)
    wanted = content_length(head)
    while len(body) < wanted:
        chunk = conn.recv(READ_CHUNK)
        if not chunk:
            break
        body += chunk
    return head + HEAD_END + body


def main():
    address, cert, key, capture_dir, ready_file = sys.argv[1:6]
    os.makedirs(capture_dir, exist_ok=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((address, PORT))
    listener.listen(8)
    with open(ready_file, "w") as ready:
        ready.write("listening on %s:%d\n" % (address, PORT))
    count = 0
    while True:
        raw, _ = listener.accept()
        try:
            with context.wrap_socket(raw, server_side=True) as conn:
                request = receive_request(conn)
                if not request:
                    continue
                count += 1
                path = os.path.join(capture_dir, "request-%d.bin" % count)
                with open(path + ".part", "wb") as out:
                    out.write(request)
                os.replace(path + ".part", path)
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s"
                             % (len(REPLY_BODY), REPLY_BODY))
        except (ssl.SSLError, OSError):
            raw.close()


if __name__ == "__main__":
    main()
