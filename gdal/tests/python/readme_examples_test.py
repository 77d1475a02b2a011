"""The README's Python examples, run as they are printed, with checks of what
they give against GDAL's reading of the same data through other drivers.

Usage: readme_examples_test.py REPO_DIR GROUP, GROUP one of geopandas,
bindings, dask (the README's blocks in that order). Exits 77 (skipped) when
a module the group needs is missing. GDAL_DRIVER_PATH names the plugin's
folder.
"""
import contextlib
import importlib
import io
import math
import os
import re
import shutil
import sys
import tempfile
import time

SKIPPED = 77
NEEDS = {"geopandas": ["osgeo", "fiona", "geopandas"], "bindings": ["osgeo"],
         "dask": ["osgeo", "fiona", "geopandas", "dask.bag"]}
BLOCK = {"geopandas": 0, "bindings": 1, "dask": 2}


def python_blocks(readme):
    """The ```python blocks of the README's section "From Python", in order."""
    text = open(readme, encoding="utf-8").read()
    start = text.index("### From Python")
    end = text.find("\n## ", start)
    section = text[start:end if end >= 0 else len(text)]
    return re.findall(r"```python\n(.*?)```", section, re.S)


def run_block(code):
    """Runs a block as a script of its own; answers its globals and what it printed."""
    namespace = {"__name__": "__main__"}
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        exec(compile(code, "README.md", "exec"), namespace)
    sys.stdout.write(printed.getvalue())
    return namespace, printed.getvalue()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def ogr_rows(path, open_options=()):
    """Every feature of the first layer through GDAL alone: fields and WKB."""
    from osgeo import gdal
    ds = gdal.OpenEx(path, gdal.OF_VECTOR, open_options=list(open_options))
    layer = ds.GetLayer(0)
    rows = []
    for feature in layer:
        geometry = feature.GetGeometryRef()
        rows.append((feature.items(), bytes(geometry.ExportToIsoWkb()) if geometry else None))
    return rows


def check_geopandas(namespace, repo):
    from osgeo import gdal
    gdal.UseExceptions()
    back, europe = namespace["back"], namespace["europe"]
    # What GDAL itself reads from the sample, Europe only.
    source = gdal.OpenEx("countries.tmf", gdal.OF_VECTOR, open_options=["CODEPAGE=GB18030"])
    layer = source.GetLayer(0)
    layer.SetAttributeFilter("continent = 'Europe'")
    expected = [(f.GetField("name"), f.GetField("pop_est"), f.GetGeometryRef().ExportToWkt()) for f in layer]
    check(len(expected) > 30, "the sample holds the European countries")
    got = [(row["name"], row["pop_est"], row.geometry.wkt) for _, row in back.iterrows()]
    check([(n, p) for n, p, _ in got] == [(n, p) for n, p, _ in expected], "names and values kept")
    check(all(back.geometry.geom_equals_exact(europe.geometry.reset_index(drop=True), tolerance=0)),
          "geometries kept exactly")
    check(back.crs is not None and back.crs.to_epsg() == 4326, f"the coordinate system kept: {back.crs}")
    check(os.path.exists("europe.prj"), "europe.prj beside the map file")
    check(sorted(os.listdir(".")) == ["cities.tmf", "countries.tmf", "europe.prj", "europe.tmf"],
          f"nothing else written: {sorted(os.listdir('.'))}")

    # A round trip of the shapefile's points: values, positions and CRS as they were,
    # and no note column (the file holds no notes).
    import geopandas
    cities = geopandas.read_file(os.path.join(repo, "data/naturalearth/naturalearth_cities.shp"))
    cities.to_file("cities-gp.tmf", driver="Terrix", CODEPAGE="GB18030")
    again = geopandas.read_file("cities-gp.tmf", CODEPAGE="GB18030")
    check(list(again.columns) == list(cities.columns), f"the same columns: {list(again.columns)}")
    check(again["name"].tolist() == cities["name"].tolist(), "names kept")
    check(all(again.geometry.geom_equals_exact(cities.geometry, tolerance=0)), "positions kept exactly")
    check(again.crs == cities.crs, "the coordinate system kept")


def check_bindings(namespace, printed):
    from osgeo import gdal
    check(printed.strip().endswith("243 cities"), f"one deleted, one added: {printed!r}")
    rows = ogr_rows("/vsimem/cities.tmf", ["CODEPAGE=GB18030"])
    original = ogr_rows("cities.tmf", ["CODEPAGE=GB18030"])
    check(rows[:-1] == original[1:], "every other city as it was")
    check(rows[-1][0] == {"name": "Null Island"}, f"the new city: {rows[-1][0]}")
    check("cities.tmf" in (gdal.ReadDir("/vsimem/") or []), "the map file is in memory")
    check(sorted(os.listdir(".")) == ["cities.tmf", "countries.tmf"], "nothing written on disk")


def make_series(repo, count=36):
    """A map series: the Natural Earth countries cut into `count` small map files."""
    from osgeo import gdal
    gdal.UseExceptions()
    os.mkdir("series")
    shapefile = os.path.join(repo, "data/naturalearth/naturalearth_lowres.shp")
    for k in range(count):
        gdal.VectorTranslate(f"series/sheet{k:02d}.tmf", shapefile, format="Terrix",
                             where=f"FID % {count} = {k}", layerCreationOptions=["CODEPAGE=GB18030"])
    return shapefile


def check_dask(namespace, shapefile):
    import geopandas
    files, results, summary = namespace["files"], namespace["results"], namespace["summary"]
    check(len(files) == 36, f"36 sheets: {len(files)}")
    serial = [summary(f) for f in files]
    check([n for n, _ in results] == [n for n, _ in serial], "the same feature counts as a serial run")
    check(all(math.isclose(a, b, rel_tol=1e-12) for (_, a), (_, b) in zip(results, serial)),
          "the same areas as a serial run")
    whole = geopandas.read_file(shapefile)
    check(sum(n for n, _ in results) == len(whole) == 177, "every country in one sheet")
    area = whole.to_crs("EPSG:6933").area.sum()
    total = sum(a for _, a in results)
    check(math.isclose(total, area, rel_tol=1e-9), f"the area of the whole: {total} against {area}")


def main():
    repo, group = sys.argv[1], sys.argv[2]
    for module in NEEDS[group]:
        try:
            importlib.import_module(module)
        except ImportError:
            print(f"skipped: the Python module {module} is not installed")
            return SKIPPED
    code = python_blocks(os.path.join(repo, "README.md"))[BLOCK[group]]
    work = tempfile.mkdtemp(prefix="terrix-readme-")
    try:
        os.chdir(work)
        for sample in ("countries.tmf", "cities.tmf"):
            shutil.copy(os.path.join(repo, "data/samples", sample), sample)
        shapefile = make_series(repo) if group == "dask" else None
        started = time.monotonic()
        namespace, printed = run_block(code)
        print(f"the example ran in {time.monotonic() - started:.1f} s")
        if group == "geopandas":
            check_geopandas(namespace, repo)
        elif group == "bindings":
            check_bindings(namespace, printed)
        else:
            check_dask(namespace, shapefile)
    finally:
        os.chdir("/")
        shutil.rmtree(work, ignore_errors=True)
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
