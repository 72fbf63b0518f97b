# ./dev setup: what the project needs, each with the Debian package that
# brings it; a command's name or a file that shows the package is there.
readonly needs=(
  "/usr/bin/wine                      wine"
  "/usr/lib/wine/wine                 wine32:i386"
  "/usr/lib/wine/wine64               wine64"
  "/usr/share/wine/fonts/coue1255.fon fonts-wine"
  "Xvfb                               xvfb"
  "xdotool                            xdotool"
  "import                             imagemagick"
  "xwininfo                           x11-utils"
  "i686-w64-mingw32-g++-posix         g++-mingw-w64-i686"
  "x86_64-w64-mingw32-g++-posix       g++-mingw-w64-x86-64-posix"
  "/usr/i686-w64-mingw32/include/zlib.h libz-mingw-w64-dev"
  "cmake                              cmake"
  "make                               make"
  "g++                                g++"
  "patch                              patch"
  "/usr/src/googletest                googletest"
  "clang++                            clang"
  "/usr/lib/llvm-14/lib/clang/14.0.6/include/fuzzer/FuzzedDataProvider.h libclang-rt-14-dev"
  "/usr/include/zlib.h                zlib1g-dev"
  "python3                            python3"
  "makensis                           nsis"
  "chmcmd                             fp-utils-3.2.2"
  "locale-gen                         locales"
  "/usr/share/zoneinfo/Asia/Yekaterinburg tzdata"
  "/usr/share/fonts/truetype/dejavu   fonts-dejavu-core"
  "/usr/include/benchmark/benchmark.h libbenchmark-dev"
  "/usr/include/openssl/aes.h         libssl-dev"
  "/usr/include/cairo/cairo.h         libcairo2-dev"
  "/usr/include/freetype2/ft2build.h  libfreetype-dev"
  "/usr/include/stb/stb_image.h       libstb-dev"
  "/usr/include/lzma/LzmaDec.c        lzma-dev"
  "rsvg-convert                       librsvg2-bin"
  "ffmpeg                             ffmpeg"
  "/usr/include/x86_64-linux-gnu/gnu/lib-names-32.h libc6-dev-i386"
  "/usr/lib/gcc/x86_64-linux-gnu/12/32/libstdc++.a lib32stdc++-12-dev"
  "/usr/lib/gcc/x86_64-linux-gnu/12/32/libasan.a   lib32gcc-12-dev"
  "/usr/lib/i386-linux-gnu/libz.a     zlib1g-dev:i386"
)
# The code pages and zones the tests run under.
readonly locales=(ru_RU.UTF-8 ru_RU.CP1251 en_US.UTF-8 ja_JP.UTF-8)

# The packages whose sign is missing.
missing_packages() {
  local row check package
  for row in "${needs[@]}"; do
    read -r check package <<<"$row"
    if [[ $check = /* ]]; then [ -e "$check" ] && continue; else command -v "$check" >/dev/null && continue; fi
    echo "$package"
  done
  for row in ru_RU.utf8 ja_JP.utf8; do locale -a 2>/dev/null | grep -qix "$row" || { echo locales; break; }; done
}

# A shared library must be at one version in both architectures. Where the
# mirror's i386 index lags behind (a security index that did not arrive), the
# i386 version is taken for both: the packages apt would leave unmet, pinned.
multiarch_pins() {
  local lagging name version
  lagging=$(apt-get install -s -t bookworm --no-install-recommends "$@" 2>&1 |
    grep -oE 'Depends: [a-z0-9.+-]+:i386' | sed -E 's/Depends: (.*):i386/\1/' | sort -u)
  for name in $lagging; do
    version=$(apt-cache policy "$name:i386" | awk '/Candidate:/ { print $2 }')
    [ -n "$version" ] && [ "$version" != "(none)" ] && printf '%s ' "$name=$version" "$name:i386=$version"
  done
  [ -n "$lagging" ] && printf '%s ' --allow-downgrades
  return 0
}

cmd_setup() {
  local missing
  missing=$(missing_packages | sort -u)
  if [ -z "$missing" ]; then log "setup: every package is installed"; return; fi
  log "setup: installing ${missing//$'\n'/ }"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  # A mirror caught mid-sync fails an index now and then: try again, and go on
  # with what arrived (the install names what is still missing).
  local try
  for try in 1 2 3; do
    apt-get update -q && break
    log "setup: the package lists did not all arrive (try $try of 3)"
    sleep 10
  done
  # shellcheck disable=SC2086  # one package a word
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t bookworm $missing $(multiarch_pins $missing)
  local locale pattern=""
  for locale in "${locales[@]}"; do pattern+="${pattern:+|}$locale ${locale#*.}"; done
  sed -i -E "s/^# *($pattern)\$/\\1/" /etc/locale.gen
  locale-gen
}
