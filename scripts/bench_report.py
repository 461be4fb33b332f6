"""Turns the benchmark program's JSON output into one Markdown table.

Benchmarks are named <family>/<op>/<format>/<size>/<impl> (the operation is
every part before the last two). For each operation and size the table shows
quorvel's rate, the fastest peer (pixman, SDL2, SDL2_ttf, cairo, or the
per-pixel loop a host would write), quorvel's ratio to it, and quorvel's
ratio to the memory limit (memset or memcpy moving the same bytes, or for the
lines the stores to their pixels' addresses) where the operation has one. With repetitions the medians are used.

usage: bench_report.py BENCH.json [--markdown OUT.md] [--csv OUT.csv]
The CSV (operation,size,ratio to the fastest peer) feeds the chart tool.
"""
import argparse
import json
from collections import OrderedDict

MEMORY = ["memset", "memcpy", "stores"]
OURS = ["quorvel", "quorvel-scalar"]
SIZE_ORDER = ["8x8", "64x64", "256x256", "1920x1080"]

# Where a peer does less (or other) work than quorvel, said beside its figure.
NOTES = [
    ("blit/alpha", "pixman, cairo: premultiplied source"),
    ("fill/alpha", "peers: OVER with a translucent colour"),
    ("fill/multiply", "pixman, cairo: MULTIPLY operator"),
    ("blit/keycopy", "no pixman or cairo colour key"),
    ("blit/add", "pixman, cairo: saturating ADD"),
    ("blit/multiply", "SDL2: MOD blend"),
    ("fill/add/rgb24", "no cairo 24-bit format"),
    ("fill/replace/rgb24", "no cairo 24-bit format"),
    ("poly/gouraud-tri", "cairo: mesh pattern; SDL2: geometry"),
    ("poly/circle", "SDL2: 32-triangle fans"),
    ("textured/plain/axis", "scale 1, a copy: goal is memcpy of the same rows"),
    ("textured/masked/axis", "scale 1, a keyed copy: goal is memcpy of the same rows"),
    ("textured/", "SDL2: RenderCopyEx/RenderGeometry; cairo: pattern"),
    ("text/", "cairo: warm glyph cache; SDL2_ttf: render + blit a line"),
    ("tiles/map", "SDL2: one blit per tile"),
    ("tiles/r2d2", "pixman: fills the squares only"),
    ("surface/blur", "pixman: 3x3 box convolution"),
    ("collision/", "peer: per-pixel mask test"),
    ("scene/", "peer: direct calls, no culling"),
]

# Operations whose goal is the memory limit rather than the peers.
MEMORY_BOUND = ("fill/", "blit/copy", "blit/keycopy", "blit/convert", "memory/", "tiles/map", "textured/plain/axis",
                "textured/masked/axis")


def rate(run):
    """The run's rate and unit: a count per second where there is one, else Mpix/s."""
    counters = [k for k in run if k.endswith("/s") and k != "Mpix/s"]
    if counters:
        return run[counters[0]], counters[0]
    if "Mpix/s" in run:
        return run["Mpix/s"], "Mpix/s"
    return None, None


def load(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    medians = any(r.get("aggregate_name") == "median" for r in runs)
    table = OrderedDict()
    for run in runs:
        if run.get("error_occurred"):
            continue
        if medians and run.get("aggregate_name") != "median":
            continue
        if not medians and run.get("run_type") == "aggregate":
            continue
        parts = [p for p in run.get("run_name", run["name"]).split("/") if ":" not in p]
        value, unit = rate(run)
        if len(parts) < 4 or value is None:
            continue
        op, size, impl = "/".join(parts[:-2]), parts[-2], parts[-1]
        table.setdefault(op, OrderedDict()).setdefault(size, {})[impl] = (value, unit)
    return table


def note(op):
    return next((text for prefix, text in NOTES if op.startswith(prefix)), "")


def fmt(v, unit=""):
    if unit == "Mpix/s":
        return f"{v:,.0f}"
    if v >= 1e6:
        return f"{v / 1e6:,.2f} M"
    if v >= 1e4:
        return f"{v / 1e3:,.0f} K"
    return f"{v:,.0f}" if v >= 100 else f"{v:,.1f}"


def meets(op, size, peer_ratio, memory_ratio):
    """Whether the row reaches its figure: 0.9 of the memory limit at the two
    large sizes for memory-bound operations, a demo step within 1.5x of the
    memcpy time of its bytes, else 1.5x the fastest peer from 64x64 up and par
    at 8x8."""
    if op.startswith("tiles/r2d2") and memory_ratio is not None:
        return "yes" if memory_ratio >= 1 / 1.5 else "no"
    if op.startswith(MEMORY_BOUND) and memory_ratio is not None:
        if size in ("8x8", "64x64"):
            return "" if peer_ratio is None else ("yes" if peer_ratio >= 1.0 else "no")
        return "yes" if memory_ratio >= 0.9 else "no"
    if peer_ratio is None:
        return ""
    return "yes" if peer_ratio >= (1.0 if size == "8x8" else 1.5) else "no"


def rows(table):
    # By name: runs interleaved at random come out in no order of their own.
    for op, sizes in sorted(table.items()):
        order = sorted(sizes, key=lambda s: (SIZE_ORDER.index(s), "") if s in SIZE_ORDER else (len(SIZE_ORDER), s))
        for size in order:
            impls = sizes[size]
            if "quorvel" not in impls:
                continue
            q, unit = impls["quorvel"]
            peers = {k: v for k, (v, _) in impls.items() if k not in OURS + MEMORY}
            mem = {k: v for k, (v, _) in impls.items() if k in MEMORY}
            best = max(peers, key=peers.get) if peers else None
            peer_ratio = q / peers[best] if best else None
            limit = next(iter(mem)) if mem else None
            memory_ratio = q / mem[limit] if limit else None
            yield {
                "op": op, "size": size, "unit": unit, "quorvel": q, "peer": best,
                "peer_value": peers.get(best), "peer_ratio": peer_ratio, "limit": limit,
                "memory_ratio": memory_ratio, "meets": meets(op, size, peer_ratio, memory_ratio), "note": note(op),
            }


def markdown(all_rows):
    out = ["| operation | size | quorvel | fastest peer | x peer | x memory | met | note |",
           "|---|---|---:|---|---:|---:|:-:|---|"]
    last = None
    for r in all_rows:
        peer = f"{r['peer']} {fmt(r['peer_value'], r['unit'])}" if r["peer"] else "-"
        pr = f"{r['peer_ratio']:.2f}" if r["peer_ratio"] is not None else "-"
        mr = f"{r['memory_ratio']:.2f} ({r['limit']})" if r["memory_ratio"] is not None else "-"
        op = r["op"] if r["op"] != last else ""
        out.append(f"| {op} | {r['size']} | {fmt(r['quorvel'], r['unit'])} {r['unit']} | {peer} | {pr} | {mr} | {r['meets']} | "
                   f"{r['note'] if op else ''} |")
        last = r["op"]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("json")
    parser.add_argument("--markdown")
    parser.add_argument("--csv")
    args = parser.parse_args()
    all_rows = list(rows(load(args.json)))
    text = markdown(all_rows)
    misses = [f"{r['op']} {r['size']}" for r in all_rows if r["meets"] == "no"]
    text += f"\n\n{len(all_rows)} rows; {len(misses)} miss their figure.\n"
    print(text)
    if args.markdown:
        with open(args.markdown, "w") as f:
            f.write(text)
    if args.csv:
        with open(args.csv, "w") as f:
            for r in all_rows:
                if r["peer_ratio"] is not None:
                    f.write(f"{r['op']},{r['size']},{r['peer_ratio']:.4f}\n")


if __name__ == "__main__":
    main()
