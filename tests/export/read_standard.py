#!/usr/bin/python3
"""Reads a standard export back with the tools its users have (pandas, netCDF4, lxml) and prints
what they saw as JSON, for the tests to compare with what was meant to be written."""
import json
import math
import sys


def number(v):
    return None if v is None or (isinstance(v, float) and math.isnan(v)) else float(v)


def read_csv(path):
    import pandas as pd
    header = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.startswith("#"):
                break
            header.append(line.rstrip("\n"))
    columns = list(pd.read_csv(path, comment="#", nrows=0).columns)
    times = [c for c in columns if c.endswith("_local") or c.endswith("_utc")]
    df = pd.read_csv(path, comment="#", parse_dates=times, keep_default_na=True)
    out = {"header": header, "columns": columns, "dtypes": {c: str(df[c].dtype) for c in columns},
           "rows": len(df), "values": {}}
    for c in columns:
        if c in times:
            out["values"][c] = [t.isoformat() for t in df[c]]
        elif c == "flags":
            out["values"][c] = ["" if isinstance(v, float) else str(v) for v in df[c]]
        elif str(df[c].dtype) == "bool":
            out["values"][c] = [bool(v) for v in df[c]]
        else:
            out["values"][c] = [number(v) for v in df[c]]
    utc = [c for c in times if c.endswith("_utc")]
    if utc and len(df) > 1:
        steps = df[utc[0]].diff().dropna().dt.total_seconds() / 60
        out["utc_steps"] = sorted(set(int(s) for s in steps))
        out["utc_unique"] = bool(df[utc[0]].is_unique)
    if "depth_mm" in columns:
        out["depth_sum"] = float(df["depth_mm"].sum())
        out["empty"] = int(df["depth_mm"].isna().sum())
    return out


def read_netcdf(path):
    import netCDF4
    import numpy
    with netCDF4.Dataset(path) as ds:
        def attrs(obj):
            return {k: (v if isinstance(v, str) else float(v)) for k, v in
                    ((k, obj.getncattr(k)) for k in obj.ncattrs())}
        rain = ds.variables["precipitation"]
        values = rain[:]
        time = ds.variables["time"]
        dates = netCDF4.num2date(time[:], time.units, time.calendar,
                                 only_use_cftime_datetimes=False)
        return {
            "global": attrs(ds),
            "vars": {name: attrs(v) for name, v in ds.variables.items()},
            "dims": {name: len(d) for name, d in ds.dimensions.items()},
            "station_id": str(netCDF4.chartostring(ds.variables["station_id"][:])),
            "station_name": str(netCDF4.chartostring(ds.variables["station_name"][:])),
            "time": [int(t) for t in time[:]],
            "time_iso": [d.strftime("%Y-%m-%dT%H:%MZ") for d in dates],
            "time_bnds": [[int(a), int(b)] for a, b in ds.variables["time_bnds"][:]],
            "precipitation": [None if missing else float(v) for v, missing in
                              zip(values.data, numpy.ma.getmaskarray(values))],
        }


def read_waterml(path):
    from lxml import etree
    tree = etree.parse(path)
    root = tree.getroot()
    ns = {"wml2": "http://www.opengis.net/waterml/2.0", "om": "http://www.opengis.net/om/2.0",
          "gml": "http://www.opengis.net/gml/3.2", "xlink": "http://www.w3.org/1999/xlink",
          "xsi": "http://www.w3.org/2001/XMLSchema-instance"}
    series = root.xpath("wml2:observationMember/om:OM_Observation/om:result/"
                        "wml2:MeasurementTimeseries", namespaces=ns)
    interpolation = root.xpath("//wml2:DefaultTVPMeasurementMetadata/wml2:interpolationType/"
                               "@xlink:href", namespaces=ns)
    points = []
    for tvp in root.xpath("//wml2:point/wml2:MeasurementTVP", namespaces=ns):
        value = tvp.find("wml2:value", ns)
        nil = tvp.xpath("wml2:metadata/wml2:TVPMeasurementMetadata/wml2:nilReason/@xlink:href",
                        namespaces=ns)
        points.append({
            "time": tvp.findtext("wml2:time", namespaces=ns),
            "value": None if value.get("{%s}nil" % ns["xsi"]) == "true" else float(value.text),
            "nilReason": nil[0] if nil else None,
        })
    return {
        "root": etree.QName(root).localname,
        "root_ns": etree.QName(root).namespace,
        "nsmap": {k: v for k, v in root.nsmap.items() if k},
        "series": len(series),
        "observations": len(root.xpath("//om:OM_Observation", namespaces=ns)),
        "interpolation": interpolation,
        "uom": root.xpath("//wml2:DefaultTVPMeasurementMetadata/wml2:uom/@code", namespaces=ns),
        "feature": root.xpath("//om:featureOfInterest/@xlink:title", namespaces=ns),
        "points": points,
    }


if __name__ == "__main__":
    kind, path = sys.argv[1], sys.argv[2]
    reader = {"csv": read_csv, "netcdf": read_netcdf, "waterml": read_waterml}[kind]
    json.dump(reader(path), sys.stdout)
