#!/usr/bin/env python3
"""Checks the package manifests of a release folder against its files:
python3 check_manifests.py RELEASE_DIR VERSION

The winget manifest's installer and the Scoop manifest's package must be the
files beside them, byte for byte (SHA-256), under their own names and version;
the Scoop manifest keeps the portable settings.ini across updates."""

import hashlib
import json
import os
import sys


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def fields(path):
    """The top-level and list-item "key: value" lines of a small YAML file."""
    out = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split(" #")[0].rstrip("\n")
            if line.startswith("#") or ": " not in line:
                continue
            key, value = line.lstrip("- ").split(": ", 1)
            out.setdefault(key.strip(), value.strip())
    return out


def main():
    folder, version = sys.argv[1], sys.argv[2]
    setup = os.path.join(folder, f"Purgello-{version}-setup.exe")
    portable = os.path.join(folder, f"Purgello-{version}-portable.zip")
    winget = os.path.join(folder, "winget", "manifests", "h", "Halvoris", "Purgello", version)
    faults = []

    manifests = {kind: fields(os.path.join(winget, f"Halvoris.Purgello{kind}.yaml"))
                 for kind in ("", ".installer", ".locale.en-US")}
    for kind, manifest in manifests.items():
        if manifest.get("PackageIdentifier") != "Halvoris.Purgello" or manifest.get("PackageVersion") != version:
            faults.append(f"winget{kind}: identifier or version differs: {manifest}")
    installer = manifests[".installer"]
    if installer.get("InstallerSha256") != sha256(setup).upper():
        faults.append(f"winget: InstallerSha256 {installer.get('InstallerSha256')} is not the installer's")
    if not installer.get("InstallerUrl", "").endswith("/" + os.path.basename(setup)):
        faults.append(f"winget: InstallerUrl {installer.get('InstallerUrl')} names another file")
    if installer.get("DisplayName") != f"Halvoris Purgello {version}":
        faults.append(f"winget: DisplayName {installer.get('DisplayName')} is not the registration's")

    with open(os.path.join(folder, "scoop", "purgello.json"), encoding="utf-8") as f:
        scoop = json.load(f)
    if scoop.get("version") != version:
        faults.append(f"scoop: version {scoop.get('version')}")
    for arch, package in scoop.get("architecture", {}).items():
        if package.get("hash") != sha256(portable):
            faults.append(f"scoop {arch}: hash {package.get('hash')} is not the portable package's")
        if not package.get("url", "").endswith("/" + os.path.basename(portable)):
            faults.append(f"scoop {arch}: url {package.get('url')} names another file")
    if not scoop.get("architecture"):
        faults.append("scoop: no package")
    # The hooks as PowerShell sees them: what makes the file before Scoop links
    # it, and what copies it back once a save replaced the linked file.
    persist = scoop.get("persist", [])
    if "settings.ini" not in ([persist] if isinstance(persist, str) else persist):
        faults.append(f"scoop: persist {persist!r} does not keep settings.ini")
    hooks = {
        "pre_install": ['Test-Path "$persist_dir\\settings.ini"', 'New-Item "$dir\\settings.ini" -ItemType File'],
        "pre_uninstall": ['(Get-Item "$dir\\settings.ini").LinkType',
                          'Copy-Item "$dir\\settings.ini" "$persist_dir\\settings.ini" -Force'],
    }
    for hook, parts in hooks.items():
        script = scoop.get(hook, "")
        script = "\n".join(script) if isinstance(script, list) else script
        for part in parts:
            if part not in script:
                faults.append(f"scoop: {hook} {script!r} lacks {part}")

    for fault in faults:
        print(fault)
    if not faults:
        print(f"manifests of {version}: the installer and the portable package, as shipped")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
