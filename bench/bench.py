#!/usr/bin/env python3
"""Measures tenmaru, the reference pass and sed on the benchmark's inputs and prints the figures.

    bench.py REPO DEFAULT_BUILD_DIR BENCH_BUILD_DIR

bench/run.sh builds the programs (tenmaru in DEFAULT_BUILD_DIR, the programs of bench/ in
BENCH_BUILD_DIR) and the inputs, then runs this. Each program runs once unmeasured on an input
(to warm the page cache), then the programs run in turn, BENCH_RUNS rounds (from the
environment, 9 by default); the table shows the median, the fastest and the slowest wall time,
the throughput at the median and the largest peak resident set size of the runs, as the kernel
reports it for the child process (wait4, through bench/measure.cpp).
"""

import atexit
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

MB = 1e6
MiB = 1 << 20

MAIN_INPUTS = ["generated.tex", "corpus.tex"]
HOSTILE_INPUTS = [
    "hostile-long-name.tex",
    "hostile-unclosed-brace.tex",
    "hostile-comma-spaces.tex",
    "hostile-mark-blanks.tex",
    "hostile-nested-braces.tex",
]
SANITY_INPUTS = ["plain-lf.txt", "plain-crlf.txt"]

# Targets, printed beside the figures; a missed one does not fail the run.
MAX_TIME_VS_REFERENCE = 1.5
MIN_SPEEDUP_OVER_SED = 3.0
MAX_PEAK_RSS_MIB = 8.0
MAX_HOSTILE_SLOWDOWN = 3.0

SED_SCRIPT = ["-e", r"s/\x81\x41/\x81\x43/g", "-e", r"s/\x81\x44/\x81\x42/g"]


def fail(message):
    print(f"FAILED: {message}", flush=True)
    sys.exit(1)


def run_once(measure, argv, stdout_path=None, env=None):
    """Runs argv to its end through the measure program; returns (wall seconds, peak RSS in KiB).
    Standard error is dropped, standard output goes to the named file when given."""
    result = subprocess.run([measure, stdout_path or "-"] + argv, env=env, capture_output=True,
                            text=True)
    if result.returncode != 0:
        fail(result.stderr.strip() or f"{' '.join(argv)} could not be measured")
    wall, peak = result.stdout.split()
    return float(wall), int(peak)


class Program:
    def __init__(self, name, measure, command):
        self.name = name
        self.measure = measure
        self.command = command  # (input, output) -> (argv, stdout, env)

    def run(self, input_path, output_path):
        argv, stdout, env = self.command(input_path, output_path)
        return run_once(self.measure, argv, stdout, env)


def programs(measure, tenmaru, reference, sed):
    sed_env = dict(os.environ, LC_ALL="C")
    return {
        "tenmaru": Program("tenmaru", measure, lambda i, o: ([tenmaru, "-1", i, o], None, None)),
        "reference": Program("reference", measure, lambda i, o: ([reference, i, o], None, None)),
        "sed": Program("sed", measure, lambda i, o: ([sed] + SED_SCRIPT + [i], o, sed_env)),
    }


class Figures:
    def __init__(self, size, walls, rss_kib):
        self.size = size
        self.walls = walls
        self.median = statistics.median(walls)
        self.rss_mib = max(rss_kib) / 1024

    @property
    def mb_per_s(self):
        return self.size / MB / self.median


def measure(program, input_path, output_path, runs):
    return measure_together([program], input_path, lambda p: output_path, runs)[0]


def measure_together(programs, input_path, output_of, runs):
    """Runs each program once unmeasured, then the programs in turn, `runs` rounds: a slow drift
    of the machine (other work starting or ending) then touches each program alike."""
    for program in programs:
        program.run(input_path, output_of(program))
    walls = [[] for _ in programs]
    rss = [[] for _ in programs]
    for _ in range(runs):
        for k, program in enumerate(programs):
            wall, peak = program.run(input_path, output_of(program))
            walls[k].append(wall)
            rss[k].append(peak)
    size = os.path.getsize(input_path)
    return [Figures(size, walls[k], rss[k]) for k in range(len(programs))]


def read_first(path, prefix):
    try:
        with open(path) as f:
            for line in f:
                if line.startswith(prefix):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def cmake_cache(build_dir, key):
    """The value of KEY:TYPE=VALUE in a CMake cache."""
    try:
        with open(os.path.join(build_dir, "CMakeCache.txt")) as f:
            for line in f:
                if line.startswith(key + ":") and "=" in line:
                    return line.split("=", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def compile_flags(build_dir, source):
    """The flags a source file was compiled with (without its include folders and file names)."""
    try:
        with open(os.path.join(build_dir, "compile_commands.json")) as f:
            commands = json.load(f)
    except OSError:
        return "unknown"
    for entry in commands:
        if entry["file"].endswith(source):
            words = entry["command"].split()[1:]
            kept, skip = [], False
            for word in words:
                if skip:
                    skip = False
                elif word in ("-o", "-c"):
                    skip = True
                elif word.startswith("-") and not word.startswith("-I"):
                    kept.append(word)
            return " ".join(kept)
    return "unknown"


def command_output(argv):
    try:
        return subprocess.run(argv, capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def print_machine(repo, default_build, bench_build, sed):
    cores = os.cpu_count()
    usable = len(os.sched_getaffinity(0))
    memory_kib = read_first("/proc/meminfo", "MemTotal").split()[0]
    compiler = cmake_cache(default_build, "CMAKE_CXX_COMPILER")
    version = command_output([compiler, "--version"]).splitlines()
    commit = command_output(["git", "-C", repo, "describe", "--always", "--dirty"])
    print("tenmaru benchmark")
    print(f"  machine    {read_first('/proc/cpuinfo', 'model name')}, {cores} cores "
          f"({usable} usable), {int(memory_kib) / MiB:.1f} GiB memory, "
          f"Linux {platform.release()}")
    print(f"  compiler   {version[0] if version else compiler}")
    print(f"  tenmaru    {compile_flags(default_build, 'src/driver/driver.cpp')} "
          f"({cmake_cache(default_build, 'CMAKE_BUILD_TYPE')}, {default_build})")
    print(f"  reference  {compile_flags(bench_build, 'bench/reference_pass.cpp')} "
          f"({cmake_cache(bench_build, 'CMAKE_BUILD_TYPE')}, {bench_build})")
    print(f"  sed        {command_output([sed, '--version']).splitlines()[0]}")
    print(f"  commit     {commit}")
    load = open("/proc/loadavg").read().split()[:3]
    print(f"  load       {' '.join(load)} (1, 5, 15 min) at the start; other work on the machine "
          f"makes the figures noisy")
    print(flush=True)


def print_inputs(cache, names):
    with open(os.path.join(cache, "manifest.json")) as f:
        manifest = json.load(f)["inputs"]
    print(f"Inputs (Shift-JIS, in {cache}):")
    for name in names:
        entry = manifest[name]
        print(f"  {name:28} {entry['size'] / MB:8.1f} MB  sha256 {entry['sha256'][:16]}  "
              f"{entry['what']}")
    print(flush=True)


def sanity_check(cache, out_dir, tenmaru, reference):
    """The reference pass must write what tenmaru writes on a text where TeX does not matter."""
    for name in SANITY_INPUTS:
        path = os.path.join(cache, name)
        with open(path, "rb") as f:
            source = f.read()
        outputs = {}
        for program in (tenmaru, reference):
            out = os.path.join(out_dir, f"sanity-{program.name}.out")
            program.run(path, out)
            with open(out, "rb") as f:
                outputs[program.name] = f.read()
        got, want = outputs["reference"], outputs["tenmaru"]
        if got != want:
            at = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]),
                      min(len(got), len(want)))
            fail(f"reference output differs from tenmaru's on {name} at byte {at} "
                 f"({len(got)} and {len(want)} bytes)")
        # The check means something only if there was something to rewrite.
        rewritten = source.count(b"\x81\x41") + source.count(b"\x81\x44")
        if rewritten == 0 or want.count(b"\x81\x41") + want.count(b"\x81\x44") != 0:
            fail(f"{name} has no marks to rewrite, or tenmaru left some")
        if b"\r\n" not in want or b"\n" in want.replace(b"\r\n", b""):
            fail(f"tenmaru's output of {name} does not have CR LF line ends")
        print(f"reference output matches tenmaru's on {name} ({len(want)} bytes, "
              f"{rewritten} marks rewritten)")
    print(flush=True)


def output_folder(repo):
    """Where the programs write: BENCH_OUT_DIR, else a folder in memory (/dev/shm), so that the
    write-back of earlier runs' outputs to the disk does not slow the later runs, else build/."""
    if os.environ.get("BENCH_OUT_DIR"):
        return os.environ["BENCH_OUT_DIR"]
    if os.path.isdir("/dev/shm") and os.access("/dev/shm", os.W_OK):
        return f"/dev/shm/tenmaru-bench-{os.getpid()}"
    return os.path.join(repo, "build", "bench-out")


def remove_outputs(out_dir):
    for program in ("tenmaru", "reference", "sed"):
        for name in (f"{program}.out", f"sanity-{program}.out"):
            if os.path.exists(os.path.join(out_dir, name)):
                os.remove(os.path.join(out_dir, name))
    if not os.environ.get("BENCH_OUT_DIR") and not os.listdir(out_dir):
        os.rmdir(out_dir)


def ratio(a, b):
    return a / b if b > 0 else float("inf")


def verdict(ok):
    return "pass" if ok else "FAIL"


def main():
    repo, default_build, bench_build = sys.argv[1:4]
    runs = int(os.environ.get("BENCH_RUNS", "9"))
    if runs < 1:
        fail("BENCH_RUNS must be at least 1")
    started = time.perf_counter()
    cache = os.path.join(repo, "build", "bench-inputs")
    out_dir = output_folder(repo)
    os.makedirs(out_dir, exist_ok=True)
    atexit.register(remove_outputs, out_dir)
    # Inputs just made are still being written back to the disk; that would slow the first runs.
    os.sync()
    sed = "/usr/bin/sed" if os.path.exists("/usr/bin/sed") else "/bin/sed"
    progs = programs(os.path.join(bench_build, "bench", "measure"),
                     os.path.join(default_build, "tenmaru"),
                     os.path.join(bench_build, "bench", "reference_pass"), sed)
    scanner_bench = os.path.join(bench_build, "bench", "scanner_bench")

    print_machine(repo, default_build, bench_build, sed)
    print_inputs(cache, MAIN_INPUTS + HOSTILE_INPUTS + SANITY_INPUTS)
    sanity_check(cache, out_dir, progs["tenmaru"], progs["reference"])

    true = shutil.which("true") or "/bin/true"
    start = measure(Program("true", progs["tenmaru"].measure, lambda i, o: ([true], None, None)),
                    os.devnull, os.devnull, runs)
    print(f"Starting a process costs {start.median * 1000:.1f} ms here (median wall time of "
          f"{true}); it is part of every figure below and weighs most on the small inputs.")
    print(f"Outputs written to {out_dir}.")
    print(f"Wall time: median of {runs} runs after one unmeasured run, the three programs in "
          f"turn; MB/s = input size / "
          f"median (1 MB = 10^6 bytes); peak RSS = largest of the runs.")
    print("Commands: tenmaru -1 IN OUT | reference_pass IN OUT | "
          "LC_ALL=C sed -e 's/\\x81\\x41/\\x81\\x43/g' -e 's/\\x81\\x44/\\x81\\x42/g' IN >OUT")
    print()
    header = (f"{'input':28} {'MB':>6}  {'program':10} {'median s':>9} {'min s':>8} "
              f"{'max s':>8} {'MB/s':>8} {'peak RSS MiB':>13}")
    print(header)
    print("-" * len(header))
    figures = {}
    for name in MAIN_INPUTS + HOSTILE_INPUTS:
        path = os.path.join(cache, name)
        results = measure_together(list(progs.values()), path,
                                   lambda p: os.path.join(out_dir, f"{p.name}.out"), runs)
        for i, (prog, f) in enumerate(zip(progs.values(), results)):
            figures[name, prog.name] = f
            label = f"{name:28} {f.size / MB:6.1f}" if i == 0 else " " * 35
            print(f"{label}  {prog.name:10} {f.median:9.4f} {min(f.walls):8.4f} "
                  f"{max(f.walls):8.4f} {f.mb_per_s:8.1f} {f.rss_mib:13.1f}", flush=True)
    print()

    print("Ratios of the median times:")
    print(f"  {'input':28} {'tenmaru/reference':>18} {'sed/tenmaru':>12}")
    for name in MAIN_INPUTS + HOSTILE_INPUTS:
        t = figures[name, "tenmaru"].median
        print(f"  {name:28} {ratio(t, figures[name, 'reference'].median):17.2f}x "
              f"{ratio(figures[name, 'sed'].median, t):11.2f}x")
    print()

    base = figures["generated.tex", "tenmaru"]
    print(f"tenmaru on the hostile inputs, against its {base.mb_per_s:.1f} MB/s on generated.tex:")
    print(f"  {'input':28} {'MB/s':>8} {'relative':>9}")
    for name in HOSTILE_INPUTS:
        f = figures[name, "tenmaru"]
        print(f"  {name:28} {f.mb_per_s:8.1f} {f.mb_per_s / base.mb_per_s:8.2f}x")
    print()

    print("Targets (shown only; a miss does not fail the run):")
    vs_ref = ratio(base.median, figures["generated.tex", "reference"].median)
    print(f"  [{verdict(vs_ref <= MAX_TIME_VS_REFERENCE)}] tenmaru within "
          f"{MAX_TIME_VS_REFERENCE}x of the reference on generated.tex: {vs_ref:.2f}x")
    for name in MAIN_INPUTS:
        speedup = ratio(figures[name, "sed"].median, figures[name, "tenmaru"].median)
        print(f"  [{verdict(speedup >= MIN_SPEEDUP_OVER_SED)}] tenmaru at least "
              f"{MIN_SPEEDUP_OVER_SED:.0f}x as fast as sed on {name}: {speedup:.2f}x")
    for name in MAIN_INPUTS + HOSTILE_INPUTS:
        rss = figures[name, "tenmaru"].rss_mib
        print(f"  [{verdict(rss <= MAX_PEAK_RSS_MIB)}] tenmaru peak RSS at most "
              f"{MAX_PEAK_RSS_MIB:.0f} MiB on {name}: {rss:.1f} MiB")
    for name in HOSTILE_INPUTS:
        slowdown = ratio(base.mb_per_s, figures[name, "tenmaru"].mb_per_s)
        print(f"  [{verdict(slowdown <= MAX_HOSTILE_SLOWDOWN)}] tenmaru on {name} within "
              f"{MAX_HOSTILE_SLOWDOWN:.0f}x of its MB/s on generated.tex: {slowdown:.2f}x slower")
    print(flush=True)

    if os.path.exists(scanner_bench):
        print("Scanner micro-benchmarks (in memory, style 1, about 1 MiB each):", flush=True)
        subprocess.run([scanner_bench, "--benchmark_min_time=0.3"], check=True)
        print()

    print(f"Benchmark done in {time.perf_counter() - started:.0f} s.")


if __name__ == "__main__":
    main()
