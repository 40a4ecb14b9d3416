# Sourced by the scripts: starts the PC/SC daemon when none runs, and stops
# only a daemon this script started.
ORV_PCSCD_PID=""

orv_start_pcscd() {
  if pidof pcscd >/dev/null 2>&1; then
    echo "pcscd: already running"
  else
    mkdir -p /run/pcscd
    pcscd -f >"${1:-/tmp/orv-pcscd.log}" 2>&1 &
    ORV_PCSCD_PID=$!
    echo "pcscd: started (pid $ORV_PCSCD_PID)"
  fi
  # The vpcd driver listens once the daemon has loaded it.
  for _ in $(seq 1 100); do
    if [ -S /run/pcscd/pcscd.comm ] && ss -ltn 2>/dev/null | grep -q ':35963 '; then
      return 0
    fi
    sleep 0.1
  done
  echo "pcscd: the virtual reader did not come up" >&2
  return 1
}

orv_stop_pcscd() {
  if [ -n "$ORV_PCSCD_PID" ]; then
    kill "$ORV_PCSCD_PID" 2>/dev/null || true
    wait "$ORV_PCSCD_PID" 2>/dev/null || true
    ORV_PCSCD_PID=""
  fi
}
