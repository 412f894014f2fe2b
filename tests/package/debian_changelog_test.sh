#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs cmake/debian_changelog.awk on small changelogs: the Debian form of
# each release, the weekdays, the wrapping, and the changelogs it refuses.
#
#   debian_changelog_test.sh <debian_changelog.awk> <scratch dir>
set -euo pipefail
script=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
# convert <version> <markdown>: the Debian changelog in $actual, the status
# in $status, the complaint in $work/err.
convert() {
    printf '%s' "$2" >"$work/in.md"
    rm -f "$work/out"
    status=0
    awk -v package=pkg -v version="$1" -v maintainer='A <a@b.invalid>' -v output="$work/out" \
        -f "$script" "$work/in.md" 2>"$work/err" || status=$?
    actual=$(cat "$work/out" 2>/dev/null || true)
}

# Released sections newest first, Unreleased left out, headings and items.
expected='pkg (1.1.0) unstable; urgency=medium

  * Added:
    - One; two.
  * Fixed:
    - A fault, told over two lines.

 -- A <a@b.invalid>  Fri, 15 Jan 2027 00:00:00 +0000

pkg (1.0.0) unstable; urgency=medium

  * Added:
    - First.

 -- A <a@b.invalid>  Mon, 07 Dec 2026 00:00:00 +0000
'
convert 1.1.0 '# Changelog

Words before the first section.

## [Unreleased]

### Added

- Not released yet.

## [1.1.0] - 2027-01-15

### Added

- One; two.

### Fixed

- A fault,
  told over two lines.

## [1.0.0] - 2026-12-07

### Added

- First.
'
[ "$status" -eq 0 ] && [ "$actual" = "${expected%$'\n'}" ] ||
    fail "two releases (status $status):"$'\n'"$actual"

# The weekday, checked against date(1) across year starts and leap days.
for day in 2000-01-01 2023-12-31 2024-02-29 2024-03-01 2025-01-01 2100-03-01; do
    convert 1.0.0 "## [1.0.0] - $day"$'\n\n### Added\n\n- x\n'
    actual=$(grep '^ -- ' <<<"$actual")
    [ "${actual#* <a@b.invalid>  }" = "$(LC_ALL=C date -u -R -d "$day")" ] ||
        fail "$day gives '$actual'"
done

# A long item wraps within 79 columns and keeps every word.
words=$(printf 'word%d ' {1..40})
convert 1.0.0 "## [1.0.0] - 2026-12-07"$'\n\n### Added\n\n- '"$words"$'\n'
[ "$(awk 'length > 79' <<<"$actual")" = "" ] || fail "lines longer than 79 columns"
[ "$(sed -n '/^    - /,/^$/p' <<<"$actual" | tr -s ' \n' ' ' | sed 's/^ - //; s/ $//')" = "${words% }" ] ||
    fail "wrapping lost words:"$'\n'"$actual"

# Refused: another version on top, a heading out of form, nothing released.
while IFS='|' read -r version markdown message; do
    # shellcheck disable=SC2059 # the table's \n are line ends
    convert "$version" "$(printf "$markdown")"
    [ "$status" -ne 0 ] && grep -qF "$message" "$work/err" ||
        fail "'$markdown' for $version: status $status, $(cat "$work/err")"
done <<'EOF'
1.1.0|## [1.0.0] - 2026-12-07\n\n### Added\n\n- x\n|the newest release is 1.0.0, not 1.1.0
1.0.0|## [1.0.0]\n\n- x\n|is not a release heading
1.0.0|## [1.0.0] - 2026-13-07\n\n- x\n|is not a date
1.0.0|## [Unreleased]\n\n- x\n|no released section
1.0.0|## [1.0.0] - 2026-12-07\n\nA paragraph.\n|neither a heading nor a list item
EOF

rm -rf "$work"
[ "$failures" -eq 0 ]
