#!/usr/bin/env bash
# Makes the Windows installer, velmiro-VERSION-setup.exe, from the staged folder of the zip
# with NSIS (resources/windows/velmiro.nsi), twice, and fails unless both are the same bytes.
# Usage: tools/installer.sh STAGE VERSION SETUP_EXE
#   STAGE: the zip's folder, its files dated to the last commit as tools/windows.sh leaves
#   them; VERSION: the project version (1.00).
set -euo pipefail
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
[ $# -eq 3 ] || fail "usage: $0 STAGE VERSION SETUP_EXE"
stage=$(realpath -- "$1")
version=$2
setup=$(realpath -m -- "$3")
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/packages.sh
source "$root/tools/packages.sh"
ensure_packages nsis

# The version record wants four numbers: 1.00 is 1.0.0.0.
vi_version="$(cut -d. -f1 <<<"$version").$((10#$(cut -d. -f2 <<<"$version"))).0.0"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What the zip holds, the installer installs and the uninstaller deletes: one list, the
# stage's, in a fixed order.
files=$work/files.nsh
{
    echo '!macro INSTALL_FILES'
    LC_ALL=C find "$stage" -maxdepth 1 -type f -printf '    File "%p"\n' | LC_ALL=C sort
    echo '!macroend'
    echo '!macro UNINSTALL_FILES'
    # shellcheck disable=SC2016  # $INSTDIR is NSIS's
    LC_ALL=C find "$stage" -maxdepth 1 -type f -printf '    Delete "$INSTDIR\\%f"\n' | LC_ALL=C sort
    echo '!macroend'
} >"$files"
# makensis dates nothing of its own; the files keep the dates they have in the stage.
build() {
    makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DVIVERSION="$vi_version" \
        -DFILES="$files" -DLICENSE="$stage/LICENSE.txt" \
        -DICON="$root/resources/windows/velmiro.ico" -DOUTFILE="$1" \
        "$root/resources/windows/velmiro.nsi" >/dev/null
}
build "$setup"
again=$work/again.exe
# A second build some time later: any clock makensis read would show.
sleep 1
build "$again"
cmp -s "$setup" "$again" || fail "two builds of the installer differ"
echo "$setup: $(stat -c %s "$setup") bytes, built twice to the same bytes"
