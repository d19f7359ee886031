#!/usr/bin/env python3
# The resources of each built exe, read from its PE file: the manifest with what it must ask for, the version
# information with the project version and the exe's own name, the icon in the player. Usage: resources.py
# VERSION PLAYER ENCODER DECODER LAYOUT, or resources.py --icon ICO EXE... for exes that show the icon file ICO
# (the installer, the uninstaller); prints each fault, exits 1 on any.
import struct
import sys

Manifest, Version, Icon, IconGroup = 24, 16, 3, 14


def ReadResources(path):   # {type: [data, ...]}; {} when the file has none or is no PE file
    image = open(path, "rb").read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optionalSize = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    directory = optional + (112 if struct.unpack_from("<H", image, optional)[0] == 0x20B else 96)
    rsrc = struct.unpack_from("<I", image, directory + 2 * 8)[0]
    table = [struct.unpack_from("<12xIII", image, optional + optionalSize + 40 * i) for i in range(sections)]
    def At(rva):   # the file offset of an address
        return next(raw + rva - start for start, size, raw in table if start <= rva < start + size)
    if not rsrc: return {}
    base, found = At(rsrc), {}
    def Walk(offset, kind):
        named, ids = struct.unpack_from("<12xHH", image, base + offset)
        for i in range(named + ids):
            key, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * i)
            if target & 0x80000000: Walk(target & 0x7FFFFFFF, key if kind is None else kind)
            else:
                rva, size = struct.unpack_from("<II", image, base + target)
                found.setdefault(kind, []).append(image[At(rva):At(rva) + size])
    Walk(0, None)
    return found


version, faults = sys.argv[1], []
if version == "--icon":   # every image of the .ico file among the exe's icons, byte for byte
    ico = open(sys.argv[2], "rb").read()
    images = [ico[at:at + size] for size, at in (struct.unpack_from("<8xII", ico, 6 + 16 * i)
                                                 for i in range(struct.unpack_from("<4xH", ico)[0]))]
    faults = [f"{path}: not the icon {sys.argv[2]}" for path in sys.argv[3:]
              if not images or any(image not in ReadResources(path).get(Icon, []) for image in images)]
player = ["Microsoft.Windows.Common-Controls", 'version="6.0.0.0"', "true/PM", "PerMonitorV2"]
common = ["asInvoker", "<activeCodePage", ">UTF-8<", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]
rows = [] if version == "--icon" else [(sys.argv[2], "PELORIX", common + player, True)] + [
    (path, path.split("/")[-1][:-4], common, False) for path in sys.argv[3:6]]
for path, name, asks, icon in rows:
    found = ReadResources(path)
    manifest = b"".join(found.get(Manifest, [])).decode("utf-8", "replace")
    faults += [f"{name}: the manifest lacks {ask}" for ask in asks + [f'version="{version}.0"'] if ask not in manifest]
    info = b"".join(found.get(Version, [])).decode("utf-16-le", "replace")
    faults += [f"{name}: the version information lacks {want}" for want in (version, name + ".exe") if want not in info]
    if (IconGroup in found) != icon: faults.append(f"{name}: {'no' if icon else 'an'} icon")
print("\n".join(faults or ["resources: all present"]))
sys.exit(1 if faults else 0)
