#!/usr/bin/env bash
# The main job: installs what is missing, builds the suite, sets up the machine
# settings the way an installation does (the library folders point at the built-in
# Template and effect libraries), starts the console headless on the demo show with
# the software clock, plays Event List 1 through the automation client j4ctl, shows
# the show running for a while and stops it.
#
# Everything it writes stays inside the build tree (build/main-job): its own settings
# root, runtime folder and automation block, so a console the user runs is not touched.
# J4_MAIN_JOB_BUILD=DIR skips installing and building and uses the built tree DIR.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${J4_MAIN_JOB_BUILD:-}" ]; then
  build=$(cd "$J4_MAIN_JOB_BUILD" && pwd)
else
  "$top/scripts/build.sh"
  build="$top/build"
fi
seconds=${J4_MAIN_JOB_SECONDS:-12}

job="$build/main-job"
rm -rf "$job"
mkdir -p "$job/settings" "$job/runtime"
chmod 700 "$job/runtime"
export J4_SETTINGS_ROOT="$job/settings"
export XDG_RUNTIME_DIR="$job/runtime"
export J4_AUTOMATION_BLOCK="/j4auto-main-job-$(id -u)"
unset J4_DRIVER_SIMULATION  # no interface here: the console asks, and goes on without

console="$build/engine/startup/CorvantaJ4"
j4ctl="$build/automation/j4ctl/j4ctl"

echo "== Installing the machine settings (library folders)"
"$build/engine/startup/j4_installer_settings" "$build/data/templates" "$build/data/effects"

show="$build/data/demo/demo.j4"
if [ ! -f "$show" ]; then
  show="$job/console-show.j4"
  "$build/engine/startup/j4_make_console_show" "$show"
fi
cp "$show" "$job/demo.j4"  # the console may save the show it runs; keep the built one
show="$job/demo.j4"

echo "== Starting the console headless on $show"
"$console" --headless --status "$show" &
pid=$!
stop_console() {
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
    wait "$pid" || true
  fi
}
trap stop_console EXIT

echo "== Playing Event List 1 from the start (j4ctl play 00:00:00:00)"
"$j4ctl" --wait 10000 play 00:00:00:00
sleep "$seconds"

echo "== The console's clock as automation clients see it (j4ctl status)"
"$j4ctl" status
"$j4ctl" stop
sleep 1

echo "== Stopping the console (SIGTERM)"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
trap - EXIT
rm -f "/dev/shm$J4_AUTOMATION_BLOCK"  # the job's automation block
echo "== The console ended with status $status"
exit "$status"
