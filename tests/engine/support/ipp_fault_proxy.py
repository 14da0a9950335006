#!/usr/bin/env python3
"""An IPP proxy that misbehaves on purpose, for the engine tests.

    ipp_fault_proxy.py LISTEN_SOCKET UPSTREAM_SOCKET LOG [RULE ...]

Passes each HTTP request on a unix socket to the print system behind
UPSTREAM_SOCKET, one at a time per connection. A RULE is
OPERATION:WHICH:FAULT[:VALUE], WHICH the n-th request of that IPP operation
(from 1) or * for all, FAULT one of
    hold-request:S   keep the request S seconds before passing it on
    hold-answer:S    pass it on, keep the answer S seconds
    throttle:BPS     read the request's body at BPS bytes a second
    password         answer that the request needs a password
SIGUSR1 ends every hold. LOG gets "TIME OPERATION N EVENT" lines.
"""
import asyncio
import signal
import sys
import time

OPERATIONS = {0x0005: "Create-Job", 0x0006: "Send-Document", 0x0008: "Cancel-Job",
              0x0009: "Get-Job-Attributes", 0x000A: "Get-Jobs"}
rules, seen = [], {}
released = asyncio.Event()


def log(operation, number, event):
    with open(sys.argv[3], "a") as out:
        out.write(f"{time.time():.3f} {operation} {number} {event}\n")


async def hold(seconds):
    try:
        await asyncio.wait_for(released.wait(), timeout=float(seconds))
    except asyncio.TimeoutError:
        pass


def headers_of(head):
    pairs = (line.split(b":", 1) for line in head.split(b"\r\n")[1:] if b":" in line)
    return {name.strip().lower(): value.strip() for name, value in pairs}


async def read_body(reader, headers, rate_for=None):
    """The whole body. rate_for, given its first four bytes (the IPP version
    and operation), says how fast to read the rest (None: at once)."""
    if headers.get(b"transfer-encoding", b"").lower() == b"chunked":
        body = b""
        while size := int((await reader.readuntil(b"\r\n")).split(b";")[0], 16):
            body += (await reader.readexactly(size + 2))[:-2]
        await reader.readuntil(b"\r\n")
        if rate_for:
            rate_for(body[:4])
        return body
    length = int(headers.get(b"content-length", b"0"))
    body = await reader.readexactly(min(4, length))
    rate = rate_for(body) if rate_for else None
    while len(body) < length:
        piece = await reader.readexactly(min(length - len(body), 4096 if rate else 65536))
        body += piece
        if rate:
            await asyncio.sleep(len(piece) / rate)
    return body


def plain(head, body):
    """The message with its body's length, without Expect or chunking."""
    lines = [line for line in head.split(b"\r\n") if line and not line.lower().startswith(
        (b"expect:", b"transfer-encoding:", b"content-length:"))]
    return b"\r\n".join(lines + [b"Content-Length: %d" % len(body)]) + b"\r\n\r\n" + body


async def serve(client_reader, client_writer):
    upstream_reader, upstream_writer = await asyncio.open_unix_connection(sys.argv[2])
    try:
        while True:
            head = await client_reader.readuntil(b"\r\n\r\n")
            headers = headers_of(head)
            if headers.get(b"expect", b"").lower() == b"100-continue":
                client_writer.write(b"HTTP/1.1 100 Continue\r\n\r\n")
            request = {}

            def rate_for(first):
                operation = OPERATIONS.get(int.from_bytes(first[2:4], "big"), "other")
                number = seen[operation] = seen.get(operation, 0) + 1
                faults = {fault: value for op, which, fault, value in rules
                          if op == operation and which in ("*", str(number))}
                request.update(operation=operation, number=number, faults=faults)
                log(operation, number, "request")
                return float(faults["throttle"]) if "throttle" in faults else None

            body = await read_body(client_reader, headers, rate_for)
            operation, number, faults = request["operation"], request["number"], request["faults"]
            if "password" in faults:
                log(operation, number, "password asked")
                client_writer.write(b"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"CUPS\"\r\n"
                                    b"Content-Length: 0\r\n\r\n")
                continue
            if "hold-request" in faults:
                log(operation, number, "request held")
                await hold(faults["hold-request"])
            upstream_writer.write(plain(head, body))
            answer_head = await upstream_reader.readuntil(b"\r\n\r\n")
            answer = plain(answer_head, await read_body(upstream_reader, headers_of(answer_head)))
            if "hold-answer" in faults:
                log(operation, number, "answer held")
                await hold(faults["hold-answer"])
            client_writer.write(answer)
            await client_writer.drain()
            log(operation, number, "answer passed")
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        upstream_writer.close()
        client_writer.close()


async def main():
    for rule in sys.argv[4:]:
        parts = rule.split(":") + [""]
        rules.append(tuple(parts[:4]))
    asyncio.get_running_loop().add_signal_handler(signal.SIGUSR1, released.set)
    server = await asyncio.start_unix_server(serve, path=sys.argv[1])
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
