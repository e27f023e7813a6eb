#!/usr/bin/env bash
# Checks that each file is Authenticode-signed by the build's certificate:
#   verify_signatures.sh ROOT.pem SIGNER.pem FILE...
# osslsigncode verifies the signature and its chain up to ROOT.pem, and the
# signer named in the signature must be SIGNER.pem's subject.
set -uo pipefail
root=$1 signer=$2; shift 2
subject=$(openssl x509 -in "$signer" -noout -subject -nameopt compat | sed 's/^subject=//')
status=0
for file in "$@"; do
  out=$(osslsigncode verify -CAfile "$root" -in "$file" 2>&1)
  if [ $? -ne 0 ] || ! grep -q '^Signature verification: ok' <<<"$out"; then
    echo "$file: not verified"; grep -E 'verification|No signature|Error' <<<"$out" | head -3; status=1; continue
  fi
  if ! grep -A2 '^\s*Signer #0:' <<<"$out" | head -2 | grep -qF "Subject: $subject"; then
    echo "$file: signed by another certificate than $subject"; status=1; continue
  fi
  echo "$file: signed by $subject"
done
exit $status
