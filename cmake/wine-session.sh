#!/bin/sh
# Starts or ends the Wine session of one prefix: wine-session.sh setup|teardown PREFIX [TEMPLATE]
#
# setup makes a fresh prefix (copied from a template, PREFIX.template unless named, created once;
# prefixes of one build tree can share one), then keeps one
# wineserver running for the whole test run. teardown ends that wineserver and with it every
# Windows process of the prefix, and no other.
set -eu
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The ANSI code page follows the Unix locale. Services inherit it from the daemons started here, so
# they get the same one as the tests, which run with LC_ALL=C: Windows-1252.
export LC_ALL=C
loader=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
[ -x "$loader" ] || loader=$(command -v wine64)
[ -x "$server" ] || server=$(command -v wineserver)
template=${3:-$WINEPREFIX.template}

# Every Wine daemon inherits the stdio of the process that starts it; a test harness reading those
# pipes would wait for them forever, so nothing started here keeps them.
quiet() { "$@" </dev/null >/dev/null 2>&1; }

make_template() {
    rm -rf "$template.partial"
    # The session that creates a prefix must end before the first COM activation: in it, that
    # activation never completes.
    WINEPREFIX=$template.partial quiet timeout 120 "$loader" wineboot --init
    WINEPREFIX=$template.partial quiet timeout 30 "$server" -k || true
    WINEPREFIX=$template.partial quiet timeout 30 "$server" -w || true
    rm -rf "$template"
    mv "$template.partial" "$template"
}

case $action in
setup)
    quiet timeout 30 "$server" -k || true # a session left over from an aborted run
    # A template made before Wine's 32-bit half was installed has no 32-bit system: it is made again.
    if [ ! -f "$template/system.reg" ] ||
        { quiet "${loader%64}" --version && [ ! -f "$template/drive_c/windows/syswow64/cscript.exe" ]; }; then
        make_template
    fi
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"
    # A persistent server: without it every pause of two seconds between tests costs a cold start.
    quiet "$server" -p || true # exit code 2: one is running already, which serves as well
    quiet timeout 60 "$loader" cmd /c exit # boots services.exe and rpcss detached from our pipes
    # Tests read message box texts from a relay trace limited to these functions.
    quiet timeout 30 "$loader" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
        /d 'user32.MessageBoxW;user32.MessageBoxA;user32.MessageBoxExW;user32.MessageBoxIndirectW'
    echo "Wine session ready in $WINEPREFIX"
    ;;
teardown)
    quiet timeout 30 "$server" -k || true
    echo "Wine session of $WINEPREFIX ended"
    ;;
*)
    echo "usage: wine-session.sh setup|teardown PREFIX [TEMPLATE]" >&2
    exit 2
    ;;
esac
