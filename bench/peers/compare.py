#!/usr/bin/env python3
"""Side-by-side figures of VemlaPlayer and the peer players, under one X server.

Run through bench/peers/run.sh, which builds the player and the X probe, makes the media and starts
Xvfb and a session bus. Every run measures each player in turn (interleaved, so a busy moment of
the machine hits all of them alike); the table shows medians.

Figures per player:
  launch -> window mapped (empty list); RSS, PSS and private memory 3 s later;
  CPU and memory while playing the MP3 with the visualiser;
  the N-entry list: launch -> list complete, the longest window stall meanwhile, memory.
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HZ = os.sysconf("SC_CLK_TCK")


def smaps(pid):
    """RSS, PSS and private memory (MiB) of a process, from smaps_rollup."""
    vals = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[0].endswith(":") and parts[1].isdigit():
                vals[parts[0][:-1]] = int(parts[1]) / 1024
    priv = vals.get("Private_Clean", 0) + vals.get("Private_Dirty", 0)
    return vals.get("Rss", 0), vals.get("Pss", 0), priv


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def cpu_ns(pid):
    """Run time of the process's live threads (ns, from schedstat), summed."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:  # the thread ended meanwhile
            pass
    return total


def cpu_seconds(before, after):
    """CPU time between two (ticks, ns) readings. The kernel's ticks count every thread but
    are 10 ms steps, a tenth of what a player uses in a 20 s window; the threads' own clocks
    are exact but lose a thread that ends. They are used when the two agree to two ticks."""
    ticks = (after[0] - before[0]) / HZ
    exact = (after[1] - before[1]) / 1e9
    return exact if abs(exact - ticks) <= 2 / HZ else ticks


class Probe:
    """The X probe (XProbe.cpp): map events and ping round trips, one command per line."""

    def __init__(self, exe):
        self.p = subprocess.Popen([exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        if self.p.stdout.readline().strip() != "ready":
            raise RuntimeError("X probe did not start")

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def read(self, timeout):
        import select
        r, _, _ = select.select([self.p.stdout], [], [], timeout)
        if not r:
            raise TimeoutError("no answer from the X probe")
        return self.p.stdout.readline().split()

    def close(self):
        self.p.kill()
        self.p.wait()


class Player:
    """One player: how to start it empty, playing a file, or with a list, and how to tell its
    list is complete."""

    list_before_window = False  # True: the whole list is in before the window maps

    def __init__(self, name, label, args):
        self.name, self.label, self.args = name, label, args
        self.proc = None

    def env(self, home):
        e = dict(os.environ, HOME=home, XDG_CONFIG_HOME=f"{home}/.config",
                 XDG_RUNTIME_DIR=f"{home}/rt", SDL_AUDIODRIVER="dummy", QT_QPA_PLATFORM="xcb")
        os.makedirs(e["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        return e

    def prepare_home(self, home):
        pass

    def launch(self, mode, media, home, probe):
        """Starts the player; returns (start ns, mapped ns, window id)."""
        self.prepare_home(home)
        cmd, cwd = self.command(mode, media, home)
        t0 = time.monotonic_ns()
        self.proc = subprocess.Popen(cmd, cwd=cwd, env=self.env(home), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
        probe.send(f"map {self.proc.pid}")
        ans = probe.read(self.args.timeout)
        return t0, int(ans[1]), int(ans[2])

    def after_map(self, mode, window):
        pass

    def list_length(self, home):
        return None

    def stop(self):
        if not self.proc:
            return
        try:
            os.killpg(self.proc.pid, signal.SIGTERM)
            self.proc.wait(timeout=10)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
        self.proc = None


class Ours(Player):
    list_before_window = True

    def __init__(self, args, folder=None, name="ours", label="VemlaPlayer"):
        super().__init__(name, label, args)
        self.folder = folder or args.program

    def command(self, mode, media, home):
        stem = os.path.join(self.folder, "VemlaPlayer")
        for ext in (".INI", ".M3U"):
            if os.path.exists(stem + ext):
                os.remove(stem + ext)
        if mode == "play":
            with open(stem + ".M3U", "w") as f:
                f.write(f"#EXTM3U\r\n{media['mp3']}\r\n")
        elif mode == "list":
            shutil.copy(media["list"], stem + ".M3U")
        return [stem], self.folder

    def after_map(self, mode, window):
        if mode == "play":  # X plays the selected row; its key goes to the focused main window
            subprocess.run(["xdotool", "windowfocus", "--sync", str(window), "key", "x"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)


class Audacious(Player):
    def __init__(self, args, registry):
        super().__init__("audacious", "Audacious", args)
        self.registry = registry

    def prepare_home(self, home):
        conf = f"{home}/.config/audacious"
        os.makedirs(conf, exist_ok=True)
        shutil.copy(self.registry, f"{conf}/plugin-registry")
        with open(f"{conf}/config", "w") as f:
            f.write("[skins]\nplaylist_visible=TRUE\n")

    def command(self, mode, media, home):
        cmd = ["audacious", "-Q"]
        if mode == "play":
            cmd.append(media["mp3"])
        elif mode == "list":
            cmd += ["-e", media["list"]]
        return cmd, home

    def list_length(self, home):
        r = subprocess.run(["audtool", "playlist-length"], env=self.env(home), capture_output=True,
                           text=True, timeout=20)
        return int(r.stdout.strip() or 0) if r.returncode == 0 else None


class Qmmp(Player):
    def __init__(self, args):
        super().__init__("qmmp", "Qmmp", args)

    def prepare_home(self, home):
        os.makedirs(f"{home}/.qmmp", exist_ok=True)
        with open(f"{home}/.qmmp/qmmprc", "w") as f:
            f.write("[General]\nui=skinned\n[Output]\ncurrent_plugin=null\n")

    def command(self, mode, media, home):
        cmd = ["qmmp", "--ui", "skinned"]
        if mode == "play":
            cmd.append(media["mp3"])
        elif mode == "list":
            cmd += ["-e", media["list"]]
        return cmd, home

    def list_length(self, home):
        r = subprocess.run(["qmmp", "--pl-dump", "1"], env=self.env(home), capture_output=True,
                           text=True, timeout=60)
        return sum(1 for l in r.stdout.splitlines() if l.strip()) if r.returncode == 0 else None


def audacious_registry(work):
    """Audacious picks its interface and output from its plugin registry: make one in a headless
    start, then enable only the skinned Qt interface and the SDL output."""
    home = tempfile.mkdtemp(dir=work)
    env = dict(os.environ, HOME=home, SDL_AUDIODRIVER="dummy")
    p = subprocess.Popen(["audacious", "-H", "-Q"], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    reg = f"{home}/.config/audacious/plugin-registry"
    deadline = time.monotonic() + 60
    while subprocess.run(["audtool", "version"], env=env, capture_output=True).returncode != 0:
        if time.monotonic() > deadline:
            raise RuntimeError("audacious did not start headless")
        time.sleep(0.2)
    subprocess.run(["audtool", "shutdown"], env=env, capture_output=True)
    p.wait(timeout=30)
    out, kind, path = [], None, ""
    for line in open(reg):
        word = line.split(" ", 1)
        if word[0] in ("iface", "output"):
            kind, path = word[0], word[1].strip()
        elif word[0] == "enabled" and kind:
            want = (kind == "iface" and path.endswith("/skins-qt.so")) or \
                   (kind == "output" and path.endswith("/sdlout.so"))
            line = f"enabled {1 if want else 0}\n"
            kind = None
        out.append(line)
    dest = f"{work}/audacious-plugin-registry"
    with open(dest, "w") as f:
        f.writelines(out)
    shutil.rmtree(home, ignore_errors=True)
    return dest


def measure(player, test, args, media, probe, work):
    home = tempfile.mkdtemp(dir=work)
    res = {}
    try:
        t0, mapped, win = player.launch(test, media, home, probe)
        pid = player.proc.pid
        res["map_ms"] = (mapped - t0) / 1e6
        if test == "startup":
            time.sleep(3)
            res["rss"], res["pss"], res["priv"] = smaps(pid)
        elif test == "play":
            player.after_map(test, win)
            time.sleep(2)
            c0, w0 = (cpu_ticks(pid), cpu_ns(pid)), time.monotonic()
            peak = 0.0
            while time.monotonic() - w0 < args.window:
                time.sleep(1)
                peak = max(peak, smaps(pid)[0])
            c1, w1 = (cpu_ticks(pid), cpu_ns(pid)), time.monotonic()
            res["cpu"] = cpu_seconds(c0, c1) / (w1 - w0) * 100
            res["rss"], res["pss"], res["priv"] = smaps(pid)
            res["rss"] = max(res["rss"], peak)
        elif test == "list":
            # The window is pinged while the list fills; the list is complete when the player says
            # it holds every entry.
            probe.send(f"ping {win} {args.stall_ms}")
            full = mapped
            if not player.list_before_window:
                deadline = time.monotonic() + args.timeout
                while time.monotonic() < deadline:
                    n = player.list_length(home)
                    if n is not None and n >= media["count"]:
                        full = time.monotonic_ns()
                        break
                    time.sleep(0.05)
                else:
                    full = None
            ans = probe.read(args.stall_ms / 1000 + args.timeout)
            res["list_ms"] = (full - t0) / 1e6 if full else None
            res["stall_ms"] = float(ans[1])
            res["rss"], res["pss"], res["priv"] = smaps(pid)
    finally:
        player.stop()
        shutil.rmtree(home, ignore_errors=True)
    return res


ROWS = [  # (label, test, key, unit format)
    ("launch -> window mapped, empty list", "startup", "map_ms", "{:.0f} ms"),
    ("RSS 3 s after start", "startup", "rss", "{:.1f} MiB"),
    ("PSS 3 s after start", "startup", "pss", "{:.1f} MiB"),
    ("private memory 3 s after start", "startup", "priv", "{:.1f} MiB"),
    ("CPU while playing with the visualiser", "play", "cpu", "{:.2f} %"),
    ("RSS while playing", "play", "rss", "{:.1f} MiB"),
    ("PSS while playing", "play", "pss", "{:.1f} MiB"),
    ("private memory while playing", "play", "priv", "{:.1f} MiB"),
    ("{n}-entry list: launch -> list complete", "list", "list_ms", "{:.0f} ms"),
    ("{n}-entry list: RSS", "list", "rss", "{:.1f} MiB"),
    ("{n}-entry list: PSS", "list", "pss", "{:.1f} MiB"),
    ("{n}-entry list: longest window stall", "list", "stall_ms", "{:.0f} ms"),
]


def table(results, players, count):
    names = [p.name for p in players]
    peers = [p for p in players if p.name != "ours"]
    head = ["figure"] + [p.label for p in players] + [f"ours ÷ {p.label}" for p in peers]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for label, test, key, fmt in ROWS:
        meds = {}
        for n in names:
            vals = [r[key] for r in results.get((n, test), []) if r.get(key) is not None]
            meds[n] = statistics.median(vals) if vals else None
        if all(v is None for v in meds.values()):
            continue
        cells = [fmt.format(meds[n]) if meds[n] is not None else "—" for n in names]
        ratios = []
        for p in peers:
            ok = meds.get("ours") is not None and meds[p.name] and key != "stall_ms"
            ratios.append(f"{meds['ours'] / meds[p.name]:.2f}" if ok else "—")
        lines.append("| " + " | ".join([label.format(n=count)] + cells + ratios) + " |")
    return "\n".join(lines)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True, help="VemlaPlayer program folder (writable copy)")
    ap.add_argument("--probe", required=True)
    ap.add_argument("--media", required=True, help="folder with tone120.mp3 and list.m3u")
    ap.add_argument("--count", type=int, required=True, help="entries in list.m3u")
    ap.add_argument("--peers", default="audacious,qmmp")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--tests", default="startup,play,list")
    ap.add_argument("--window", type=float, default=20, help="seconds of CPU measurement")
    ap.add_argument("--stall-ms", type=int, default=3000)
    ap.add_argument("--timeout", type=float, default=120)
    ap.add_argument("--baseline", help="another build's program folder (writable copy), measured "
                    "beside the others as \"VemlaPlayer before\"")
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="vemla-peers-")
    players = [Ours(args)]
    if args.baseline:
        players.append(Ours(args, args.baseline, "before", "VemlaPlayer before"))
    for name in [p for p in args.peers.split(",") if p]:
        if name == "audacious" and shutil.which("audacious"):
            players.append(Audacious(args, audacious_registry(work)))
        elif name == "qmmp" and shutil.which("qmmp"):
            players.append(Qmmp(args))
        else:
            print(f"{name}: not installed, left out (bench/peers/run.sh --install)", file=sys.stderr)
    media = {"mp3": f"{args.media}/tone120.mp3", "list": f"{args.media}/list.m3u",
             "count": args.count}
    probe = Probe(args.probe)
    results = {}
    try:
        for run in range(args.runs):
            for test in args.tests.split(","):
                for p in players:
                    try:
                        r = measure(p, test, args, media, probe, work)
                    except (TimeoutError, RuntimeError, OSError) as e:
                        print(f"run {run + 1} {p.name} {test}: {e}", file=sys.stderr)
                        probe.close()
                        probe = Probe(args.probe)
                        continue
                    results.setdefault((p.name, test), []).append(r)
                    print(f"run {run + 1} {p.name} {test}: " +
                          ", ".join(f"{k}={v:.{2 if k == 'cpu' else 1}f}" for k, v in r.items()
                                    if v is not None),
                          file=sys.stderr)
    finally:
        probe.close()
        shutil.rmtree(work, ignore_errors=True)
    print(table(results, players, args.count))


if __name__ == "__main__":
    main()
