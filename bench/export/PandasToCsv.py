"""The peer of the interval CSV: pandas writing the same frame with to_csv.

Usage: PandasToCsv.py CSV_FILE OUT_FILE TIMES [dates|text]. Reads the interval CSV that Ombrex
wrote into a frame ("dates": the two time columns as timezone-aware date-times, as a user's
frame holds them; "text": as plain strings, a stricter reference), prints "rows N", then the
seconds of each to_csv call writing that frame.
"""
import sys
import time

import pandas as pd


def main():
    source, out, times = sys.argv[1], sys.argv[2], int(sys.argv[3])
    mode = sys.argv[4] if len(sys.argv) > 4 else "dates"
    if mode == "dates":
        frame = pd.read_csv(source, comment="#", parse_dates=["time_local", "time_utc"])
    else:
        frame = pd.read_csv(source, comment="#", dtype={"time_local": str, "time_utc": str})
    frame.to_csv(out, index=False)  # warms pandas' own code paths
    print("rows", len(frame))
    for _ in range(times):
        start = time.perf_counter()
        frame.to_csv(out, index=False)
        print(f"{time.perf_counter() - start:.6f}")


main()
