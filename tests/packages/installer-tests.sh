#!/bin/bash
# The Windows packages under Wine, as a user gets them: installer-tests.sh CASE.
#   build         builds the installer and the .zip with CPack
#   local_server  silent install: the server is registered as a COM local server, the samples get
#                 answers; silent uninstall: nothing of it is left in the registry or on disk
#   service       the same with /SERVICE and a folder of one's own: the service serves the samples
#                 and goes with the uninstall
# CTest provides CPACK, CPACK_CONFIG, PACKAGE_DIR, VERSION, ORVEX_TOOL, WINEPREFIX, WINE_RUN and
# MINGW_CXX. A case prints one line per failed check and exits with their count; every Wine call is
# bounded in time.
set -u
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clsid='{7DA6B873-864A-4B77-951D-FBF84CF790D7}'
libid='{7DA6B870-864A-4B77-951D-FBF84CF790D7}'
appid='{7DA6B871-864A-4B77-951D-FBF84CF790D7}'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvex'
service_key='HKLM\System\CurrentControlSet\Services\OrvexExtern'

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

run_wine() { timeout "${wine_timeout:-60}" "$WINE_RUN" "$@" </dev/null; }
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
unix_path() { run_wine winepath -u "$1" | tr -d '\r'; }
# The data of one registry value, or nothing.
registry_value() {
    local selector=(/v "$2")
    [ "$2" = '(Default)' ] && selector=(/ve)
    run_wine reg query "$1" "${selector[@]}" 2>/dev/null | tr -d '\r' |
        awk -F '    ' -v name="$2" '$2 == name { print $4 }'
}

the_installer() { echo "$PACKAGE_DIR"/orvex-*.exe; }
the_zip() { echo "$PACKAGE_DIR"/orvex-*.zip; }

case_build() {
    rm -rf "$PACKAGE_DIR"
    "$CPACK" --config "$CPACK_CONFIG" -B "$PACKAGE_DIR" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; fail "cpack failed"; return; }
    local installer zip
    installer=$(the_installer)
    zip=$(the_zip)
    [ "$(basename "$installer")" = "orvex-$VERSION-win64.exe" ] || fail "installer named $installer"
    [ "$(basename "$zip")" = "orvex-$VERSION-win64.zip" ] || fail ".zip named $zip"
}

# Everything of the prefix that an install could leave behind: the registry, one line a key and
# one a value, and the files of drive C. Left out: what Wine itself changes as it runs (a service
# start counter, the display driver's keys), and the uninstaller's own copy in the temporary
# folder, which Windows deletes at the next restart, as it does for every such uninstaller.
snapshot() {
    local hive
    # The script hosts register their own type libraries when first run: before, not during.
    echo 'WScript.Echo 1' >"$work/warm.vbs"
    echo 'WScript.Echo(1);' >"$work/warm.js"
    run_wine cscript //nologo "$(windows_path "$work/warm.vbs")" >/dev/null
    run_wine cscript //nologo "$(windows_path "$work/warm.js")" >/dev/null
    for hive in hklm hkcu; do
        run_wine reg export "$hive" "$(windows_path "$work/$hive.reg")" /y >/dev/null 2>&1 ||
            fail "reg export $hive failed"
        iconv -f UTF-16 -t UTF-8 "$work/$hive.reg" | tr -d '\r' | awk '
            /^\[/ { key = $0; print key; next }
            /^$/ || /^Windows Registry/ { next }
            { line = $0
              while (line ~ /\\$/ && (getline next_line) > 0) {
                  sub(/\\$/, "", line); sub(/^ +/, "", next_line); line = line next_line }
              print key "|" line }'
    done | grep -v -F '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\' | sort >"$1.registry"
    (cd "$WINEPREFIX" && find drive_c | grep -v -e '/Temp/' -e '/temp/' | sort) >"$1.files"
}

expect_same_snapshot() {
    local part
    for part in registry files; do
        if ! diff "$1.$part" "$2.$part" >"$work/difference"; then
            fail "the uninstall left the $part changed:"
            grep '^[<>]' "$work/difference" | head -40
        fi
    done
}

# The files installed are those of the .zip, and the uninstaller.
expect_zip_files() {
    local folder=$1
    (cd "$folder" && find . -type f | sed 's|^\./||' | sort) >"$work/installed"
    {
        cmake -E tar tf "$(the_zip)" | grep -v '/$' | sed 's|^[^/]*/||'
        echo Uninstall.exe
    } | sort >"$work/zipped"
    diff "$work/zipped" "$work/installed" >"$work/difference" ||
        fail "installed files differ from the .zip's: $(cat "$work/difference")"
}

# A sample client's output: the five fixed answers and a random digit.
expect_sample_output() {
    local name=$1 output=$2
    printf '%s\n' '2 + 3: <5>' '7.0 / 2: <3.5>' 'ab + cd: <abcd>' 'length of hello: <5>' \
        'trunc of -2.7: <-2>' >"$work/want"
    if ! head -5 "$output" | diff "$work/want" - >/dev/null ||
        ! sed -n 6p "$output" | grep -qx 'random below 10: <[0-9]>'; then
        fail "sample $name printed: $(cat "$output")"
    fi
}

# The scripts through cscript, the C++ sample built against the installed header alone.
expect_samples_answer() {
    local folder=$1 windows_folder=$2 script
    for script in client.vbs client.js; do
        run_wine cscript //nologo "$windows_folder\\samples\\$script" | tr -d '\r' >"$work/$script.out"
        expect_sample_output "$script" "$work/$script.out"
    done
    if "$MINGW_CXX" -std=c++17 -Wall -Wextra -static -I"$folder/include" "$folder/samples/client.cpp" \
        -o "$work/client.exe" -lole32 -loleaut32 -luuid >"$work/compile.log" 2>&1 && ! [ -s "$work/compile.log" ]; then
        run_wine "$work/client.exe" | tr -d '\r' >"$work/client.cpp.out"
        expect_sample_output client.cpp "$work/client.cpp.out"
    else
        fail "client.cpp does not build cleanly against the installed header: $(head -20 "$work/compile.log")"
    fi
}

# The installed interpreter runs an installed example; orvex says its version.
expect_programs_run() {
    local folder=$1
    mkdir -p "$work/run"
    (cd "$work/run" && run_wine "$folder/OrvexVM.exe" "$(windows_path "$folder/examples/hello.Orvex")" >/dev/null)
    tr -d '\r' <"$work/run/Orvex.out" | cmp -s - "$folder/examples/hello.out" ||
        fail "the installed OrvexVM.exe printed something else for hello.Orvex"
    if [ "$ORVEX_TOOL" = 1 ]; then
        run_wine "$folder/orvex.exe" --version | grep -qF "$VERSION" || fail "orvex.exe --version does not say $VERSION"
    fi
    # The runtime library exports its C API and nothing else.
    local exports
    exports=$("${MINGW_CXX%g++*}objdump" -p "$folder/orvex.dll" | sed -n '/Ordinal\/Name Pointer/,/^$/p' |
        awk '/^[[:space:]]+\[ *[0-9]+\]/ { print $NF }')
    [ -n "$exports" ] && ! grep -qv '^orvex_' <<<"$exports" ||
        fail "orvex.dll exports more or less than the C API: $(tr '\n' ' ' <<<"$exports")"
    # The example host, built against the installed header and import library, runs with the
    # installed DLL beside it, as a program that embeds Orvex ships it.
    mkdir -p "$work/host"
    if "${MINGW_CXX/g++/gcc}" -Wall -I"$folder/include" "$folder/examples/embed/host.c" -L"$folder/lib" -lorvex \
        -o "$work/host/host.exe" >"$work/host.log" 2>&1; then
        cp "$folder/orvex.dll" "$work/host/"
        run_wine "$work/host/host.exe" "$(windows_path "$folder/examples/hello.Orvex")" | tr -d '\r' |
            cmp -s - "$folder/examples/hello.out" || fail "the example host printed something else for hello.Orvex"
    else
        fail "the example host does not build against the installed files: $(head -20 "$work/host.log")"
    fi
}

# Both paths name the same file (the server registers itself by its short name).
expect_same_file() {
    local what=$1 registered=$2 want=$3
    [ -n "$registered" ] && [ "$(unix_path "$registered")" -ef "$want" ] ||
        fail "$what is '$registered', not $want"
}

expect_registered() {
    local folder=$1 windows_folder=$2
    expect_same_file LocalServer32 "$(registry_value "HKCR\\CLSID\\$clsid\\LocalServer32" '(Default)')" \
        "$folder/OrvexExtern.exe"
    expect_same_file "the type library" "$(registry_value "HKCR\\TypeLib\\$libid\\1.0\\0\\win64" '(Default)')" \
        "$folder/OrvexExtern.exe"
    [ "$(registry_value "$uninstall_key" InstallLocation)" = "$windows_folder" ] ||
        fail "the installed programs do not list Orvex in $windows_folder"
    [ "$(registry_value "$uninstall_key" DisplayVersion)" = "$VERSION" ] || fail "the installed programs list another version"
}

# Uninstalls as the installed programs list would, silently, and waits for the uninstaller, which
# runs from a copy of itself and returns at once.
uninstall() {
    local folder=$1 command program tries
    command=$(registry_value "$uninstall_key" QuietUninstallString)
    # "C:\...\Uninstall.exe" /S
    program=${command#\"}
    program=${program%%\"*}
    [ "$command" = "\"$program\" /S" ] || { fail "QuietUninstallString is '$command'"; return; }
    run_wine "$program" /S || fail "the uninstaller exited with $?"
    for tries in $(seq 120); do
        [ -e "$folder" ] || break
        sleep 0.5
    done
    # Its entry in the installed programs is the last thing to go.
    for tries in $(seq 20); do
        run_wine reg query "$uninstall_key" >/dev/null 2>&1 || break
        sleep 0.5
    done
}

case_local_server() {
    local folder="$WINEPREFIX/drive_c/Program Files/Orvex"
    snapshot "$work/before"
    wine_timeout=120 run_wine "$(the_installer)" /S || fail "the installer exited with $?"
    expect_registered "$folder" 'C:\Program Files\Orvex'
    [ -z "$(registry_value "HKCR\\AppID\\$appid" LocalService)" ] || fail "registered as a service"
    expect_zip_files "$folder"
    expect_samples_answer "$folder" 'C:\Program Files\Orvex'
    expect_programs_run "$folder"
    uninstall "$folder"
    snapshot "$work/after"
    expect_same_snapshot "$work/before" "$work/after"
}

case_service() {
    local folder="$WINEPREFIX/drive_c/OrvexService"
    snapshot "$work/before"
    wine_timeout=120 run_wine "$(the_installer)" /S /SERVICE '/D=C:\OrvexService' || fail "the installer exited with $?"
    expect_registered "$folder" 'C:\OrvexService'
    [ "$(registry_value "HKCR\\AppID\\$appid" LocalService)" = OrvexExtern ] || fail "not registered as the service"
    expect_same_file "the service's program" "$(registry_value "$service_key" ImagePath)" "$folder/OrvexExtern.exe"
    # COM starts the service for the first client; it runs on after it.
    run_wine cscript //nologo 'C:\OrvexService\samples\client.vbs' | tr -d '\r' >"$work/client.vbs.out"
    expect_sample_output client.vbs "$work/client.vbs.out"
    run_wine sc query OrvexExtern | tr -d '\r' | grep -q 'STATE.*RUNNING' || fail "the service does not run"
    uninstall "$folder"
    if run_wine sc query OrvexExtern >/dev/null 2>&1; then fail "the service is still installed"; fi
    snapshot "$work/after"
    expect_same_snapshot "$work/before" "$work/after"
}

case_name=${1:?usage: installer-tests.sh build|local_server|service}
if ! declare -F "case_$case_name" >/dev/null; then
    echo "no test case $case_name"
    exit 100
fi
"case_$case_name"
echo "$case_name: $failures failure(s)"
exit "$failures"
