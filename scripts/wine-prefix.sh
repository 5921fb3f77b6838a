#!/usr/bin/env bash
# Prepares a private Wine prefix once: no Mono or Gecko prompts, Chinese font substitutes
# and a virtual desktop, so that Wine, not an X window manager, owns every window's frame.
# A 32-bit prefix runs the i686 build under Wine's 32-bit loader; a 64-bit one runs the x86_64
# build under wine64, and is prepared the same way.
# Usage: wine-prefix.sh PREFIX [win32|win64]   (default win32)
set -euo pipefail
prefix=$(realpath -m "$1")
arch=${2:-win32}
stamp="$prefix/.qingnang-ready"
[ -f "$stamp" ] && exit 0

here=$(dirname "$(realpath "$0")")
source "$here/xvfb.sh"
source "$here/wine-arch.sh"
qn_start_xvfb

case "$arch" in
  win32) loader=$qn_wine32_loader ;;
  win64) loader=$qn_wine64_loader; export WINELOADER=$loader ;;
  *) echo "wine-prefix: unknown architecture $arch" >&2; exit 2 ;;
esac
if ! "$loader" --version >/dev/null 2>&1; then
  echo "wine-prefix: $loader does not run on this machine, so a $arch prefix cannot be made" >&2
  exit 1
fi
export WINEPREFIX="$prefix" WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
"$loader" wineboot -i >/dev/null 2>&1
# Micro Hei rather than Zen Hei: at 12 to 16 pixels Zen Hei renders from its bitmap strikes,
# whose strokes break apart on screen.
font="WenQuanYi Micro Hei"
reg=$(mktemp --suffix=.reg)
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in "宋体" "SimSun" "新宋体" "NSimSun" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS Sans Serif" "Microsoft Sans Serif"; do
    printf '"%s"="%s"\r\n' "$face" "$font"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
  # Smoothed glyphs: without it the Chinese faces render from their blocky bitmap strikes.
  printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"FontSmoothing"="2"\r\n'
  printf '"FontSmoothingType"=dword:00000001\r\n"FontSmoothingGamma"=dword:00000578\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\r\n"mscoree"=""\r\n"mshtml"=""\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
"$loader" regedit /S "$reg" >/dev/null 2>&1
# Debian's Wine does not find its own fonts (Marlett draws the frame's caption buttons)
# unless they are in the prefix.
# Only Marlett: the others (Tahoma among them) would shadow the Chinese substitutes.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp -n /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
rm -f "$reg"
wineserver -w
touch "$stamp"
