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
projects="$("$zbdb" projects "$data")"
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
