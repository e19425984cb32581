"""Inner part of bench/desktop/run.sh, inside the X server and the session bus."""
import os
import statistics
import subprocess
import sys
import time

work, runs, probe_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
prog = os.path.join(work, "prog", "VemlaPlayer")
disk = os.path.join(work, "out.raw")
base_env = dict(os.environ, SDL_AUDIODRIVER="dummy", XDG_RUNTIME_DIR=os.path.join(work, "rt"))
base_env.pop("QT_QPA_PLATFORM", None)
os.makedirs(base_env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
no_bus_env = dict(base_env)
no_bus_env.pop("DBUS_SESSION_BUS_ADDRESS", None)
log = open(os.path.join(work, "player.log"), "ab")

probe = subprocess.Popen([probe_path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
assert probe.stdout.readline().strip() == "ready"


def reset_files():
    for name in ("VemlaPlayer.INI", "VemlaPlayer.M3U"):
        try:
            os.remove(os.path.join(work, "prog", name))
        except FileNotFoundError:
            pass


def launch(env):
    """Milliseconds from launch to the main window mapped, and the running process."""
    t0 = time.monotonic_ns()
    p = subprocess.Popen([prog], env=env, stdout=log, stderr=log)
    probe.stdin.write(f"map {p.pid}\n")
    probe.stdin.flush()
    words = probe.stdout.readline().split()
    return (int(words[1]) - t0) / 1e6, p


def stop(p):
    p.terminate()
    p.wait()


def mpris(*args, reply=False):
    # dbus-send sends a signal unless told it is a method call.
    cmd = ["dbus-send", "--session", "--type=method_call",
           "--dest=org.mpris.MediaPlayer2.vemlaplayer"]
    if reply:
        cmd.append("--print-reply")
    cmd += ["/org/mpris/MediaPlayer2", *args]
    return subprocess.run(cmd, capture_output=True, text=True)


def wait_for_bus():
    for _ in range(500):
        r = mpris("org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
                  "string:PlaybackStatus", reply=True)
        if r.returncode == 0:
            return r.stdout
        time.sleep(0.01)
    raise SystemExit("the player never appeared on the bus")


with_bus, without_bus = [], []
for _ in range(runs):
    for env, out in ((base_env, with_bus), (no_bus_env, without_bus)):
        reset_files()
        ms, p = launch(env)
        out.append(ms)
        stop(p)
print(f"launch -> main window mapped, with the session bus (media controls), ms: "
      f"{statistics.median(with_bus):.1f} (runs: {' '.join(f'{v:.1f}' for v in with_bus)})")
print(f"launch -> main window mapped, without a session bus, ms: "
      f"{statistics.median(without_bus):.1f} (runs: {' '.join(f'{v:.1f}' for v in without_bus)})")

# PlayPause over the bus -> the first sound written by SDL's disk output (real-time pacing).
reset_files()
with open(os.path.join(work, "prog", "VemlaPlayer.M3U"), "w", newline="") as f:
    f.write(f"#EXTM3U\r\n{work}/tone.wav\r\n")
env = dict(base_env, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=disk)
_, p = launch(env)
wait_for_bus()
latencies, round_trips = [], []


def first_sound_after(offset, deadline_s=5):
    end = time.monotonic() + deadline_s
    with open(disk, "rb") as f:
        while time.monotonic() < end:
            f.seek(offset)
            data = f.read()
            for i in range(0, len(data) - 1, 2):
                v = int.from_bytes(data[i:i + 2], "little", signed=True)
                if abs(v) > 300:
                    return True
            offset += len(data) - (len(data) % 4)
            time.sleep(0.0005)
    return False


for i in range(runs):
    t = time.monotonic_ns()
    mpris("org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
          "string:PlaybackStatus", reply=True)
    round_trips.append((time.monotonic_ns() - t) / 1e6)
    # Paused (or stopped the first time): silence flows; then PlayPause.
    time.sleep(0.3)
    size = os.path.getsize(disk)
    t0 = time.monotonic_ns()
    mpris("org.mpris.MediaPlayer2.Player.PlayPause")
    if first_sound_after(size):
        latencies.append((time.monotonic_ns() - t0) / 1e6)
    time.sleep(0.3)
    mpris("org.mpris.MediaPlayer2.Player.Pause", reply=True)
# The same through the pause key C, for comparison: what the bus adds is the difference.
wid = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "VemlaPlayer v1.0b"],
                     capture_output=True, text=True).stdout.split()
key_latencies = []
if wid:
    subprocess.run(["xdotool", "windowfocus", "--sync", wid[0]])
    for i in range(runs):
        time.sleep(0.3)
        size = os.path.getsize(disk)
        t0 = time.monotonic_ns()
        subprocess.run(["xdotool", "key", "c"])
        if first_sound_after(size):
            key_latencies.append((time.monotonic_ns() - t0) / 1e6)
        time.sleep(0.3)
        mpris("org.mpris.MediaPlayer2.Player.Pause", reply=True)
print(f"PlayPause over the bus -> first sound in the disk output, ms: "
      f"{statistics.median(latencies):.1f} (runs: {' '.join(f'{v:.1f}' for v in latencies)})")
print(f"  of which a dbus-send round trip (Get PlaybackStatus), ms: "
      f"{statistics.median(round_trips):.1f}")
if key_latencies:
    print(f"pause key C -> first sound in the disk output (same path without the bus), ms: "
          f"{statistics.median(key_latencies):.1f} "
          f"(runs: {' '.join(f'{v:.1f}' for v in key_latencies)})")

# 1,000 calls within about a second, answered while the window keeps answering X pings.
mpris("org.mpris.MediaPlayer2.Player.Play", reply=True)
flood = subprocess.Popen(["bash", "-c", """
for i in $(seq 1 1000); do
  dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.vemlaplayer /org/mpris/MediaPlayer2 \
    org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player string:Metadata &
  if [ $((i % 10)) -eq 0 ]; then
    dbus-send --session --type=method_call --dest=org.mpris.MediaPlayer2.vemlaplayer /org/mpris/MediaPlayer2 \
      org.mpris.MediaPlayer2.Player.Seek int64:0 &
  fi
  [ $((i % 100)) -eq 0 ] && wait
done
wait"""])
if wid:
    probe.stdin.write(f"ping {wid[0]} 3000\n")
    probe.stdin.flush()
    words = probe.stdout.readline().split()
    print(f"longest window answer (X ping) during 1,000 bus calls, ms: {words[1]}")
flood.wait()
stop(p)
probe.stdin.close()
probe.wait()
