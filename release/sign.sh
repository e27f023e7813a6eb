#!/usr/bin/env bash
# Signs one Windows executable in place with osslsigncode (Authenticode, SHA-256):
#   sign.sh FILE [COPY]
# with the PKCS#12 file PURGELLO_SIGN_PFX and its password PURGELLO_SIGN_PASSWORD
# (empty when unset). COPY, when given, receives a copy of the signed file.
set -euo pipefail
file=$1 copy=${2:-}
: "${PURGELLO_SIGN_PFX:?sign.sh: PURGELLO_SIGN_PFX is not set}"
work=$(mktemp -d /tmp/purgello-sign.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The password goes through a private file, not the command line others can read.
(umask 077; printf '%s' "${PURGELLO_SIGN_PASSWORD:-}" >"$work/password")
osslsigncode sign -pkcs12 "$PURGELLO_SIGN_PFX" -readpass "$work/password" -h sha256 \
  -n Purgello -i "https://${PURGELLO_SIGN_URL:-www.halvoris.example}/" -in "$file" -out "$work/signed" >"$work/log" 2>&1 ||
  { cat "$work/log" >&2; exit 1; }
cat "$work/signed" >"$file"
if [ -n "$copy" ]; then cp "$file" "$copy"; fi
