# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the project's commands: install what is missing, then configure and build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the build, the tests and the benchmarks need.
# Qt Charts' CMake package needs Qt OpenGL's, which qt6-charts-dev does not pull in.
build_packages=(cmake make g++ pkg-config libgtest-dev libbenchmark-dev qt6-base-dev
                qt6-charts-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core clang-format)
# And what .ci/package needs to build the Debian package and check it.
package_packages=(dpkg-dev file binutils desktop-file-utils libxml2-utils appstream)

need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# build DIR [cmake options...]: configure and build the project into $root/DIR.
build() {
  local dir="$1"
  shift
  cmake -S "$root" -B "$root/$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$root/$dir" -j"$(nproc)"
}
