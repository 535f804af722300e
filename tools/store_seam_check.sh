#!/bin/sh
# Checks that the store keeps its engines behind one seam: libpq and the
# SQLite C API each stay in their engine's folder, nothing else asks which
# engine it has, and src/store has no include cycle and keeps its folder
# order. Prints what it finds and exits 1 when it finds anything.
#   sh tools/store_seam_check.sh
cd "$(dirname "$0")/.." || exit 2
# The one unit that makes either engine.
CHOICE='^src/store/session/EngineChoice\.cpp:'
found=$(
    # libpq and the server's classes only in src/store/postgresql.
    grep -rnE '<libpq|libpq-fe|\bPG(conn|result)\b|\bPg(Connection|Result|Transaction|Array|CopyText|Engine)\b|Server(Recorder|Search|Schema|ReportQuery)' src |
        grep -vE '^src/store/postgresql/' | grep -vE "$CHOICE"
    # The SQLite C API only in src/store/sqlite.
    grep -rnE 'sqlite3_|<sqlite3\.h>|\bsqlite3\b|\bSqlite(Db|Statement|Transaction|Engine)\b' src |
        grep -vE '^src/store/sqlite/' | grep -vE "$CHOICE"
    # Nobody else branches on the engine or holds one of its classes.
    grep -rnE 'onServer\(|\bdialect\(\)|SqlDialect|(dynamic|static)_cast<(Sqlite|Pg)|\b(Sqlite|Pg)Engine::of\b' src |
        grep -vE '^src/store/(sqlite|postgresql)/'
    grep -rnE '#include "store/(sqlite|postgresql)/' src |
        grep -vE '^src/store/(sqlite|postgresql)/' | grep -vE "$CHOICE"
    # No stubs left from moving the operations behind the seam.
    grep -rn 'not moved yet' src
    python3 tools/store_include_check.py src
)
if [ -n "$found" ]; then
    printf '%s\n' "$found"
    exit 1
fi
