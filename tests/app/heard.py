#!/usr/bin/env python3
"""Waits until a growing raw sound file (44.1 kHz stereo 16-bit, as SDL's disk driver writes
it) holds at least COUNT windows of 100 ms of a HZ tone after byte FROM (0 by default).

Usage: heard.py RAW HZ COUNT [--from BYTES] [--key KEY] [--limit SECONDS]

With --key, presses KEY (xdotool) again every 10 s while none at all was heard: the first key
can be lost before the window has taken the focus. Gives up after --limit seconds (90)."""
import argparse
import array
import subprocess
import sys
import time

WINDOW = 4410 * 4  # bytes of 100 ms

parser = argparse.ArgumentParser()
parser.add_argument('raw')
parser.add_argument('hz', type=int)
parser.add_argument('count', type=int)
parser.add_argument('--from', dest='start', type=int, default=0)
parser.add_argument('--key', default='')
parser.add_argument('--limit', type=float, default=90)
args = parser.parse_args()

# The same rule as the whole-program tests: zero crossings of the left channel, 30 Hz either
# side for a low tone, 60 Hz for a high one.
tolerance = 30 if args.hz < 1000 else 60
offset = args.start // 4 * 4
found = 0
began = last_press = time.monotonic()
while time.monotonic() - began < args.limit:
    try:
        with open(args.raw, 'rb') as f:
            f.seek(offset)
            raw = f.read()
    except OSError:
        raw = b''
    whole = len(raw) // WINDOW * WINDOW
    samples = array.array('h', raw[:whole])
    offset += whole
    for w in range(0, len(samples), WINDOW // 2):
        left = samples[w:w + WINDOW // 2:2]
        if max(abs(v) for v in left) < 1000:
            continue
        crossings = sum(1 for a, b in zip(left, left[1:]) if (a < 0) != (b < 0))
        found += abs(crossings * 5 - args.hz) <= tolerance
    if found >= args.count:
        sys.exit(0)
    if args.key and found == 0 and time.monotonic() - last_press > 10:
        subprocess.run(['xdotool', 'key', args.key], check=False)
        last_press = time.monotonic()
    time.sleep(0.2)
print(f'{found} of {args.count} windows of {args.hz} Hz heard in {args.limit:.0f} s',
      file=sys.stderr)
sys.exit(1)
