#!/usr/bin/env python3
"""Signed copies of the stand-in installer for the update tests, made afresh
around one test program: python3 sign_installers.py INSTALLER.exe COMMAND [ARGS...]

Makes three throw-away certificate authorities with openssl (the vendor's
"test", a "foreign" one, and an "unknown" one the test never trusts), a
code-signing certificate from each, and in a temporary folder: signed.exe (by
the test certificate), foreign.exe, unknown.exe, unsigned.exe and tampered.exe
(signed, then one byte changed). Runs COMMAND with PURGELLO_TEST_INSTALLERS
set to that folder; the folder also holds test_root.der and foreign_root.der
(the roots the test trusts) and pin.txt (the SHA-256 of the test signer's
certificate). Removes everything afterwards and exits with COMMAND's status."""

import hashlib
import os
import shutil
import subprocess
import sys
import tempfile


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def authority(folder, name):
    key, cert = f"{folder}/{name}_root.key", f"{folder}/{name}_root.pem"
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "30",
        "-subj", f"/CN=Purgello {name} test root", "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("openssl", "x509", "-in", cert, "-outform", "DER", "-out", f"{folder}/{name}_root.der")
    signer_key, request, signer = (f"{folder}/{name}_signer.{ext}" for ext in ("key", "csr", "pem"))
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", signer_key, "-out", request,
        "-subj", f"/CN=Purgello {name} test signer")
    extensions = f"{folder}/{name}_ext.cnf"
    with open(extensions, "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
    run("openssl", "x509", "-req", "-in", request, "-CA", cert, "-CAkey", key, "-CAcreateserial", "-out", signer,
        "-days", "30", "-extfile", extensions)
    return signer_key, signer, cert


def sign(installer, key, cert, chain, out):
    bundle = out + ".chain.pem"
    with open(bundle, "w") as f:
        f.write(open(cert).read() + open(chain).read())
    run("osslsigncode", "sign", "-certs", bundle, "-key", key, "-h", "sha256", "-in", installer, "-out", out)


def main():
    installer = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="purgello-installers-")
    try:
        signers = {name: authority(folder, name) for name in ("test", "foreign", "unknown")}
        sign(installer, *signers["test"], f"{folder}/signed.exe")
        sign(installer, *signers["foreign"], f"{folder}/foreign.exe")
        sign(installer, *signers["unknown"], f"{folder}/unknown.exe")
        shutil.copy(installer, f"{folder}/unsigned.exe")
        data = bytearray(open(f"{folder}/signed.exe", "rb").read())
        data[len(data) // 3] ^= 0xFF  # inside the code, not the signature at the end
        open(f"{folder}/tampered.exe", "wb").write(bytes(data))
        der = subprocess.run(["openssl", "x509", "-in", signers["test"][1], "-outform", "DER"], check=True,
                             capture_output=True).stdout
        with open(f"{folder}/pin.txt", "w") as f:
            f.write(hashlib.sha256(der).hexdigest())
        env = dict(os.environ, PURGELLO_TEST_INSTALLERS=folder)
        status = subprocess.call(sys.argv[2:], env=env)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
