#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# check_manual_page.sh on a built page with faults put into it: each must be
# found, and the page as built must pass.
#
#   check_manual_page_test.sh page.1 version
#
# Exits 77 (skipped) when man or groff is not installed.
set -uo pipefail
here=$(dirname "$0")
page=$1 version=$2
for tool in man groff; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The line added at the end of the DESCRIPTION's first paragraph | what the
# check must say ("" for a page that passes).
cases=(
    '.BR "Input file opening failed"), so that an output file may be|words run together'
    '.IR "a file" s|'
    '.BR \-q ", " \-\-quiet|'
    'see /a/very/long/path/that/is/one/word/of/the/page/x|longer than 40 characters'
    '.BR tetclean (1) and|'
    '.I node_file_in and node_file_out|'
    '.IR node_file_in node_file_out|words run together'
)
status=0
for entry in "${cases[@]}"; do
    line=${entry%|*} expected=${entry##*|}
    awk -v line="$line" '{ print } /^\.SH DESCRIPTION/ && !done { print line; done = 1 }' \
        "$page" >"$work/page.1"
    output=$(bash "$here/check_manual_page.sh" "$work/page.1" "$version" 2>&1)
    result=$?
    if [ -z "$expected" ] && [ "$result" -ne 0 ]; then
        echo "FAILED: a page with '$line' is refused: $output"
        status=1
    elif [ -n "$expected" ] && { [ "$result" -eq 0 ] || [[ "$output" != *"$expected"* ]]; }; then
        echo "FAILED: a page with '$line' is not refused with '$expected': $output"
        status=1
    fi
done
exit "$status"
