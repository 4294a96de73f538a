# What `make install` and the package put in place: the programs in games, the gzipped
# manual pages and changelog byte for byte as written and without a time stamp, the
# licence, and file types that agree between the MIME definition, the desktop entry
# and the metainfo; the validators' verdicts where they are installed.
# Usage: bash install_tree.sh SOURCE_DIR BUILD_DIR
set -u

source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$source_dir/tests/checks.sh"

cmake --install "$build_dir" --prefix "$work/usr" --strip >"$work/log" 2>&1 || fail "install: $(tail -3 "$work/log")"
root=$work/usr
for program in korvel korvel-cli; do
    if [ "$program" = korvel ] && [ ! -e "$build_dir/app/korvel" ]; then continue; fi # built without windows
    [ -x "$root/games/$program" ] || fail "$program is not in games"
    [ -e "$root/bin/$program" ] && fail "$program is in bin as well"
    readelf -S "$root/games/$program" | grep -q '\.comment' && fail "$program keeps its .comment section"
done

# Gzipped at best compression without name or time: the same bytes at every build.
for pair in "share/man/man6/korvel.6.gz|data/korvel.6" "share/man/man6/korvel-cli.6.gz|data/korvel-cli.6" \
    "share/doc/korvel/changelog.Debian.gz|debian/changelog"; do
    IFS='|' read -r installed source <<<"$pair"
    gzip -t "$root/$installed" 2>/dev/null || fail "$installed is not gzip"
    cmp -s <(zcat "$root/$installed") "$source_dir/$source" || fail "$installed is not $source"
    expect_equal "$installed: time stamp" "00000000" "$(od -An -tx1 -j4 -N4 "$root/$installed" | tr -d ' ')"
    expect_equal "$installed: no name stored" "00" "$(od -An -tx1 -j3 -N1 "$root/$installed" | tr -d ' ')"
done
cmp -s "$root/share/doc/korvel/copyright" "$source_dir/debian/copyright" || fail "copyright not installed"
grep -q '^License: GPL-3+$' "$root/share/doc/korvel/copyright" || fail "copyright names no GPL-3+ licence"
cmp -s "$source_dir/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the GPL version 3"

# One set of file types: defined, opened by the desktop entry, announced by the metainfo.
desktop=$root/share/applications/korvel.desktop
mime=$root/share/mime/packages/korvel.xml
metainfo=$root/share/metainfo/org.korvel_draughts.korvel.metainfo.xml
defined=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime" | sort | paste -sd' ')
expect_equal "the types defined" "application/x-draughts-pdn application/x-korvel-game application/x-korvel-position" \
    "$defined"
expect_equal "the desktop entry's types" "$defined" "$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | grep . |
    sort | paste -sd' ')"
expect_equal "the metainfo's types" "$defined" "$(sed -n 's/.*<mediatype>\(.*\)<\/mediatype>.*/\1/p' "$metainfo" |
    sort | paste -sd' ')"
expect_equal "the desktop entry passes the file" "Exec=korvel %f" "$(grep '^Exec=' "$desktop")"
for glob in "*.pdn:application/x-draughts-pdn" "*.gam:application/x-korvel-game" "*.poz:application/x-korvel-position"; do
    grep -qF "<glob pattern=\"${glob%%:*}\"/>" <(sed -n "\|type=\"${glob#*:}\"|,\|</mime-type>|p" "$mime") ||
        fail "${glob%%:*} is not ${glob#*:}"
done

# The validators a packager runs, where they are installed.
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --pedantic --no-net "$metainfo" >"$work/as" 2>&1 || fail "appstreamcli: $(cat "$work/as")"
    grep -q '^[EWIP]:' "$work/as" && fail "appstreamcli: $(cat "$work/as")"
fi
if command -v update-mime-database >/dev/null; then
    update-mime-database "$root/share/mime" >/dev/null 2>&1 || fail "update-mime-database refused the definition"
    grep -qx 'application/x-draughts-pdn:\*.pdn' "$root/share/mime/globs" || fail "no *.pdn in the built database"
fi
if command -v man >/dev/null; then
    for page in korvel korvel-cli; do
        out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/share/man/man6/$page.6.gz" 2>&1 >/dev/null)
        [ -z "$out" ] || fail "man $page: $out"
    done
fi

finish "install tree"
