#!/usr/bin/env bash
# Installs what is needed, builds everything and starts zelvoGDB Setup with a simulated ZELVO9 box
# on COM1 and the demo update files beside the program. Without a display it updates the simulated
# box from the terminal instead. Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2
bin=build/bin

# The simulated box keeps its flash and logic device between runs, as a real box would.
state_dir="${XDG_STATE_HOME:-$HOME/.local/state}/zelvogdb"
mkdir -p "$state_dir"
coproc SIM { exec "$bin/zelvo9-sim" --state "$state_dir/demo-box.state"; }
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
read -r -t 10 pty <&"${SIM[0]}" || { echo "the simulated box did not start" >&2; exit 1; }
export ZELVO_COM1="$pty"
echo "Simulated ZELVO9 box on $pty, as COM1."

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/zelvogdb-setup" "$@"
else
  echo "No display: updating the simulated box from the terminal."
  "$bin/zelvogdb-cli" update --port COM1 --speed 115200 "$@"
fi
