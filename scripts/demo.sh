#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds, sets up
# the default installation (~/ZBStatik, or $ZBSTATIK_HOME) with a program
# catalogue and a demo project in its data folder, lets the sample program
# beam calculate three positions of the project and change one of them in a
# second run, and shows the result with zbdb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target zbdb zbdb900 beam

product="${ZBSTATIK_HOME:-$HOME/ZBStatik}"
user_name="$(id -un 2>/dev/null || echo ZB_GAST)"
mkdir -p "$product"/{Programme,Daten,TMP,User/"$user_name",Basis}

# The catalogue of the suite's programs, unless the installation has one.
keys="$product/Programme/zbkeys.ini"
if [ ! -e "$keys" ] && [ ! -e "$product/Programme/ZBKEYS.DAT" ]; then
  cat > "$keys" <<'KEYS'
[GRP1]
Gruppe=1
Name=Stabwerke
icon=grp1.ico
[GRP2]
Gruppe=2
Name=Stahlbeton
icon=grp2.ico
[PRG1]
DBKey=101
Prg=DLT
Name=Durchlauftraeger
ExeName=DLT
ExePar=
Gruppe=1
Silent=1
TitelShort=Durchl.Tr.
[PRG2]
DBKey=120
Prg=EFT
Name=Einfeldtraeger
ExeName=EFT
ExePar=
Gruppe=1
Silent=1
TitelShort=Einfeldtr.
[PRG3]
DBKey=205
Prg=STB
Name=Stuetze Stahlbeton
ExeName=STB
ExePar=
Gruppe=2
Silent=1
TitelShort=Stuetze
KEYS
fi
# The sample program's entry, also in a catalogue written before it existed
# (program sections are read from PRG1 on until one is missing).
if [ -e "$keys" ] && ! grep -qi '^Prg=BEAM' "$keys"; then
  last="$(grep -o '^\[PRG[0-9]*\]' "$keys" | tr -dc '0-9\n' | sort -n | tail -1)"
  cat >> "$keys" <<KEYS
[PRG$(( ${last:-0} + 1 ))]
DBKey=130
Prg=BEAM
Name=Einfeldbalken
ExeName=beam
ExePar=
Gruppe=1
Silent=1
TitelShort=Balken
KEYS
fi

data="$product/Daten"
zbdb=build/zbdb
# The demo project, made through the library (project list, project file,
# two positions, the second locked), unless the data folder has one.
# (A new data folder has no project list yet.)
projects="$("$zbdb" projects "$data" 2>/dev/null || true)"
if ! grep -q ' Demoprojekt ' <<<"$projects"; then
  "$zbdb" demo "$data"
  projects="$("$zbdb" projects "$data")"
fi
demo="$data/$(awk '$2 == "Demoprojekt" { print $NF; exit }' <<<"$projects")"

# The sample program at work, as a calculation program of the suite: each
# run opens (or starts) its position, saves it into the project, writes its
# result record and the page numbers of its printout.
beam=build/beam
echo "== beam: three positions of Demoprojekt"
"$beam" "$data" Demoprojekt "Sturz über Fenster F1" --span 1.76 --load 18.4
"$beam" "$data" Demoprojekt "Pfette Achse 2" --span 4.50 --load 6.2
"$beam" "$data" Demoprojekt "Deckenbalken Bad" --span 3.90 --load 4.8
echo "== beam: a second run changes the span of Pfette Achse 2"
"$beam" "$data" Demoprojekt "Pfette Achse 2" --span 5.00 --load 6.2
"$beam" "$data" Demoprojekt "Pfette Achse 2" --show

echo "== zbdb config"
"$zbdb" config || true
echo "== zbdb programs"
"$zbdb" programs
echo "== zbdb projects $data"
"$zbdb" projects "$data"
echo "== zbdb positions $data Demoprojekt"
"$zbdb" positions "$data" Demoprojekt
echo "== zbdb check $demo"
"$zbdb" check "$demo"
echo "== zbdb list $demo"
"$zbdb" list "$demo"

# The explorer as an engineer sees it: the Windows build of the window,
# opened on the demo data folder under wine64 in a virtual display, and
# photographed.
wine=/usr/lib/wine/wine64
if [ -x "$wine" ] && command -v xvfb-run >/dev/null &&
   command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "== explorer (wine64 + Xvfb) on $data"
  win_build=build-win64-demo
  cmake -S . -B "$win_build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-x86_64-w64-mingw32-posix.cmake" \
    -DZBDB_BUILD_TESTS=OFF -DZBDB_BUILD_TOOLS=OFF -DZBDB_BUILD_BENCH=OFF >/dev/null
  cmake --build "$win_build" -j2 --target explorer_shot zbdisk ZBResource900 >/dev/null
  export WINEPREFIX="$PWD/$win_build/wine-prefix" WINEDEBUG=-all \
         WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    (unset DISPLAY; "$wine" wineboot --init >/dev/null 2>&1; /usr/lib/wine/wineserver64 -w)
    # Wine draws the window frames itself (no window manager in Xvfb).
    (unset DISPLAY; "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
       >/dev/null 2>&1; /usr/lib/wine/wineserver64 -w)
  fi
  windows_path() { printf 'Z:%s' "${1//\//\\}"; }
  p="$(windows_path "$(cd "$product" && pwd)")"
  shot="$PWD/$win_build/explorer"
  # The suite's folder companion takes the folders from these settings.
  ZBDB_PROGRAM_DIR="$p\\Programme\\" ZBDB_DATA_DIR="$p\\Daten\\" \
  ZBDB_TMP_DIR="$p\\TMP\\" ZBDB_USER_DIR="$p\\User\\" \
  ZBDB_INI_DIR="$p\\User\\$user_name\\" ZBDB_BASE_DIR="$p\\Basis\\" \
    timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" \
      "$wine" "$win_build/explorer_shot.exe" "$p\\Daten" \
      --screenshot "$(windows_path "$shot.bmp")" 2>/dev/null | tr -d '\r' || true
  /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  if [ -f "$shot.bmp" ] && python3 scripts/bmp_to_png.py "$shot.bmp" "$shot.png"; then
    echo "explorer screenshot: $shot.png"
  else
    echo "explorer: no screenshot was taken"
  fi
else
  echo "== explorer: skipped (wine64, Xvfb or the mingw-w64 compiler is missing)"
fi
