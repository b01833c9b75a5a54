# shellcheck shell=bash
# Sourced by the scripts that run Windows programs on a virtual display.
# wine_desktop PREFIX: a 64-bit wine prefix at PREFIX with a window manager, without
# which wine waits two seconds each time a window hides; both end with the script. No Linux
# menu entries: wine would write them into $HOME for the shortcuts a program makes.
wine_desktop() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES='mscoree=;mshtml=;winemenubuilder.exe=d'
    openbox >/dev/null 2>&1 &
    wine_wm=$!
    trap 'wineserver --kill 2>/dev/null || true; kill $wine_wm 2>/dev/null || true' EXIT
    mkdir -p "$WINEPREFIX"
    wineserver --persistent
    wineboot --init >/dev/null 2>&1 </dev/null
}
