#!/usr/bin/env python3
"""Measures what hostile peers cost a networked game, with real orbitfall-sim
processes on loopback:

 1. drain: a peer that has only connected sends 2 MiB of zero-length
    packets at once; reported are the host's CPU time and wall time until it
    is idle again, the lobby lines it wrote, and whether it dropped the peer;
 2. flood: host and three clients on Kreuzung (a four-player map),
    2,000 frames, host frame 1 ms; one client adds the whole map to its selection 255 times every frame;
    reported are the peak resident memory of every process and the frames
    per second of each (the honest client's above all);
 3. stale: host and one honest client on Zweikampf, 400 frames of 5 ms; a
    third peer greets and takes its seat like a copy of the game, then stamps
    every command (a select-all of its own units) with frame 0, every 2 ms;
    reported are the host's wall time, the frames the honest client played
    in sync with the host, and when (host frame, seconds) the peer was dropped;
 4. commands: host and two clients on Zweikampf, 300 frames of 5 ms; one
    client sends 100,000 commands (1,000 in each of its first 100 frames,
    the whole map added to its selection, most of them without effect or
    beyond a frame's 255); reported are each machine's wall time and the
    size and line count of its log.txt (and log.old.txt).

Usage: scripts/measure-hostile-peers.py [build-dir] [drain|flood|stale|commands ...]
(default build, all measurements).
"""
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

# Whatever this starts looks for games on loopback only, never on the
# network around this machine.
os.environ["ORBITFALL_DISCOVERY"] = "loopback"

KINDS = ("drain", "flood", "stale", "commands")
build = sys.argv[1] if len(sys.argv) > 1 and not sys.argv[1] in KINDS else "build"
which = [a for a in sys.argv[1:] if a in KINDS] or list(KINDS)
repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sim = os.path.join(build, "orbitfall-sim")
work = tempfile.mkdtemp(prefix="orbitfall-hostile-")
TICK = os.sysconf("SC_CLK_TCK")


def start(args, name):
    folder = os.path.join(work, name) + "/"
    os.makedirs(folder, exist_ok=True)
    out = open(folder + "out.txt", "w")
    proc = subprocess.Popen([sim] + args + ["--user-dir", folder], stdout=out, stderr=subprocess.STDOUT)
    return proc, folder + "out.txt"


def port_of(out_path):
    for _ in range(200):
        m = re.search(r"^port (\d+)$", open(out_path).read(), re.M)
        if m:
            return int(m.group(1))
        time.sleep(0.05)
    raise SystemExit("host did not start")


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def rss_kib(pid):
    try:
        m = re.search(r"VmRSS:\s+(\d+)", open(f"/proc/{pid}/status").read())
        return int(m.group(1)) if m else 0
    except OSError:
        return 0


def drain():
    host, out = start(["host", "--port", "0", "--clients", "2", "--map", "Zweikampf", "--frames", "5"], "drain")
    port = port_of(out)
    peer = socket.create_connection(("127.0.0.1", port))
    time.sleep(0.3)
    before = cpu_seconds(host.pid)
    t0 = time.monotonic()
    try:
        peer.sendall(bytes(2 << 20))
    except OSError:
        pass  # the host may close the connection before all of it is written
    sent = time.monotonic() - t0
    # Idle: no CPU time used for half a second.
    last, still = cpu_seconds(host.pid), 0
    while still < 5 and time.monotonic() - t0 < 120:
        time.sleep(0.1)
        now = cpu_seconds(host.pid)
        still = still + 1 if now == last else 0
        last = now
    busy_wall = time.monotonic() - t0 - 0.5
    text = open(out).read()
    lines = text.count("lobby: Packet-Error")
    dropped = "Player 1" in text  # the departure line names it
    host.kill()
    host.wait()
    peer.close()
    print("== drain: 2 MiB of zero-length packets from a peer that only connected")
    print(f"  written in {sent * 1000:.0f} ms; host busy {last - before:.2f} s CPU, {busy_wall:.2f} s wall; "
          f"{lines} 'Packet-Error' lobby lines; peer disconnected: {'yes' if dropped else 'no'}")


def flood(frames=2000):
    folder = os.path.join(work, "flood-scripts")
    os.makedirs(folder, exist_ok=True)
    script = os.path.join(folder, "selectadd.txt")
    with open(script, "w") as f:
        for frame in range(frames):
            f.write(f"{frame} selectadd 0 0 300 300\n" * 255)
    host, hout = start(["host", "--port", "0", "--clients", "3", "--map", "Kreuzung", "--frames", str(frames),
                        "--frame-ms", "1", "--seed", "424242", "--stats"], "host")
    port = port_of(hout)
    join = ["join", "127.0.0.1", "--port", str(port), "--frames", str(frames), "--stats"]
    honest, cout = start(join, "honest")
    time.sleep(0.3)
    second, _ = start(join, "second")
    time.sleep(0.3)
    flooder, fout = start(join + ["--script", script], "flooder")
    procs = {"host": host, "honest client": honest, "second honest client": second, "flooding client": flooder}
    peak = {name: 0 for name in procs}
    t0 = time.monotonic()
    limit = float(os.environ.get("ORBITFALL_MEASURE_LIMIT", "900"))
    while any(p.poll() is None for p in procs.values()) and time.monotonic() - t0 < limit:
        for name, p in procs.items():
            if p.poll() is None:
                peak[name] = max(peak[name], rss_kib(p.pid))
        time.sleep(0.1)
    for p in procs.values():
        if p.poll() is None:
            p.kill()
        p.wait()
    print(f"== flood: Kreuzung, host and 3 clients, {time.monotonic() - t0:.0f} s, {frames} frames, host frame 1 ms, "
          f"255 selectadd of the whole map per frame from one client")
    for name, out in (("host", hout), ("honest client", cout), ("flooding client", fout)):
        text = open(out).read()
        m = re.search(r"^stats .*$", text, re.M)
        stats = m.group(0) if m else f"no stats line, {text.count(chr(10) + 'frame ')} frames run"
        print(f"  {name}: peak RSS {peak[name] / 1024:.1f} MiB; {stats}")
    try:
        same = open(os.path.join(work, "host", "Replays", "Latest.ofr"), "rb").read() == \
            open(os.path.join(work, "honest", "Replays", "Latest.ofr"), "rb").read()
        print(f"  honest client's replay identical to the host's: {'yes' if same else 'no'}")
    except OSError:
        print("  no replay to compare")


def fnv1a64(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return h


def shipped(relative):
    """A shipped data file, its name matched ignoring letter case."""
    path = os.path.join(repo, "Game", "Data")
    for part in relative.split("/"):
        names = {n.lower(): n for n in os.listdir(path)}
        path = os.path.join(path, names[part.lower()])
    return open(path, "rb").read()


def greeting(map_name):
    """The greeting a copy of this program on the shipped data sends (only the one map)."""
    version = subprocess.run([sim, "--version"], capture_output=True, text=True).stdout.split()[-1].encode()
    body = bytes([4, len(version)]) + version.ljust(32, b"\0")
    body += fnv1a64(shipped("Units/Units.ofu")).to_bytes(8, "little") + bytes([1])
    name = map_name.encode()
    body += bytes([len(name)]) + name + fnv1a64(shipped(f"Maps/{map_name}.ofm")).to_bytes(8, "little")
    return body


def framed(payload):
    return len(payload).to_bytes(2, "little") + payload


def stale(frames=400):
    host, hout = start(["host", "--port", "0", "--clients", "2", "--map", "Zweikampf", "--frames", str(frames),
                        "--frame-ms", "5", "--seed", "5150", "--stats"], "stale-host")
    t_host = time.monotonic()
    port = port_of(hout)
    honest, cout = start(["join", "127.0.0.1", "--port", str(port), "--frames", str(frames), "--stats"],
                         "stale-honest")
    while "A player joined" not in open(hout).read():
        time.sleep(0.02)
    peer = socket.create_connection(("127.0.0.1", port))
    peer.sendall(framed(greeting("Zweikampf")))
    peer.setblocking(False)
    received, player, started, dropped_after = b"", None, None, None
    commands = 0
    while host.poll() is None and time.monotonic() - t_host < 300:
        try:
            chunk = peer.recv(1 << 16)
            if not chunk:
                dropped_after = time.monotonic() - started if started else 0.0
                break
            received += chunk
        except BlockingIOError:
            pass
        except OSError:
            dropped_after = time.monotonic() - started if started else 0.0
            break
        while player is None and len(received) >= 2:
            size = int.from_bytes(received[:2], "little")
            if len(received) < 2 + size:
                break
            packet, received = received[2:2 + size], received[2 + size:]
            if size == 141 and packet[0] == 2:
                player = packet[1 + 136]
                started = time.monotonic()
                peer.setblocking(True)
                peer.sendall(framed(bytes([3])))
                peer.setblocking(False)
        if player is not None:
            received = b""  # frames and relayed commands are of no interest
            command = bytes([0, 3, 0, player]) + (0).to_bytes(4, "little", signed=True) + bytes(16)
            try:
                peer.send(framed(command))
                commands += 1
            except OSError:
                pass
        time.sleep(0.002)
    host.wait(timeout=300)
    host_wall = time.monotonic() - t_host
    honest.wait(timeout=60)
    peer.close()
    htext, ctext = open(hout).read(), open(cout).read()
    host_frames = dict(re.findall(r"^frame (\d+) checksum (\w+)$", htext, re.M))
    client_frames = dict(re.findall(r"^frame (\d+) checksum (\w+)$", ctext, re.M))
    in_sync = sum(1 for f, c in client_frames.items() if host_frames.get(f) == c)
    lobby = re.findall(r"^lobby: .*$", htext, re.M)
    left = re.search(r"^lobby: .*Player 2.*$", htext, re.M)
    dropped_frame = len(re.findall(r"^frame ", htext[:left.start()], re.M)) if left else None
    stats = re.search(r"^stats .*$", htext, re.M)
    print(f"== stale: Zweikampf, {frames} frames of 5 ms, one honest client, one peer stamping every command "
          f"with frame 0 every 2 ms")
    print(f"  host wall time {host_wall:.1f} s (process start to exit); {stats.group(0) if stats else 'no stats'}")
    print(f"  honest client: {len(client_frames)} frames, {in_sync} in sync with the host; exit {honest.returncode}")
    if left:
        print(f"  stale peer dropped at host frame {dropped_frame}, {dropped_after or 0:.2f} s after its start "
              f"record ({commands} commands sent); line: {left.group(0)}")
    else:
        print(f"  stale peer not dropped ({commands} commands sent)")
    print("  host lobby: " + " | ".join(line[len("lobby: "):] for line in lobby))


def log_files(name):
    sizes = []
    for log in ("log.txt", "log.old.txt"):
        try:
            data = open(os.path.join(work, name, log), "rb").read()
        except OSError:
            continue
        lines = data.count(b"\n")
        sizes.append(f"{log} {len(data) / 1024:.0f} KiB, {lines} lines")
    return "; ".join(sizes) or "no log"


def commands(frames=300, flood_frames=100, per_frame=1000):
    folder = os.path.join(work, "command-scripts")
    os.makedirs(folder, exist_ok=True)
    script = os.path.join(folder, "commands.txt")
    with open(script, "w") as f:
        for frame in range(flood_frames):
            f.write(f"{frame} selectadd 0 0 300 300\n" * per_frame)
    host, hout = start(["host", "--port", "0", "--clients", "2", "--map", "Zweikampf", "--frames", str(frames),
                        "--frame-ms", "5", "--seed", "424242", "--stats"], "host")
    port = port_of(hout)
    join = ["join", "127.0.0.1", "--port", str(port), "--frames", str(frames), "--stats"]
    t0 = time.monotonic()
    honest, _ = start(join, "honest")
    time.sleep(0.3)
    flooder, _ = start(join + ["--script", script], "flooder")
    procs = {"host": host, "honest": honest, "flooder": flooder}
    ended = {}
    limit = float(os.environ.get("ORBITFALL_MEASURE_LIMIT", "900"))
    while len(ended) < len(procs) and time.monotonic() - t0 < limit:
        for name, p in procs.items():
            if name not in ended and p.poll() is not None:
                ended[name] = time.monotonic() - t0
        time.sleep(0.05)
    for p in procs.values():
        if p.poll() is None:
            p.kill()
        p.wait()
    print(f"== commands: Zweikampf, host and 2 clients, {frames} frames of 5 ms, "
          f"{flood_frames * per_frame} selectadd commands from one client")
    for name in procs:
        wall = f"{ended[name]:.1f} s" if name in ended else "killed at the limit"
        print(f"  {name}: wall {wall}, exit {procs[name].returncode}; {log_files(name)}")


for w in which:
    {"drain": drain, "flood": flood, "stale": stale, "commands": commands}[w]()
    if w == "stale":
        stale(5000)  # long enough to see when the peer is dropped
subprocess.run(["rm", "-rf", work])
