#!/bin/bash
# The Linux packages as a user gets them: builds the .deb and the .tar.gz with CPack, checks the
# control data, unpacks the .deb into a root of its own and runs the programs from there on the
# examples it ships. CTest provides CPACK (the program), CPACK_CONFIG, PACKAGE_DIR, VERSION and
# ORVEX_TOOL (1 when this tree builds orvex). Prints one line per failed check and exits with their
# count.
set -u
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A fresh package directory, so that what is checked is what this run built.
rm -rf "$PACKAGE_DIR"
"$CPACK" --config "$CPACK_CONFIG" -B "$PACKAGE_DIR" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; exit "$failures"; }
debs=("$PACKAGE_DIR"/*.deb)
archives=("$PACKAGE_DIR"/*.tar.gz)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { fail "want one .deb, got: ${debs[*]}"; exit "$failures"; }
[ ${#archives[@]} = 1 ] && [ -f "${archives[0]}" ] || fail "want one .tar.gz, got: ${archives[*]}"
deb=${debs[0]}

# Control data: what apt shows and resolves.
expect_field() {
    local got
    got=$(dpkg-deb --field "$deb" "$1")
    [[ $got == $2 ]] || fail "control field $1 is '$got', want $2"
}
architecture=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "orvex_${VERSION}_${architecture}.deb" ] || fail "package file named $(basename "$deb")"
expect_field Package orvex
expect_field Version "$VERSION"
expect_field Architecture "$architecture"
expect_field Section interpreters
expect_field Maintainer '?*<*@*>'
# The libraries the programs link, found by dpkg-shlibdeps, not a list kept by hand.
expect_field Depends '*libc6 (>= *libstdc++6 (>= *'
expect_field Description 'interpreter of Orvex*OrvexVM runs*'
# Every path is root's, and none outside /usr.
dpkg-deb --contents "$deb" >"$work/contents"
awk '$2 != "root/root"' "$work/contents" | grep . && fail "files not owned by root"
awk '{ print $6 }' "$work/contents" | grep -v -e '^\./$' -e '^\./usr/' && fail "files outside /usr"
# apt would install it here: its dependencies resolve (a simulation: nothing is installed).
apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt cannot install the package: $(tail -3 "$work/apt.log")"

# Unpacked into a root of its own.
root=$work/root
dpkg-deb -x "$deb" "$root"
programs=(OrvexVM)
[ "$ORVEX_TOOL" = 1 ] && programs+=(orvex)
for program in "${programs[@]}"; do
    [ -x "$root/usr/bin/$program" ] || fail "no executable usr/bin/$program"
    # The man page: found where man looks, rendered by groff without a warning, with the version.
    page=$root/usr/share/man/man1/$program.1
    if [ -f "$page" ]; then
        warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
        [ -z "$warnings" ] || fail "man page of $program: $warnings"
        grep -q "^\.TH $program 1 .*$VERSION" "$page" || fail "man page of $program lacks its name or version $VERSION"
    else
        fail "no man page usr/share/man/man1/$program.1"
    fi
done
for file in usr/share/doc/orvex/guide.md usr/share/doc/orvex/README.md \
    usr/share/vim/vimfiles/ftdetect/orvex.vim usr/share/vim/vimfiles/syntax/orvex.vim \
    usr/share/orvex/editors/vscode/package.json usr/share/orvex/editors/vscode/syntaxes/orvex.tmLanguage.json; do
    [ -f "$root/$file" ] || fail "no $file"
done

# The packaged interpreter runs every packaged example to the output packaged beside it.
examples=("$root"/usr/share/doc/orvex/examples/*.Orvex)
[ ${#examples[@]} -ge 5 ] || fail "only ${#examples[@]} examples packaged"
for example in "${examples[@]}"; do
    name=$(basename "$example" .Orvex)
    mkdir -p "$work/run/$name"
    (cd "$work/run/$name" && "$root/usr/bin/OrvexVM" "$example" >stdout) || fail "OrvexVM exited with $? on $name"
    cmp -s "$work/run/$name/Orvex.out" "${example%.Orvex}.out" || fail "example $name printed something else"
    grep -qx 'Se acabo...' "$work/run/$name/stdout" || fail "no closing line after $name"
    if [ "$ORVEX_TOOL" = 1 ]; then
        "$root/usr/bin/orvex" check "$example" 2>"$work/check.err" ||
            fail "orvex check finds errors in the example $name: $(cat "$work/check.err")"
    fi
done
if [ "$ORVEX_TOOL" = 1 ]; then
    "$root/usr/bin/orvex" --version | grep -qF "$VERSION" || fail "orvex --version does not say $VERSION"
fi

# The .tar.gz holds the same files, under a folder of its own and without the /usr prefix.
dpkg-deb --contents "$deb" | awk '$6 !~ /\/$/ { sub(/^\.\/usr\//, "", $6); print $6 }' | sort >"$work/deb-files"
tar -tzf "${archives[0]}" | grep -v '/$' | sed 's|^[^/]*/||' | sort >"$work/archive-files"
diff "$work/deb-files" "$work/archive-files" >"$work/difference" ||
    fail "the .tar.gz and the .deb differ: $(cat "$work/difference")"

echo "packages: $failures failure(s)"
exit "$failures"
