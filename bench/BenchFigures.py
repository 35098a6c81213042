#!/usr/bin/env python3
"""Reads the JSON output of every bench_* program and prints the figures against their peers.

Usage: BenchFigures.py RESULTS_FOLDER. Each figure and its peer (or limit) come from the same
run. Exits 0 also when a figure misses its target: these are figures, not a pass or fail.
"""
import json
import pathlib
import sys

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(folder):
    runs = {}
    for path in sorted(pathlib.Path(folder).glob("bench_*.json")):
        try:
            data = json.loads(path.read_text())
        except (OSError, ValueError):
            continue
        for run in data.get("benchmarks", []):
            if run.get("run_type") == "aggregate":
                continue
            runs[run["name"].split("/")[0] + "/" + "/".join(
                p for p in run["name"].split("/")[1:] if p.isdigit())] = run
    return runs


def find(runs, name):
    run = runs.get(name) or runs.get(name + "/")
    if run is None or run.get("error_occurred"):
        return None
    return run


def seconds(run):
    return None if run is None else run["real_time"] * UNIT_SECONDS[run["time_unit"]]


def counter(run, key):
    return None if run is None else run.get(key)


def ms(value):
    if value is None:
        return "-"
    return f"{value * 1000:.1f} ms" if value < 1 else f"{value:.2f} s"


def figures(runs):
    download = find(runs, "BM_FullMemoryDownload")
    load_file = find(runs, "BM_LoadDataFile")
    pandas = find(runs, "BM_LoadDataFile_PandasReadCsv")
    line_view = find(runs, "BM_EventReport_LineView")
    set_html = find(runs, "BM_EventReport_TextEditSetHtml")
    xlsx = find(runs, "BM_EventsReport_Xlsx")
    lxw = find(runs, "BM_EventsCells_Libxlsxwriter")
    peak = find(runs, "BM_PeakMemory_FullMemoryThreeViews")
    interval_csv = find(runs, "BM_IntervalCsv_TenYears")
    interval_nc = find(runs, "BM_IntervalNetcdf_TenYears")
    to_csv = find(runs, "BM_IntervalCsv_PandasToCsv")
    hyetograph = find(runs, "BM_Hyetograph_OneYearOneMinute")
    flags = find(runs, "BM_QualityFlags_TenYears")
    storms = find(runs, "BM_FindStorms_TenYears")
    storms_pandas = find(runs, "BM_FindStorms_TenYears_Pandas")
    cpu = counter(download, "program_cpu_s")
    line = counter(download, "line_time_115200_s")
    peak_mb = counter(peak, "peak_MB")
    # (figure, measured, what it is set against, peer or limit, figure value, peer value,
    #  largest ratio that meets the target, target text)
    return [
        ("1 Download handling, full memory: program CPU", f"{cpu:.3f} s" if cpu else "-",
         "line time at 115200 baud", f"{line:.1f} s" if line else "-", cpu, line, 1 / 1000,
         "<= 0.001"),
        ("2 Full memory loaded as a data file", ms(seconds(load_file)),
         "pandas.read_csv, dates parsed", ms(seconds(pandas)), seconds(load_file),
         seconds(pandas), 1.0, "< 1"),
        ("3 Event report of the full memory shown", ms(seconds(line_view)),
         "one QTextEdit::setHtml", ms(seconds(set_html)), seconds(line_view), seconds(set_html),
         0.25, "<= 0.25"),
        ("3 Event report of the full memory shown", ms(seconds(line_view)), "limit", "500.0 ms",
         seconds(line_view), 0.5, 1.0, "<= 1"),
        ("4 Events report, 65,528 rows (xlsx)", ms(seconds(xlsx)), "libxlsxwriter, same cells",
         ms(seconds(lxw)), seconds(xlsx), seconds(lxw), 2.0, "<= 2"),
        ("5 Peak memory, full memory and three views", f"{peak_mb:.0f} MB" if peak_mb else "-",
         "limit", "300 MB", peak_mb, 300.0, 1.0 - 1e-12, "< 1"),
        ("Interval CSV, ten years of 5-minute totals", ms(seconds(interval_csv)), "limit",
         "1.00 s", seconds(interval_csv), 1.0, 1.0, "<= 1"),
        ("The same as NetCDF", ms(seconds(interval_nc)), "limit", "1.00 s",
         seconds(interval_nc), 1.0, 1.0, "<= 1"),
        ("Interval CSV, ten years of 5-minute totals", ms(seconds(interval_csv)),
         "pandas to_csv, same frame", ms(seconds(to_csv)), seconds(interval_csv),
         seconds(to_csv), 1 / 3, "<= 0.333"),
        ("Hyetograph of a year of one-minute data painted", ms(seconds(hyetograph)), "limit",
         "100.0 ms", seconds(hyetograph), 0.1, 1.0, "<= 1"),
        ("Quality flags over ten years of records", ms(seconds(flags)), "limit", "200.0 ms",
         seconds(flags), 0.2, 1.0, "<= 1"),
        ("6 Storms, 11 intensities, erosivity: ten years", ms(seconds(storms)),
         "pandas rolling sums, same results", ms(seconds(storms_pandas)), seconds(storms),
         seconds(storms_pandas), 0.1, "<= 0.1"),
        ("6 Storms, 11 intensities, erosivity: ten years", ms(seconds(storms)), "limit",
         "200.0 ms", seconds(storms), 0.2, 1.0, "<= 1"),
    ] + archive_figures(runs)


def archive_figures(runs):
    add = seconds(find(runs, "BM_ArchiveAddFullMemory"))
    shell = seconds(find(runs, "BM_ArchiveAdd_Sqlite3Import"))
    opened = find(runs, "BM_OpenTenYearStation")
    peak = counter(opened, "peak_MB")
    return [
        ("Archive: full memory added to an empty station", ms(add),
         "sqlite3 shell .import, same rows as CSV", ms(shell), add, shell, 2.0, "<= 2"),
        ("Archive: full memory added to an empty station", ms(add), "limit", "1.00 s", add, 1.0,
         1.0, "<= 1"),
        ("Archive: ten-year station opened, three windows painted", ms(seconds(opened)),
         "limit", "2.00 s", seconds(opened), 2.0, 1.0, "<= 1"),
        ("Archive: peak memory, ten-year station opened", f"{peak:.0f} MB" if peak else "-",
         "limit", "400 MB", peak, 400.0, 1.0, "<= 1"),
    ]


def others(runs):
    rows = []

    def time_row(label, name, extra=None):
        run = find(runs, name)
        text = ms(seconds(run))
        if extra and run is not None and extra[0] in run:
            text += f", {run[extra[0]]:.0f} {extra[1]}"
        rows.append((label, text))

    old = find(runs, "BM_FullMemoryDownloadOldFormat")
    if old is not None:
        rows.append(("download, old format, full memory: program CPU",
                     f"{old['program_cpu_s']:.3f} s against {old['line_time_115200_s']:.1f} s "
                     f"line time ({old['cpu_fraction_of_line_time']:.3g})"))
    time_row("parse + daily build, new format, full memory", "BM_ParseDownloadNewFormat/232106")
    time_row("parse + daily build, old format, full memory", "BM_ParseDownloadOldFormat/232106")
    time_row("pandas.read_csv of the data file, no date parsing",
             "BM_LoadDataFile_PandasReadCsvNoDates")
    time_row("data file saved, full memory", "BM_SaveDataFile")
    time_row("daily table built, ten years", "BM_BuildDailyTable_TenYears", ("days", "days"))
    time_row("daily report shown, ten years", "BM_DailyReport_TenYears", ("lines", "lines"))
    time_row("graph of ten years drawn", "BM_Graph_TenYears", ("days", "days"))
    time_row("daily report shown, full memory", "BM_DailyReport_LineView", ("lines", "lines"))
    time_row("graph of every day of the full memory", "BM_Graph_AllDays", ("days", "days"))
    time_row("event report Select All + Copy", "BM_EventReport_SelectAllCopy")
    time_row("event report scroll step and paint", "BM_EventReport_Scroll")
    time_row("minute report over one year (xlsx)", "BM_MinuteReportYear_Xlsx",
             ("peak_MB", "MB peak"))
    time_row("serial dispatch of 4 MB through two matchers", "BM_DispatchThroughMatchers/4")
    time_row("pandas to_csv of the interval frame, times as text",
             "BM_IntervalCsv_PandasToCsvText", ("rows", "rows"))
    time_row("WaterML 2.0, ten years of 5-minute totals", "BM_IntervalWaterMl_TenYears")
    time_row("record CSV, ten years of records", "BM_RecordCsv_TenYears")
    time_row("hyetograph of a year with one-minute bars, decimated",
             "BM_Hyetograph_OneYearOneMinuteBars", ("bars", "bars"))
    time_row("storms and summaries from the tables, ten years", "BM_StormsFromTables_TenYears",
             ("events", "records"))
    for label, name in (("archive: full memory added, CPU", "BM_ArchiveAddFullMemory"),
                        ("archive: ten-year station opened and painted, CPU",
                         "BM_OpenTenYearStation")):
        run = find(runs, name)
        if run is not None:
            rows.append((label, ms(run["cpu_time"] * UNIT_SECONDS[run["time_unit"]])))
    return rows


def main():
    runs = load(sys.argv[1])
    head = ("figure", "measured", "set against", "peer/limit", "ratio", "target", "result")
    table = []
    for label, value, against, peer, a, b, most, target in figures(runs):
        if a is None or b is None or b == 0:
            ratio, result = "-", "MISS (not measured)"
        else:
            r = a / b
            ratio = f"{r:.3g}"
            result = "ok" if r <= most else "MISS"
        table.append((label, value, against, peer, ratio, target, result))
    widths = [max(len(row[i]) for row in [head] + table) for i in range(len(head))]
    line = "  ".join(h.ljust(w) for h, w in zip(head, widths)).rstrip()
    print(line)
    print("-" * len(line))
    for row in table:
        print("  ".join(c.ljust(w) for c, w in zip(row, widths)).rstrip())
    missed = sum(1 for row in table if row[-1].startswith("MISS"))
    print(f"\n{len(table) - missed} of {len(table)} figures meet their targets" +
          (f"; {missed} MISS" if missed else ""))
    print("\nOther measurements (no target)")
    rows = others(runs)
    width = max(len(label) for label, _ in rows)
    for label, text in rows:
        print(f"  {label.ljust(width)}  {text}")


main()
