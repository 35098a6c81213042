"""The peer of the data-file load: pandas.read_csv reading the same file.

Usage: PandasReadCsv.py FILE TIMES [dates|plain]. Prints "rows N", then the seconds of each
read_csv call. "dates" (the default) parses the date and time columns into one date-time, the
fastest way pandas 1.5 offers (one vectorised to_datetime with the format given); "plain"
reads the three columns as they stand, a stricter reference.
"""
import sys
import time

import pandas as pd

NAMES = ["date", "time", "depth"]


def read_with_dates(path):
    # A data file line: MM/dd/yy,HH:mm,C.CC.
    return pd.read_csv(
        path,
        header=None,
        names=NAMES,
        parse_dates={"when": ["date", "time"]},
        date_parser=lambda d, t: pd.to_datetime(d + " " + t, format="%m/%d/%y %H:%M"),
    )


def read_plain(path):
    return pd.read_csv(path, header=None, names=NAMES)


def main():
    path, times = sys.argv[1], int(sys.argv[2])
    read = read_plain if len(sys.argv) > 3 and sys.argv[3] == "plain" else read_with_dates
    frame = read(path)  # warms the file cache and pandas' own code paths
    if "when" in frame and frame["when"].isna().any():
        sys.exit("dates left unparsed")
    print("rows", len(frame))
    for _ in range(times):
        start = time.perf_counter()
        read(path)
        print(f"{time.perf_counter() - start:.6f}")


main()
