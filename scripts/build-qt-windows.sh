#!/usr/bin/env bash
# Builds Qt 6 (Core, Gui, Widgets, Test) for Windows from Debian's own qt6-base source package, with Debian's
# mingw-w64 and the host tools of Debian's Qt of the same version, and installs it into a cache folder named by the
# source version, the target, the compiler version and a hash of the build's flags. A finished cache folder is
# reused as it is. Prints the installed Qt's folder as its last line. Installs what it needs on Debian 12 (run as
# root, or with sudo).
#
#   bash scripts/build-qt-windows.sh [i686|x86_64] [--cached-only]
#
# i686 (the default) is for the programs, x86_64 for tests on machines that run no 32-bit programs. With
# --cached-only it only looks: it prints a finished cached Qt's folder, or exits with 3 when there is none.
#
# ZENTU_QT_CACHE (default /var/cache/zentu-qt-windows) is where the builds are kept.
#
# Qt is built shared: the programs load Qt6Core.dll, Qt6Gui.dll and Qt6Widgets.dll (and the plugins) from their own
# folder, so a user may replace Qt's DLLs as its licence (LGPL) allows. The C and C++ runtimes are linked into every
# Qt DLL as they are into our programs, so no compiler DLL has to travel with them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZENTU_QT_CACHE:-/var/cache/zentu-qt-windows}
jobs=${ZENTU_QT_JOBS:-2}
arch=${1:-i686}
cached_only=0
[[ ${2:-} == --cached-only ]] && cached_only=1
case $arch in
i686) processor=x86 ;;
x86_64) processor=AMD64 ;;
*)
    echo "build-qt-windows: unknown target $arch (i686 or x86_64)" >&2
    exit 1
    ;;
esac
target=$arch-w64-mingw32
say() { echo "build-qt-windows: $*" >&2; }

# --- Packages: the cross compiler, the build tools, dpkg-source, and Debian's Qt for its host tools (moc, uic, rcc)
# and their CMake files. ---
packages=(g++-mingw-w64-${arch//_/-}-posix mingw-w64 cmake ninja-build dpkg-dev xz-utils qt6-base-dev qt6-base-dev-tools)
source "$root/scripts/packages.sh"
mapfile -t missing < <(missing_packages "${packages[@]}")
install_packages "${missing[@]}"

# The Windows Qt must match the host tools' version: the same Debian source version is fetched.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
compiler=$("$target-g++-posix" -dumpfullversion)

# What Qt is configured with. Left out: what the programs do not use (SQL, network, XML, printing, D-Bus,
# concurrency, OpenGL, Vulkan, Direct2D, the graphics view, JPEG and GIF, ICU, zstd) and tablet events (Debian's
# source lacks the bundled wintab headers). The bundled zlib, PCRE2, libpng, HarfBuzz and FreeType are built in;
# FreeType gives the offscreen platform the tests run on.
flags=(
    -release -shared -no-opengl -no-dbus -no-icu -no-zstd -no-feature-tabletevent
    -no-feature-sql -no-feature-network -no-feature-xml -no-feature-printsupport -no-feature-concurrent
    -no-feature-vulkan -no-feature-direct2d -no-feature-graphicsview -no-feature-jpeg -no-feature-gif
    -qt-zlib -qt-pcre -qt-libpng -qt-harfbuzz -qt-freetype
    -nomake examples -nomake tests
)
# The cross toolchain Qt is built with: the runtimes linked in, as the project's own toolchain does.
toolchain="set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $processor)
set(CMAKE_C_COMPILER $target-gcc-posix)
set(CMAKE_CXX_COMPILER $target-g++-posix)
set(CMAKE_RC_COMPILER $target-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$target)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT \"-static\")
set(CMAKE_SHARED_LINKER_FLAGS_INIT \"-static\")
"
# Without Direct2D, Qt 6.4 leaves the DirectWrite font database out of Gui, while the Windows platform plugin uses it
# wherever DirectWrite 3 is there, so the plugin would not link: the plugin is made to ask for both.
plugin_fix='s/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/'
hash=$(printf '%s\n' "${flags[@]}" "$toolchain" "$plugin_fix" | sha256sum | cut -c1-12)
prefix="$cache/qt-${version//[:+~]/_}-$target-gcc-$compiler-$hash"
# A folder is used only when its build ended: the stamp is written last.
stamp="$prefix/zentu-qt-complete"
if [[ -f "$stamp" ]]; then
    say "using the cached Qt in $prefix"
    echo "$prefix"
    exit 0
fi
if ((cached_only)); then
    say "no finished Qt for $target in $cache"
    exit 3
fi

# One build at a time: a second caller waits for the first and then uses what it installed.
mkdir -p "$cache"
exec 9>"$prefix.lock"
if ! flock -n 9; then
    say "another build of Qt is running; waiting for it"
    flock 9
fi
if [[ -f "$stamp" ]]; then
    say "using the Qt the other build installed in $prefix"
    echo "$prefix"
    exit 0
fi

# --- The source: Debian's qt6-base with Debian's patches, fetched through a private apt configuration that adds the
# source indexes, so the machine's own apt configuration stays as it is. ---
work="$cache/work-$hash"
rm -rf "$work" "$prefix"
mkdir -p "$work"
apt_dir="$cache/apt"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
rm -f "$apt_dir/sources.list.d/"*
for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f $file ]] && sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb deb-src/' "$file" \
        >"$apt_dir/sources.list.d/$(basename "$file")"
done
apt_list=/dev/null
if [[ -f /etc/apt/sources.list ]] && grep -q '^deb ' /etc/apt/sources.list; then
    apt_list="$apt_dir/sources.list"
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | cat /etc/apt/sources.list - >"$apt_list"
fi
apt_options=(-o "Dir::Etc::SourceList=$apt_list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
say "fetching the source of qt6-base $version"
apt-get "${apt_options[@]}" update >&2
(cd "$work" && apt-get "${apt_options[@]}" source --download-only "qt6-base=$version" >&2)
dpkg-source -x "$work"/qt6-base_*.dsc "$work/src" >&2
sed -i "$plugin_fix" "$work/src/src/plugins/platforms/windows/qwindowsintegration.cpp"
grep -q 'directwrite3) && QT_CONFIG(direct2d)' "$work/src/src/plugins/platforms/windows/qwindowsintegration.cpp"

# --- Configure, build, install (stripped). ---
printf '%s' "$toolchain" >"$work/toolchain.cmake"
mkdir -p "$work/build"
say "configuring Qt: ${flags[*]}"
(cd "$work/build" && "$work/src/configure" -prefix "$prefix" -qt-host-path /usr "${flags[@]}" -- \
    -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >&2)
say "building Qt with $jobs jobs"
cmake --build "$work/build" --parallel "$jobs" >&2
cmake --install "$work/build" --strip >&2
printf 'qt6-base %s\nmingw-w64 %s\n%s\n' "$version" "$compiler" "${flags[*]}" >"$stamp"
rm -rf "$work"
say "Qt is installed in $prefix"
echo "$prefix"
