# shellcheck shell=bash
# The one way this project runs the Windows programs: Debian's Wine, with a prefix (a Windows
# folder tree and registry) of the caller's own, so that runs side by side never meet and no
# run touches ~/.wine. Every script and test sources this file.
#
#   source scripts/wine.sh
#   wine_start FOLDER   make a prefix in FOLDER (about 10 s) and keep one server running
#   wine_stop           end every process of that prefix (also safe when none runs)
#
# Programs then run as `wine PROGRAM.exe ARGS...`. wine_start exports what they need:
# WINEPREFIX, WINEDEBUG=-all (Wine's own messages off), WINEDLLOVERRIDES (no offer to install
# Mono or Gecko) and a UTF-8 locale, in whose character set Wine reads the command line and
# the Linux file names. Every wait is bounded.

WINE_PREFIX_READY=""

wine_start()
{
    local folder=$1
    [[ -z $WINE_PREFIX_READY ]] || wine_stop
    if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
        echo "wine: Wine is needed (Debian: wine, wine64)" >&2
        return 1
    fi
    mkdir -p "$folder" || return 1
    export WINEPREFIX=$folder WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=C.UTF-8
    # One server for every run of the caller's, rather than one started and stopped for each.
    timeout 20 wineserver -p || return 1
    WINE_PREFIX_READY=1
    if ! timeout 120 wineboot -i >"$folder/wineboot.log" 2>&1; then
        echo "wine: wineboot could not make a prefix in $folder:" >&2
        tail -n 3 "$folder/wineboot.log" >&2
        wine_stop
        return 1
    fi
}

wine_stop()
{
    [[ -n $WINE_PREFIX_READY ]] || return 0
    timeout 20 wineserver -k 2>/dev/null || true
    WINE_PREFIX_READY=""
}
