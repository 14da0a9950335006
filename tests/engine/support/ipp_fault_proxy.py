#!/usr/bin/env python3
"""An IPP proxy that misbehaves on purpose, for the engine tests.

    ipp_fault_proxy.py LISTEN_SOCKET UPSTREAM_SOCKET LOG [RULE ...]

Listens on a unix socket and passes each HTTP request to the print system
behind UPSTREAM_SOCKET, one request at a time per connection. A RULE is
OPERATION:WHICH:FAULT[:VALUE]: OPERATION an IPP operation name
(Create-Job, Send-Document, Cancel-Job, Get-Job-Attributes, Get-Jobs), WHICH
the n-th such request of the proxy's life (from 1) or * for every one, and
FAULT one of
    hold-request:S   keep the request S seconds before passing it on
    hold-answer:S    pass it on, keep the answer S seconds
    throttle:BPS     read the request's body at BPS bytes a second
    password         answer that the request needs a password
SIGUSR1 ends every hold at once. Each request is logged to LOG as
"TIME OPERATION N event" lines.
"""
import asyncio
import signal
import sys
import time

OPERATIONS = {
    0x0002: "Print-Job", 0x0005: "Create-Job", 0x0006: "Send-Document", 0x0008: "Cancel-Job",
    0x0009: "Get-Job-Attributes", 0x000A: "Get-Jobs", 0x000B: "Get-Printer-Attributes",
    0x4001: "CUPS-Get-Default", 0x4002: "CUPS-Get-Printers",
}

rules = []
seen = {}
released = asyncio.Event()
log_file = None


def log(operation, number, event):
    log_file.write(f"{time.time():.3f} {operation} {number} {event}\n")
    log_file.flush()


def faults_for(operation, number):
    return {fault: value for op, which, fault, value in rules
            if op == operation and which in ("*", str(number))}


async def hold(seconds):
    try:
        await asyncio.wait_for(released.wait(), timeout=seconds)
    except asyncio.TimeoutError:
        pass


def headers_of(head):
    headers = {}
    for line in head.split(b"\r\n")[1:]:
        if b":" in line:
            name, value = line.split(b":", 1)
            headers[name.strip().lower()] = value.strip()
    return headers


async def read_chunked(reader):
    body = b""
    while True:
        size = int((await reader.readuntil(b"\r\n")).split(b";")[0], 16)
        if size == 0:
            await reader.readuntil(b"\r\n")  # no trailers are sent
            return body
        body += (await reader.readexactly(size + 2))[:-2]


async def read_body(reader, headers, operation_of=None):
    """The whole body; operation_of, given the body's first four bytes,
    returns the rate to read the rest at (None: at once)."""
    if headers.get(b"transfer-encoding", b"").lower() == b"chunked":
        body = await read_chunked(reader)
        if operation_of:
            operation_of(body[:4])
        return body
    length = int(headers.get(b"content-length", b"0"))
    body = await reader.readexactly(min(4, length))
    rate = operation_of(body) if operation_of else None
    while len(body) < length:
        want = min(length - len(body), 4096 if rate else 65536)
        body += await reader.readexactly(want)
        if rate:
            await asyncio.sleep(want / float(rate))
    return body


def plain_head(head, length):
    """The head with the body's length, and without Expect or chunking."""
    lines = [line for line in head.split(b"\r\n") if line
             and not line.lower().startswith((b"expect:", b"transfer-encoding:", b"content-length:"))]
    lines.append(b"Content-Length: " + str(length).encode())
    return b"\r\n".join(lines) + b"\r\n\r\n"


async def serve(client_reader, client_writer, upstream_path):
    upstream_reader, upstream_writer = await asyncio.open_unix_connection(upstream_path)
    try:
        while True:
            head = await client_reader.readuntil(b"\r\n\r\n")
            headers = headers_of(head)
            if headers.get(b"expect", b"").lower() == b"100-continue":
                client_writer.write(b"HTTP/1.1 100 Continue\r\n\r\n")
                await client_writer.drain()
            request = {}

            def operation_of(first):
                operation = OPERATIONS.get(int.from_bytes(first[2:4], "big"), "other") if len(first) == 4 else "other"
                seen[operation] = seen.get(operation, 0) + 1
                request.update(operation=operation, number=seen[operation],
                               faults=faults_for(operation, seen[operation]))
                log(operation, seen[operation], "request")
                rate = request["faults"].get("throttle")
                return float(rate) if rate else None

            body = await read_body(client_reader, headers, operation_of)
            operation, number, faults = request["operation"], request["number"], request["faults"]
            if "password" in faults:
                log(operation, number, "password asked")
                client_writer.write(b"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"CUPS\"\r\n"
                                    b"Content-Length: 0\r\n\r\n")
                await client_writer.drain()
                continue
            if "hold-request" in faults:
                log(operation, number, "request held")
                await hold(float(faults["hold-request"]))
            upstream_writer.write(plain_head(head, len(body)) + body)
            await upstream_writer.drain()
            log(operation, number, "request passed")
            log(operation, number, f"length {len(body)}")
            answer_head = await upstream_reader.readuntil(b"\r\n\r\n")
            answer_body = await read_body(upstream_reader, headers_of(answer_head))
            if "hold-answer" in faults:
                log(operation, number, "answer held")
                await hold(float(faults["hold-answer"]))
            client_writer.write(plain_head(answer_head, len(answer_body)) + answer_body)
            await client_writer.drain()
            log(operation, number, "answer passed")
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        upstream_writer.close()
        client_writer.close()


async def main():
    global log_file
    listen, upstream, log_path = sys.argv[1:4]
    for rule in sys.argv[4:]:
        parts = rule.split(":")
        rules.append((parts[0], parts[1], parts[2], parts[3] if len(parts) > 3 else ""))
    log_file = open(log_path, "a")
    asyncio.get_running_loop().add_signal_handler(signal.SIGUSR1, released.set)
    server = await asyncio.start_unix_server(lambda r, w: serve(r, w, upstream), path=listen)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
