"""Prints benchmark results named <family>/<op>/<format>/<size>/<impl> as
markdown tables: Mpix/s per implementation and quorvel's ratio to each."""
import json
import sys
from collections import OrderedDict

PEERS = ["quorvel-scalar", "per-pixel", "memset", "memcpy", "pixman", "sdl2", "sdl2_ttf", "cairo"]
UNITS = ["Mpix/s", "Mchar/s"]


def main(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    groups = OrderedDict()
    for run in runs:
        parts = run["name"].split("/")
        unit = next((u for u in UNITS if u in run), None)
        if len(parts) < 5 or unit is None:
            continue
        key = ("/".join(parts[:3]), unit)
        row = parts[3]
        impl = parts[4]
        groups.setdefault(key, OrderedDict()).setdefault(row, {})[impl] = run[unit]
    for (key, unit), rows in groups.items():
        peers = [p for p in PEERS if any(p in r for r in rows.values())]
        print(f"\n### {key} ({unit}; x = quorvel / peer)\n")
        print("| size | quorvel | " + " | ".join(peers) + " |")
        print("|---|---:|" + "---:|" * len(peers))
        for size, impls in rows.items():
            q = impls.get("quorvel")
            cells = []
            for p in peers:
                v = impls.get(p)
                if v is None:
                    cells.append("-")
                elif q:
                    cells.append(f"{v:,.0f} ({q / v:.2f}x)")
                else:
                    cells.append(f"{v:,.0f}")
            print(f"| {size} | {q:,.0f} | " + " | ".join(cells) + " |" if q else f"| {size} | - | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "out/bench.json")
