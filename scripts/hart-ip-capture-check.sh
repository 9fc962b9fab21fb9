#!/usr/bin/env bash
# Outside check of the HART-IP link on the wire: captures loopback while the
# tool talks to quillon-devsim over TCP and UDP, then has tshark decode the
# capture. Every packet with data must decode as HART-IP, none may be marked
# malformed, and the requests must carry the commands and sequence numbers the
# tool sent. Capturing needs root; without it (or without tshark) it says so
# and exits 0.
#
#   scripts/hart-ip-capture-check.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
"$root/scripts/install-deps.sh" tshark >/dev/null || true
if ! command -v tshark >/dev/null; then echo "hart-ip capture check skipped: no tshark"; exit 0; fi
if [ "$(id -u)" -ne 0 ]; then echo "hart-ip capture check skipped: capturing on lo needs root"; exit 0; fi
cmake --build "$build" --target quillon_tests quillon-devsim >/dev/null

work="$(mktemp -d)"
sim_pid="" tshark_pid=""
cleanup() {
  [ -n "$tshark_pid" ] && kill "$tshark_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator picks a free port and prints it first.
mkfifo "$work/sim.out"
"$build/quillon-devsim" --hart-ip 127.0.0.1:0 --turnaround-ms 0 </dev/null >"$work/sim.out" 2>/dev/null &
sim_pid=$!
exec 3<"$work/sim.out"
read -r -t 10 address <&3
port="${address##*:}"
cat <&3 >/dev/null &

# Bounded in time whatever happens: it stops by itself after 90 s. Its first start on a new
# machine can take several seconds, so the exchange waits until it says it is capturing.
tshark -i lo -f "port $port" -a duration:90 -w "$work/lo.pcap" 2>"$work/tshark.err" &
tshark_pid=$!
capturing=0
for _ in $(seq 600); do
  grep -q "Capturing on" "$work/tshark.err" && { capturing=1; break; }
  kill -0 "$tshark_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$capturing" -eq 0 ]; then
  echo "hart-ip capture check skipped: tshark could not capture on lo:"
  sed 's/^/  /' "$work/tshark.err"
  exit 0
fi
sleep 1

QUILLON_HART_IP_SERVER="$address" "$build/quillon_tests" --gtest_filter='HartIpCapture.*' --gtest_brief=1
sleep 0.5
kill -INT "$tshark_pid"; wait "$tshark_pid" || true; tshark_pid=""

decode=(tshark -r "$work/lo.pcap" -d "tcp.port==$port,hart_ip" -d "udp.port==$port,hart_ip")
# The exchange above passed, so the packets did cross lo; a capture that holds none of them
# says this machine's loopback cannot be watched, not that the tool is wrong.
captured=$(tshark -r "$work/lo.pcap" 2>/dev/null | wc -l)
if [ "$captured" -eq 0 ]; then
  echo "hart-ip capture check skipped: the capture on lo saw none of the exchange's packets:"
  sed 's/^/  /' "$work/tshark.err"
  exit 0
fi
fail=0
malformed=$("${decode[@]}" -Y "_ws.malformed" 2>/dev/null | wc -l)
undecoded=$("${decode[@]}" -Y "(udp || tcp.len > 0) && !hart_ip" 2>/dev/null | wc -l)
requests=$("${decode[@]}" -Y "hart_ip.message_type == 0 && hart_ip.message_id == 3" -T fields \
  -e hart_ip.transaction_id -e hart_ip.pt.command 2>/dev/null | tr '\t' ' ')
expected=$'2 0\n3 1\n4 3\n2 0\n3 1\n4 3'
[ "$malformed" -eq 0 ] || { echo "malformed packets: $malformed"; fail=1; }
[ "$undecoded" -eq 0 ] || { echo "packets with data that are no HART-IP: $undecoded"; fail=1; }
[ "$requests" = "$expected" ] || { printf 'requests (sequence command):\n%s\nexpected:\n%s\n' "$requests" "$expected"; fail=1; }
packets=$("${decode[@]}" -Y hart_ip 2>/dev/null | wc -l)
[ "$fail" -eq 0 ] && echo "hart-ip capture check: $packets HART-IP packets on port $port decoded, none malformed"
exit "$fail"
