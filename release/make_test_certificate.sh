#!/usr/bin/env bash
# A throw-away code-signing certificate for test builds, made with openssl:
#   make_test_certificate.sh DIR
# writes DIR/root.pem (a certificate authority of its own), DIR/signer.pfx (the
# signer's certificate with its key and chain, password in DIR/password) and
# DIR/signer.sha256 (the SHA-256 of the signer's certificate, which the build pins).
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
run() { "$@" >/dev/null 2>&1 || { echo "make_test_certificate.sh: $* failed" >&2; exit 1; }; }
run openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 3650 \
  -subj "/CN=Purgello build test root" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign"
run openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Purgello build test signer"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.cnf
run openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial -out signer.pem -days 3650 \
  -extfile signer.cnf
openssl rand -hex 16 >password
run openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem -out signer.pfx \
  -passout file:password
openssl x509 -in signer.pem -outform DER | sha256sum | cut -d' ' -f1 >signer.sha256.new
openssl x509 -in root.pem -outform DER -out root.der
rm -f root.key signer.key signer.csr signer.cnf root.srl
mv signer.sha256.new signer.sha256
