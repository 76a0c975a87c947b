#!/usr/bin/env bash
# Installs the build into a fresh prefix, runs the installed program there, and checks
# that its manual page renders without a warning.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
[ -x "$prefix/bin/anagrams" ] || { echo "no bin/anagrams in the prefix"; exit 1; }
[ -f "$prefix/share/man/man1/anagrams.1" ] || { echo "no share/man/man1/anagrams.1 in the prefix"; exit 1; }

mkdir "$prefix/lists"
printf 'stop\npots\ntops\n' > "$prefix/lists/words01"
expected=$'words01 : 3 words\n--total : 3 words\nword : post\n------------------------\nSingle word : 3 words\n  pots\n  stop\n  tops\n------------------------\n------------------------\n'
actual=$(cd "$prefix/lists" && "$prefix/bin/anagrams" post; echo x)
[ "$actual" = "${expected}x" ] || { echo "the installed program printed:"; echo "$actual"; exit 1; }

page=$prefix/share/man/man1/anagrams.1
command -v groff > /dev/null || { echo "groff is missing (Debian: groff-base); it checks the manual page"; exit 1; }
warnings=$(groff -ww -z -man "$page" 2>&1)
[ -z "$warnings" ] || { echo "groff warns about the manual page:"; echo "$warnings"; exit 1; }
if command -v mandoc > /dev/null; then
  lint=$(mandoc -T lint "$page" 2>&1 || true)
  [ -z "$lint" ] || { echo "mandoc warns about the manual page:"; echo "$lint"; exit 1; }
fi
cmp -s "$page" "$source/anagrams.1" || { echo "the installed manual page differs from anagrams.1"; exit 1; }
echo "installed and ran $prefix/bin/anagrams; manual page clean"
