#!/bin/sh
# Writes the manual page corvane.1 from the program's own help texts, so the
# page always says what the installed commands do.
#   sh tools/manpage.sh BINARY OUT
set -eu
binary="$1"
out="$2"
export QT_QPA_PLATFORM=offscreen
# A sanitizer build runs here too: its leak report is not the page's business.
export ASAN_OPTIONS=detect_leaks=0

# Lines are written with printf, not echo: some shells' echo reads backslashes.
# roff reads a backslash as an escape and a leading dot or quote as a request.
roff() {
    sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
}

version=$("$binary" --version | sed 's/^ACARS Corvane //')
commands=$("$binary" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')

tmp="$out.tmp"
{
    echo ".TH CORVANE 1 \"\" \"ACARS Corvane $version\" \"User Commands\""
    echo ".SH NAME"
    printf '%s\n' 'corvane \- collect, store, browse and search aircraft datalink messages'
    echo ".SH SYNOPSIS"
    echo ".B corvane"
    printf '%s\n' '[\fB\-\-data\-dir\fR \fIDIR\fR] [\fICOMMAND\fR] [\fIOPTIONS\fR]'
    echo ".SH DESCRIPTION"
    echo "ACARS Corvane collects the text that ACARS, VDL2 and HFDL decoder programs"
    echo "write, from their log files or live while they run, cuts it into messages"
    echo "and keeps every message in a local database, with registers of the aircraft"
    echo "and aircraft/flight pairs heard. Without a command it opens its window;"
    echo "the commands below do the same work without one."
    echo ".PP"
    echo ".nf"
    "$binary" --help | roff
    echo ".fi"
    echo ".SH COMMANDS"
    for command in $commands; do
        echo ".SS $command"
        echo ".nf"
        "$binary" "$command" --help | roff
        echo ".fi"
    done
    echo ".SH ENVIRONMENT"
    echo ".TP"
    echo ".B CORVANE_DATA_DIR"
    printf '%s\n' 'The application folder, as \fB\-\-data\-dir\fR gives it; the option wins.'
    echo ".SH FILES"
    echo ".TP"
    echo ".I ~/.local/share/ACARS Corvane/"
    echo "The databases (acarslog.db, routes.db, Alerts.db) and work files of an"
    echo "installed program."
    echo ".TP"
    echo ".I ~/.config/ACARS Corvane/ACARS Corvane.conf"
    echo "The settings."
    echo ".SH EXIT STATUS"
    echo "0 on success, 1 when the work failed, 2 for a usage error."
    echo ".SH SEE ALSO"
    echo ".BR systemctl (1),"
    echo ".BR journalctl (1)"
} >"$tmp"
mv "$tmp" "$out"
