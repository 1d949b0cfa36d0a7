#!/usr/bin/env python3
"""Measures the Windows DLL under Wine as bench/compare.py measures the Linux library, and prints
one table: 100 idle players through the .so, the x86-64 DLL under wine64 and the i686 DLL under
wine32 (where wine32 runs), and one UDP stream at the highest rate through the x86-64 DLL beside
a plain receive loop built for Windows, both under wine64.

    bench/compare_windows.py LINUX_BUILD WINDOWS_BUILD

LINUX_BUILD holds a Release build with the simulator and streamclient-load (the simulator always
runs on Linux); WINDOWS_BUILD holds i686/ and x86_64/ as scripts/build-windows leaves them.
Under Wine part of every socket call is the wineserver's work, which the process's own CPU time
does not show: the CPU of a Wine run is that of the Wine process plus the wineserver, both read
from /proc over the window that the tool announces on stderr. The prefix (WINEPREFIX, under
WINDOWS_BUILD) and its wineserver are this script's own, started here and stopped on the way
out; the programs the wineserver starts for the prefix (services.exe and the like) idle and
are not counted.
"""
import argparse
import os
import subprocess
import sys
import time

import compare

WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
WINESERVER = "/usr/lib/wine/wineserver64"
IDLE_PLAYERS = 100
IDLE_SECONDS = 10
BURST_SECONDS = 10
ROUNDS = 3


class WineServer:
    """The prefix's wineserver, run in the foreground so that its process is known."""

    def __init__(self):
        self.stop()  # one left behind by an interrupted run would serve the prefix instead
        self.process = subprocess.Popen([WINESERVER, "--foreground", "--persistent"])
        # The first program of a session boots the prefix (and makes it when new): here, before
        # anything is measured.
        try:
            subprocess.run([WINE64, "wineboot", "--init"], check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        except BaseException:
            self.__exit__()
            raise

    def cpu_seconds(self):
        return compare.process_cpu_seconds(self.process.pid)

    @staticmethod
    def stop():
        subprocess.run([WINESERVER, "--kill"], stderr=subprocess.DEVNULL)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        self.process.wait(timeout=30)


class WineTools(compare.Tools):
    """The load tool of a Windows build under a Wine loader; the simulator of the Linux build."""

    def __init__(self, linux_build, loader, windows_build, server):
        super().__init__(linux_build)
        self.load = [loader, os.path.join(windows_build, "bin", "streamclient-load.exe")]
        self.server = server

    def run_load(self, args):
        """Runs the tool and reads the CPU of its Wine process (the loader's process, which runs
        the program) and of the wineserver when it announces its window's start and end."""
        process = subprocess.Popen([*self.load, *args], stderr=subprocess.PIPE, text=True)

        def sample():
            return compare.process_cpu_seconds(process.pid), self.server.cpu_seconds(), time.perf_counter()

        compare.wait_for_line(process.stderr, r"window open", "streamclient-load")
        start = sample()
        compare.wait_for_line(process.stderr, r"window closed", "streamclient-load")
        end = sample()
        process.communicate(timeout=120)
        if process.returncode != 0:
            raise RuntimeError(f"streamclient-load under {self.load[0]} failed")
        return {"wine_process_cpu_seconds": end[0] - start[0], "wineserver_cpu_seconds": end[1] - start[1],
                "outside_seconds": end[2] - start[2]}


def wine32_problem(exe):
    """Why the i686 build cannot run here, in one line; None when it can."""
    if not os.access(WINE32, os.X_OK):
        return f"no wine32 ({WINE32}, Debian's i386 package)"
    if not os.path.exists(exe):
        return f"no i686 build ({exe})"
    try:
        probe = subprocess.run([WINE32, exe, "--seconds", "0"], capture_output=True, text=True, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as error:
        return f"{WINE32} does not run: {error}"
    if "usage:" in probe.stderr:  # the tool ran and refused the flag
        return None
    lines = probe.stderr.strip().splitlines()
    return f"{WINE32} does not run the tool: {lines[0] if lines else f'exit status {probe.returncode}'}"


def cpu_of(totals):
    """Percent of a core and what it is made of: the process's own figure on Linux; under Wine
    the Wine process plus the wineserver over the window, read from outside."""
    if "outside_seconds" not in totals:
        return totals["cpu_percent_of_core"], "-"
    process = 100 * totals["wine_process_cpu_seconds"] / totals["outside_seconds"]
    server = 100 * totals["wineserver_cpu_seconds"] / totals["outside_seconds"]
    return process + server, (f"Wine process {process:.1f} % + wineserver {server:.1f} % "
                              f"(the process counts itself {totals['cpu_percent_of_core']:.1f} %)")


def prefix_alone(server, seconds):
    """The wineserver's CPU, percent of a core, while no program of ours runs: what the prefix's
    own services (services.exe, winedevice.exe and the like) cost it."""
    before = server.cpu_seconds()
    time.sleep(seconds)
    return 100 * (server.cpu_seconds() - before) / seconds


def add_idle(table, label, tools, server=None):
    baseline = prefix_alone(server, IDLE_SECONDS) if server else None
    idle = compare.library_run(tools, ["--blast", "0"], IDLE_PLAYERS, IDLE_SECONDS)
    percent, parts = cpu_of(idle)
    if baseline is not None:
        parts += f"; the wineserver with nothing of ours running {baseline:.1f} %"
    table.add(f"{IDLE_PLAYERS} idle players, {label}: CPU", f"{percent:.2f} % of a core", parts, "-", "<= 5 %",
              percent <= 5)


def measure(linux_build, windows_build, server, table):
    add_idle(table, "Linux .so", compare.Tools(linux_build))
    wine64 = WineTools(linux_build, WINE64, os.path.join(windows_build, "x86_64"), server)
    add_idle(table, "x86-64 DLL, wine64", wine64, server)
    wine32 = WineTools(linux_build, WINE32, os.path.join(windows_build, "i686"), server)
    problem = wine32_problem(wine32.load[1])
    if problem:
        table.add(f"{IDLE_PLAYERS} idle players, i686 DLL, wine32: CPU", f"not run: {problem}", "-", "-", "<= 5 %",
                  None)
    else:
        add_idle(table, "i686 DLL, wine32", wine32, server)

    plain, client = compare.median_rounds(
        ROUNDS, lambda: compare.plain_udp_run(wine64, "max", BURST_SECONDS),
        lambda: compare.library_run(wine64, ["--blast", "max"], 1, BURST_SECONDS))
    ratio = compare.paired_ratio(client, plain, "chunks_per_s")
    table.add("1 UDP stream at max, wine64: datagrams/s delivered", f"{compare.median_of(client, 'chunks_per_s'):,.0f}",
              f"recvfrom loop under wine64 {compare.median_of(plain, 'chunks_per_s'):,.0f}", f"{ratio:.2f}",
              ">= 0.90", ratio >= 0.9)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("linux_build")
    parser.add_argument("windows_build")
    args = parser.parse_args()
    prefix = os.path.abspath(os.path.join(args.windows_build, "bench-wineprefix"))
    os.makedirs(prefix, exist_ok=True)
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", WINEPREFIX=prefix)
    table = compare.Table()
    before = compare.load_average()
    with WineServer() as server:
        measure(args.linux_build, args.windows_build, server, table)
    return compare.report(table, before)


if __name__ == "__main__":
    sys.exit(main())
