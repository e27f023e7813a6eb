#!/usr/bin/env bash
# The release files of one Windows build folder:
#   make_release.sh BUILD_DIR x86|amd64 VERSION OUT_DIR [SERVER]
# writes OUT_DIR/Purgello-VERSION-setup.exe (NSIS, purgello.nsi) and
# OUT_DIR/Purgello-VERSION-portable.zip, each with Purgello.exe, purgello-cli.exe
# and the language files of BUILD_DIR, and the package manifests that name them
# with their SHA-256 sums, as downloads from https://SERVER/files/: a winget
# manifest (OUT_DIR/winget/, the installer) and a Scoop manifest
# (OUT_DIR/scoop/purgello.json, the portable package). With PURGELLO_SIGN_PFX set (a PKCS#12 file;
# its password in PURGELLO_SIGN_PASSWORD) every executable, the installer and the
# uninstaller are signed (sign.sh), and OUT_DIR/verify/uninstall.exe keeps the
# signed uninstaller for checking; without it the files are unsigned, said in one line.
set -euo pipefail
build=$1 arch=$2 version=$3 out=$4 server=${5:-www.halvoris.example}
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

# The manifests, from the files as shipped (after signing).
setup_sha=$(sha256sum "$setup" | cut -d' ' -f1)
portable_sha=$(sha256sum "$portable" | cut -d' ' -f1)
files_url="https://$server/files"
case "$arch" in x86) winget_arch=x86 scoop_arch=32bit ;; amd64) winget_arch=x64 scoop_arch=64bit ;; esac
winget="$out/winget/manifests/h/Halvoris/Purgello/$version"
rm -rf "$out/winget" "$out/scoop"
mkdir -p "$winget" "$out/scoop"
schema=1.6.0
cat >"$winget/Halvoris.Purgello.yaml" <<YAML
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.version.$schema.schema.json
PackageIdentifier: Halvoris.Purgello
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
YAML
cat >"$winget/Halvoris.Purgello.installer.yaml" <<YAML
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.installer.$schema.schema.json
PackageIdentifier: Halvoris.Purgello
PackageVersion: $version
InstallerType: nullsoft
Scope: machine
InstallModes:
- interactive
- silent
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
UpgradeBehavior: install
ProductCode: Purgello
AppsAndFeaturesEntries:
- DisplayName: Halvoris Purgello $version
  Publisher: Halvoris
  DisplayVersion: $version
  ProductCode: Purgello
Installers:
- Architecture: $winget_arch
  InstallerUrl: $files_url/Purgello-$version-setup.exe
  InstallerSha256: ${setup_sha^^}
ManifestType: installer
ManifestVersion: $schema
YAML
cat >"$winget/Halvoris.Purgello.locale.en-US.yaml" <<YAML
# yaml-language-server: \$schema=https://aka.ms/winget-manifest.defaultLocale.$schema.schema.json
PackageIdentifier: Halvoris.Purgello
PackageVersion: $version
PackageLocale: en-US
Publisher: Halvoris
PublisherUrl: https://$server/
PackageName: Purgello
PackageUrl: https://$server/
License: Proprietary
ShortDescription: Disk cleaner for Windows
Description: Finds disposable files in 42 cleaning categories (the Recycle Bin, temporary folders and logs, browser caches, application caches and installer leftovers), lists them with their sizes and deletes them, plainly or securely.
Moniker: purgello
Tags:
- cleaner
- disk-cleanup
ManifestType: defaultLocale
ManifestVersion: $schema
YAML
# Scoop keeps settings.ini across updates in its persist folder, linked into
# each version's folder by a hard link. The file must exist before the link is
# made (else Scoop makes a folder of that name), and the program saves it by
# replacing the file, which breaks the link: before the old version goes, its
# settings.ini is copied back when it is no longer the linked one.
cat >"$out/scoop/purgello.json" <<JSON
{
    "version": "$version",
    "description": "Disk cleaner for Windows, run portable",
    "homepage": "https://$server/",
    "license": "Proprietary",
    "architecture": {
        "$scoop_arch": {
            "url": "$files_url/Purgello-$version-portable.zip",
            "hash": "$portable_sha"
        }
    },
    "bin": "purgello-cli.exe",
    "shortcuts": [
        [
            "Purgello.exe",
            "Purgello"
        ]
    ],
    "pre_install": "if (!(Test-Path \"\$persist_dir\\\\settings.ini\")) { New-Item \"\$dir\\\\settings.ini\" -ItemType File | Out-Null }",
    "persist": "settings.ini",
    "pre_uninstall": "if ((Test-Path \"\$dir\\\\settings.ini\" -PathType Leaf) -and !(Get-Item \"\$dir\\\\settings.ini\").LinkType) { Copy-Item \"\$dir\\\\settings.ini\" \"\$persist_dir\\\\settings.ini\" -Force }",
    "notes": "Purgello runs portable here: its settings are kept in settings.ini beside Purgello.exe."
}
JSON
echo "release: $setup"
echo "release: $portable"
echo "release: $winget"
echo "release: $out/scoop/purgello.json"
