#!/usr/bin/env bash
# Installs what building and testing Yorudex needs on Debian 12, and nothing
# when it is all there already. Safe to run again; runs as root without prompts.
set -euo pipefail

packages=(
  wine wine64 fonts-wine
  # Wine loads these at run time; Debian only recommends them, and without
  # them windows fail to open.
  libxrender1 libxrandr2 libxcursor1 libxi6 libxcomposite1 libxfixes3 libxinerama1 libxxf86vm1
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix cmake make g++ googletest
  xvfb xauth x11-apps x11-utils imagemagick fonts-ipafont-gothic fonts-ipafont-mincho locales
  lhasa p7zip-full libarchive-tools jlha-utils liblhasa-dev
  # XXH3 for the catalogs' hashes, used header-only.
  libxxhash-dev
  clang libclang-rt-14-dev pkg-config zip python3 xdotool file clang-format ccache
  # Runs the shipped 32-bit program in the same prefix as the 64-bit one.
  wine32:i386
)

# wine32 is an i386 package: the architecture must be known before the install.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes the ANSI code page from LC_CTYPE: without this locale it silently
# runs with code page 1252 and every Japanese text turns to question marks.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
