#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders a manual page the way man(1) shows it and fails on any formatter
# warning, on a missing section, on a footer without the version, or on
# words run together.
#
#   check_manual_page.sh page.1 version
#
# Exits 77 (skipped) when man or groff is not installed.
set -uo pipefail
page=$1 version=$2
for tool in man groff; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed"
        exit 77
    fi
done
export LC_ALL=C.UTF-8 MANWIDTH=80
rendered=$(mktemp)
trap 'rm -f "$rendered"' EXIT

warnings=$({ man --warnings -E UTF-8 -l "$page" >"$rendered"; } 2>&1)
status=$?
warnings+=$(groff -man -ww -z "$page" 2>&1)
if [ "$status" -ne 0 ] || [ -n "$warnings" ]; then
    echo "$page: man exited with status $status"
    echo "$warnings"
    exit 1
fi
for section in NAME SYNOPSIS DESCRIPTION FILES "EXIT STATUS" DIAGNOSTICS EXAMPLES NOTES; do
    if ! grep -qx "$section" "$rendered"; then
        echo "$page: no $section section"
        exit 1
    fi
done
# The footer names the package and the version of the build.
if ! tail -n 1 "$rendered" | grep -q "levelset_prep $version "; then
    echo "$page: the footer does not give levelset_prep $version:"
    tail -n 1 "$rendered"
    exit 1
fi

# Words run together: arguments of a font macro are joined without blanks,
# so ".BR x), so that" renders "x),sothat". No rendered word may be longer
# than 40 characters, and every run of five letters or more, rendered
# without hyphenation, must be a run of letters in the page's source (with
# its escapes taken out), which a join of source words is not.
long_words=$(awk '{ for (i = 1; i <= NF; i++) if (length($i) > 40) print $i }' "$rendered")
if [ -n "$long_words" ]; then
    echo "$page: words longer than 40 characters (run together?):"
    echo "$long_words"
    exit 1
fi
letter_runs() { grep -oE '[A-Za-z]{5,}' | sort -u; }
source_runs=$(sed -E 's/\\e/ /g; s/\\f[BIRP]/ /g; s/\\\([A-Za-z]{2}/ /g' "$page" | letter_runs)
joined=$(groff -man -Tutf8 -rHY=0 -rLL=80n -P-cbou "$page" 2>/dev/null | letter_runs |
    comm -13 <(echo "$source_runs") -)
if [ -n "$joined" ]; then
    echo "$page: words run together, which the source holds apart:"
    echo "$joined"
    exit 1
fi
