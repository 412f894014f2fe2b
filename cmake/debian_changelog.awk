# SPDX-License-Identifier: MIT
# Turns CHANGELOG.md (Keep a Changelog form) into a Debian changelog: one
# entry per released section, newest first, in the form dpkg-parsechangelog
# and lintian read. The "Unreleased" section is left out.
#
#   awk -v package=levelset-prep -v version=1.0.0 -v maintainer='Name <address>' \
#       -v output=changelog -f debian_changelog.awk CHANGELOG.md
#
# A release section reads "## [1.0.0] - 2026-12-07"; its "### Added" (or
# Changed, Fixed, ...) headings become "  * Added:" and its "- " items
# "    - ...", wrapped at 79 columns. Fails when the newest released section
# is not `version`, so a package never carries another version's notes.

function fail(message) {
    print "CHANGELOG.md: " message > "/dev/stderr"
    failed = 1
    exit 1
}

# "Mon, 07 Dec 2026 00:00:00 +0000" for "2026-12-07" (the weekday by
# Sakamoto's method).
function rfc2822(day,    parts, y, m, d, w) {
    if (split(day, parts, "-") != 3) fail("'" day "' is not a date (YYYY-MM-DD)")
    y = parts[1] + 0; m = parts[2] + 0; d = parts[3] + 0
    if (m < 1 || m > 12 || d < 1 || d > 31) fail("'" day "' is not a date (YYYY-MM-DD)")
    if (m < 3) y -= 1
    w = (y + int(y / 4) - int(y / 100) + int(y / 400) + substr("032503514624", m, 1) + d) % 7
    return substr("SunMonTueWedThuFriSat", 3 * w + 1, 3) ", " sprintf("%02d", d) " " \
           substr("JanFebMarAprMayJunJulAugSepOctNovDec", 3 * m - 2, 3) " " parts[1] \
           " 00:00:00 +0000"
}

# Writes `text` after `first`, wrapped at 79 columns with `indent` before
# each further line.
function wrap(first, indent, text,    words, n, i, line) {
    n = split(text, words, " ")
    line = first
    for (i = 1; i <= n; i++) {
        if (line != first && length(line) + 1 + length(words[i]) > 79) {
            print line > output
            line = indent
        }
        line = line (line == first || line == indent ? "" : " ") words[i]
    }
    print line > output
}

function end_item() {
    if (item != "") wrap("    - ", "      ", item)
    item = ""
}

function end_release() {
    end_item()
    if (released) print "\n -- " maintainer "  " date "\n" > output
    released = 0
}

BEGIN {
    if (package == "" || version == "" || maintainer == "" || output == "")
        fail("debian_changelog.awk needs package, version, maintainer and output")
    printf "" > output
}

/^## / {
    end_release()
    if ($0 ~ /^## \[Unreleased\]/) next
    if ($0 !~ /^## \[[^]]+\] - [0-9]+-[0-9]+-[0-9]+$/)
        fail("'" $0 "' is not a release heading (## [X.Y.Z] - YYYY-MM-DD)")
    release = substr($2, 2, length($2) - 2)
    if (entries == 0 && release != version)
        fail("the newest release is " release ", not " version " as in project(); add a section for " version)
    date = rfc2822($4)
    print package " (" release ") unstable; urgency=medium\n" > output
    released = 1
    entries++
    next
}

!released { next }

/^### / {
    end_item()
    heading = substr($0, 5)
    print "  * " heading ":" > output
    next
}

/^- / {
    end_item()
    item = substr($0, 3)
    next
}

/^[ \t]+[^ \t]/ && item != "" {
    sub(/^[ \t]+/, "")
    item = item " " $0
    next
}

/^[ \t]*$/ {
    end_item()
    next
}

{ fail("'" $0 "' is neither a heading nor a list item") }

END {
    if (failed) exit 1
    end_release()
    if (entries == 0) fail("no released section; add one for " version)
}
