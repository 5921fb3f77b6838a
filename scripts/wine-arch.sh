# Sourced by the scripts: which Windows builds this machine can run under Wine.
#
# Some kernels cannot execute 32-bit Linux programs at all, and Wine's 32-bit side is one.
# Whether it runs is found out by starting Wine's 32-bit loader, not from package names or
# the architecture: a machine may have wine32 installed and still fail to execute it.
# QN_WINE32=0 (or 1) overrides the answer, for trying the 64-bit path on any machine.

qn_wine32_loader=/usr/lib/wine/wine
qn_wine64_loader=/usr/lib/wine/wine64

# qn_wine32_runs: true when Wine's 32-bit side starts on this machine.
qn_wine32_runs() {
  case "${QN_WINE32:-}" in
    0) return 1 ;;
    1) return 0 ;;
  esac
  if [ -z "${qn_wine32_answer:-}" ]; then
    if "$qn_wine32_loader" --version >/dev/null 2>&1; then qn_wine32_answer=yes; else qn_wine32_answer=no; fi
  fi
  [ "$qn_wine32_answer" = yes ]
}

# qn_win_build TOP: the Windows build folder to run programs from: the 32-bit build, which is
# the shipped program, where it runs, and the 64-bit build otherwise.
qn_win_build() {
  if [ -n "${QN_WIN_BUILD:-}" ]; then echo "$QN_WIN_BUILD"; return; fi
  if qn_wine32_runs; then echo "$1/build/win32"; else echo "$1/build/win64"; fi
}

# qn_pe_arch EXE: "win32" or "win64", from the machine field of the program's PE header.
qn_pe_arch() {
  local off machine
  off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || return 1
  machine=$(od -An -tx2 -j$((off + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}
