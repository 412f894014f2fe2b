#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# render_example.py draws to the path it is given and leaves the README's
# docs/example.png alone; a last argument that is no .png is refused.
#
#   render_example_test.sh python3 tetclean work_folder
#
# Exits 77 (skipped) when matplotlib, numpy or meshio cannot be imported
# (Debian packages python3-matplotlib, python3-numpy, python3-meshio).
set -uo pipefail
python=$1 tetclean=$2 work=$3
here=$(dirname "$0")
if ! "$python" -c "import matplotlib, numpy, meshio" 2>/dev/null; then
    echo "skipped: matplotlib, numpy or meshio missing"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work"
shown=$(sha256sum <"$here/example.png")
program=$(sha256sum <"$tetclean")

"$python" "$here/render_example.py" "$tetclean" "$work/drawn.png" >/dev/null || exit 1
if [ "$(head -c 8 "$work/drawn.png" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
    echo "FAILED: $work/drawn.png is no PNG file"
    exit 1
fi
if "$python" "$here/render_example.py" "$tetclean" 2>"$work/err"; then
    echo "FAILED: a last argument that is no .png was taken"
    exit 1
fi
grep -q "usage: render_example.py \[tetclean\] output.png" "$work/err" || { cat "$work/err"; exit 1; }
if [ "$(sha256sum <"$here/example.png")" != "$shown" ] || [ "$(sha256sum <"$tetclean")" != "$program" ]; then
    echo "FAILED: docs/example.png or tetclean changed"
    exit 1
fi
