#!/usr/bin/env bash
# The main job on sample data, from a built tree (argument: the build directory): make a
# sample acquisition, filter it with a drug-metabolite rule set, show what came out.
set -euo pipefail
build=${1:-build/release}
work="$build/demo"
rm -rf "$work"
mkdir -p "$work"
echo "== Making a sample acquisition: $work/sample.raw"
"$build/tools/raw/brevanto-raw" synth "$work/sample.raw" --functions 2 --scans 200 --peaks 2000 \
    --analog 2 --history 1 --companions 2
echo "== Filtering it with docs/examples/drug_metabolites.rules"
"$build/tools/batch/brevanto-batch" --rules docs/examples/drug_metabolites.rules "$work/sample.raw"
echo "== The filtered copy: $work/sample_BRV.raw"
"$build/tools/raw/brevanto-raw" info "$work/sample_BRV.raw"
"$build/tools/raw/brevanto-raw" verify "$work/sample_BRV.raw"

# The same rules on an open-format file: a real mzML when the shared samples are beside the
# project, else a small synthetic one; the output keeps the input's format.
mzml="$work/sample.mzML"
if [ -f ../shared/data/example.mzML ]; then
    cp ../shared/data/example.mzML "$mzml"
else
    "$build/bench/mzml_synth/brevanto_mzml_synth" --small "$mzml" >/dev/null
fi
echo "== Filtering an mzML file: $mzml"
"$build/tools/batch/brevanto-batch" --rules docs/examples/drug_metabolites.rules "$mzml"
"$build/tools/raw/brevanto-raw" import-mzml "$work/sample_BRV.mzML" "$work/from-mzml.raw"
"$build/tools/raw/brevanto-raw" verify "$work/from-mzml.raw"
