#!/usr/bin/env python3
"""Include cycles and folder order under src/store; a class's header and source are one unit.

Usage: store_include_check.py [--cycles] [SRC]
Prints each cycle and each include against the folder order, and exits 1 when
there is any. With --cycles only the cycles count (while the store's files
still move into their folders)."""
import os
import re
import sys

args = [a for a in sys.argv[1:] if a != '--cycles']
CYCLES_ONLY = len(args) != len(sys.argv) - 1
SRC = args[0] if args else 'src'
# Each folder may include its own and those to its left; sqlite and postgresql never each other.
ORDER = ['base', 'schema', 'batch', 'engine', 'sqlite', 'postgresql', 'session', 'tables',
         'queries', 'writes']
ENGINES = {'sqlite', 'postgresql'}
CHOICE = 'store/session/EngineChoice'  # the one unit that sees both engines
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def rank(unit):
    parts = unit.split('/')
    return ORDER.index(parts[1]) if len(parts) > 2 and parts[1] in ORDER else None


def folder(unit):
    parts = unit.split('/')
    return parts[1] if len(parts) > 2 else ''


units = {}
for d, _, files in os.walk(os.path.join(SRC, 'store')):
    for f in files:
        if f.endswith(('.h', '.cpp')):
            p = os.path.join(d, f)
            units.setdefault(os.path.splitext(os.path.relpath(p, SRC))[0], []).append(p)

edges, bad = {}, []
for unit, paths in sorted(units.items()):
    for p in sorted(paths):
        with open(p, encoding='utf-8') as source:
            names = INCLUDE.findall(source.read())
        for name in names:
            # Beside the file first, then from SRC, as the compiler looks.
            for c in (os.path.normpath(os.path.join(os.path.dirname(p), name)),
                      os.path.join(SRC, name)):
                if not os.path.exists(c):
                    continue
                u = os.path.splitext(os.path.relpath(c, SRC))[0]
                if u in units and u != unit:
                    edges.setdefault(unit, set()).add(u)
                    a, b = rank(unit), rank(u)
                    sideways = {folder(unit), folder(u)} == ENGINES
                    if unit != CHOICE and (a is None or b is None or b > a or sideways):
                        bad.append(f'{p} includes {name}')
                break

# Tarjan's strongly connected components; each one of more than one unit is a cycle.
index, low, stack, on, cycles = {}, {}, [], set(), []


def visit(v):
    index[v] = low[v] = len(index)
    stack.append(v)
    on.add(v)
    for w in sorted(edges.get(v, ())):
        if w not in index:
            visit(w)
            low[v] = min(low[v], low[w])
        elif w in on:
            low[v] = min(low[v], index[w])
    if low[v] == index[v]:
        comp = []
        while not comp or comp[-1] != v:
            comp.append(stack.pop())
            on.discard(comp[-1])
        if len(comp) > 1:
            cycles.append(sorted(comp))


sys.setrecursionlimit(10000)
for v in sorted(units):
    if v not in index:
        visit(v)
for c in cycles:
    print(f'cycle of {len(c)} units: ' + ' '.join(c))
if CYCLES_ONLY:
    bad = []
for b in bad:
    print('against the folder order: ' + b)
sys.exit(1 if cycles or bad else 0)
