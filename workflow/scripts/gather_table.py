"""The last step, run by Snakemake's script directive: every input's rows into the table."""

import os
import sys

# Snakemake runs a copy of this file from its own folder; scriptdir is where it came from.
sys.path.insert(0, os.path.join(snakemake.scriptdir, "..", "lib"))  # noqa: F821

from summary_table import gather  # noqa: E402

gather(snakemake.output[0], list(snakemake.input))  # noqa: F821
