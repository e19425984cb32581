#!/usr/bin/env bash
# Builds the libFuzzer targets of the tag, list and INI readers with clang and runs each one in
# turn.
# Usage: bench/tags/fuzz.sh [seconds per target (default 600)] [id3v1|id3v2|ogg|m3u|ini ...]
# Work folder (binaries, corpora, crash files, logs): $FUZZ_DIR, default /tmp/vemla-fuzz-tags.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(id3v1 id3v2 ogg m3u ini)
work=${FUZZ_DIR:-/tmp/vemla-fuzz-tags}
mkdir -p "$work"

sources() {  # what each target links
  case $1 in
    m3u) echo "$root"/src/playlist/*.cpp "$root"/src/tags/*.cpp ;;
    ini) echo "$root"/src/core/Ini.cpp ;;
    *) echo "$root"/src/tags/*.cpp ;;
  esac
}
flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$root/src")

seed() {  # small valid inputs for each target
  local dir=$work/corpus-$1
  mkdir -p "$dir"
  case $1 in
    id3v1)
      python3 -c "import sys; sys.stdout.buffer.write(b'\xff\xfb'*100 + b'TAG' + b'Title'.ljust(30,b'\0') + b'Artist'.ljust(30,b' ') + b'Album'.ljust(30,b'\0') + b'2001' + b'Comment'.ljust(28,b'\0') + b'\0\x07\x11')" >"$dir/v11" ;;
    id3v2)
      python3 - "$dir/v23" <<'PY'
import struct, sys
def frame(fid, data): return fid + struct.pack('>I', len(data)) + b'\0\0' + data
body = (frame(b'TIT2', b'\0Title') + frame(b'TPE1', b'\0Artist') + frame(b'TRCK', b'\x003/12') +
        frame(b'TCON', b'\0(17)Rock') + frame(b'COMM', b'\0eng\0Nice') + b'\0' * 20)
size = len(body)
hdr = b'ID3\3\0\0' + bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127, size & 127])
open(sys.argv[1], 'wb').write(hdr + body + b'\xff\xfb\x90\x00' * 50)
u16 = lambda s: '\ufeff'.encode('utf-16-le') + s.encode('utf-16-le')
body = (frame(b'TIT2', b'\1' + u16('Canci\u00f3n \U0001F600') + b'\0\0') +
        frame(b'TPE1', b'\2' + 'Artista'.encode('utf-16-be')) +
        frame(b'COMM', b'\1eng' + u16('') + b'\0\0' + u16('Bien')) + b'\0' * 20)
size = len(body)
hdr = b'ID3\3\0\0' + bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127, size & 127])
open(sys.argv[1] + '-utf16', 'wb').write(hdr + body + b'\xff\xfb\x90\x00' * 50)
PY
      ;;
    m3u)
      printf '#EXTM3U\r\n#EXTINF:215,Grupo - Canción\r\n/música/uno.mp3\r\n#EXTINF:-1,\r\nCDA://0,3\r\nrelativo/dos.ogg\r\nhttp://example.invalid/x.mp3\r\nC:\\Música\\tres.wma\r\n' >"$dir/list" ;;
    ini)
      printf '[GENERAL]\r\nSILENCIO=NO\r\nVOLUMEN= 277 \r\n; nota\r\n[FX]\r\nTIPO=3\r\n\0GENERAL\1volumen\1 50\0NUEVA\1CLAVE\1SI' >"$dir/settings" ;;
    ogg)
      [ -s "$dir/short.ogg" ] || ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:duration=0.3" \
        -c:a libvorbis -metadata title=Canción -metadata TRACKNUMBER=3/12 "$dir/short.ogg" ;;
  esac
}

for t in "${targets[@]}"; do
  bin=$work/fuzz_$t
  read -r -a srcs <<<"$(sources "$t")"
  if [ ! -x "$bin" ] || [ -n "$(find "${srcs[@]}" "$here/fuzz_$t.cpp" -newer "$bin")" ]; then
    clang++ "${flags[@]}" "$here/fuzz_$t.cpp" "${srcs[@]}" -o "$bin"
  fi
  seed "$t"
  mkdir -p "$work/crashes-$t"
  echo "== fuzz_$t for ${seconds}s"
  nice -n 10 "$bin" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=5 \
    -artifact_prefix="$work/crashes-$t/" "$work/corpus-$t" >"$work/fuzz_$t.log" 2>&1 || true
  grep -E "DONE|^Done [0-9]+ runs" "$work/fuzz_$t.log" || tail -n 30 "$work/fuzz_$t.log"
  echo "findings: $(find "$work/crashes-$t" -type f | wc -l) file(s) in $work/crashes-$t"
done
