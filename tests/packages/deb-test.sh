#!/bin/bash
# The Linux packages as a user gets them: builds the .debs and the .tar.gz with CPack, checks the
# control data, unpacks the .debs into a root of its own, runs the programs from there on the
# examples they ship, and builds the example host against the library and header they hold. CTest provides CPACK (the program), CPACK_CONFIG, PACKAGE_DIR, VERSION and
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
architecture=$(dpkg --print-architecture)
# Three packages, split as Debian splits a language's runtime.
deb=$PACKAGE_DIR/orvex_${VERSION}_${architecture}.deb
library=$PACKAGE_DIR/liborvex${VERSION%%.*}_${VERSION}_${architecture}.deb
development=$PACKAGE_DIR/liborvex-dev_${VERSION}_${architecture}.deb
[ ${#debs[@]} = 3 ] && [ -f "$deb" ] && [ -f "$library" ] && [ -f "$development" ] ||
    { fail "want orvex, liborvex${VERSION%%.*} and liborvex-dev, got: ${debs[*]}"; exit "$failures"; }
[ ${#archives[@]} = 1 ] && [ -f "${archives[0]}" ] || fail "want one .tar.gz, got: ${archives[*]}"

# Control data: what apt shows and resolves.
expect_field() {
    local got
    got=$(dpkg-deb --field "$1" "$2")
    [[ $got == $3 ]] || fail "$(basename "$1"): control field $2 is '$got', want $3"
}
for package in "${debs[@]}"; do
    expect_field "$package" Version "$VERSION"
    expect_field "$package" Architecture "$architecture"
    expect_field "$package" Maintainer '?*<*@*>'
    # Every path is root's, and none outside /usr.
    dpkg-deb --contents "$package" >"$work/contents"
    awk '$2 != "root/root"' "$work/contents" | grep . && fail "$(basename "$package"): files not owned by root"
    awk '{ print $6 }' "$work/contents" | grep -v -e '^\./$' -e '^\./usr/' && fail "$(basename "$package"): files outside /usr"
    # The licence, where Debian looks for it.
    grep -q "usr/share/doc/$(dpkg-deb --field "$package" Package)/copyright$" "$work/contents" ||
        fail "$(basename "$package"): no copyright file"
done
expect_field "$deb" Package orvex
expect_field "$deb" Section interpreters
# The libraries the programs link, found by dpkg-shlibdeps, not a list kept by hand.
expect_field "$deb" Depends '*libc6 (>= *libstdc++6 (>= *'
expect_field "$deb" Description 'interpreter of Orvex*OrvexVM runs*'
expect_field "$library" Section libs
expect_field "$library" Depends '*libc6 (>= *libstdc++6 (>= *'
expect_field "$development" Section libdevel
expect_field "$development" Depends "liborvex${VERSION%%.*} (= $VERSION)"
dpkg-deb --ctrl-tarfile "$library" | tar -t | grep -qx './shlibs' || fail "the library package has no shlibs file"
# apt would install them here: their dependencies resolve (a simulation: nothing is installed).
apt-get install --simulate --no-install-recommends "${debs[@]}" >"$work/apt.log" 2>&1 ||
    fail "apt cannot install the packages: $(tail -3 "$work/apt.log")"

# Unpacked into a root of its own.
root=$work/root
for package in "${debs[@]}"; do dpkg-deb -x "$package" "$root"; done
programs=(OrvexVM)
[ "$ORVEX_TOOL" = 1 ] && programs+=(orvex)
for program in "${programs[@]}"; do
    [ -x "$root/usr/bin/$program" ] || fail "no executable usr/bin/$program"
    # The man page: found where man looks, rendered by groff without a warning, with the version.
    page=$root/usr/share/man/man1/$program.1.gz
    if [ -f "$page" ]; then
        warnings=$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1)
        [ -z "$warnings" ] || fail "man page of $program: $warnings"
        zcat "$page" | grep -q "^\.TH $program 1 .*$VERSION" || fail "man page of $program lacks its name or version $VERSION"
    else
        fail "no man page usr/share/man/man1/$program.1.gz"
    fi
done
for file in usr/share/doc/orvex/guide.md usr/share/doc/orvex/README.md \
    usr/share/vim/vimfiles/ftdetect/orvex.vim usr/share/vim/vimfiles/syntax/orvex.vim \
    usr/share/vim/vimfiles/compiler/orvex.vim usr/share/orvex/editors/orvex-$VERSION.vsix \
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

# The runtime library as a host program gets it: only the C API leaves the shared library, and the
# example host builds from the installed files through pkg-config and through CMake, and runs.
libdir=$(dirname "$(find "$root/usr" -name liborvex.so.1 | head -1)")
[ -f "$libdir/liborvex.so" ] && [ -f "$libdir/liborvex.a" ] && [ -f "$libdir/pkgconfig/orvex.pc" ] ||
    fail "no liborvex.so, liborvex.a or orvex.pc beside liborvex.so.1 in $libdir"
objdump -p "$libdir/liborvex.so.1" | grep -q 'SONAME *liborvex.so.1$' || fail "liborvex.so.1 has no SONAME liborvex.so.1"
others=$(nm -D --defined-only "$libdir/liborvex.so.1" | awk '$3 != "" && $3 !~ /^orvex_/ && $3 !~ /^ORVEX_/')
[ -z "$others" ] || fail "the shared library exports more than the C API: $others"
host_source=$root/usr/share/doc/orvex/examples/embed
[ -f "$host_source/host.c" ] || fail "no example host in the -dev package"
expected=$root/usr/share/doc/orvex/examples/hello.out
try_host() { # how it was built, the host
    local output
    output=$(LD_LIBRARY_PATH=$libdir "$2" "$root/usr/share/doc/orvex/examples/hello.Orvex") ||
        { fail "the host built $1 exits with $?"; return; }
    [ "$output" = "$(cat "$expected")" ] || fail "the host built $1 printed '$output'"
}
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --modversion orvex)" = "$VERSION" ] || fail "pkg-config says version $(pkg-config --modversion orvex)"
if cc "$host_source/host.c" $(pkg-config --cflags --libs orvex) -o "$work/host-pkg-config" 2>"$work/cc.log"; then
    try_host "with pkg-config" "$work/host-pkg-config"
else
    fail "the host does not build with pkg-config: $(cat "$work/cc.log")"
fi
if cc "$host_source/host.c" $(pkg-config --cflags orvex) "$libdir/liborvex.a" $(pkg-config --libs-only-l --static orvex | sed 's/-lorvex//') \
    -o "$work/host-static" 2>"$work/cc.log"; then
    try_host "statically" "$work/host-static"
else
    fail "the host does not link the static library: $(cat "$work/cc.log")"
fi
if cmake -S "$host_source" -B "$work/host-cmake" -DCMAKE_PREFIX_PATH="$root/usr" >"$work/cmake.log" 2>&1 &&
    cmake --build "$work/host-cmake" >>"$work/cmake.log" 2>&1; then
    try_host "with CMake" "$work/host-cmake/host"
else
    fail "the host does not build with CMake: $(tail -5 "$work/cmake.log")"
fi

# The .tar.gz holds the same files, under a folder of its own and without the /usr prefix.
for package in "${debs[@]}"; do dpkg-deb --contents "$package"; done |
    awk '$6 !~ /\/$/ { sub(/^\.\/usr\//, "", $6); print $6 }' | sort >"$work/deb-files"
tar -tzf "${archives[0]}" | grep -v '/$' | sed 's|^[^/]*/||' | sort >"$work/archive-files"
diff "$work/deb-files" "$work/archive-files" >"$work/difference" ||
    fail "the .tar.gz and the .deb differ: $(cat "$work/difference")"

echo "packages: $failures failure(s)"
exit "$failures"
