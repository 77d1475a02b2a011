"""The README's Python examples, run as printed, checked against GDAL's own
reading of the same data.

Usage: readme_examples_test.py REPO_DIR GROUP, GROUP one of geopandas,
bindings, dask (the README's blocks of "From Python" in that order). Exits 77
(skipped) when a module the group needs is missing. GDAL_DRIVER_PATH names
the plugin's folder.
"""
import contextlib, importlib, io, math, os, re, shutil, sys, tempfile

NEEDS = {"geopandas": ["osgeo", "fiona", "geopandas"], "bindings": ["osgeo"],
         "dask": ["osgeo", "fiona", "geopandas", "dask.bag"]}


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def rows(path, where=None):
    """Every feature of the first layer through GDAL: fields and ISO WKB."""
    from osgeo import gdal
    dataset = gdal.OpenEx(path, gdal.OF_VECTOR, open_options=["CODEPAGE=GB18030"])
    layer = dataset.GetLayer(0)  # lives no longer than its dataset
    layer.SetAttributeFilter(where)
    return [(f.items(), bytes(f.GetGeometryRef().ExportToIsoWkb()) if f.GetGeometryRef() else None)
            for f in layer]


def check_geopandas(namespace, printed, repo):
    back = namespace["back"]
    check(rows("europe.tmf") == rows("countries.tmf", "continent = 'Europe'"), "every value and vertex kept")
    check(len(back) > 30 and printed.startswith(f"{len(back)} countries in"), printed)
    check(back.crs is not None and back.crs.to_epsg() == 4326, f"the coordinate system kept: {back.crs}")
    check(sorted(os.listdir(".")) == ["cities.tmf", "countries.tmf", "europe.prj", "europe.tmf"],
          f"europe.prj beside the map file and nothing else: {sorted(os.listdir('.'))}")


def check_bindings(namespace, printed, repo):
    from osgeo import gdal
    check(printed.strip() == "243 cities", f"one deleted, one added: {printed!r}")
    written, original = rows("/vsimem/cities.tmf"), rows("cities.tmf")
    check(written[:-1] == original[1:], "every other city as it was")
    check(written[-1][0] == {"name": "Null Island"}, f"the new city: {written[-1][0]}")
    check("cities.tmf" in (gdal.ReadDir("/vsimem/") or []), "the map file is in memory")
    check(sorted(os.listdir(".")) == ["cities.tmf", "countries.tmf"], "nothing written on disk")


def check_dask(namespace, printed, repo):
    import geopandas
    results, summary = namespace["results"], namespace["summary"]
    check(len(namespace["files"]) == 36, f"36 sheets: {namespace['files']}")
    check(results == [summary(f) for f in namespace["files"]], "what a serial run gives")
    whole = geopandas.read_file(os.path.join(repo, "data/naturalearth/naturalearth_lowres.shp"))
    check(sum(n for n, _ in results) == len(whole) == 177, "every country in one sheet")
    area = whole.to_crs("EPSG:6933").area.sum()
    check(math.isclose(sum(a for _, a in results), area, rel_tol=1e-9), f"the area of the whole: {area}")


def main():
    repo, group = sys.argv[1], sys.argv[2]
    for module in NEEDS[group]:
        try:
            importlib.import_module(module)
        except ImportError:
            print(f"skipped: the Python module {module} is not installed")
            return 77
    from osgeo import gdal
    gdal.UseExceptions()
    text = open(os.path.join(repo, "README.md"), encoding="utf-8").read()
    section = text[text.index("### From Python"):]
    section = section[:section.find("\n## ")]
    code = re.findall(r"```python\n(.*?)```", section, re.S)[list(NEEDS).index(group)]
    work = tempfile.mkdtemp(prefix="terrix-readme-")
    try:
        os.chdir(work)
        for sample in ("countries.tmf", "cities.tmf"):
            shutil.copy(os.path.join(repo, "data/samples", sample), sample)
        if group == "dask":  # a map series: the countries cut into 36 map files
            os.mkdir("series")
            for k in range(36):
                gdal.VectorTranslate(f"series/sheet{k:02d}.tmf",
                                     os.path.join(repo, "data/naturalearth/naturalearth_lowres.shp"),
                                     format="Terrix", where=f"FID % 36 = {k}",
                                     layerCreationOptions=["CODEPAGE=GB18030"])
        namespace, printed = {"__name__": "__main__"}, io.StringIO()
        with contextlib.redirect_stdout(printed):
            exec(compile(code, "README.md", "exec"), namespace)
        print(printed.getvalue(), end="")
        globals()["check_" + group](namespace, printed.getvalue(), repo)
    finally:
        os.chdir("/")
        shutil.rmtree(work, ignore_errors=True)
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
