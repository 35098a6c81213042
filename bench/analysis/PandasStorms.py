"""The peer of the storm analysis: the same storms, peak intensities and erosivity in pandas.

Usage: PandasStorms.py SERIES_CSV MM_PER_TIP SEPARATION TIMES OUT_CSV. SERIES_CSV holds
"minute,tips,brk" rows (minute numbers in time order, one row a minute with rain). The peak
intensities are rolling sums over a one-minute series: each storm's minutes laid out with a day
of zeros after it, so no window reaches into the storm before. Prints "storms N", then the
seconds of each computation (the file read is not timed); OUT_CSV gets one row per storm.
"""
import sys
import time

import numpy as np
import pandas as pd

DURATIONS = [5, 10, 15, 20, 30, 60, 120, 180, 360, 720, 1440]


def storms(frame, mm, separation):
    minute = frame["minute"].to_numpy()
    tips = frame["tips"].to_numpy()
    new = np.empty(len(minute), dtype=bool)
    new[0] = True
    new[1:] = (np.diff(minute) > separation) | (frame["brk"].to_numpy()[1:] != 0)
    storm = np.cumsum(new) - 1
    per = pd.DataFrame({"storm": storm, "minute": minute, "tips": tips})
    groups = per.groupby("storm", sort=True)
    start = groups["minute"].min().to_numpy()
    end = groups["minute"].max().to_numpy()
    duration = end - start + 1
    # Each storm's block: its minutes, then a day of zeros.
    block = duration + DURATIONS[-1]
    offset = np.concatenate(([0], np.cumsum(block)[:-1]))
    series = np.zeros(int(block.sum()))
    series[offset[storm] + (minute - start[storm])] = tips
    out = pd.DataFrame({"start": start, "end": end, "duration": duration})
    out["tips"] = groups["tips"].sum().to_numpy()
    out["depth"] = out["tips"] * mm
    one_minute = pd.Series(series)
    for d in DURATIONS:
        rolled = one_minute.rolling(d, min_periods=1).sum().to_numpy()
        most = np.maximum.reduceat(rolled, offset)
        out[f"i{d}"] = most * mm * 60.0 / d
    depth = tips * mm
    i = 60.0 * depth
    e = 0.29 * (1.0 - 0.72 * np.exp(-0.05 * i))  # Brown-Foster
    out["energy"] = pd.Series(e * depth).groupby(storm).sum().to_numpy()
    out["ei30"] = out["energy"] * out["i30"]
    out["erosive"] = ~((out["depth"] < 12.7 - 1e-9) & (out["i15"] < 25.4 - 1e-9))
    return out


def main():
    path, mm, separation, times, out_path = sys.argv[1:6]
    mm, separation, times = float(mm), int(separation), int(times)
    frame = pd.read_csv(path)
    result = storms(frame, mm, separation)  # warms pandas' own code paths
    print("storms", len(result))
    for _ in range(times):
        begin = time.perf_counter()
        storms(frame, mm, separation)
        print(f"{time.perf_counter() - begin:.6f}")
    result["erosive"] = result["erosive"].astype(int)
    result.to_csv(out_path, index=False, float_format="%.17g")


main()
