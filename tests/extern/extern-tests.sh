#!/bin/bash
# The Wine tests of OrvexExtern that drive the executable, the registry and the service manager from
# outside: extern-tests.sh CASE. CTest provides WINEPREFIX, WINE_RUN (the emulator), ORVEX_EXTERN,
# EXTERN_CLIENT and EXTERN_CLIENT_32 (the executables), SCRIPT_DIR and EXTERN_SNAPSHOT (where the
# registry before registration is kept, in the prefix); a case prints one line per failed check and exits with
# their count. Every Wine call is bounded in time, and every server a case starts, it ends.
set -u
failures=0
appid='{7DA6B871-864A-4B77-951D-FBF84CF790D7}'
clsid='{7DA6B873-864A-4B77-951D-FBF84CF790D7}'
libid='{7DA6B870-864A-4B77-951D-FBF84CF790D7}'
iid='{7DA6B872-864A-4B77-951D-FBF84CF790D7}'
service_key='HKLM\System\CurrentControlSet\Services\OrvexExtern'
work=$(mktemp -d)
background=()

service_started=0
# A service that takes OrvexExtern as its display name: every later -Service would fail to create
# the service, so it goes whatever happens to the case that made it.
name_taken=0

# Ends what a failed case may have left running, so the next case starts clean.
cleanup() {
    local pid
    for pid in "${background[@]}"; do kill "$pid" 2>/dev/null; done
    if [ "$service_started" = 1 ]; then run_wine net stop OrvexExtern >/dev/null 2>&1; fi
    if [ "$name_taken" = 1 ]; then run_wine sc delete OrvexExternNameTaken >/dev/null 2>&1; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Each Wine call gets a minute, or wine_timeout seconds.
run_wine() { timeout "${wine_timeout:-60}" "$WINE_RUN" "$@" </dev/null; }
# The same through Wine's 32-bit loader, for 32-bit programs.
loader_32=/usr/lib/wine/wine
[ -x "$loader_32" ] || loader_32=$(command -v wine)
run_wine32() {
    WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=} \
        timeout "${wine_timeout:-60}" "$loader_32" "$@" </dev/null
}
# Whether this machine runs 32-bit programs: Wine's 32-bit loader is a 32-bit Linux program, which
# a kernel without 32-bit emulation refuses.
can_run_32bit() { [ -n "$loader_32" ] && "$loader_32" --version >/dev/null 2>&1; }
server() { run_wine "$ORVEX_EXTERN" "$@"; }
client() { run_wine "$EXTERN_CLIENT" "$@"; }
reg_exe() { run_wine reg "$@" >/dev/null 2>&1; }
# The Windows name of a Unix path: everything here lies under drive Z:, the root.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
# The Unix name of a Windows path, short names resolved.
unix_path() { run_wine winepath -u "$1" | tr -d '\r'; }

# Runs a command and checks its exit code: expect_exit CODE COMMAND...
expect_exit() {
    local want=$1 got
    shift
    "$@"
    got=$?
    [ "$got" = "$want" ] || fail "'$*' exited with $got, want $want"
}

# Every server of the session must end by itself. One that does not is a failure, and is then
# ended here, with rpcss reset (it would keep the dead server's class registration), so that it
# does not fail every later test of the session as well.
servers_exit() {
    if ! client wait-exit; then
        fail "a server did not end by itself"
        client end-servers >/dev/null
        run_wine net stop rpcss >/dev/null 2>&1
    fi
}

# The registry under the given keys, one line per key ("KEY|") and per value ("KEY|NAME|TYPE|DATA"),
# with HKCR and HKLM spelt short; in the 64-bit view, or the one registry_view names (/reg:32).
registry_view=/reg:64
dump_registry() {
    local key
    for key in "$@"; do
        run_wine reg query "$key" /s "$registry_view" 2>/dev/null | tr -d '\r' | awk -F '    ' '
            /^HKEY_/ { key = $0
                       sub(/^HKEY_CLASSES_ROOT/, "HKCR", key)
                       sub(/^HKEY_LOCAL_MACHINE/, "HKLM", key)
                       print key "|"
                       next }
            /^    / && key != "" { data = $4; for (i = 5; i <= NF; i++) data = data "    " $i
                                   print key "|" $2 "|" $3 "|" data }'
    done >"$work/registry"
}

expect_entry() {
    grep -qxF "$1" "$work/registry" || fail "registry ($registry_view) lacks $1"
}

# The data of the dumped value whose line starts with the given text.
registry_value() {
    grep -F "$1" "$work/registry" | cut -d'|' -f4
}

expect_no_entry() {
    if grep -qiF "$1" "$work/registry"; then fail "registry still has $1"; fi
}

expect_key_exists() { reg_exe query "$1" || fail "registry lacks key $1"; }
expect_key_missing() { if reg_exe query "$1"; then fail "registry still has key $1"; fi; }

expect_service_state() {
    local state
    run_wine sc query OrvexExtern >"$work/sc.out" 2>&1
    state=$(tr -d '\r' <"$work/sc.out" | awk '/STATE/ { print $4 }')
    [ "$state" = "$1" ] ||
        fail "service state is '${state:-not installed}', want $1; sc said: $(cat "$work/sc.out")"
}

# Waits up to thirty seconds for a line in a file.
wait_for_line() {
    local tries
    for tries in $(seq 150); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

# Everything scripts 100 and 101 and the type library registration write, in both views: 32-bit
# clients read the 32-bit one, and marshal IExtern with the 32-bit type library.
expect_class_registration() {
    for registry_view in /reg:64 /reg:32; do
        expect_class_view
    done
    registry_view=/reg:64
}

expect_class_view() {
    dump_registry "HKCR\\AppID\\$appid" 'HKCR\AppID\OrvexExtern.EXE' 'HKCR\Orvex.Extern' \
        'HKCR\Orvex.Extern.1' "HKCR\\CLSID\\$clsid" "HKCR\\TypeLib\\$libid" "HKCR\\Interface\\$iid"
    expect_entry "HKCR\\AppID\\$appid|(Default)|REG_SZ|OrvexExtern"
    expect_entry "HKCR\\AppID\\OrvexExtern.EXE|AppID|REG_SZ|$appid"
    expect_entry "HKCR\\Orvex.Extern.1|(Default)|REG_SZ|Extern Class"
    expect_entry "HKCR\\Orvex.Extern.1\\CLSID|(Default)|REG_SZ|$clsid"
    expect_entry "HKCR\\Orvex.Extern|(Default)|REG_SZ|Extern Class"
    expect_entry "HKCR\\Orvex.Extern\\CLSID|(Default)|REG_SZ|$clsid"
    expect_entry "HKCR\\Orvex.Extern\\CurVer|(Default)|REG_SZ|Orvex.Extern.1"
    expect_entry "HKCR\\CLSID\\$clsid|(Default)|REG_SZ|Extern Class"
    expect_entry "HKCR\\CLSID\\$clsid|AppID|REG_SZ|$appid"
    expect_entry "HKCR\\CLSID\\$clsid\\ProgID|(Default)|REG_SZ|Orvex.Extern.1"
    expect_entry "HKCR\\CLSID\\$clsid\\VersionIndependentProgID|(Default)|REG_SZ|Orvex.Extern"
    expect_entry "HKCR\\CLSID\\$clsid\\Programmable|"
    expect_entry "HKCR\\CLSID\\$clsid\\TypeLib|(Default)|REG_SZ|$libid"
    local help_directory
    help_directory=$(windows_path "$(dirname "$ORVEX_EXTERN")")
    expect_entry "HKCR\\TypeLib\\$libid\\1.0\\HELPDIR|(Default)|REG_SZ|$help_directory"
    expect_entry "HKCR\\Interface\\$iid\\TypeLib|(Default)|REG_SZ|$libid"
    expect_entry "HKCR\\Interface\\$iid\\ProxyStubClsid32|(Default)|REG_SZ|{00020424-0000-0000-C000-000000000046}"
    # The server is registered by its short name; it must name this very executable.
    local server_path
    server_path=$(registry_value "HKCR\\CLSID\\$clsid\\LocalServer32|(Default)|REG_SZ|")
    [ -n "$server_path" ] && [ "$(unix_path "$server_path")" -ef "$ORVEX_EXTERN" ] ||
        fail "LocalServer32 '$server_path' is not $ORVEX_EXTERN"
    local library_path
    library_path=$(registry_value "HKCR\\TypeLib\\$libid\\1.0\\0\\win64|(Default)|REG_SZ|")
    [ -n "$library_path" ] && [ "$(unix_path "$library_path")" -ef "$ORVEX_EXTERN" ] ||
        fail "the type library is registered as '$library_path', not from $ORVEX_EXTERN ($registry_view)"
    library_path=$(registry_value "HKCR\\TypeLib\\$libid\\1.0\\0\\win32|(Default)|REG_SZ|")
    [ -n "$library_path" ] && [ "$(unix_path "$library_path")" -ef "${ORVEX_EXTERN%.exe}32.tlb" ] ||
        fail "the 32-bit type library is registered as '$library_path' ($registry_view)"
}

# HKLM\Software\Classes in both views, one line a key and one a value, sorted.
classes_snapshot() {
    local view
    for view in 32 64; do
        run_wine reg export 'HKLM\Software\Classes' "$(windows_path "$work/classes$view.reg")" "/reg:$view" /y \
            >/dev/null 2>&1 || fail "reg export of the $view-bit view failed"
        iconv -f UTF-16 -t UTF-8 "$work/classes$view.reg" | tr -d '\r' | awk -v view="$view" '
            /^\[/ { key = view ":" $0; print key; next }
            /^$/ || /^Windows Registry/ { next }
            { line = $0
              while (line ~ /\\$/ && (getline next_line) > 0) {
                  sub(/\\$/, "", line); sub(/^ +/, "", next_line); line = line next_line }
              print key "|" line }'
    done | sort >"$1"
}

# The script hosts register their own type libraries when first run: a snapshot is taken after.
warm_script_hosts() {
    echo 'WScript.Echo 1' >"$work/warm.vbs"
    run_wine cscript //nologo "$(windows_path "$work/warm.vbs")" >/dev/null
    if can_run_32bit; then run_wine32 'C:\windows\syswow64\cscript.exe' //nologo "$(windows_path "$work/warm.vbs")" >/dev/null; fi
}

# Before any registration: starting finds no AppID key and ends with ERROR_FILE_NOT_FOUND; a switch
# that is not last on the line is no switch, and unregistering nothing succeeds.
case_unregistered() {
    warm_script_hosts
    classes_snapshot "$EXTERN_SNAPSHOT"
    expect_key_missing "HKCR\\AppID\\$appid"
    expect_exit 2 server
    expect_exit 2 server -RegServer -x
    expect_key_missing "HKCR\\CLSID\\$clsid"
    expect_exit 0 server -UnregServer
}

case_regserver() {
    expect_exit 0 server /regserver
    expect_class_registration
    expect_no_entry "|LocalService|"
    # Registering again is harmless.
    expect_exit 0 server -RegServer
    expect_class_registration
    # A switch followed by more text is none: the server starts, serves and ends with its client.
    expect_local_server -RegServer -x
    # Started as COM starts it, but no client comes: the server ends by itself.
    expect_exit 0 server -Embedding
}

# -Service adds the service settings and the service; -RegServer takes both back.
case_service_registration() {
    expect_exit 0 server -Service
    dump_registry "HKCR\\AppID\\$appid" "$service_key"
    expect_entry "HKCR\\AppID\\$appid|LocalService|REG_SZ|OrvexExtern"
    expect_entry "HKCR\\AppID\\$appid|ServiceParameters|REG_SZ|-Service"
    expect_entry "$service_key|DisplayName|REG_SZ|OrvexExtern"
    expect_entry "$service_key|ImagePath|REG_SZ|$(windows_path "$ORVEX_EXTERN")"
    expect_entry "$service_key|Type|REG_DWORD|0x10"
    expect_entry "$service_key|Start|REG_DWORD|0x3"
    expect_entry "$service_key|ErrorControl|REG_DWORD|0x1"
    expect_entry "$service_key|ObjectName|REG_SZ|LocalSystem"
    expect_entry "$service_key|DependOnService|REG_MULTI_SZ|RPCSS"
    expect_service_state STOPPED
    expect_class_registration

    expect_exit 0 server -RegServer
    dump_registry "HKCR\\AppID\\$appid"
    expect_no_entry "|LocalService|"
    expect_key_missing "$service_key"
    expect_class_registration
}

# Starts the server by hand with the given arguments: it must log its start on standard output,
# serve a client and end after it, as a local server does.
expect_local_server() {
    timeout 60 "$WINE_RUN" "$ORVEX_EXTERN" "$@" </dev/null >"$work/server.out" 2>&1 &
    local pid=$! tries status
    background+=("$pid")
    # Wine's dispatcher may wait ten seconds for a control pipe before it gives up.
    wait_for_line "$work/server.out" "Service started" ||
        fail "the server did not start: $(cat "$work/server.out")"
    expect_exit 0 client examples
    for tries in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$pid" 2>/dev/null; then
        fail "the server started with '$*' still runs after its last client"
    else
        wait "$pid"
        status=$?
        [ "$status" = 0 ] || fail "the server started with '$*' exited with $status"
    fi
}

# Registered as a service but started by hand: the dispatcher refuses, so the process serves as a
# local server, logs to standard output and ends with its last client.
case_service_fallback() {
    expect_exit 0 server -Service
    expect_local_server
    expect_service_state STOPPED
    expect_exit 0 server -RegServer
}

# The service: started by the service manager, it serves clients, outlives them, and stops on the
# stop control. Stopped, it is started again by COM through the AppID's LocalService.
case_service_lifetime() {
    service_started=1
    expect_exit 0 server -Service
    expect_exit 0 run_wine net start OrvexExtern
    expect_service_state RUNNING
    expect_exit 0 client examples
    sleep 0.5
    expect_service_state RUNNING
    expect_exit 1 client count-servers
    expect_exit 0 run_wine net stop OrvexExtern
    expect_service_state STOPPED
    servers_exit

    expect_exit 0 client bad-input
    expect_service_state RUNNING
    expect_exit 0 run_wine net stop OrvexExtern
    servers_exit
    expect_exit 0 server -RegServer
}

# Message boxes, read from Wine's relay trace of the MessageBox functions. Registration shows none;
# a service that cannot be created (another service has its name for display name) shows one, with
# the service name as caption, and registration goes on.
case_message_boxes() {
    WINEDEBUG=-all,+relay server -RegServer 2>"$work/relay"
    if grep -q 'Call user32.MessageBox' "$work/relay"; then fail "registration showed a message box"; fi

    name_taken=1
    expect_exit 0 run_wine sc create OrvexExternNameTaken binpath= 'C:\windows\system32\cmd.exe' \
        displayname= OrvexExtern
    WINEDEBUG=-all,+relay server -Service 2>"$work/relay"
    grep -q "Call user32.MessageBoxW(.*L\"Couldn't create service\",.*L\"OrvexExtern\"" "$work/relay" ||
        fail "no message box \"Couldn't create service\" captioned OrvexExtern"
    dump_registry "HKCR\\AppID\\$appid"
    expect_entry "HKCR\\AppID\\$appid|LocalService|REG_SZ|OrvexExtern"
    expect_key_missing "$service_key"
    if run_wine sc delete OrvexExternNameTaken >/dev/null; then name_taken=0; else fail "sc delete OrvexExternNameTaken failed"; fi
    expect_exit 0 server -RegServer
}

# Unregistration removes the service, the scripts' keys and the type libraries from both views,
# which are then as they were before the first registration; and it succeeds again when there is
# nothing left.
case_unregserver() {
    expect_exit 0 server -Service
    expect_exit 0 server -UnregServer
    local key
    for key in "HKCR\\AppID\\$appid" 'HKCR\AppID\OrvexExtern.EXE' 'HKCR\Orvex.Extern' 'HKCR\Orvex.Extern.1' \
        "HKCR\\CLSID\\$clsid" "HKCR\\TypeLib\\$libid" "HKCR\\Interface\\$iid" "$service_key"; do
        expect_key_missing "$key"
    done
    expect_key_exists 'HKCR\AppID'
    expect_key_exists 'HKCR\CLSID'
    # The snapshot lives in the prefix, which every session makes afresh: it is there when
    # extern_unregistered ran in this session, and not when a run leaves that test out.
    if [ ! -f "$EXTERN_SNAPSHOT" ]; then
        echo "no snapshot from extern_unregistered in this session: both views not compared"
    elif classes_snapshot "$work/classes-after" && ! diff "$EXTERN_SNAPSHOT" "$work/classes-after" >"$work/difference"; then
        fail "unregistration left HKLM\\Software\\Classes changed:"
        grep '^[<>]' "$work/difference" | head -40
    fi
    expect_exit 0 server -UnregServer
}

# Script clients through IDispatch; the server ends when the script does.
case_script() {
    local script
    script=$(windows_path "$SCRIPT_DIR/$1")
    run_wine cscript //nologo "$script" | tr -d '\r' | tee "$work/script.out"
    grep -q "$2" "$work/script.out" || fail "$1 did not print $2"
    servers_exit
}

# 32-bit clients, against the local server and then the service: the 32-bit script host through
# IDispatch, and ExternClient32, built with the same header, through the vtable and IDispatch. They
# must give what the 64-bit clients give.
case_clients_32bit() {
    if ! can_run_32bit; then
        echo "SKIP: this machine cannot run Wine's 32-bit loader ${loader_32:-(none)}" \
            "(no 32-bit emulation in the kernel, or wine32 missing: scripts/setup.sh installs it)"
        exit 77
    fi
    expect_32bit_clients
    servers_exit
    service_started=1
    expect_exit 0 server -Service
    expect_32bit_clients
    expect_service_state RUNNING
    expect_exit 0 run_wine net stop OrvexExtern
    servers_exit
    expect_exit 0 server -RegServer
}

expect_32bit_clients() {
    local script sentinel
    for script in client.vbs client.js; do
        sentinel=VBSCRIPT
        [ "$script" = client.js ] && sentinel=JSCRIPT
        run_wine32 'C:\windows\syswow64\cscript.exe' //nologo "$(windows_path "$SCRIPT_DIR/$script")" |
            tr -d '\r' >"$work/script.out"
        grep -q "$sentinel CLIENT PASSED" "$work/script.out" ||
            fail "the 32-bit script host ran $script: $(cat "$work/script.out")"
    done
    if [ -f "$EXTERN_CLIENT_32" ]; then
        expect_exit 0 run_wine32 "$EXTERN_CLIENT_32" examples
    else
        fail "no $EXTERN_CLIENT_32: the i686 mingw-w64 compiler is missing"
    fi
}

# Runs eight clients at once, client I running COMMAND with each "@" in it replaced by I; fails for
# each that does not print PASSED, with what it printed and COM's warnings, which name the cause of
# a failed activation (and cscript's, a script it could not read).
run_eight_clients() {
    local label=$1 i status pids=()
    shift
    for i in $(seq 8); do
        WINEDEBUG=-all,warn+ole,warn+rpc,fixme+wscript run_wine "${@//@/$i}" \
            >"$work/client$i.out" 2>"$work/client$i.err" &
        pids+=($!)
    done
    background+=("${pids[@]}")
    for i in $(seq 8); do
        wait "${pids[$((i - 1))]}"
        status=$?
        # Wine's launcher may fail to start a program now and then: it says so by name, or the script
        # host ends with an error before writing a line (a script that ran writes its verdict). The
        # client never ran, so it is started once more, alone. So is one whose activation found
        # Wine unable to start the server's process at all ("failed to run local server", said
        # before any code of the server runs).
        if grep -q -e "ShellExecuteEx failed" -e "failed to run local server" "$work/client$i.out" "$work/client$i.err" ||
            { [ "$1" = cscript ] && [ "$status" -ne 0 ] && ! grep -q . "$work/client$i.out"; }; then
            echo "$label, client $i: Wine did not launch it ($(tr -d '\r' <"$work/client$i.out" | head -1)); once more"
            WINEDEBUG=-all,warn+ole,warn+rpc,fixme+wscript run_wine "${@//@/$i}" \
                >"$work/client$i.out" 2>"$work/client$i.err"
            status=$?
        fi
        grep -q "PASSED" "$work/client$i.out" ||
            fail "$label, client $i exited with $status: $(tr -d '\r' <"$work/client$i.out" | grep -v PASSED | head -5)" \
                "$(grep -a -v -e IDispatchEx -e a6ef9860 -e QueryMultipleInterfaces "$work/client$i.err" | tail -8)"
    done
}

# A cold start under load, ROUNDS times: eight script clients at once and no server running. COM may
# launch a server for each of them; every client must be answered, and every server end by itself.
case_cold_start() {
    local round i
    # cscript opens its script for itself alone: clients sharing one file fail at random.
    for i in $(seq 8); do cp "$SCRIPT_DIR/client.vbs" "$work/client$i.vbs"; done
    for round in $(seq "$1"); do
        run_eight_clients "round $round" cscript //nologo "$(windows_path "$work/client@.vbs")"
        servers_exit
    done
}

# ACTIVATIONS activations by eight clients at once, in rounds of 25 each, every one a new object
# that answers a call: rounds begin with the server running (warm), as it reaches the end of its
# shutdown delay (the pause sweeps across it), or after it has ended (cold, where each client may
# launch a server of its own). None may fail, and every server must end by itself.
case_activation_soak() {
    local rounds=$(($1 / 200)) round kind
    for round in $(seq "$rounds"); do
        kind=$((round % 3))
        case $kind in
        1) sleep "$(awk -v r="$round" 'BEGIN { print 2.9 + (r * 37 % 400) / 1000 }')" ;;
        2) servers_exit ;;
        esac
        run_eight_clients "round $round ($(echo warm edge cold | cut -d' ' -f$((kind + 1))))" \
            "$EXTERN_CLIENT" activations 25 40
    done
    servers_exit
}

# Eight clients of CALLS calls each against one local server, which must then end by itself.
case_soak() {
    wine_timeout=$((120 + $1 / 5)) expect_exit 0 client soak "$1"
    servers_exit
}

# The same against the service, which must then stop cleanly.
case_service_soak() {
    service_started=1
    expect_exit 0 server -Service
    expect_exit 0 run_wine net start OrvexExtern
    wine_timeout=$((120 + $1 / 5)) expect_exit 0 client soak "$1"
    expect_exit 0 run_wine net stop OrvexExtern
    servers_exit
    expect_exit 0 server -RegServer
}

case_name=${1:?usage: extern-tests.sh CASE [ARGUMENTS]}
shift
if ! declare -F "case_$case_name" >/dev/null; then
    echo "no test case $case_name"
    exit 100
fi
"case_$case_name" "$@"
echo "$case_name: $failures failure(s)"
exit "$failures"
