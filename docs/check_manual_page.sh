#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders a manual page the way man(1) shows it and fails on any formatter
# warning, on a missing section, or on a footer without the version.
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
