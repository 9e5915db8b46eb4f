#!/usr/bin/env python3
"""Checks that the folders of the source tree include one another in one direction only.

Every folder of the program has a place in LAYERS below, with the folders it builds on directly; a
file may include from its own folder and from every folder below it (the closure of that list).
The check fails when a file includes from a folder that is not below its own, when two folders
reach each other (directly or round a loop), and when a folder with sources has no place in the map.

    check_layers.py ROOT            check the tree at ROOT
    check_layers.py ROOT --picture  print which folder includes which
    check_layers.py --self-test     check the checker on small trees of its own
"""

import os
import re
import sys
import tempfile

# Bottom to top. Test and benchmark folders sit above everything and are not checked, but nothing of
# the program may include them.
LAYERS = {
    "common": [],
    "platform": ["common"],  # the service interfaces
    "platform/null": ["platform"],
    "picture": ["platform"],
    "mail": ["picture"],
    "mainwindow/model": ["mail", "platform/null"],
    "platform/linux": ["mail"],  # backends implement interfaces of the whole core
    "platform/synthetic": ["platform"],
    "widgets": ["common"],
    "dialogs": ["widgets", "mail"],
    "mainwindow": ["widgets", "mainwindow/model"],
    "app": ["mainwindow", "dialogs", "platform/linux", "platform/synthetic"],
    "resources": [],
    "tools/icons": ["mainwindow"],  # draws the program's pictures, the main window's included
    "tools/tavrin-tool": ["mainwindow/model", "platform/linux"],  # a composition root of its own
    "tools/gallery": ["app", "tests/support"],
}
UNCHECKED = ("tests", "bench", "build")
SOURCE = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unchecked(folder):
    return any(folder == top or folder.startswith(top + "/") for top in UNCHECKED)


def below(layers):
    """Every folder's closure of the folders it may include."""
    closure = {}

    def visit(folder, path):
        if folder in path:
            raise ValueError("the layer map loops: " + " -> ".join(path + [folder]))
        if folder not in closure:
            reach = set()
            for lower in layers.get(folder, []):
                reach.add(lower)
                reach |= visit(lower, path + [folder])
            closure[folder] = reach
        return closure[folder]

    for folder in layers:
        visit(folder, [])
    return closure


def includes(root):
    """(including file, included file) for every quoted include that resolves inside the tree."""
    found = []
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and not (rel == "." and d == "build"))
        for name in sorted(files):
            if not name.endswith(SOURCE):
                continue
            source = os.path.normpath(os.path.join(rel, name))
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as text:
                for line in text:
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = match.group(1)
                    for base in (".", rel, "tests"):
                        candidate = os.path.normpath(os.path.join(base, target))
                        if os.path.isfile(os.path.join(root, candidate)):
                            found.append((source, candidate))
                            break
    return found


def folder_graph(edges):
    graph = {}
    for source, target in edges:
        a, b = os.path.dirname(source), os.path.dirname(target)
        if a != b:
            graph.setdefault(a, {}).setdefault(b, []).append((source, target))
    return graph


def loops(graph):
    """The strongly connected sets of two or more folders (Tarjan)."""
    index, low, stack, on_stack, result = {}, {}, [], set(), []

    def connect(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, {})):
            if w not in index:
                connect(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                result.append(sorted(group))

    for v in sorted(graph):
        if v not in index:
            connect(v)
    return result


def check(root, layers=LAYERS):
    problems = []
    allowed = below(layers)
    edges = includes(root)
    graph = folder_graph(edges)
    folders = {os.path.dirname(s) for s, _ in edges} | {os.path.dirname(t) for _, t in edges}
    for folder, _, files in os.walk(root):
        rel = os.path.normpath(os.path.relpath(folder, root))
        if any(f.endswith(SOURCE) for f in files) and not rel.startswith("."):
            folders.add(rel)
    for folder in sorted(folders):
        if folder != "." and not unchecked(folder) and folder not in layers:
            problems.append(f"{folder}/ has no place in the layer map")
    for group in loops(graph):
        first = graph[group[0]]
        example = next((first[b][0] for b in sorted(first) if b in group), None)
        where = f" ({example[0]} includes {example[1]})" if example else ""
        problems.append("folders reach each other: " + ", ".join(group) + where)
    for source, target in edges:
        a, b = os.path.dirname(source), os.path.dirname(target)
        if a == b or unchecked(a) or a not in layers:
            continue
        if b not in allowed[a]:
            problems.append(f"{source} includes {target}: {b}/ is not below {a}/")
    return problems


def picture(root):
    graph = folder_graph(includes(root))
    return [f"{a} -> {' '.join(sorted(graph[a]))}" for a in sorted(graph) if not unchecked(a)]


def self_test():
    layers = {"low": [], "high": ["low"], "side": ["low"]}

    def tree(files):
        root = tempfile.mkdtemp()
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                out.write(text)
        return root

    cases = [
        ("one way", {"low/A.h": "", "high/B.cpp": '#include "low/A.h"\n#include "B.h"\n', "high/B.h": ""}, []),
        (
            "from a higher layer",
            {"low/A.cpp": '#include "high/B.h"\n', "high/B.h": ""},
            ["low/A.cpp includes high/B.h: high/ is not below low/"],
        ),
        (
            "two folders reach each other",
            {"high/B.cpp": '#include "side/C.h"\n', "side/C.cpp": '#include "high/B.h"\n', "high/B.h": "", "side/C.h": ""},
            [
                "folders reach each other: high, side (high/B.cpp includes side/C.h)",
                "high/B.cpp includes side/C.h: side/ is not below high/",
                "side/C.cpp includes high/B.h: high/ is not below side/",
            ],
        ),
        ("a folder outside the map", {"odd/D.cpp": ""}, ["odd/ has no place in the layer map"]),
        ("tests are above everything", {"tests/T.cpp": '#include "high/B.h"\n', "high/B.h": ""}, []),
        ("nothing includes the tests", {"low/A.cpp": '#include "tests/F.h"\n', "tests/F.h": ""},
         ["low/A.cpp includes tests/F.h: tests/ is not below low/"]),
    ]
    failed = 0
    for name, files, expected in cases:
        got = sorted(check(tree(files), layers))
        if got != sorted(expected):
            failed += 1
            print(f"FAIL {name}: expected {sorted(expected)}, got {got}")
    try:
        below({"a": ["b"], "b": ["a"]})
        failed += 1
        print("FAIL a looping map is accepted")
    except ValueError as e:
        if str(e) != "the layer map loops: a -> b -> a":
            failed += 1
            print(f"FAIL a looping map: {e}")
    return 1 if failed else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) == 3 and argv[2] == "--picture":
        print("\n".join(picture(argv[1])))
        return 0
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    problems = check(argv[1])
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
