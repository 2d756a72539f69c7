#!/usr/bin/env python3
"""A small HTTP/1.1 origin on loopback that serves a published site and
misbehaves on the paths it is told to, for the whole-run fault tests.

  fault_server.py ADDR PORT ROOT LOG [PATH=FAULT ...]

FAULT is one of
  close-mid      announces the whole length, sends half the body, closes
  chunked-close  chunked encoding; sends half the body in chunks, closes
  garbage        a line that is no status line, then closes
  404            "404 Not Found" with a short page
  long-length    announces one byte more than the file holds and sends no
                 body byte until the client has closed (a client that reads
                 the body waits); logs "held PATH" when the client closed first
Every other path is served from ROOT with Content-Length, keep-alive.
Each request line goes to LOG, one per line. The server prints "ready"
once it listens, and runs until it is killed.
"""
import os
import socket
import sys
import threading


def read_request(conn, pending):
    while b"\r\n\r\n" not in pending:
        data = conn.recv(65536)
        if not data:
            return None, b""
        pending += data
    head, _, rest = pending.partition(b"\r\n\r\n")
    return head.decode("latin-1"), rest


def path_of(target):
    # The client asks in absolute form: GET http://host/path HTTP/1.1.
    if target.startswith("http://"):
        slash = target.find("/", len("http://"))
        return target[slash:] if slash >= 0 else "/"
    return target


def reply(conn, status, body, extra=b""):
    conn.sendall(b"HTTP/1.1 " + status + b"\r\nContent-Length: " + str(len(body)).encode() +
                 b"\r\n" + extra + b"\r\n" + body)


def serve(conn, root, log, faults, lock):
    pending = b""
    with conn:
        while True:
            head, pending = read_request(conn, pending)
            if head is None:
                return
            line = head.split("\r\n", 1)[0]
            with lock, open(log, "a") as f:
                f.write(line + "\n")
            parts = line.split(" ")
            path = path_of(parts[1]) if len(parts) == 3 else "/"
            fault = faults.get(path)
            if fault == "garbage":
                conn.sendall(b"QUEBRADO 999 nada disso\r\nlixo: sim\r\n\r\n")
                return
            if fault == "404":
                reply(conn, b"404 Not Found", b"<html><body>404 Not Found</body></html>")
                continue
            file = os.path.join(root, path.lstrip("/"))
            if ".." in path.split("/") or not os.path.isfile(file):
                reply(conn, b"404 Not Found", b"<html><body>404 Not Found</body></html>")
                continue
            body = open(file, "rb").read()
            half = body[: len(body) // 2]
            if fault == "close-mid":
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: " + str(len(body)).encode() + b"\r\n\r\n" + half)
                conn.shutdown(socket.SHUT_RDWR)
                return
            if fault == "chunked-close":
                conn.sendall(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
                for i in range(0, len(half), 4096):
                    piece = half[i:i + 4096]
                    conn.sendall(b"%x\r\n" % len(piece) + piece + b"\r\n")
                conn.shutdown(socket.SHUT_RDWR)
                return
            if fault == "long-length":
                conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: " + str(len(body) + 1).encode() + b"\r\n\r\n")
                conn.settimeout(30)
                try:
                    closed = conn.recv(1) == b""
                except (socket.timeout, OSError):
                    closed = False
                if closed:
                    with lock, open(log, "a") as f:
                        f.write("held " + path + "\n")
                return
            reply(conn, b"200 OK", body)


def main(argv):
    addr, port, root, log = argv[1], int(argv[2]), argv[3], argv[4]
    faults = dict(a.split("=", 1) for a in argv[5:])
    lock = threading.Lock()
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((addr, port))
    server.listen(16)
    print("ready", flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn, root, log, faults, lock), daemon=True).start()


if __name__ == "__main__":
    main(sys.argv)
