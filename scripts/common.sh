# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the project's commands: install what is missing, then configure and build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the build, the tests and the benchmarks need.
# Qt Charts' CMake package needs Qt OpenGL's, which qt6-charts-dev does not pull in.
build_packages=(cmake make g++ pkg-config libgtest-dev libbenchmark-dev qt6-base-dev
                qt6-charts-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core clang-format)
# The browser edition: Debian's emscripten for the engine, Chromium for the browser tests and
# the benchmark. Node and npm come from the machine (CI has node 20), or from Debian if absent.
web_packages=(emscripten chromium)
# The Python module and its tests and lessons (Debian's interpreter, NumPy, pybind11; pandas,
# Dask and matplotlib for sweeps and lessons; nbclient and ipykernel to run the lessons).
python_packages=(python3-dev pybind11-dev python3-numpy python3-pytest python3-pandas
                 python3-distributed python3-matplotlib python3-nbclient python3-nbformat
                 python3-ipykernel python3-tqdm)
# And what building the wheel and installing it into a virtual environment need (tqdm for the
# progress bars).
wheel_packages=(python3-build python3-setuptools python3-venv python3-tqdm)
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

# Installs what the browser edition needs: the Debian packages, node and npm when the machine
# has none, and the page's npm packages exactly as web/package-lock.json pins them.
need_web() {
  need_packages "${web_packages[@]}"
  command -v node >/dev/null || need_packages nodejs
  command -v npm >/dev/null || need_packages npm
  if [ ! -d "$root/web/node_modules" ] ||
    [ "$root/web/package-lock.json" -nt "$root/web/node_modules/.package-lock.json" ]; then
    (cd "$root/web" && npm ci --no-audit --no-fund)
  fi
}

# Builds the browser edition: the engine and its tests for WebAssembly into build-web/wasm/,
# the site into build-web/site/, the server, browser tests and benchmark into build-web/.
build_web() {
  # emcc's JavaScript optimiser needs Debian's acorn, which lives outside node's own path.
  export NODE_PATH=/usr/share/nodejs
  # emcc builds its C and C++ libraries into its cache at first use: a user who cannot write
  # Debian's cache gets one of their own.
  [ -w /usr/share/emscripten/cache ] || export EM_CACHE="$root/build-web/emscripten-cache"
  emcmake cmake -S "$root" -B "$root/build-web/wasm" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build-web/wasm" -j"$(nproc)"
  (cd "$root/web" && npx tsc --noEmit -p . && node build.mjs --wasm "$root/build-web/wasm/web" \
    --out "$root/build-web")
}
