# Sourced by the test scripts (bash). Each step logs its wall and processor
# seconds: on a shared machine the wall time alone says little.
#   step_begin; ...; step_end "name"   prints "== name: W s wall, P s processor"
# cpu_now sets cpu to the processor seconds of the finished child processes;
# "times" must run in this shell, not in a command substitution's subshell.
cpu_file=$(mktemp)
trap 'rm -f "$cpu_file"' EXIT
cpu_now() {
  times >"$cpu_file"
  cpu=$(awk 'NR == 2 { n = 0; for (i = 1; i <= 2; i++) { split($i, t, /[ms]/); n += t[1] * 60 + t[2] } printf "%d", n }' "$cpu_file")
}
step_begin() { step_wall=$SECONDS; cpu_now; step_cpu=$cpu; }
step_end() { cpu_now; echo "== $1: $((SECONDS - step_wall)) s wall, $((cpu - step_cpu)) s processor"; }
