#!/usr/bin/env bash
# Builds the release of the commit checked out here from a clean copy of
# that commit (changes not committed are not in it): Tessaron-<version>.zip
# and SHA256SUMS beside it, in build/release or the folder given, checked
# as the tests check the shipped programs.  Every run on one commit gives
# the same bytes, and so the same sums.
#   tools/release.sh [output folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/release}

"$root/tools/setup-machine.sh"
commit=$(git -C "$root" rev-parse HEAD)
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "release.sh: changes not committed are left out: this is the release of $commit" >&2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaron-release.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir "$work/src"
git -C "$root" -c core.autocrlf=false archive "$commit" | tar -x -C "$work/src"
# Every date the release writes is the commit's.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
if ! { cmake -S "$work/src" -B "$work/build" -G Ninja -DTESSARON_DIST_ONLY=ON &&
       cmake --build "$work/build" --target windows-x86 pecheck; } >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi

shipped=$work/build/windows-x86
zip=$(cd "$shipped" && echo Tessaron-*.zip)
version=${zip#Tessaron-}
version=${version%.zip}
programs=("$shipped/dist/setup.exe" "$shipped/dist/Tessaron.ex_" "$shipped/dist/Kelvey.ex_")
if ! report=$("$work/build/pecheck" "$work/src/tools/pe-imports.txt" "${programs[@]}" &&
              "$work/build/pecheck" --version "$version" "${programs[@]}"); then
  echo "$report" >&2
  exit 1
fi

mkdir -p "$out"
cp "$shipped/$zip" "$out/$zip"
(cd "$out" && sha256sum "$zip" >SHA256SUMS)
echo "Tessaron $version, commit $commit of $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')"
echo "$out/$zip ($(stat -c %s "$out/$zip") bytes)"
echo "$out/SHA256SUMS:"
cat "$out/SHA256SUMS"
