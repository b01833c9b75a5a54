# shellcheck shell=bash
# Sourced by the deliberate-fault rounds: applies one fault to a file.
# apply_fault FILE TEXT REPLACEMENT: the text must occur exactly once, else it says so
# and fails.
apply_fault() {
    TEXT=$2 REPLACEMENT=$3 python3 - "$1" <<'PY'
import os, sys
path, old, new = sys.argv[1], os.environ["TEXT"], os.environ["REPLACEMENT"]
src = open(path, encoding="utf-8").read()
if src.count(old) != 1:
    sys.exit(f"not applied: {path}: the text occurs {src.count(old)} times")
open(path, "w", encoding="utf-8").write(src.replace(old, new))
PY
}
