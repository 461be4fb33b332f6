"""Checks bench_report.py on made-up benchmark output: python3 scripts/test_bench_report.py"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import bench_report  # noqa: E402


def run(name, value, unit="Mpix/s", **extra):
    return dict({"name": name, "run_name": name, "run_type": "iteration", unit: value}, **extra)


def table(runs):
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump({"benchmarks": runs}, f)
    try:
        return {(r["op"], r["size"]): r for r in bench_report.rows(bench_report.load(f.name))}
    finally:
        os.unlink(f.name)


class ReportTest(unittest.TestCase):
    def test_ratios_pick_the_fastest_peer_and_the_memory_limit(self):
        rows = table([
            run("fill/replace/xrgb32/256x256/quorvel/min_time:0.010", 900),
            run("fill/replace/xrgb32/256x256/quorvel-scalar/min_time:0.010", 2000),
            run("fill/replace/xrgb32/256x256/memset/min_time:0.010", 1000),
            run("fill/replace/xrgb32/256x256/pixman/min_time:0.010", 600),
            run("fill/replace/xrgb32/256x256/sdl2/min_time:0.010", 300),
            run("fill/replace/xrgb32/256x256/cairo", 0, error_occurred=True),
        ])
        r = rows[("fill/replace/xrgb32", "256x256")]
        self.assertEqual(r["peer"], "pixman")  # neither memset, the scalar set nor a failed run
        self.assertAlmostEqual(r["peer_ratio"], 1.5)
        self.assertAlmostEqual(r["memory_ratio"], 0.9)
        self.assertEqual(r["meets"], "yes")

    def test_goals_by_kind_and_size(self):
        cases = [  # op, size, quorvel, peer, memory, met
            ("fill/add/565", "8x8", 100, 99, None, "yes"),
            ("fill/add/565", "64x64", 140, 100, None, "no"),
            ("blit/copy/xrgb32", "1920x1080", 89, 200, 100, "no"),
            ("blit/copy/xrgb32", "64x64", 100, 99, 300, "yes"),
            ("tiles/r2d2/xrgb32", "800x600x4096", 70, 10, 100, "yes"),
            ("tiles/r2d2/xrgb32", "800x600x4096", 60, 10, 100, "no"),
        ]
        for op, size, q, peer, mem, met in cases:
            runs = [run(f"{op}/{size}/quorvel", q), run(f"{op}/{size}/pixman", peer)]
            if mem:
                runs.append(run(f"{op}/{size}/memcpy", mem))
            self.assertEqual(table(runs)[(op, size)]["meets"], met, (op, size, q))

    def test_medians_of_repetitions_and_counted_units(self):
        name = "poly/flat-tri/xrgb32/64x64/quorvel"
        rows = table([
            run(name, 5.0, "shapes/s", **{"Mpix/s": 1.0}),
            run(name + "_median", 7.0, "shapes/s", run_type="aggregate", aggregate_name="median",
                **{"run_name": name, "Mpix/s": 1.0}),
            run(name + "_mean", 9.0, "shapes/s", run_type="aggregate", aggregate_name="mean", run_name=name),
        ])
        r = rows[("poly/flat-tri/xrgb32", "64x64")]
        self.assertEqual((r["quorvel"], r["unit"], r["peer"]), (7.0, "shapes/s", None))

    def test_chart_tool_writes_a_png(self):
        tool = os.environ.get("QRV_BENCH_CHART", "build/release/tools/bench-chart/quorvel_bench_chart")
        if not os.path.exists(tool):
            self.skipTest(f"{tool} not built")
        with tempfile.TemporaryDirectory() as d:
            csv, png = os.path.join(d, "r.csv"), os.path.join(d, "r.png")
            with open(csv, "w") as f:
                f.write("fill/add/565,8x8,0.5\nfill/add/565,1920x1080,12\nblit/copy/xrgb32,64x64,1.6\n")
            subprocess.run([tool, csv, png], check=True)
            with open(png, "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
            empty = os.path.join(d, "empty.csv")
            open(empty, "w").close()
            self.assertNotEqual(subprocess.run([tool, empty, png]).returncode, 0)


if __name__ == "__main__":
    unittest.main()
