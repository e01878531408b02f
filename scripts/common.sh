# Sourced by the scripts: long steps write their output to a log and say what they do; a
# failing step shows the end of its log and where the whole log is.

# log_failure LOG: the last lines of LOG and its path, on standard error.
log_failure() {
  echo "  failed; the last lines of $1:" >&2
  tail -n 25 "$1" | sed 's/^/  | /' >&2
  echo "  the whole log: $1" >&2
}

# run_logged LOG COMMAND...: COMMAND's output goes to the end of LOG.
run_logged() {
  local log="$1"; shift
  local status=0
  "$@" >>"$log" 2>&1 || status=$?
  if [ $status -ne 0 ]; then log_failure "$log"; fi
  return $status
}

# elapsed START: seconds since START (a `date +%s` value), e.g. "41 s".
elapsed() { echo "$(( $(date +%s) - $1 )) s"; }

# Why 32-bit Windows programs cannot run here, if they cannot: Wine's 32-bit loader needs
# the i386 packages and a kernel that runs 32-bit programs.
cannot_run_32_bit() {
  if [ ! -x /usr/lib/wine/wine ]; then echo "32-bit Wine is not installed"; return 0; fi
  local code=0
  /usr/lib/wine/wine --version >/dev/null 2>&1 || code=$?
  if [ $code -eq 126 ]; then echo "this machine's kernel cannot execute 32-bit programs"; return 0; fi
  return 1
}

# end_wine_session: ends the private prefix's Wine server and waits until it is gone. A
# server outlives its last program by a few seconds, and its desktop keeps the display (or
# the lack of one) it was started with: a program that needs another display must not join it.
end_wine_session() {
  command -v wineserver >/dev/null || return 0
  WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}" wineserver -k 2>/dev/null || true
  WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}" wineserver -w 2>/dev/null || true
}

# run_windows_on_screen PROGRAM ARGS...: a Windows program that opens windows, under Wine
# on an X server without a screen of its own, in a Wine session of its own.
run_windows_on_screen() {
  end_wine_session
  local status=0
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$root/cmake/wine-run" "$@" || status=$?
  end_wine_session
  return $status
}
