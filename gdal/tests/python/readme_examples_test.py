"""readme_examples_test.py REPO_DIR GROUP: the README's Python example GROUP (geopandas, bindings, dask),
run as printed beside data/samples and checked against GDAL's own reading; 77 (skipped) without a module."""
import contextlib, importlib, io, math, os, re, shutil, sys, tempfile

NEEDS = {"geopandas": ["osgeo", "fiona", "geopandas"], "bindings": ["osgeo"],
         "dask": ["osgeo", "fiona", "geopandas", "dask.bag"]}


def checks(group, ns, printed, shapefile):
    from osgeo import gdal
    files = sorted(os.listdir("."))
    dataset = gdal.OpenEx("/vsimem/cities.tmf" if group == "bindings" else "countries.tmf",
                          open_options=["CODEPAGE=GB18030"])
    layer = dataset.GetLayer(0)  # lives no longer than its dataset
    if group == "geopandas":
        layer.SetAttributeFilter("continent = 'Europe'")
        return [(printed == f"{layer.GetFeatureCount()} countries in EPSG:4326\n", printed),
                (files == ["cities.tmf", "countries.tmf", "europe.prj", "europe.tmf", "series"], files)]
    if group == "bindings":
        last = [f.GetField("name") for f in layer][-1]
        return [(printed == "243 cities\n", printed), (last == "Null Island", last),
                (files == ["cities.tmf", "countries.tmf", "series"], files)]
    import geopandas
    area, results = geopandas.read_file(shapefile).to_crs("EPSG:6933").area.sum(), ns["results"]
    return [(results == [ns["summary"](f) for f in ns["files"]], "what a serial run gives"),
            (sum(n for n, _ in results) == 177, "every country in one sheet of 36"),
            (math.isclose(sum(a for _, a in results), area, rel_tol=1e-9), f"the whole's area {area}")]


def main(repo, group):
    try:
        [importlib.import_module(module) for module in NEEDS[group]]
    except ImportError as error:
        return print(f"skipped: {error}") or 77
    from osgeo import gdal
    text = open(os.path.join(repo, "README.md"), encoding="utf-8").read()
    section = text[text.index("### From Python"):]
    code = re.findall(r"```python\n(.*?)```", section[:section.find("\n## ")], re.S)[list(NEEDS).index(group)]
    shapefile = os.path.join(repo, "data/naturalearth/naturalearth_lowres.shp")
    with tempfile.TemporaryDirectory(prefix="terrix-readme-") as work:
        os.chdir(work)
        for sample in ("countries.tmf", "cities.tmf"):
            shutil.copy(os.path.join(repo, "data/samples", sample), sample)
        os.mkdir("series")
        for k in range(36 if group == "dask" else 0):  # a map series: the countries in 36 files
            gdal.VectorTranslate(f"series/sheet{k:02d}.tmf", shapefile, format="Terrix", where=f"FID % 36 = {k}",
                                 layerCreationOptions=["CODEPAGE=GB18030"])
        namespace, printed = {"__name__": "__main__"}, io.StringIO()
        with contextlib.redirect_stdout(printed):
            exec(compile(code, "README.md", "exec"), namespace)
        failed = [what for ok, what in checks(group, namespace, printed.getvalue(), shapefile) if not ok]
    print(printed.getvalue(), *(f"failed: {what}" for what in failed), sep="\n")
    print(f"{int(not failed)} passed, {int(bool(failed))} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
