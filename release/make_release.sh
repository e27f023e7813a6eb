#!/usr/bin/env bash
# The release files of one Windows build folder:
#   make_release.sh BUILD_DIR x86|amd64 VERSION OUT_DIR
# writes OUT_DIR/Purgello-VERSION-setup.exe (NSIS, purgello.nsi) and
# OUT_DIR/Purgello-VERSION-portable.zip, each with Purgello.exe, purgello-cli.exe
# and the language files of BUILD_DIR. With PURGELLO_SIGN_PFX set (a PKCS#12 file;
# its password in PURGELLO_SIGN_PASSWORD) every executable, the installer and the
# uninstaller are signed (sign.sh), and OUT_DIR/verify/uninstall.exe keeps the
# signed uninstaller for checking; without it the files are unsigned, said in one line.
set -euo pipefail
build=$1 arch=$2 version=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
case "$arch" in x86|amd64) ;; *) echo "make_release.sh: unknown target $arch" >&2; exit 2 ;; esac

stage=$(mktemp -d /tmp/purgello-release.XXXXXX)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out"
shopt -s nullglob
languages=("$build"/HV_*.SPK)
files=(Purgello.exe purgello-cli.exe)
for f in "${languages[@]}"; do files+=("$(basename "$f")"); done
for f in Purgello.exe purgello-cli.exe; do cp "$build/$f" "$stage/"; done
cp "${languages[@]}" "$stage/"

signing=()
rm -rf "$out/verify"
if [ -n "${PURGELLO_SIGN_PFX:-}" ]; then
  for f in Purgello.exe purgello-cli.exe; do "$here/sign.sh" "$stage/$f"; done
  mkdir -p "$out/verify"
  signing=("-DSIGN_COMMAND=$here/sign.sh" "-DUNINSTALLER_COPY=$out/verify/uninstall.exe")
  echo "release: signed with $PURGELLO_SIGN_PFX"
else
  echo "release: unsigned (PURGELLO_SIGN_PFX is not set)"
fi

{
  echo '; The files the installer ships, written by make_release.sh.'
  echo '!macro PURGELLO_FILES CALL'
  for f in "${files[@]}"; do echo "  !insertmacro \${CALL} \"$f\""; done
  echo '!macroend'
} >"$stage/files.nsh"

setup="$out/Purgello-$version-setup.exe"
portable="$out/Purgello-$version-portable.zip"
rm -f "$setup" "$portable"
makensis -V2 -NOCD "-DTARGET=$arch-unicode" "-DVERSION=$version" "-DSTAGE=$stage" "-DOUTFILE=$setup" \
  ${signing[@]+"${signing[@]}"} "$here/purgello.nsi" >"$stage/makensis.log" || { cat "$stage/makensis.log" >&2; exit 1; }

cp "$here/Portable.txt" "$stage/"
(cd "$stage" && zip -q -X "$portable" "${files[@]}" Portable.txt)
echo "release: $setup"
echo "release: $portable"
