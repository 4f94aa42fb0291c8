#!/usr/bin/env bash
# The installed program, as a packager and a user meet it.
#
#   check-install.sh layout  BUILD DEST SOURCE CMAKE  installs BUILD into DEST (a DESTDIR)
#                                                     under a prefix other than /usr and
#                                                     checks that nothing is missing
#   check-install.sh program BUILD DEST SOURCE        runs the installed program from there
#   check-install.sh desktop BUILD DEST SOURCE        checks the desktop's files with the
#                                                     platform's own tools
#
# The installed program must find everything without the build tree and
# without anything installed on this machine: the data folders of the system
# are hidden from it (XDG_DATA_DIRS points to an empty folder).
set -euo pipefail

step=$1 build=$2 dest=$3 source=$4
prefix=/opt/wobbin-express
root="$dest$prefix"
program="$root/bin/wobbin-express"
share="$root/share"
data="$share/wobbin-express"
work="${WOBBIN_TEST_HOME:-$(mktemp -d)}/work"
rm -rf "$work"
mkdir -p "$work/empty"
export XDG_DATA_DIRS="$work/empty"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
# check DESCRIPTION COMMAND...: runs the command, reports its outcome.
check() {
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
png_size() { file -b "$1" | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }

app_id=org.quorvex.WobbinExpress
icon_names=("apps/$app_id" mimetypes/application-x-wobbin-express-page mimetypes/application-x-wobbin-express-template)
icon_sizes=(16 22 24 32 48 64 128 256 512)

case $step in
layout)
    cmake_program=$5
    rm -rf "$dest"
    DESTDIR="$dest" "$cmake_program" --install "$build" --prefix "$prefix" >"$work/install.log"
    check "the program is installed and can be run" test -x "$program"

    # Every shipped data file (the source's data/ folder) is installed, and nothing else.
    (cd "$source/data" && find . -type f ! -name .keep | sort) >"$work/shipped"
    (cd "$data" && find . -type f | sort) >"$work/installed"
    check "share/wobbin-express holds exactly the shipped data" diff -u "$work/shipped" "$work/installed"
    check "the shipped data is not writable by others" \
        test -z "$(find "$data" -perm /o+w -print -quit)"

    # The desktop's files.
    for f in "applications/$app_id.desktop" "metainfo/$app_id.metainfo.xml" mime/packages/wobbin-express.xml \
             thumbnailers/wobbin-express.thumbnailer man/man1/wobbin-express.1; do
        check "share/$f is installed" test -s "$share/$f"
    done
    for name in "${icon_names[@]}"; do
        check "scalable icon $name" grep -q '<svg' "$share/icons/hicolor/scalable/$name.svg"
        for size in "${icon_sizes[@]}"; do
            f="$share/icons/hicolor/${size}x$size/$name.png"
            [ "$(png_size "$f")" = "${size}x$size" ] || fail "icon $f is missing or not $size x $size pixels"
        done
    done
    pass "icons of every size"

    # The program does not lean on the build tree: no run path into it, no
    # missing library.
    check "no run path into the build tree" \
        bash -c "! readelf -d '$program' | grep -E 'R(UN)?PATH' | grep -qF '$build'"
    check "every library the program needs is found" bash -c "! ldd '$program' | grep -q 'not found'"
    # The window part: a module in the program's private library folder,
    # loaded only for the window and the drawing commands.
    module=$(find "$root" -name wobbin-express-window.so -path '*/lib*/wobbin-express/*' | head -1)
    check "the window module is installed in a private library folder" test -n "$module"
    [ -z "$module" ] || check "every library the window module needs is found" \
        bash -c "! ldd '$module' | grep -q 'not found'"
    ;;

program)
    export XDG_DATA_HOME="$work/home-data" XDG_CONFIG_HOME="$work/home-config"
    check "--version" test "$("$program" --version)" = "Wobbin Express Version 1.07"

    # --export of a shipped template gives the page with its style from the
    # installed Styles.data, exactly as the build tree's program does.
    template="$data/template/Photo Album.qzt"
    "$program" --export "$template" --out "$work/installed.html"
    "$build/bin/wobbin-express" --export "$build/bin/template/Photo Album.qzt" --out "$work/build.html"
    check "--export of a shipped template matches the build tree's" cmp "$work/installed.html" "$work/build.html"
    check "the exported page has its style from the installed data" \
        grep -q 'BODY BACKGROUND="backgrnd/stars.gif" BGCOLOR=' "$work/installed.html"
    check "commands only read: no user data folder was made" test ! -e "$XDG_DATA_HOME/Quorvex"
    # A command loads none of the window libraries (they are in the window
    # module, loaded only for the window and --thumbnail).
    LD_DEBUG=files "$program" --export "$template" --out "$work/again.html" 2>"$work/loaded.txt"
    check "--export loads no window library" \
        bash -c "grep -q 'file=.*libQt6Core' '$work/loaded.txt' && ! grep -qE 'file=.*(libQt6(Gui|Widgets|WebEngine)|wobbin-express-window)' '$work/loaded.txt'"

    # --thumbnail: the stored picture (196 x 229) fitted, or the page drawn.
    "$program" --thumbnail "$data/save/Example.qze" "$work/stored.png" 128
    check "--thumbnail of a page with its picture" test "$(png_size "$work/stored.png")" = 109x128
    cp "$template" "$work/album.qzt"
    "$program" --thumbnail "$work/album.qzt" "$work/drawn.png" 256
    check "--thumbnail of a template without its picture" test "$(png_size "$work/drawn.png")" = 219x256
    check "the drawn page shows its style's dark background" \
        test "$(convert "$work/drawn.png" -crop 4x4+2+2 -resize 1x1 -format '%[fx:int(255*mean)]' info:)" -lt 80

    # Hostile files: a clean refusal or a picture, never a crash.
    python3 - "$work" <<'EOF'
import os, random, struct, sys
work = sys.argv[1]
def pstr(b): return struct.pack('<i', len(b) - 1) + b
head = b'Wobbin Express File1.07'
random.seed(7)
files = {
    'random.qze': bytes(random.getrandbits(8) for _ in range(4096)),
    'empty.qze': b'',
    'magic-only.qze': head,
    'huge-count.qze': head + pstr(b'Sky') + pstr(b'T') + struct.pack('<i', 0x7fffffff),
    'huge-string.qze': head + struct.pack('<i', 0x7ffffff0) + b'x' * 64,
    'long-text.qze': head + pstr(b'') + pstr(b'T') + struct.pack('<i', 1) + struct.pack('<i', 0)
                     + pstr(b'word ' * 200000) + struct.pack('<iB', 0, 1),
}
for name, data in files.items():
    with open(os.path.join(work, name), 'wb') as f:
        f.write(data)
# A picture beside a page that claims to be enormous.
with open(os.path.join(work, 'bigpicture.qze'), 'wb') as f:
    f.write(head + pstr(b'') + pstr(b'T') + struct.pack('<i', 0))
with open(os.path.join(work, 'bigpicture.qze.bmp'), 'wb') as f:
    f.write(b'BM' + struct.pack('<IHHI', 1000, 0, 0, 54) + struct.pack('<IiiHHIIiiII', 40, 100000, 100000, 1, 24, 0, 0, 0, 0, 0, 0) + b'\0' * 64)
EOF
    for f in random empty magic-only huge-count huge-string long-text bigpicture; do
        rm -f "$work/$f.png"
        start=$(date +%s)
        set +e
        "$program" --thumbnail "$work/$f.qze" "$work/$f.png" 256 2>"$work/$f.err"
        code=$?
        set -e
        seconds=$(($(date +%s) - start))
        case $f:$code in
        random:2 | empty:2) test ! -e "$work/$f.png" && pass "$f: refused" || fail "$f: refused but wrote a picture" ;;
        magic-only:2 | huge-count:2 | huge-string:2)
            [ "$(png_size "$work/$f.png")" = 219x256 ] && pass "$f: damaged page drawn as far as it goes" \
                || fail "$f: no picture of the damaged page" ;;
        long-text:0 | bigpicture:0)
            [ "$(png_size "$work/$f.png")" = 219x256 ] && pass "$f: drawn" || fail "$f: no picture" ;;
        *) fail "$f: exit status $code: $(head -c 300 "$work/$f.err")" ;;
        esac
        [ "$seconds" -le 20 ] || fail "$f took $seconds seconds"
    done

    # The page's pictures come from the HTML folder only: a picture there is
    # drawn; one reached by a parent folder, an absolute path, a link out of
    # the folder or a web address is not.
    pics="$work/pics-data"
    mkdir -p "$pics/HTMLFiles/graphics"
    convert -size 200x200 xc:'#00ff00' "$pics/HTMLFiles/graphics/green.png"
    convert -size 200x200 xc:'#ff0000' "$work/red.png"
    ln -s "$work/red.png" "$pics/HTMLFiles/graphics/link.png"
    python3 - "$work" <<'EOF'
import struct, sys
work = sys.argv[1]
def pstr(b): return struct.pack('<i', len(b) - 1) + b
def image(name):
    return (struct.pack('<i', 2) + pstr(name) + pstr(b'120') + pstr(b'120') + pstr(b'alt') + pstr(b'')
            + struct.pack('<iB', 0, 1))
names = [b'graphics\\green.png', b'..\\..\\red.png', (work + '/red.png').encode(), b'graphics/link.png',
         b'http://127.0.0.1:9/red.png']
with open(work + '/pictures.qze', 'wb') as f:
    f.write(b'Wobbin Express File1.07' + pstr(b'') + pstr(b'T') + struct.pack('<i', len(names))
            + b''.join(image(n) for n in names))
EOF
    "$program" --thumbnail "$work/pictures.qze" "$work/pictures.png" 512 --data-dir "$pics"
    shows() { convert "$work/pictures.png" -fuzz 20% -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:maxima]' info:; }
    check "a picture in the HTML folder is drawn" test "$(shows '#00ff00')" = 1
    check "pictures outside the HTML folder are not" test "$(shows '#ff0000')" = 0

    # First start of the window: the user's data folder is filled from the
    # installed copy. The program is then ended in order (SIGTERM).
    user="$XDG_DATA_HOME/Quorvex/Wobbin Express"
    "$program" >"$work/window.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
        [ -f "$user/save/Example.qze" ] && [ -f "$user/.shipped-files" ] && break
        sleep 0.2
    done
    # SIGTERM once the program has its own handler for it (SigCgt, bit 15).
    for _ in $(seq 1 100); do
        mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
        [ -n "$mask" ] && [ $(( (0x$mask >> 14) & 1 )) = 1 ] && break
        sleep 0.2
    done
    kill -TERM "$pid" 2>/dev/null || true
    set +e
    wait "$pid"
    code=$?
    set -e
    check "the first start fills the user's data folder from the installed copy" \
        diff -r -x .shipped-files "$data" "$user"
    check "the window ends in order on SIGTERM" test "$code" = 0
    ;;

desktop)
    desktop_file="$share/applications/$app_id.desktop"
    check "desktop-file-validate" desktop-file-validate "$desktop_file"
    check "the menu entry runs the program with the file" grep -qx 'Exec=wobbin-express %f' "$desktop_file"
    check "appstreamcli validate" appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml"

    # The file types, recognised by name and by their first bytes.
    mkdir -p "$work/share/mime/packages" "$work/share/applications" "$work/files"
    cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/wobbin-express.xml" "$work/share/mime/packages/"
    check "update-mime-database" env PKGSYSTEM_ENABLE_FSYNC=0 update-mime-database "$work/share/mime"
    cp "$desktop_file" "$work/share/applications/"
    check "update-desktop-database" update-desktop-database "$work/share/applications"
    cp "$data/save/Example.qze" "$work/files/page-without-extension"
    cp "$data/save/Example.qze" "$work/files/SHOUTING.QZE"
    cp "$data/template/Resume.qzt" "$work/files/resume.qzt"
    printf 'Wobbin Express is a nice program\n' >"$work/files/mentions-the-name"
    export XDG_DATA_DIRS="$work/share" XDG_DATA_HOME="$work/no-home" XDG_CONFIG_HOME="$work/no-config"
    for desktop in "" GNOME; do
        label=${desktop:-generic}
        q() { XDG_CURRENT_DESKTOP=$desktop xdg-mime query filetype "$work/files/$1"; }
        check "$label: a page without its extension is a page" test "$(q page-without-extension)" = application/x-wobbin-express-page
        check "$label: .QZE in capitals is a page" test "$(q SHOUTING.QZE)" = application/x-wobbin-express-page
        check "$label: .qzt is a template" test "$(q resume.qzt)" = application/x-wobbin-express-template
        check "$label: a text naming the program is no page" test "$(q mentions-the-name)" = text/plain
        check "$label: the program opens pages" \
            test "$(XDG_CURRENT_DESKTOP=$desktop xdg-mime query default application/x-wobbin-express-page)" = "$app_id.desktop"
    done

    # The thumbnailer's command line, run as a file manager runs it.
    exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/wobbin-express.thumbnailer")
    command=${exec_line//%i/$work/files/page-without-extension}
    command=${command//%o/$work/thumb.png}
    command=${command//%s/128}
    read -r -a argv <<<"$command"
    PATH="$root/bin:$PATH" "${argv[@]}"
    check "the thumbnailer entry makes a thumbnail" test "$(png_size "$work/thumb.png")" = 109x128

    # The manual page: made from --help, so it names every option --help names.
    manpage="$share/man/man1/wobbin-express.1"
    MANWIDTH=80 man --warnings -l "$manpage" >"$work/man.txt" 2>"$work/man.err"
    check "the manual page renders without warnings" test ! -s "$work/man.err"
    for option in $("$program" --help | grep -oE '^  --[a-z-]+' | sort -u); do
        grep -q -- "$option" "$work/man.txt" || fail "the manual page lacks $option"
    done
    check "the manual page has the exit status" grep -q 'Exit status' "$work/man.txt"
    ;;
*)
    echo "usage: $0 layout|program|desktop BUILD DEST SOURCE [CMAKE]" >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
