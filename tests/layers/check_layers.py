#!/usr/bin/env python3
"""Checks that the product's folders and kestrimo-host's rooms only look down.

Each layer may include its own files and those of the layers before it in
LAYERS; each room of the tool those of the rooms before it in ROOMS (and any
layer of the product). Nothing in the product includes the tool, the tests,
the benchmarks or the fuzzers, and <windows.h> appears only behind the
platform seam, in the settings window and in the plug-in's entry file. The
kestrimo_layer() calls of the build must name only lower layers in DEPENDS.

    check_layers.py ROOT            exit 1 and list every violation
    check_layers.py ROOT --planted  the same tree with one wrong include
                                    planted: exit 0 only if exactly that is found
"""
import os
import re
import sys

LAYERS = ["base", "platform", "imaging", "mask", "detect", "model", "settings",
          "engine", "resources", "ui", "plugin"]
TOOL = "tools/kestrimo-host"
ROOMS = ["process", "stream", "pictures", "hosting", "detect", "app"]
OUTSIDE = ["tools", "tests", "bench", "fuzz"]
WINDOWS_ALLOWED = ("platform/win32/", "ui/", "plugin/")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)
CALL = re.compile(r"kestrimo_(layer|room)\((\w+)([^)]*)\)", re.S)


def source_files(root):
    for top in LAYERS + [TOOL]:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith((".h", ".cpp")):
                    path = os.path.join(folder, name)
                    with open(path, encoding="utf-8", errors="replace") as f:
                        yield os.path.relpath(path, root).replace(os.sep, "/"), f.read()


def build_files(root):
    for folder in LAYERS + [f"{TOOL}/{room}" for room in ROOMS]:
        path = os.path.join(root, folder, "CMakeLists.txt")
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                yield f"{folder}/CMakeLists.txt", f.read()


def rank(order, name):
    return order.index(name) if name in order else None


def include_violation(path, target):
    top, target_top = path.split("/")[0], target.split("/")[0]
    if path.startswith(TOOL + "/"):
        if target_top in OUTSIDE and not target.startswith(TOOL + "/"):
            return "the tool includes " + target_top
        if not target.startswith(TOOL + "/"):
            return None
        room, target_room = path.split("/")[2], target.split("/")[2]
        if rank(ROOMS, room) is None or rank(ROOMS, target_room) is None:
            return None if room == target_room else "a room of the tool outside ROOMS"
        if rank(ROOMS, target_room) > rank(ROOMS, room):
            return f"room {room} includes the higher room {target_room}"
        return None
    if target_top in OUTSIDE:
        return f"layer {top} includes {target_top}"
    if rank(LAYERS, target_top) is not None and rank(LAYERS, target_top) > rank(LAYERS, top):
        return f"layer {top} includes the higher layer {target_top}"
    return None


def violations(files, builds):
    found = []
    for path, text in files:
        for kind, target in INCLUDE.findall(text):
            if kind == "<":
                if target.lower() == "windows.h" and not path.startswith(WINDOWS_ALLOWED):
                    found.append(f"{path}: <windows.h> outside the platform seam and the windows")
                continue
            why = include_violation(path, target)
            if why:
                found.append(f"{path}: #include \"{target}\": {why}")
    for path, text in builds:
        for kind, name, rest in CALL.findall(text):
            order = LAYERS if kind == "layer" else ROOMS
            depends = re.search(r"DEPENDS(.*?)(?:LINKS|GLOBS|EXCLUDE|$)", rest, re.S)
            for dependency in depends.group(1).split() if depends else []:
                if rank(order, dependency) is None or rank(order, dependency) >= rank(order, name):
                    found.append(f"{path}: {kind} {name} links {dependency}, not a lower {kind}")
    return found


def main(argv):
    root = argv[1]
    files = list(source_files(root))
    builds = list(build_files(root))
    if "--planted" in argv:
        before = set(violations(files, builds))
        files.append(("mask/Planted.h", '#include "engine/PluginState.h"\n'))
        builds.append(("model/CMakeLists.txt", "kestrimo_layer(model DEPENDS base settings)"))
        found = [v for v in violations(files, builds) if v not in before]
        expected = ["mask/Planted.h: #include \"engine/PluginState.h\": "
                    "layer mask includes the higher layer engine",
                    "model/CMakeLists.txt: layer model links settings, not a lower layer"]
        print("\n".join(found))
        return 0 if found == expected else 1
    found = violations(files, builds)
    print("\n".join(found) if found else f"{len(files)} files, every include looks down")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
