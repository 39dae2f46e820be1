# Sourced by scripts/demo, scripts/bench and scripts/test (from the source
# folder): which Windows build this host can run, and how each is configured.
# A build folder whose name ends in 64 is the 64-bit build; any other is the
# shipped 32-bit one.

# Asks scripts/wine once whether this host runs 32-bit programs and exports
# the answer, so that everything started afterwards reuses it.
maj_probe_32bit() {
  MAJ_32BIT=$(scripts/wine --probe-32bit) || true
  export MAJ_32BIT
}

maj_runs_32bit() { [[ $MAJ_32BIT == yes ]]; }

maj_toolchain() {
  case $1 in
    *64) echo cmake/mingw-w64-x64.cmake ;;
    *) echo cmake/mingw-w64.cmake ;;
  esac
}

# Configures BUILD with the toolchain its name calls for; a folder configured
# with the other one is configured again from nothing.
maj_configure() {
  local build=$1 tag=$2 toolchain
  toolchain=$(maj_toolchain "$build")
  if [[ -f $build/CMakeCache.txt ]]; then
    grep -q "^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*/${toolchain##*/}\$" "$build/CMakeCache.txt" && return
    echo "$tag: $build was configured with another toolchain: configuring it again" >&2
    rm -rf -- "$build/CMakeCache.txt" "$build/CMakeFiles"
  fi
  echo "$tag: configuring the Windows build in $build ($toolchain)" >&2
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
}

# Prints the build to run: BUILD itself, or, when BUILD is the 32-bit build and
# this host cannot run it, the 64-bit build beside it (BUILD64), with one line
# on stderr that says so and why.
maj_runnable_build() {
  local build=$1 tag=$2
  if [[ $build == *64 ]] || maj_runs_32bit; then
    echo "$build"
    return
  fi
  echo "$tag: this host cannot run the shipped 32-bit program: ${MAJ_32BIT#no: };" \
    "running the 64-bit program against the 64-bit stand-in (${build}64) instead" >&2
  echo "${build}64"
}
