#!/usr/bin/env bash
# package_test.sh BUILD_DIR VERSION: builds the Debian package from the build tree,
# unpacks it into a private root and runs the installed programs there: the
# runner for 50 steps, and the window under Xvfb from the root's usr/bin (a
# system folder by its path), whose "save bmp" must land in the documents
# folder of a private HOME. SHOT=FILE keeps a screenshot of the window.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/landuse-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

version=$2

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$work/out/landuse_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/out"; fail "no $(basename "$deb")"; }

# Depends comes from the libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libjpeg62-turbo libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6; do
  tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF -- "$lib" || fail "Depends lacks $lib: $depends"
done

contents=$(dpkg -c "$deb" | awk '{print $6}')
for file in ./usr/bin/landuse ./usr/bin/landuse-run ./usr/bin/landuse-batch \
    ./usr/share/applications/landuse.desktop \
    ./usr/share/icons/hicolor/scalable/apps/landuse.svg ./usr/share/icons/hicolor/48x48/apps/landuse.png \
    ./usr/share/man/man1/landuse.1.gz ./usr/share/man/man1/landuse-run.1.gz ./usr/share/man/man1/landuse-batch.1.gz; do
  grep -qx -- "$file" <<<"$contents" || fail "the package lacks $file"
done
grep -Eq '^\./usr/share/metainfo/[^/]+\.metainfo\.xml$' <<<"$contents" || fail "the package lacks its metainfo"

root=$work/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
bash "$here/validate.sh" "$root/usr/share/applications/landuse.desktop" "$root"/usr/share/metainfo/*.metainfo.xml \
  "$root"/usr/share/man/man1/*.1.gz

for program in landuse landuse-run landuse-batch; do
  [ "$(env -u DISPLAY "$bin/$program" --version)" = "$program (landuse) $version" ] || fail "$program --version"
done
summary=$("$bin/landuse-run" --steps 50 --seed 3)
grep -q '^50 steps in .* agents, seed 3$' <<<"$summary" || fail "landuse-run --steps 50 said: $summary"

# The Python module, where the package has one, runs from the installed files.
for site in "$root"/usr/lib/python3*/dist-packages; do
  [ -d "$site/landuse" ] || continue
  grep -q 'python3 (>=' <<<"$depends" || fail "the package holds a Python module but Depends names no python3: $depends"
  steps=$(cd "$work" && PYTHONPATH=$site /usr/bin/python3 -c \
    'import landuse; s = landuse.Simulation(seed=3); s.step(20); print(s.step_count, s.potential.shape)')
  [ "$steps" = "20 (3, 202, 202)" ] || fail "the installed Python module said: $steps"
done

# A HOME of our own, its documents folder named the XDG way.
home=$work/home
mkdir -p "$home/.config"
echo 'XDG_DOCUMENTS_DIR="$HOME/Papers"' >"$home/.config/user-dirs.dirs"
pictures=$home/Papers/landuse/pictures
(
  cd "$bin"
  env -u XDG_CONFIG_HOME -u XDG_DOCUMENTS_DIR -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" \
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$here/drive_window.sh" "$bin/landuse" "$pictures" \
    "${SHOT:-$work/shot.png}"
) || fail "the installed window did not save its pictures into $pictures"

for n in 1 2; do
  picture=$pictures/001_pic_$n.jpg
  [ "$(head -c 3 "$picture" | od -An -tx1 | tr -d ' ')" = ffd8ff ] || fail "$picture is no JPEG"
done
[ ! -e "$bin/pictures" ] || fail "the window saved into the system folder $bin"
echo "package $(basename "$deb"): Depends: $depends"
