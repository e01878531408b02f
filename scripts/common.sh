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

# Why this machine's kernel cannot execute 32-bit x86 programs, if it cannot. The probe is
# the smallest such program, which only exits with status 42; it lives in the build tree,
# since /tmp may forbid executing.
kernel_cannot_run_32_bit() {
  local probe status=0
  mkdir -p "$root/build"
  probe="$(mktemp "$root/build/probe-32-bit.XXXXXX")"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ $status -ne 42 ] || return 1
  echo "this machine's kernel cannot execute 32-bit programs"
}

# Why 32-bit Windows programs cannot run here, if they cannot: Wine's 32-bit loader needs a
# kernel that runs 32-bit programs and the i386 packages.
cannot_run_32_bit() {
  kernel_cannot_run_32_bit && return 0
  if [ ! -x /usr/lib/wine/wine ]; then echo "32-bit Wine is not installed"; return 0; fi
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
