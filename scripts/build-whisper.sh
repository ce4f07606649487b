#!/usr/bin/env bash
# Provides the whisper.cpp speech engine that Quillo links statically, with ggml's Vulkan
# backend so that it can run on the graphics card.
#
# Uses the system's copy when `pkg-config whisper` finds one. Otherwise fetches the pinned
# source from the npm registry (the nodejs-whisper package carries whisper.cpp under
# package/cpp/whisper.cpp), refuses it unless its sha512 matches, applies the patches kept in
# scripts/patches/, and builds it once per machine into a cache outside every build folder, so
# CI builds, the sanitizer build and the package all link the same plain library.
#
#   build-whisper.sh                 build into the cache unless it is there already
#   build-whisper.sh --print-prefix  print the cache prefix (empty when the system has whisper)
#   build-whisper.sh --verify FILE   only check FILE against the pinned integrity (exit 1 if not)
set -euo pipefail

readonly npm_package="nodejs-whisper@0.3.1"
readonly whisper_version="1.9.1"
readonly integrity="sha512-ceoilUVraRuR5FnNyXpGQT2auAR48Oc3AQBEmkXnVpSn9iN6yVRzQBFCqVTGWbk6Wdi95NhvwXNzFvuR7erLWw=="
# Bump when the build options or the patches change, so a machine's cache is rebuilt.
# r2: the Vulkan backend.
readonly recipe="r2"
patches_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/patches"
readonly patches_dir

cache_root() {
  if [[ -n ${QUILLO_WHISPER_CACHE:-} ]]; then
    echo "$QUILLO_WHISPER_CACHE"
  elif [[ $(id -u) -eq 0 ]]; then
    echo "/var/cache/quillo"
  else
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/quillo"
  fi
}

prefix() { echo "$(cache_root)/whisper-${whisper_version}-${recipe}"; }

# Succeeds when FILE's sha512, base64-encoded as npm records it, is the pinned one.
verify() {
  local file=$1 actual
  actual="sha512-$(openssl dgst -sha512 -binary "$file" | base64 -w0)"
  if [[ $actual != "$integrity" ]]; then
    echo "build-whisper: integrity check failed for $file" >&2
    echo "  expected $integrity" >&2
    echo "  got      $actual" >&2
    return 1
  fi
}

system_has_whisper() { pkg-config --exists whisper 2>/dev/null; }

case "${1:-}" in
  --print-prefix)
    system_has_whisper || prefix
    exit 0
    ;;
  --verify)
    verify "$2"
    exit $?
    ;;
  "") ;;
  *)
    echo "usage: $0 [--print-prefix | --verify FILE]" >&2
    exit 2
    ;;
esac

if system_has_whisper; then
  echo "build-whisper: using the system's whisper $(pkg-config --modversion whisper)"
  exit 0
fi

target=$(prefix)
if [[ -f $target/.complete ]]; then
  echo "build-whisper: cached in $target"
  exit 0
fi

mkdir -p "$(cache_root)"
# One build at a time per machine: concurrent set-ups wait for the first.
exec 9>"$(cache_root)/.whisper.lock"
flock 9
if [[ -f $target/.complete ]]; then
  echo "build-whisper: cached in $target"
  exit 0
fi

# The Vulkan backend compiles its shaders at build time; configure would fail later, and less
# clearly, without the compiler.
if ! command -v glslc >/dev/null; then
  echo "build-whisper: glslc is missing (Debian: glslc libvulkan-dev spirv-headers):" \
    "run scripts/setup.sh" >&2
  exit 1
fi

work=$(mktemp -d "$(cache_root)/whisper-build.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "build-whisper: fetching $npm_package"
(cd "$work" && npm pack "$npm_package" --ignore-scripts --silent >/dev/null)
tarball=$(ls "$work"/*.tgz)
verify "$tarball"
tar -xzf "$tarball" -C "$work" package/cpp/whisper.cpp
src="$work/package/cpp/whisper.cpp"

# The patches change the checked source, so they go on only after the check. Each must apply
# without fuzz: one that no longer fits stops the build rather than half-apply.
#  - whisper-vulkan-headers-1.3.239: ggml-vulkan.cpp uses VK_EXT_layer_settings unguarded, which
#    Debian 12's Vulkan headers (1.3.239) predate; the patch puts that code under #ifdef (it is a
#    no-op with newer headers).
#  - whisper-model-load-allocation-failure: a weight buffer that cannot be allocated (a card
#    short of video memory) fails the model load instead of crashing in it, so the engine can
#    load the model again on the processor.
patches=(whisper-vulkan-headers-1.3.239.patch whisper-model-load-allocation-failure.patch)
for p in "${patches[@]}"; do
  echo "build-whisper: applying $p"
  patch -d "$src" -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch --quiet <"$patches_dir/$p"
done

# Static, no OpenMP (ggml's own thread pool: nothing extra to ship or sanitise).
# ggml's run-time CPU variant selection (GGML_CPU_ALL_VARIANTS) needs GGML_BACKEND_DL, which
# this version only allows with shared libraries; so the static build targets one portable
# baseline instead of -march=native: x86-64-v3 (AVX2, FMA, F16C, BMI2), which every x86 CPU of
# the last decade has. Quillo checks for it at run time and refuses the engine with a clear error
# on an older CPU rather than crash.
arch_flags=()
if [[ $(uname -m) == x86_64 ]]; then
  arch_flags=(-DGGML_SSE42=ON -DGGML_AVX=ON -DGGML_AVX2=ON -DGGML_FMA=ON -DGGML_F16C=ON
    -DGGML_BMI2=ON -DGGML_AVX512=OFF -DGGML_AVX_VNNI=OFF)
fi

# ggml's Vulkan backend is built into the same static libraries, not as a loadable module.
# Quillo's executable then needs the Vulkan loader (libvulkan.so.1) to start, which the Debian
# package declares (libvulkan1, half a megabyte, already on most desktops); the loader alone is
# enough: on a machine without a Vulkan driver it lists no device, whisper finds no GPU and runs
# on the processor as before. Loadable backends (GGML_BACKEND_DL) would drop that dependency and
# the ~50 MB of shaders from the executable, but this version allows them only with shared
# libraries: Quillo would ship private libraries behind an RPATH, a mandatory CPU module, and
# load them itself from a fixed folder (never ggml_backend_load_all, which also searches the
# working directory). Not worth it to avoid a small, common dependency.
# Configure leaves out by itself the shader variants the system's glslc cannot compile (Debian
# 12's: cooperative matrix, integer dot product, bfloat16); the plain ones cover every device.
staging="$target.partial"
rm -rf "$staging"
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$staging" \
  -DCMAKE_INSTALL_LIBDIR=lib \
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
  -DBUILD_SHARED_LIBS=OFF \
  -DGGML_NATIVE=OFF -DGGML_OPENMP=OFF -DGGML_BLAS=OFF -DGGML_CCACHE=OFF \
  "${arch_flags[@]}" \
  -DGGML_VULKAN=ON \
  -DWHISPER_BUILD_TESTS=OFF -DWHISPER_BUILD_EXAMPLES=OFF -DWHISPER_BUILD_SERVER=OFF \
  -DWHISPER_SDL2=OFF -DWHISPER_CURL=OFF -DWHISPER_FFMPEG=OFF >/dev/null
# Two jobs at most, on machines shared with others; the shader generator still starts up to
# min(16, cores) glslc processes per step by itself.
jobs=$(nproc)
((jobs > 2)) && jobs=2
cmake --build "$work/build" -j "$jobs"
cmake --install "$work/build" >/dev/null

# whisper.cpp's own command-line tool, for side-by-side benchmarks on the same library (Vulkan
# included: `-ng` keeps it on the processor).
cmake -S "$src" -B "$work/build" -DWHISPER_BUILD_EXAMPLES=ON >/dev/null
cmake --build "$work/build" -j "$jobs" --target whisper-cli
install -D -m 755 "$work/build/bin/whisper-cli" "$staging/bin/whisper-cli"
install -m 644 "$src/LICENSE" "$staging/LICENSE"
# The verified tarball stays beside the build: the tests check the integrity check against it.
install -m 644 "$tarball" "$staging/source.tgz"

touch "$staging/.complete"
rm -rf "$target"
mv "$staging" "$target"
echo "build-whisper: built into $target"
