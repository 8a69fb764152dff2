# Sourced by the build scripts: ccache, when there, keeps compiled files
# across build folders and clones (paths below the repository are taken as
# relative; the folder a debug build was made in is not part of the key). The
# test programs use precompiled headers, which ccache caches only with this
# sloppiness. Settings of the caller's own are kept.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR-$PWD}
  export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR-1}
  export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS-pch_defines,time_macros}
fi
