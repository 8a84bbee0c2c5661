#!/usr/bin/env python3
"""A TCP relay on loopback that delays each direction like a slow network.

    scripts/delay-relay.py TARGET_PORT [--port P] [--delay-ms D] [--jitter-ms J] [--seed S]

Listens on 127.0.0.1:P (P = 0 picks a free port; the relay prints "port N"
once it listens) and connects every accepted connection to
127.0.0.1:TARGET_PORT. Each chunk read in one direction is written on after
D ms plus a uniform jitter in [-J, +J] ms. TCP never reorders bytes, and
neither does the relay: a chunk is never released before the one read ahead
of it in the same direction, so jitter only moves when a chunk leaves. The
two directions are delayed independently. A close on one side is passed on
after the data before it. Only loopback addresses are ever used.
"""
import argparse
import asyncio
import random
import sys
import time

HOST = "127.0.0.1"


async def pump(reader, writer, delay, jitter, rng):
    """Copies reader to writer, each chunk released at its own delayed time."""
    queue = asyncio.Queue()

    async def read_side():
        try:
            while True:
                data = await reader.read(65536)
                arrived = time.monotonic()
                await queue.put((arrived + delay + rng.uniform(-jitter, jitter), data))
                if not data:
                    return
        except (ConnectionError, OSError):
            await queue.put((time.monotonic(), b""))

    async def write_side():
        released = 0.0
        try:
            while True:
                due, data = await queue.get()
                # A later chunk never overtakes an earlier one.
                released = max(released, due)
                wait = released - time.monotonic()
                if wait > 0:
                    await asyncio.sleep(wait)
                if not data:
                    if writer.can_write_eof():
                        writer.write_eof()
                    return
                writer.write(data)
                await writer.drain()
        except (ConnectionError, OSError):
            pass

    reading = asyncio.ensure_future(read_side())
    try:
        await write_side()
    finally:
        reading.cancel()


async def serve(args):
    delay = args.delay_ms / 1000.0
    jitter = args.jitter_ms / 1000.0
    rng = random.Random(args.seed)
    connections = 0

    async def handle(client_reader, client_writer):
        nonlocal connections
        connections += 1
        try:
            target_reader, target_writer = await asyncio.open_connection(HOST, args.target_port)
        except OSError as error:
            print(f"connection {connections}: target refused: {error}", file=sys.stderr, flush=True)
            client_writer.close()
            return
        # Each direction draws from its own generator so that the other
        # direction's traffic does not change its delays.
        up = random.Random(rng.random())
        down = random.Random(rng.random())
        await asyncio.gather(
            pump(client_reader, target_writer, delay, jitter, up),
            pump(target_reader, client_writer, delay, jitter, down),
        )
        for w in (client_writer, target_writer):
            w.close()

    server = await asyncio.start_server(handle, HOST, args.port)
    print(f"port {server.sockets[0].getsockname()[1]}", flush=True)
    async with server:
        await server.serve_forever()


def main():
    parser = argparse.ArgumentParser(description="Delaying TCP relay on loopback")
    parser.add_argument("target_port", type=int)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--delay-ms", type=float, default=100.0)
    parser.add_argument("--jitter-ms", type=float, default=20.0)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if args.jitter_ms < 0 or args.jitter_ms > args.delay_ms:
        parser.error("jitter must lie between 0 and the delay")
    try:
        asyncio.run(serve(args))
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
