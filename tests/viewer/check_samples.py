#!/usr/bin/env python3
"""The sample applets shipped in Templates/ are what their sources compile to: every class file
built for a template folder equals the one shipped there, a built jar holds the same entries as the
shipped one (timestamps and the manifest aside, which the jar tool stamps), and no class file or
jar lies in Templates/ without a source that builds it.
Usage: check_samples.py [--update] TEMPLATES FOLDER=CLASSDIR|FOLDER=JAR ..."""
import os
import shutil
import sys
import zipfile


def jar_entries(path):
    with zipfile.ZipFile(path) as jar:
        return {info.filename: jar.read(info) for info in jar.infolist()
                if not info.is_dir() and not info.filename.upper().startswith("META-INF/")}


def built_files(pairs):
    """(template folder, file name) -> built path, for loose class files and jars alike."""
    files = {}
    for pair in pairs:
        folder, _, built = pair.partition("=")
        if built.endswith(".jar"):
            files[(folder, os.path.basename(built))] = built
            continue
        for root, _, names in os.walk(built):
            for name in names:
                if name.endswith(".class"):
                    files[(folder, os.path.relpath(os.path.join(root, name), built))] = os.path.join(root, name)
    return files


def same(built, shipped):
    if not os.path.isfile(shipped):
        return False
    if built.endswith(".jar"):
        return jar_entries(built) == jar_entries(shipped)
    with open(built, "rb") as a, open(shipped, "rb") as b:
        return a.read() == b.read()


def main(args):
    update = args[:1] == ["--update"]
    if update:
        args = args[1:]
    templates, pairs = args[0], args[1:]
    files = built_files(pairs)
    faults = []
    for (folder, name), built in sorted(files.items()):
        shipped = os.path.join(templates, folder, name)
        if same(built, shipped):
            continue
        if update:
            shutil.copyfile(built, shipped)
            print(f"refreshed {os.path.relpath(shipped, templates)}")
        else:
            faults.append(f"{folder}/{name} differs from what its source compiles to")
    for root, _, names in os.walk(templates):
        for name in names:
            if name.endswith((".class", ".jar")):
                key = (os.path.relpath(root, templates), name)
                if key not in files:
                    faults.append(f"{key[0]}/{name} has no source that builds it")
    for fault in faults:
        print(f"FAIL: {fault}")
    if faults:
        print("Build the target zarn_samples_refresh to ship the classes the sources compile to.")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
