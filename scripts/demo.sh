#!/usr/bin/env bash
# The main job on a fresh machine: installs what is missing, builds, creates
# the default data folder with a demo record file and shows it with zbdb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target zbdb zbdb900

data="${ZBSTATIK_HOME:-$HOME/ZBStatik}/Daten"
mkdir -p "$data"
demo="$data/PRO00001.PRO"
zbdb=build/tools/zbdb/zbdb
[ -e "$demo" ] || "$zbdb" demo "$demo"

echo "== zbdb check $demo"
"$zbdb" check "$demo"
echo "== zbdb list $demo"
"$zbdb" list "$demo"
